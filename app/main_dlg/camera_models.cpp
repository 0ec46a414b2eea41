#include "app/main_dlg/camera_models.h"

#include <cmath>

namespace orbisk {
namespace {

const CameraModelRow* RowOf(const QString& vid, const QString& pid) {
    for (const CameraModelRow& row : CameraModelTable()) {
        if (row.id.vid == vid && row.id.pid == pid) return &row;
    }
    return nullptr;
}

bool IsHex(const QString& text) {
    for (QChar c : text) {
        if (!c.isDigit() && !QStringLiteral("abcdefABCDEF").contains(c)) return false;
    }
    return true;
}

}  // namespace

DefaultResolution DefaultResolutionOf(const QString& vid, const QString& pid, QSize largestFrame) {
    if (const CameraModelRow* row = RowOf(vid, pid)) return {row->resolution, row->dpi};
    return {largestFrame, static_cast<int>(std::lround(largestFrame.width() / 12.1))};
}

DefaultResolution DeliveredResolution(QSize delivered) {
    const bool told = delivered.width() > 0 && delivered.height() > 0;
    return DefaultResolutionOf(QString(), QString(), told ? delivered : kFallbackResolution);
}

std::optional<DevicePair> ParseDeviceEntry(const QString& entry) {
    if (entry.size() != 16 || !IsHex(entry)) return std::nullopt;
    return DevicePair{{entry.mid(0, 4), entry.mid(4, 4)}, {entry.mid(8, 4), entry.mid(12, 4)}};
}

QStringList CameraIdsOf(const DevicePair& pair) {
    return {pair.portrait.pid, pair.portrait.vid, pair.document.pid, pair.document.vid};
}

}  // namespace orbisk
