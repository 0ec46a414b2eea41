#pragma once

#include "platform/capture_device.h"
#include "platform/worker_thread.h"

#include <linux/input.h>

#include <memory>
#include <string>

// The camera's snapshot button. uvcvideo reports it as KEY_CAMERA on an
// evdev input device below the camera's USB device.
namespace orbisk::platform {

// A press is the key going down (value 1); auto-repeat (2) and release (0)
// are not presses.
bool IsSnapshotPress(const input_event& event);

// True when the hex key bitmap of an input device (sysfs
// "capabilities/key": words of unsigned long, most significant first) has
// the key set.
bool KeyBitmapHas(const std::string& bitmap, int key);

// Reads input events from a file descriptor on a thread of its own and calls
// the handler for each press. Owns the descriptor.
class EvdevButtonReader {
  public:
    EvdevButtonReader(int fd, ButtonHandler pressed);
    ~EvdevButtonReader();
    EvdevButtonReader(const EvdevButtonReader&) = delete;
    EvdevButtonReader& operator=(const EvdevButtonReader&) = delete;

    // Wakes and joins the thread, closes the descriptor; safe to call twice.
    void Stop();
    // The thread has ended by itself: the stream ended, every event of it
    // was handled.
    bool Finished() const { return !worker_.Running(); }

  private:
    void Loop(WorkerThread::Context& context);

    int fd_;
    ButtonHandler pressed_;
    WorkerThread worker_;
};

// The evdev node ("/dev/input/eventN") of the snapshot button of the USB
// device at `usbSysPath`; empty when there is none.
std::string FindSnapshotButtonNode(const std::string& usbSysPath);

// The udev rule, installed with the program, that lets the logged-in user
// read the button of a USB video camera.
extern const char* const kSnapshotButtonRule;

// Opens the button of the USB device; nullptr when it has none or the node
// can't be opened (logged once per node, naming the node and the rule: the
// camera runs without its button).
// Forgets which nodes were logged as unopenable, so that the next failure
// of each is logged again (tests start from a clean slate with it).
void ForgetLoggedButtonNodes();

std::unique_ptr<EvdevButtonReader> OpenSnapshotButton(const std::string& usbSysPath,
                                                      ButtonHandler pressed);
// The same for a known event node.
std::unique_ptr<EvdevButtonReader> OpenSnapshotButtonNode(const std::string& node,
                                                          ButtonHandler pressed);

}  // namespace orbisk::platform
