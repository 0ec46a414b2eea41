#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <span>

namespace orbisk {

// A USB identity: vendor and product id, four lower-case hex digits each.
struct CameraIdentity {
    QString vid;
    QString pid;
};

// One row of the camera model table. Our own placeholder ids: the simulated
// camera can pose as any of them.
struct CameraModelRow {
    int model;  // SysSettings::CameraModel, -1 for an identity without a model
    CameraIdentity id;
    QSize resolution;  // default document resolution
    int dpi;           // default XDPI and YDPI
};

// Every known identity, in the order the model lookup tests them.
std::span<const CameraModelRow> CameraModelTable();

// The model of an identity (exact, case-sensitive); -1 when none matches.
int CameraModelOf(const QString& vid, const QString& pid);

// The model without exposure controls and video button.
inline constexpr int kModelWithoutExposure = 5;

// The default resolution and dpi of a camera whose configured size is negative.
struct DefaultResolution {
    QSize size;
    int dpi;
};

// The row's defaults; for an unknown camera its largest frame size (given)
// at dpi = round(width / 12.1).
DefaultResolution DefaultResolutionOf(const QString& vid, const QString& pid, QSize largestFrame);

// The size every UVC camera offers, for a camera that tells no size at all.
inline constexpr QSize kFallbackResolution{640, 480};

// The resolution of a camera that lists no frame size, from what it delivers
// once open: that size (kFallbackResolution when it tells none), at the dpi
// of an unknown camera.
DefaultResolution DeliveredResolution(QSize delivered);

// A device entry split into its two pairs.
struct DevicePair {
    CameraIdentity document;
    CameraIdentity portrait;
};

// The pairs of a device entry: exactly 16 hex digits, else nothing.
std::optional<DevicePair> ParseDeviceEntry(const QString& entry);

// The first entry whose document pair `connected` reports, or nothing. Entries
// that are not 16 hex digits are skipped.
template <typename Connected>
std::optional<DevicePair> FirstConnectedPair(const QStringList& entries, Connected connected) {
    for (const QString& entry : entries) {
        const auto pair = ParseDeviceEntry(entry);
        if (pair && connected(pair->document)) return pair;
    }
    return std::nullopt;
}

// The branding record's CameraIds of a pair: portrait pid, portrait vid,
// document pid, document vid.
QStringList CameraIdsOf(const DevicePair& pair);

}  // namespace orbisk
