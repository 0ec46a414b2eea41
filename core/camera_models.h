#pragma once

#include <QSize>
#include <QString>

#include <optional>
#include <span>
#include <vector>

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

// The highest model number; models run from 0.
inline constexpr int kLastCameraModel = 6;

// The model without exposure controls and video button.
inline constexpr int kModelWithoutExposure = 5;

// A default resolution and dpi (XDPI and YDPI alike).
struct DefaultResolution {
    QSize size;
    int dpi;
};

// The defaults of a model, those of its first row; none for a model outside
// 0..kLastCameraModel.
std::optional<DefaultResolution> ModelDefaults(int model);

// The sizes a camera's images are enlarged to beyond what it streams, in the
// order the size list offers them: 3742 x 2806 for models 3, 4 and 6,
// 4000 x 3000 for model 4, 3264 x 2448 for the first identity of model 3.
std::vector<QSize> EnlargedSizesOf(const QString& vid, const QString& pid);

}  // namespace orbisk
