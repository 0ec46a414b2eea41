#include "platform/snapshot_button.h"

#include "platform/log_categories.h"

#include <fcntl.h>
#include <libudev.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <set>
#include <sstream>
#include <vector>

#ifndef ORBISK_UDEV_RULE_PATH
#define ORBISK_UDEV_RULE_PATH "/usr/lib/udev/rules.d/70-orbisk-camera-button.rules"
#endif

namespace orbisk::platform {

const char* const kSnapshotButtonRule = ORBISK_UDEV_RULE_PATH;

bool IsSnapshotPress(const input_event& event) {
    return event.type == EV_KEY && event.code == KEY_CAMERA && event.value == 1;
}

bool KeyBitmapHas(const std::string& bitmap, int key) {
    std::istringstream words(bitmap);
    std::vector<unsigned long long> values;
    std::string word;
    while (words >> word) {
        values.push_back(std::strtoull(word.c_str(), nullptr, 16));
    }
    const int bits = static_cast<int>(sizeof(unsigned long) * 8);
    const size_t index = static_cast<size_t>(key / bits);  // counted from the last word
    if (index >= values.size()) {
        return false;
    }
    return (values[values.size() - 1 - index] >> (key % bits)) & 1;
}

EvdevButtonReader::EvdevButtonReader(int fd, ButtonHandler pressed)
    : fd_(fd), pressed_(std::move(pressed)) {
    worker_.Start([this](WorkerThread::Context& context) { Loop(context); });
}

EvdevButtonReader::~EvdevButtonReader() { Stop(); }

void EvdevButtonReader::Stop() {
    worker_.Stop();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void EvdevButtonReader::Loop(WorkerThread::Context& context) {
    // Events may arrive split across reads (a pipe in tests); keep the rest.
    std::vector<uint8_t> pending;
    uint8_t buffer[sizeof(input_event) * 16];
    for (;;) {
        short revents = 0;
        if (context.WaitFd(fd_, -1, POLLIN, &revents) != WorkerThread::Context::Wake::kReady) {
            return;
        }
        if (revents & POLLIN) {
            const ssize_t n = ::read(fd_, buffer, sizeof(buffer));
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n <= 0) return;  // unplugged (ENODEV) or closed
            pending.insert(pending.end(), buffer, buffer + n);
            size_t used = 0;
            while (pending.size() - used >= sizeof(input_event)) {
                input_event ev;
                std::memcpy(&ev, pending.data() + used, sizeof(ev));
                used += sizeof(ev);
                if (IsSnapshotPress(ev) && pressed_) {
                    pressed_();
                }
            }
            pending.erase(pending.begin(), pending.begin() + static_cast<long>(used));
        } else if (revents & (POLLERR | POLLHUP | POLLNVAL)) {
            return;
        }
    }
}

namespace {

// The nodes already logged as unopenable: every open of the camera tries
// again, and the log says so once per node.
struct LoggedNodes {
    std::mutex lock;
    std::set<std::string> nodes;
};

LoggedNodes& TheLoggedNodes() {
    static LoggedNodes logged;
    return logged;
}

}  // namespace

void ForgetLoggedButtonNodes() {
    LoggedNodes& logged = TheLoggedNodes();
    std::lock_guard guard(logged.lock);
    logged.nodes.clear();
}

std::string FindSnapshotButtonNode(const std::string& usbSysPath) {
    if (usbSysPath.empty()) {
        return {};
    }
    std::string found;
    udev* u = udev_new();
    if (!u) return {};
    udev_enumerate* e = udev_enumerate_new(u);
    udev_enumerate_add_match_subsystem(e, "input");
    udev_enumerate_add_match_sysname(e, "event*");
    udev_enumerate_scan_devices(e);
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e)) {
        if (!found.empty()) break;
        udev_device* dev = udev_device_new_from_syspath(u, udev_list_entry_get_name(entry));
        if (!dev) continue;
        udev_device* usb = udev_device_get_parent_with_subsystem_devtype(dev, "usb", "usb_device");
        udev_device* input = udev_device_get_parent_with_subsystem_devtype(dev, "input", nullptr);
        const char* node = udev_device_get_devnode(dev);
        if (usb && input && node && usbSysPath == udev_device_get_syspath(usb)) {
            const char* keys = udev_device_get_sysattr_value(input, "capabilities/key");
            if (keys && KeyBitmapHas(keys, KEY_CAMERA)) {
                found = node;
            }
        }
        udev_device_unref(dev);
    }
    udev_enumerate_unref(e);
    udev_unref(u);
    return found;
}

std::unique_ptr<EvdevButtonReader> OpenSnapshotButton(const std::string& usbSysPath,
                                                      ButtonHandler pressed) {
    const std::string node = FindSnapshotButtonNode(usbSysPath);
    if (node.empty()) {
        qCDebug(lcCamera, "camera at %s has no snapshot button", usbSysPath.c_str());
        return nullptr;
    }
    return OpenSnapshotButtonNode(node, std::move(pressed));
}

std::unique_ptr<EvdevButtonReader> OpenSnapshotButtonNode(const std::string& node,
                                                          ButtonHandler pressed) {
    const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        LoggedNodes& logged = TheLoggedNodes();
        std::lock_guard guard(logged.lock);
        if (logged.nodes.insert(node).second) {
            qCWarning(lcCamera,
                      "snapshot button %s can't be opened (%s); the udev rule %s grants it to "
                      "the logged-in user (see docs/real-camera.md); running without it",
                      node.c_str(), std::strerror(error), kSnapshotButtonRule);
        }
        return nullptr;
    }
    return std::make_unique<EvdevButtonReader>(fd, std::move(pressed));
}

}  // namespace orbisk::platform
