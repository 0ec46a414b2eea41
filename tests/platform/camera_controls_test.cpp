#include "platform/camera_controls.h"

#include "platform/simulated_camera.h"
#include "platform/simulated_camera_id.h"

#include <gtest/gtest.h>
#include <linux/videodev2.h>

namespace orbisk::platform {
namespace {

TEST(ExposureScale, Log2SecondsAgainstHundredMicroseconds) {
    const struct {
        int64_t units;
        int log2;
    } cases[] = {{1, -13}, {1250, -3}, {156, -6}, {5000, -1}, {10000, 0}, {0, -13}};
    for (const auto& c : cases) {
        EXPECT_EQ(ExposureUnitsToLog2(c.units), c.log2) << c.units;
    }
    EXPECT_EQ(ExposureLog2ToUnits(-3), 1250);
    EXPECT_EQ(ExposureLog2ToUnits(-5), 313);
    EXPECT_EQ(ExposureLog2ToUnits(0), 10000);
}

TEST(SnapToStep, SnapsDownToTheGridAndKeepsValuesWithoutOne) {
    EXPECT_EQ(SnapToStep(37, 0, 5), 35);
    EXPECT_EQ(SnapToStep(-5, -13, 1), -5);
    EXPECT_EQ(SnapToStep(2810, 2800, 10), 2810);
    EXPECT_EQ(SnapToStep(2819, 2800, 10), 2810);
    EXPECT_EQ(SnapToStep(7, 0, 0), 7);
    EXPECT_EQ(SnapToStep(7, 0, -3), 7);
}

class SimulatedControls : public testing::Test {
  protected:
    void SetUp() override {
        SimulatedCamera::Reset();
        const auto list = SimulatedCamera::Registry().CaptureDevices();
        ASSERT_TRUE(list && !list->empty());
        device_ = SimulatedCamera::OpenDevice(list->front());
        ASSERT_TRUE(device_);
    }
    int32_t Raw(uint32_t id) {
        int32_t v = -999;
        EXPECT_TRUE(device_->GetControl(id, v));
        return v;
    }
    std::unique_ptr<CaptureDevice> device_;
};

TEST_F(SimulatedControls, ExposureInRangeIsManualOutOfRangeIsAutomatic) {
    CameraControls controls(*device_);
    PropertyRange r;
    ASSERT_EQ(controls.GetCameraControlRange(kCameraExposure, r), ControlResult::kOk);
    EXPECT_EQ(r.minimum, -13);
    EXPECT_EQ(r.maximum, 0);
    EXPECT_EQ(r.step, 1);
    EXPECT_EQ(r.defaultValue, -6);
    EXPECT_EQ(r.flags, kPropertyAuto | kPropertyManual);

    // The device starts on automatic; a manual value switches it off first.
    ASSERT_EQ(controls.SetCameraControl(kCameraExposure, -5), ControlResult::kOk);
    EXPECT_EQ(Raw(V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_MANUAL);
    EXPECT_EQ(Raw(V4L2_CID_EXPOSURE_ABSOLUTE), 313);
    int value = 0, flags = 0;
    ASSERT_EQ(controls.GetCameraControl(kCameraExposure, value, flags), ControlResult::kOk);
    EXPECT_EQ(value, -5);
    EXPECT_EQ(flags, kPropertyManual);

    ASSERT_EQ(controls.SetCameraControl(kCameraExposure, 10), ControlResult::kOk);
    EXPECT_EQ(Raw(V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_APERTURE_PRIORITY);
    ASSERT_EQ(controls.GetCameraControl(kCameraExposure, value, flags), ControlResult::kOk);
    EXPECT_EQ(flags, kPropertyAuto);
    ASSERT_EQ(controls.SetCameraControl(kCameraExposure, -14), ControlResult::kOk);
    EXPECT_EQ(Raw(V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_APERTURE_PRIORITY);
}

TEST_F(SimulatedControls, FocusSnapsToItsStep) {
    CameraControls controls(*device_);
    ASSERT_EQ(controls.SetCameraControl(kCameraFocus, 37), ControlResult::kOk);
    EXPECT_EQ(Raw(V4L2_CID_FOCUS_AUTO), 0);
    EXPECT_EQ(Raw(V4L2_CID_FOCUS_ABSOLUTE), 35);
    ASSERT_EQ(controls.SetCameraControl(kCameraFocus, 1000), ControlResult::kOk);
    EXPECT_EQ(Raw(V4L2_CID_FOCUS_AUTO), 1);
    // Zoom has no control on this device; roll none on any.
    EXPECT_EQ(controls.SetCameraControl(kCameraZoom, 1), ControlResult::kUnsupported);
    EXPECT_EQ(controls.SetCameraControl(kCameraRoll, 1), ControlResult::kUnsupported);
}

TEST_F(SimulatedControls, ProcAmpOutOfRangeTakesTheDefault) {
    CameraControls controls(*device_);
    int value = 500;
    ASSERT_EQ(controls.SetProcAmp(kProcAmpBrightness, value), ControlResult::kOk);
    EXPECT_EQ(value, 0);
    value = 2819;
    ASSERT_EQ(controls.SetProcAmp(kProcAmpWhiteBalance, value), ControlResult::kOk);
    EXPECT_EQ(value, 2810);
    EXPECT_EQ(Raw(V4L2_CID_AUTO_WHITE_BALANCE), 0);
    EXPECT_EQ(Raw(V4L2_CID_WHITE_BALANCE_TEMPERATURE), 2810);
}

}  // namespace
}  // namespace orbisk::platform
