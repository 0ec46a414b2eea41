#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

struct udev;
struct udev_monitor;
class QSocketNotifier;

// Tells the UI thread that video devices came or went: udev's video4linux
// events, the simulated camera's plug and unplug, and what the program
// raises itself (a stream that was lost). A burst (one USB camera brings
// several nodes) arrives as one call once it has been quiet for the delay.
namespace orbisk::platform {

class DeviceChangeMonitor : public QObject {
  public:
    DeviceChangeMonitor(std::function<void()> changed, std::chrono::milliseconds delay,
                        QObject* parent = nullptr);
    ~DeviceChangeMonitor() override;
    DeviceChangeMonitor(const DeviceChangeMonitor&) = delete;
    DeviceChangeMonitor& operator=(const DeviceChangeMonitor&) = delete;

    // One event, on the monitor's thread.
    void Raise();
    // Whether udev's events are heard (a system without udev's netlink
    // socket still hears what the program raises).
    bool WatchingUdev() const { return notifier_ != nullptr; }
    // Events raised so far, and calls made.
    int Raised() const { return raised_; }
    int Calls() const { return calls_; }

  private:
    void DrainUdev();

    std::function<void()> changed_;
    QTimer quiet_;
    struct udev* udev_ = nullptr;
    struct udev_monitor* monitor_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
    int raised_ = 0;
    int calls_ = 0;
};

// Raises every monitor of the process, each on its own thread; any thread.
void RaiseDeviceChange();

}  // namespace orbisk::platform
