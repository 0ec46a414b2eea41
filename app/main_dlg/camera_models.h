#pragma once

#include "core/camera_models.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace orbisk {

// The camera model table is in core/; what follows is the start-up's.

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
