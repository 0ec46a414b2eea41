#pragma once

#include <opencv2/core/mat.hpp>

#include <mutex>

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
// any thread may call); no controller means no camera. Not owned: the owner
// swaps it out (SetController) before it deletes it, which waits for a frame
// being taken.
template <typename Controller>
class ControllerShootCamera : public IShootCamera {
  public:
    explicit ControllerShootCamera(Controller* controller) : controller_(controller) {}
    bool HasCamera() override {
        std::lock_guard lock(mutex_);
        return controller_ != nullptr;
    }
    cv::Mat CurrentFrame() override {
        std::lock_guard lock(mutex_);
        return controller_ ? controller_->GetFrame() : cv::Mat();
    }
    void SetController(Controller* controller) {
        std::lock_guard lock(mutex_);
        controller_ = controller;
    }
    Controller* GetController() {
        std::lock_guard lock(mutex_);
        return controller_;
    }

  private:
    std::mutex mutex_;
    Controller* controller_;
};

}  // namespace orbisk
