#include "core/camera_models.h"

namespace orbisk {
namespace {

const QSize k5M(2592, 1944), k8M(3264, 2448), k10M(3742, 2806), k12M(4000, 3000),
    k10MWide(3840, 2748);

}  // namespace

std::span<const CameraModelRow> CameraModelTable() {
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

int CameraModelOf(const QString& vid, const QString& pid) {
    for (const CameraModelRow& row : CameraModelTable()) {
        if (row.id.vid == vid && row.id.pid == pid) return row.model;
    }
    return -1;
}

std::optional<DefaultResolution> ModelDefaults(int model) {
    if (model < 0 || model > kLastCameraModel) return std::nullopt;
    for (const CameraModelRow& row : CameraModelTable()) {
        if (row.model == model) return DefaultResolution{row.resolution, row.dpi};
    }
    return std::nullopt;
}

std::vector<QSize> EnlargedSizesOf(const QString& vid, const QString& pid) {
    std::vector<QSize> sizes;
    const int model = CameraModelOf(vid, pid);
    if (model == 3 || model == 4 || model == 6) sizes.push_back(k10M);
    if (model == 4) sizes.push_back(k12M);
    if (model == 3) {
        for (const CameraModelRow& row : CameraModelTable()) {
            if (row.model != 3) continue;
            if (row.id.vid == vid && row.id.pid == pid) sizes.push_back(k8M);
            break;  // only the first identity of the model
        }
    }
    return sizes;
}

}  // namespace orbisk
