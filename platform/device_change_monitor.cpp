#include "platform/device_change_monitor.h"

#include "platform/log_categories.h"

#include <QSocketNotifier>

#include <libudev.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace orbisk::platform {
namespace {

struct Monitors {
    std::mutex lock;
    std::vector<DeviceChangeMonitor*> all;
};

Monitors& TheMonitors() {
    static Monitors monitors;
    return monitors;
}

}  // namespace

DeviceChangeMonitor::DeviceChangeMonitor(std::function<void()> changed,
                                         std::chrono::milliseconds delay, QObject* parent)
    : QObject(parent), changed_(std::move(changed)) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(delay);
    connect(&quiet_, &QTimer::timeout, this, [this] {
        ++calls_;
        if (changed_) changed_();
    });
    udev_ = udev_new();
    if (udev_) monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (monitor_ &&
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "video4linux", nullptr) >= 0 &&
        udev_monitor_enable_receiving(monitor_) >= 0) {
        notifier_ = new QSocketNotifier(udev_monitor_get_fd(monitor_), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { DrainUdev(); });
    } else {
        qCWarning(lcPlatform, "no udev monitor: camera hot-plug is heard only from the program");
    }
    std::lock_guard l(TheMonitors().lock);
    TheMonitors().all.push_back(this);
}

DeviceChangeMonitor::~DeviceChangeMonitor() {
    {
        std::lock_guard l(TheMonitors().lock);
        auto& all = TheMonitors().all;
        all.erase(std::remove(all.begin(), all.end(), this), all.end());
    }
    delete notifier_;
    notifier_ = nullptr;
    if (monitor_) udev_monitor_unref(monitor_);
    if (udev_) udev_unref(udev_);
}

void DeviceChangeMonitor::Raise() {
    ++raised_;
    quiet_.start();
}

void DeviceChangeMonitor::DrainUdev() {
    bool any = false;
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        udev_device_unref(device);
        any = true;
    }
    if (any) Raise();
}

void RaiseDeviceChange() {
    std::lock_guard l(TheMonitors().lock);
    for (DeviceChangeMonitor* monitor : TheMonitors().all) {
        // Dropped by Qt if the monitor goes before it runs.
        QMetaObject::invokeMethod(
            monitor, [monitor] { monitor->Raise(); }, Qt::QueuedConnection);
    }
}

}  // namespace orbisk::platform
