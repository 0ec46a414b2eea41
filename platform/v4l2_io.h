#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The calls the V4L2 code makes on an open device node, behind one small
// interface, so that tests can put a fake device where a camera would be.
namespace orbisk::platform {

class V4l2Node {
  public:
    virtual ~V4l2Node() = default;
    // ioctl on the node, repeated while a signal interrupts it; -1 with
    // errno set on failure.
    virtual int Ioctl(unsigned long request, void* arg) = 0;
    // Maps a buffer (VIDIOC_QUERYBUF's length and offset); nullptr with
    // errno set on failure.
    virtual void* Map(size_t length, uint32_t offset) = 0;
    virtual void Unmap(void* start, size_t length) = 0;
    // What the capture loop polls: readable when a buffer can be dequeued,
    // an error once the device is gone.
    virtual int PollFd() const = 0;
};

// Opens a node read-write and non-blocking; nullptr, with the errno of the
// failure in `error`, when it can't be opened.
std::unique_ptr<V4l2Node> OpenV4l2Node(const std::string& path, int& error);

// Replaces how nodes are opened (nullptr restores the system's). Tests only.
using V4l2NodeOpener =
    std::function<std::unique_ptr<V4l2Node>(const std::string& path, int& error)>;
void SetV4l2NodeOpenerForTesting(V4l2NodeOpener opener);

}  // namespace orbisk::platform
