#pragma once

#include "video/camera_controller.h"

#include <QString>

namespace orbisk {

// What the recording dialog needs of a camera: CCameraController's three
// recording operations, with its results.
class IRecordingCamera {
  public:
    virtual ~IRecordingCamera() = default;
    virtual int StartRecording(const QString& path, int width, int height, int framesPerSecond,
                               int bitRate) = 0;
    virtual int StopRecording() = 0;
    virtual int RecordingStatus() = 0;
};

// A camera controller as the dialog's camera. Not owned.
class ControllerRecordingCamera : public IRecordingCamera {
  public:
    explicit ControllerRecordingCamera(CCameraController* controller) : controller_(controller) {}
    int StartRecording(const QString& path, int width, int height, int framesPerSecond,
                       int bitRate) override {
        return controller_->StartRecording(path, width, height, framesPerSecond, bitRate);
    }
    int StopRecording() override { return controller_->StopRecording(); }
    int RecordingStatus() override { return controller_->RecordingStatus(); }

  private:
    CCameraController* controller_;
};

}  // namespace orbisk
