#include "app/main_dlg/camera_models.h"

#include <cmath>

namespace orbisk {

std::span<const CameraModelRow> CameraModelTable() {
    const QSize k5M(2592, 1944), k8M(3264, 2448), k10M(3742, 2806), k12M(4000, 3000),
        k10MWide(3840, 2748);
    // Lookup order: models 0, 1, 3, 4, 5, 2, 6, then the identity the model
    // table does not know.
    static const CameraModelRow kTable[] = {
        {0, {"1d6b", "0d01"}, k5M, 215},      {0, {"1d6b", "0d02"}, k5M, 215},
        {0, {"1d6b", "0d03"}, k5M, 215},      {0, {"1d6c", "0d01"}, k5M, 215},
        {1, {"1d6b", "0d11"}, k5M, 215},      {3, {"1d6b", "0d31"}, k10M, 310},
        {3, {"1d6b", "0d32"}, k10M, 310},     {4, {"1d6b", "0d41"}, k12M, 330},
        {5, {"1d6d", "0d51"}, k10MWide, 310}, {2, {"1d6b", "0d21"}, k8M, 270},
        {6, {"1d6e", "0d61"}, k10M, 310},     {-1, {"1d6b", "0d04"}, k5M, 215},
    };
    return kTable;
}

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

int CameraModelOf(const QString& vid, const QString& pid) {
    const CameraModelRow* row = RowOf(vid, pid);
    return row ? row->model : -1;
}

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
