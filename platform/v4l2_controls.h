#pragma once

#include "platform/capture_device.h"
#include "platform/v4l2_io.h"

#include <optional>
#include <vector>

// The control ioctls of an open V4L2 node.
namespace orbisk::platform::v4l2 {

// Every control of the node (VIDIOC_QUERY_EXT_CTRL walking with
// V4L2_CTRL_FLAG_NEXT_CTRL), menus with their entries; class headings and
// disabled controls are left out.
std::vector<ControlInfo> EnumerateControls(V4l2Node& node);
std::optional<ControlInfo> QueryControl(V4l2Node& node, uint32_t id);
bool GetControl(V4l2Node& node, uint32_t id, int32_t& value);
bool SetControl(V4l2Node& node, uint32_t id, int32_t value);

}  // namespace orbisk::platform::v4l2
