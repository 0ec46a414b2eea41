#include "platform/snapshot_button.h"

#include <QtGlobal>

#include <fcntl.h>
#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <vector>

namespace orbisk::platform {

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
    : fd_(fd), wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), pressed_(std::move(pressed)) {
    thread_ = std::thread([this] { Loop(); });
}

EvdevButtonReader::~EvdevButtonReader() { Stop(); }

void EvdevButtonReader::Stop() {
    if (thread_.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(wake_, &one, sizeof(one));
        thread_.join();
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (wake_ >= 0) {
        ::close(wake_);
        wake_ = -1;
    }
}

void EvdevButtonReader::Loop() {
    // Events may arrive split across reads (a pipe in tests); keep the rest.
    std::vector<uint8_t> pending;
    uint8_t buffer[sizeof(input_event) * 16];
    for (;;) {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) {
            return;
        }
        if (fds[0].revents & POLLIN) {
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
        } else if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            return;
        }
    }
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
        return nullptr;
    }
    const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        static std::atomic<bool> logged{false};
        if (!logged.exchange(true)) {
            qWarning("snapshot button %s can't be opened (%s); running without it", node.c_str(),
                     std::strerror(errno));
        }
        return nullptr;
    }
    return std::make_unique<EvdevButtonReader>(fd, std::move(pressed));
}

}  // namespace orbisk::platform
