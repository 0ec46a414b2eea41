#include "platform/camera_controls.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace orbisk::platform {

// How one numbered property sits on the device's controls.
struct CameraControls::Mapping {
    uint32_t valueId = 0;  // the control that holds the value
    uint32_t autoId = 0;   // its automatic switch, 0 for none
    bool exposure = false;
};

namespace {

using Mapping = CameraControls::Mapping;

struct NumberedMapping {
    int property;
    Mapping mapping;
};

// The camera-control properties (pan … focus) on their V4L2 controls; roll
// has none.
constexpr NumberedMapping kCameraMappings[] = {
    {kCameraPan, {V4L2_CID_PAN_ABSOLUTE, 0, false}},
    {kCameraTilt, {V4L2_CID_TILT_ABSOLUTE, 0, false}},
    {kCameraZoom, {V4L2_CID_ZOOM_ABSOLUTE, 0, false}},
    {kCameraExposure, {V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CID_EXPOSURE_AUTO, true}},
    {kCameraIris, {V4L2_CID_IRIS_ABSOLUTE, 0, false}},
    {kCameraFocus, {V4L2_CID_FOCUS_ABSOLUTE, V4L2_CID_FOCUS_AUTO, false}},
};

// The video-amplifier properties; colour enable has none.
constexpr NumberedMapping kProcAmpMappings[] = {
    {kProcAmpBrightness, {V4L2_CID_BRIGHTNESS, 0, false}},
    {kProcAmpContrast, {V4L2_CID_CONTRAST, 0, false}},
    {kProcAmpHue, {V4L2_CID_HUE, V4L2_CID_HUE_AUTO, false}},
    {kProcAmpSaturation, {V4L2_CID_SATURATION, 0, false}},
    {kProcAmpSharpness, {V4L2_CID_SHARPNESS, 0, false}},
    {kProcAmpGamma, {V4L2_CID_GAMMA, 0, false}},
    {kProcAmpWhiteBalance,
     {V4L2_CID_WHITE_BALANCE_TEMPERATURE, V4L2_CID_AUTO_WHITE_BALANCE, false}},
    {kProcAmpBacklightCompensation, {V4L2_CID_BACKLIGHT_COMPENSATION, 0, false}},
    {kProcAmpGain, {V4L2_CID_GAIN, V4L2_CID_AUTOGAIN, false}},
};

// The table's mapping of the property, or none.
template <size_t N>
const Mapping* Find(const NumberedMapping (&table)[N], int property) {
    for (const auto& entry : table) {
        if (entry.property == property) return &entry.mapping;
    }
    return nullptr;
}

int ClampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

bool HasMenuEntry(const ControlInfo& info, int64_t index) {
    return std::any_of(info.menu.begin(), info.menu.end(),
                       [&](const auto& e) { return e.first == index; });
}

// The exposure menu's automatic choice: aperture priority is what UVC
// cameras offer (exposure automatic, iris fixed); full automatic otherwise.
int32_t ExposureAutoValue(const ControlInfo& info) {
    if (info.menu.empty() || HasMenuEntry(info, V4L2_EXPOSURE_APERTURE_PRIORITY)) {
        return V4L2_EXPOSURE_APERTURE_PRIORITY;
    }
    return V4L2_EXPOSURE_AUTO;
}

}  // namespace

int ExposureUnitsToLog2(int64_t units) {
    const double seconds = static_cast<double>(std::max<int64_t>(units, 1)) * 1e-4;
    return static_cast<int>(std::lround(std::log2(seconds)));
}

int64_t ExposureLog2ToUnits(int log2Seconds) {
    return std::llround(std::exp2(static_cast<double>(log2Seconds)) * 1e4);
}

int SnapToStep(int value, int minimum, int step) {
    if (step <= 0) {
        return value;
    }
    const int64_t offset = static_cast<int64_t>(value) - minimum;
    return ClampToInt(minimum + static_cast<int64_t>(step) * (offset / step));
}

ControlResult CameraControls::Range(const Mapping& m, PropertyRange& range) {
    const auto info = device_.QueryControl(m.valueId);
    if (!info) {
        return ControlResult::kUnsupported;
    }
    const bool hasAuto = m.autoId != 0 && device_.QueryControl(m.autoId).has_value();
    range.flags = kPropertyManual | (hasAuto ? kPropertyAuto : 0);
    if (m.exposure) {
        range.minimum = ExposureUnitsToLog2(info->minimum);
        range.maximum = ExposureUnitsToLog2(info->maximum);
        range.step = 1;
        range.defaultValue = ExposureUnitsToLog2(info->defaultValue);
        return ControlResult::kOk;
    }
    range.minimum = ClampToInt(info->minimum);
    range.maximum = ClampToInt(info->maximum);
    range.step = ClampToInt(info->step);
    range.defaultValue = ClampToInt(info->defaultValue);
    return ControlResult::kOk;
}

ControlResult CameraControls::Get(const Mapping& m, int& value, int& flags) {
    if (!device_.QueryControl(m.valueId)) {
        return ControlResult::kUnsupported;
    }
    int32_t raw = 0;
    if (!device_.GetControl(m.valueId, raw)) {
        return ControlResult::kFailed;
    }
    value = m.exposure ? ExposureUnitsToLog2(raw) : raw;
    flags = kPropertyManual;
    int32_t autoValue = 0;
    if (m.autoId != 0 && device_.GetControl(m.autoId, autoValue)) {
        const bool isAuto = m.exposure ? autoValue != V4L2_EXPOSURE_MANUAL : autoValue != 0;
        flags = isAuto ? kPropertyAuto : kPropertyManual;
    }
    return ControlResult::kOk;
}

bool CameraControls::SetAuto(const Mapping& m, bool on) {
    if (m.autoId == 0) {
        return !on;
    }
    const auto info = device_.QueryControl(m.autoId);
    if (!info) {
        return !on;
    }
    if (m.exposure) {
        return device_.SetControl(m.autoId, on ? ExposureAutoValue(*info) : V4L2_EXPOSURE_MANUAL);
    }
    return device_.SetControl(m.autoId, on ? 1 : 0);
}

ControlResult CameraControls::Set(const Mapping& m, int value, bool outOfRangeMeansAuto,
                                  int* applied) {
    PropertyRange range;
    const ControlResult r = Range(m, range);
    if (r != ControlResult::kOk) {
        return r;
    }
    if (value < range.minimum || value > range.maximum) {
        if (outOfRangeMeansAuto) {
            return SetAuto(m, true) ? ControlResult::kOk : ControlResult::kFailed;
        }
        value = range.defaultValue;
    } else {
        value = SnapToStep(value, range.minimum, range.step);
    }
    if (applied) {
        *applied = value;
    }
    // A driver refuses a manual value while its automatic is on.
    if (m.autoId != 0 && device_.QueryControl(m.autoId)) {
        if (!SetAuto(m, false)) {
            return ControlResult::kFailed;
        }
    }
    int64_t raw = value;
    if (m.exposure) {
        const auto info = device_.QueryControl(m.valueId);
        raw = ExposureLog2ToUnits(value);
        if (info) {
            raw = std::clamp<int64_t>(raw, info->minimum, info->maximum);
        }
    }
    return device_.SetControl(m.valueId, static_cast<int32_t>(raw)) ? ControlResult::kOk
                                                                    : ControlResult::kFailed;
}

ControlResult CameraControls::GetCameraControlRange(int property, PropertyRange& range) {
    const Mapping* m = Find(kCameraMappings, property);
    return m ? Range(*m, range) : ControlResult::kUnsupported;
}

ControlResult CameraControls::GetCameraControl(int property, int& value, int& flags) {
    const Mapping* m = Find(kCameraMappings, property);
    return m ? Get(*m, value, flags) : ControlResult::kUnsupported;
}

ControlResult CameraControls::SetCameraControl(int property, int value) {
    const Mapping* m = Find(kCameraMappings, property);
    return m ? Set(*m, value, true, nullptr) : ControlResult::kUnsupported;
}

ControlResult CameraControls::GetProcAmpRange(int property, PropertyRange& range) {
    const Mapping* m = Find(kProcAmpMappings, property);
    return m ? Range(*m, range) : ControlResult::kUnsupported;
}

ControlResult CameraControls::GetProcAmp(int property, int& value, int& flags) {
    const Mapping* m = Find(kProcAmpMappings, property);
    return m ? Get(*m, value, flags) : ControlResult::kUnsupported;
}

ControlResult CameraControls::SetProcAmp(int property, int& value) {
    const Mapping* m = Find(kProcAmpMappings, property);
    if (!m) {
        return ControlResult::kUnsupported;
    }
    int applied = value;
    const ControlResult r = Set(*m, value, false, &applied);
    if (r == ControlResult::kOk) {
        value = applied;
    }
    return r;
}

}  // namespace orbisk::platform
