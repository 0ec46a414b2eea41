#pragma once

#include "platform/capture_device.h"
#include "video/frame_store.h"

#include <QObject>

#include <atomic>
#include <mutex>

namespace orbisk {

// What a preview pulls frames from.
class IGrabData {
  public:
    virtual ~IGrabData() = default;
    // Copies the newest frame into `target` (bottom-up, no turn); false when
    // there is no frame yet, leaving the target unchanged. The next frame is
    // announced again.
    virtual bool GetFrame(CBasePR* target) = 0;
    // Fills `image` with a top-down copy of the newest frame, or an empty
    // matrix when there is none; returns `image`.
    virtual cv::Mat& GetFrameMat(cv::Mat& image) = 0;
};

// Keeps the newest frame of a camera's stream and tells the preview window
// that it arrived. The capture thread calls Receive; the preview's thread
// reads through IGrabData; both hold the frame lock for the whole copy, so a
// reader never sees a frame being replaced.
class CGrabDataFilter : public IGrabData {
  public:
    // Stores the sample and posts the notify message (both parameters 0)
    // when a target is set and no message is on its way: one message stands
    // for every frame until the preview takes the newest through GetFrame,
    // so a busy window never has a queue of them. The rows are copied one by one with the sample's
    // stride, top-down samples (negative height) turned into the store's
    // bottom-up order. False, and nothing stored or posted, for a sample with
    // no data, a stride shorter than a row, or fewer bytes than stride x
    // height.
    bool Receive(const platform::FrameSample& sample);

    // A new target starts with no message on its way.
    void SetNotify(QObject* window, int message);

    bool GetFrame(CBasePR* target) override;
    cv::Mat& GetFrameMat(cv::Mat& image) override;

  private:
    std::mutex frameLock_;
    int notifyMessage_ = 0;
    CDPrgb24 store_;
    QObject* notifyWindow_ = nullptr;
    bool noticePending_ = false;
};

// Turns presses of the camera's snapshot button into WM_CAMERA_SNAPSHOT
// messages to the window given at the camera's open.
class CSampleGrabberCallback {
  public:
    void SetTarget(QObject* window) { target_ = window; }
    QObject* Target() const { return target_; }
    // One press: posts WM_CAMERA_SNAPSHOT with both parameters 0.
    void SampleCB();

  private:
    std::atomic<QObject*> target_{nullptr};
};

}  // namespace orbisk
