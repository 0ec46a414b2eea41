#include "video/device_lookup.h"

#include <algorithm>
#include <cctype>

namespace orbisk {
namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string LowerUtf8(const QString& s) { return Lower(s.toStdString()); }

// The 4 characters that start 4 places after `key` ("vid" and its
// separator); false when the path has no such key or ends before them.
bool FieldAfter(const std::string& path, const char* key, std::string& field) {
    const auto at = path.find(key);
    if (at == std::string::npos || at + 8 > path.size()) {
        return false;
    }
    field = path.substr(at + 4, 4);
    return true;
}

std::optional<std::vector<platform::VideoDeviceInfo>> Devices() {
    return platform::ActiveVideoRegistry().CaptureDevices();
}

// How many capture devices the predicate accepts; 0 without a device list.
template <typename Match>
int CountDevices(Match match) {
    const auto list = Devices();
    if (!list) {
        return 0;
    }
    return static_cast<int>(std::count_if(list->begin(), list->end(), match));
}

}  // namespace

bool MatchDevicePath(const std::string& path, const QString& vid, const QString& pid) {
    if (vid.isEmpty() || pid.isEmpty()) {
        return false;
    }
    const std::string p = Lower(path);
    std::string v, d;
    if (!FieldAfter(p, "vid", v) || !FieldAfter(p, "pid", d)) {
        return false;
    }
    return v == LowerUtf8(vid) && d == LowerUtf8(pid);
}

bool MatchDevicePathSerial(const std::string& path, const QString& vid, const QString& pid,
                           const QString& serial) {
    if (serial.isEmpty() || !MatchDevicePath(path, vid, pid)) {
        return false;
    }
    constexpr size_t kSerialAt = 34;
    const std::string s = LowerUtf8(serial);
    if (path.size() < kSerialAt || path.size() - kSerialAt < s.size()) {
        return false;
    }
    return Lower(path.substr(kSerialAt, s.size())) == s;
}

bool FindDeviceByVidPid(const QString& vid, const QString& pid, platform::VideoDeviceInfo& device,
                        int index) {
    const auto list = Devices();
    if (!list || index < 0) {
        return false;
    }
    int count = 0;
    for (const auto& d : *list) {
        if (MatchDevicePath(d.DevicePath(), vid, pid)) {
            if (count == index) {
                device = d;
                return true;
            }
            ++count;
        }
    }
    return false;
}

bool FindDeviceBySerial(platform::VideoDeviceInfo& device, const QString& vid, const QString& pid,
                        const QString& serial) {
    const auto list = Devices();
    if (!list) {
        return false;
    }
    for (const auto& d : *list) {
        if (MatchDevicePathSerial(d.DevicePath(), vid, pid, serial)) {
            device = d;
            return true;
        }
    }
    return false;
}

bool FindDeviceByName(const QString& name, platform::VideoDeviceInfo& device) {
    const auto list = Devices();
    if (!list || name.isEmpty()) {
        return false;
    }
    const std::string wanted = name.toStdString();
    for (const auto& d : *list) {
        if (d.friendlyName == wanted) {
            device = d;
            return true;
        }
    }
    return false;
}

int CountVideoDevices(const QString& vid, const QString& pid) {
    if (vid.isEmpty() || pid.isEmpty()) {
        return -1;
    }
    return CountDevices([&](const auto& d) { return MatchDevicePath(d.DevicePath(), vid, pid); });
}

int CountVideoDevicesBySerial(const QString& vid, const QString& pid, const QString& serial) {
    if (vid.isEmpty() || pid.isEmpty()) {
        return -1;
    }
    return CountDevices(
        [&](const auto& d) { return MatchDevicePathSerial(d.DevicePath(), vid, pid, serial); });
}

int CountVideoDevicesByName(const QString& name) {
    if (name.isEmpty()) {
        return -1;
    }
    const std::string wanted = name.toStdString();
    return CountDevices([&](const auto& d) { return d.friendlyName == wanted; });
}

QString VideoDeviceName(const QString& vid, const QString& pid, int index) {
    platform::VideoDeviceInfo d;
    if (vid.isEmpty() || pid.isEmpty() || !FindDeviceByVidPid(vid, pid, d, index)) {
        return {};
    }
    return QString::fromStdString(d.friendlyName);
}

bool VideoDeviceNames(QStringList& names) {
    const auto list = Devices();
    if (!list || list->empty()) {
        return false;
    }
    for (const auto& d : *list) {
        names << QString::fromStdString(d.friendlyName);
    }
    return true;
}

}  // namespace orbisk
