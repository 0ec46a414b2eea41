#pragma once

#include "platform/capture_device.h"

#include <cstdint>

// Camera properties numbered the way the program stores and sends them
// (camera-control and video-amplifier property numbers) on top of the V4L2
// controls of a capture device.
namespace orbisk::platform {

enum CameraControlProperty : int {
    kCameraPan = 0,
    kCameraTilt = 1,
    kCameraRoll = 2,
    kCameraZoom = 3,
    kCameraExposure = 4,
    kCameraIris = 5,
    kCameraFocus = 6,
};

enum ProcAmpProperty : int {
    kProcAmpBrightness = 0,
    kProcAmpContrast = 1,
    kProcAmpHue = 2,
    kProcAmpSaturation = 3,
    kProcAmpSharpness = 4,
    kProcAmpGamma = 5,
    kProcAmpColorEnable = 6,
    kProcAmpWhiteBalance = 7,
    kProcAmpBacklightCompensation = 8,
    kProcAmpGain = 9,
};

// Property flags: the property follows the camera's automatic, or the value.
inline constexpr int kPropertyAuto = 1;
inline constexpr int kPropertyManual = 2;

struct PropertyRange {
    int minimum = 0;
    int maximum = 0;
    int step = 0;
    int defaultValue = 0;
    int flags = 0;  // kPropertyManual, plus kPropertyAuto when it has an automatic
};

// Exposure is presented as log2 of seconds; V4L2 counts 100 microseconds.
// One step doubles the exposure: -3 is 1/8 s (1250 units).
int ExposureUnitsToLog2(int64_t units);
int64_t ExposureLog2ToUnits(int log2Seconds);

// minimum + step * ((value - minimum) / step); a step of 0 or less means
// the device has no grid, and the value is kept.
int SnapToStep(int value, int minimum, int step);

enum class ControlResult {
    kOk,
    kUnsupported,  // the device has no such property
    kFailed,       // the device refused
};

class CameraControls {
  public:
    explicit CameraControls(CaptureDevice& device) : device_(device) {}

    ControlResult GetCameraControlRange(int property, PropertyRange& range);
    ControlResult GetCameraControl(int property, int& value, int& flags);
    // A value outside the range switches the property to automatic; the main
    // window's automatic-exposure and automatic-focus commands rely on it.
    // A value inside is snapped to the step grid and set manually.
    ControlResult SetCameraControl(int property, int value);

    ControlResult GetProcAmpRange(int property, PropertyRange& range);
    ControlResult GetProcAmp(int property, int& value, int& flags);
    // Out of range: the default value is set. Inside: snapped. Either way
    // manually, and the value set is written back.
    ControlResult SetProcAmp(int property, int& value);

    struct Mapping;

  private:
    ControlResult Range(const Mapping& m, PropertyRange& range);
    ControlResult Get(const Mapping& m, int& value, int& flags);
    ControlResult Set(const Mapping& m, int value, bool outOfRangeMeansAuto, int* applied);
    bool SetAuto(const Mapping& m, bool on);

    CaptureDevice& device_;
};

}  // namespace orbisk::platform
