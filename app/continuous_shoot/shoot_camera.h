#pragma once

#include <opencv2/core/mat.hpp>

namespace orbisk {

// What continuous shooting needs of the camera it watches. The inspection
// thread calls both from its own thread.
class IShootCamera {
  public:
    virtual ~IShootCamera() = default;
    // False when there is no camera to watch (none connected, or closed).
    virtual bool HasCamera() = 0;
    // The camera's current frame, 8-bit BGR; empty when it has none yet.
    virtual cv::Mat CurrentFrame() = 0;
};

// The shooting view of a camera controller (anything with a GetFrame() that
// any thread may call); no controller means no camera. Not owned.
template <typename Controller>
class ControllerShootCamera : public IShootCamera {
  public:
    explicit ControllerShootCamera(Controller* controller) : controller_(controller) {}
    bool HasCamera() override { return controller_ != nullptr; }
    cv::Mat CurrentFrame() override { return controller_ ? controller_->GetFrame() : cv::Mat(); }

  private:
    Controller* controller_;
};

}  // namespace orbisk
