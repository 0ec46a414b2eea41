#pragma once

#include "platform/video_registry.h"

#include <QString>
#include <QStringList>

#include <string>

// Finding, counting and naming the video devices that fit a camera identity:
// the USB vendor and product ids as they stand in the device path ("vid_xxxx",
// "pid_xxxx", compared without regard to case), an optional serial fragment
// of the path from position 34, or the friendly name. Missing texts and
// paths too short to hold a field never fit.
namespace orbisk {

bool MatchDevicePath(const std::string& path, const QString& vid, const QString& pid);
bool MatchDevicePathSerial(const std::string& path, const QString& vid, const QString& pid,
                           const QString& serial);

// Binds the index-th device (counting only those that fit) whose path fits.
bool FindDeviceByVidPid(const QString& vid, const QString& pid, platform::VideoDeviceInfo& device,
                        int index);
// Binds the first device whose path fits VID, PID and serial.
bool FindDeviceBySerial(platform::VideoDeviceInfo& device, const QString& vid, const QString& pid,
                        const QString& serial);
// Binds the first device whose friendly name is exactly `name`.
bool FindDeviceByName(const QString& name, platform::VideoDeviceInfo& device);

// -1 when VID or PID is missing; 0 when the device list can't be obtained.
int CountVideoDevices(const QString& vid, const QString& pid);
int CountVideoDevicesBySerial(const QString& vid, const QString& pid, const QString& serial);
// -1 for a missing name.
int CountVideoDevicesByName(const QString& name);
// The friendly name of the index-th fitting device, or an empty text.
QString VideoDeviceName(const QString& vid, const QString& pid, int index);
// Every device's friendly name in device order; false when the list can't
// be obtained or holds no device.
bool VideoDeviceNames(QStringList& names);

}  // namespace orbisk
