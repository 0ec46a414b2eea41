#pragma once

#include "platform/capture_device.h"

#include <optional>
#include <vector>

// The control ioctls of an open V4L2 node.
namespace orbisk::platform::v4l2 {

// ioctl, repeated while a signal interrupts it.
int Ioctl(int fd, unsigned long request, void* arg);

// Every control of the node (VIDIOC_QUERY_EXT_CTRL walking with
// V4L2_CTRL_FLAG_NEXT_CTRL), menus with their entries; class headings and
// disabled controls are left out.
std::vector<ControlInfo> EnumerateControls(int fd);
std::optional<ControlInfo> QueryControl(int fd, uint32_t id);
bool GetControl(int fd, uint32_t id, int32_t& value);
bool SetControl(int fd, uint32_t id, int32_t value);

}  // namespace orbisk::platform::v4l2
