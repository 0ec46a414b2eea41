#include "platform/v4l2_controls.h"

#include <linux/videodev2.h>

#include <cstring>

namespace orbisk::platform::v4l2 {
namespace {

ControlInfo InfoOf(V4l2Node& node, const v4l2_query_ext_ctrl& q) {
    ControlInfo info;
    info.id = q.id;
    info.type = q.type;
    info.name.assign(q.name, strnlen(q.name, sizeof(q.name)));
    info.minimum = q.minimum;
    info.maximum = q.maximum;
    info.step = static_cast<int64_t>(q.step);
    info.defaultValue = q.default_value;
    info.flags = q.flags;
    if (q.type == V4L2_CTRL_TYPE_MENU || q.type == V4L2_CTRL_TYPE_INTEGER_MENU) {
        for (int64_t i = q.minimum; i <= q.maximum && i - q.minimum < 256; ++i) {
            v4l2_querymenu m{};
            m.id = q.id;
            m.index = static_cast<uint32_t>(i);
            // A driver leaves holes in a menu; they answer EINVAL.
            if (node.Ioctl(VIDIOC_QUERYMENU, &m) != 0) {
                continue;
            }
            if (q.type == V4L2_CTRL_TYPE_MENU) {
                const auto* name = reinterpret_cast<const char*>(m.name);
                info.menu.emplace_back(i, std::string(name, strnlen(name, sizeof(m.name))));
            } else {
                info.menu.emplace_back(i, std::to_string(m.value));
            }
        }
    }
    return info;
}

}  // namespace

std::vector<ControlInfo> EnumerateControls(V4l2Node& node) {
    std::vector<ControlInfo> out;
    v4l2_query_ext_ctrl q{};
    q.id = V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND;
    while (node.Ioctl(VIDIOC_QUERY_EXT_CTRL, &q) == 0) {
        if (q.type != V4L2_CTRL_TYPE_CTRL_CLASS && !(q.flags & V4L2_CTRL_FLAG_DISABLED) &&
            q.type < V4L2_CTRL_COMPOUND_TYPES) {
            out.push_back(InfoOf(node, q));
        }
        q.id |= V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND;
    }
    return out;
}

std::optional<ControlInfo> QueryControl(V4l2Node& node, uint32_t id) {
    v4l2_query_ext_ctrl q{};
    q.id = id;
    if (node.Ioctl(VIDIOC_QUERY_EXT_CTRL, &q) != 0 || (q.flags & V4L2_CTRL_FLAG_DISABLED)) {
        return std::nullopt;
    }
    return InfoOf(node, q);
}

bool GetControl(V4l2Node& node, uint32_t id, int32_t& value) {
    v4l2_control c{};
    c.id = id;
    if (node.Ioctl(VIDIOC_G_CTRL, &c) != 0) {
        return false;
    }
    value = c.value;
    return true;
}

bool SetControl(V4l2Node& node, uint32_t id, int32_t value) {
    v4l2_control c{};
    c.id = id;
    c.value = value;
    return node.Ioctl(VIDIOC_S_CTRL, &c) == 0;
}

}  // namespace orbisk::platform::v4l2
