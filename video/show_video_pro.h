#pragma once

#include "imaging/detection_params.h"
#include "imaging/rotated_box.h"
#include "platform/worker_thread.h"
#include "video/frame_processing.h"
#include "video/frame_store.h"
#include "video/show_video.h"

#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class QObject;

namespace orbisk {

class CObjectContainer;
class OverlayBurnIn;

// The state and frame processing shared by both previews. The frame thread
// takes each new frame from the primary frame source, trims, turns and
// searches it for documents, keeps the result for captures and hands the
// picture to the canvas with a posted message, never waiting for the UI
// thread: while the UI is busy, newer frames replace the one not yet shown.
//
// Locks: the source lock guards the frame sources and is held while a frame
// is copied from one, before the source's own frame lock, never after; the
// preview lock guards the settings the frame thread reads, the last frame,
// the box list and the crop box's rectangle as last seen. Neither is taken
// while the other is held.
class CShowVideoPro : public IShowHWnd {
  public:
    CShowVideoPro();
    ~CShowVideoPro() override;
    CShowVideoPro(const CShowVideoPro&) = delete;
    CShowVideoPro& operator=(const CShowVideoPro&) = delete;

    void ApplyMargins(IntRect& rect) override;
    bool SetRotation(int degrees) override;
    bool SetMargins(int left, int top, int right, int bottom) override;
    void SetAutoDetect(bool on, bool multi, float threshold) override;
    void EnableCustomCropBox(bool on) override;
    bool GetCustomCropRect(IntRect& rect) override;
    bool SetCustomCropRect(int left, int top, int right, int bottom, bool keepAspect) override;
    cv::Mat& GetFrame(cv::Mat& frame) override;
    std::vector<cv::Mat>& GetCroppedImages(std::vector<cv::Mat>& images) override;
    bool SetSubImageBox(int left, int top, int right, int bottom) override;
    bool GetSubImageRect(IntRect& rect) override;
    void RemoveSubImageBox() override;
    bool SetWaterMark(WaterMarkSettings settings) override;
    bool GetWaterMark(WaterMarkSettings& settings) override;
    void RemoveWaterMark() override;
    void Zoom(bool zoomIn) override;
    void RenderFrame(cv::Mat& image) override;
    void SetPrimaryFrameSource(IGrabData* source) override;
    void SetSecondaryFrameSource(IGrabData* source) override;
    void SetBurnIn(bool on) override { burnIn_ = on; }

    // The private messages of the preview window (platform/window_messages.h),
    // on the window's thread. Answers the message's result; -1 for a message
    // the preview does not handle.
    qintptr HandleMessage(int message, qintptr wParam, qintptr lParam);
    static bool IsPreviewMessage(int message);

    // The state, for tests and the benchmark.
    TrimMargins Margins() const;
    int Rotation() const;
    bool IsAutoDetect() const;
    std::vector<RotatedBox> Boxes() const;
    long FramesProcessed() const { return framesProcessed_; }
    long FramesShown() const { return framesShown_; }
    // Passes of the frame thread, each after a frame message, whether or not
    // it found a frame.
    long FramePasses() const { return framePasses_; }

    // One pass of the frame thread: takes the newest frame of the primary
    // source and processes it. False when the source gave no frame.
    bool ProcessFrame();

    // Parameters of WM_PREVIEW_SET_OBJECT for the crop box's rectangle.
    struct CropRectRequest {
        int left, top, right, bottom;
        bool keepAspect;
    };

  protected:
    // The canvas, or none (the thread variant before its window exists).
    virtual CObjectContainer* Canvas() = 0;
    // Whether a rotation can be set now.
    virtual bool CanTurn() { return true; }

    // Sends a message to the preview window: handled at once on the window's
    // thread; refused (1) from any other thread.
    qintptr Send(int message, qintptr wParam = 0, qintptr lParam = 0);

    // Stores the parent's rectangle, forgets any signalled frame and starts
    // the frame thread; the processed frames are posted to `window`.
    void StartFrameThread(QObject* window, const IntRect& rect);
    // Stops and joins the frame thread; no frame is posted afterwards. The
    // derived destructors call it before their window goes.
    void StopFrameThread();
    // The preview window is going away: no more posts to it.
    void ForgetWindow();

    const IntRect& PreviewRect() const { return rect_; }
    // The canvas's burn-in for other threads; none while there is no canvas.
    void SetOverlayBurnIn(std::shared_ptr<OverlayBurnIn> burnIn);

  private:
    void FrameThreadProc(platform::WorkerThread::Context& context);
    void SignalFrame();
    void Publish(int rotation);
    void ShowProcessedFrame();
    // The sub-image box's picture from the secondary source.
    void ShowSecondFrame();
    // The sub-image box's marker follows the first detected page.
    void UpdateAngleMarker();
    void TurnView(int rotation);
    // The crop box's rectangle: asked of the canvas on its own thread (and
    // remembered), the remembered one on any other.
    std::optional<IntRect> CropRect();
    void RememberCropRect();
    // Burns the overlays that belong in captures into `image`, where the
    // canvas can be reached without waiting.
    void BurnOverlays(cv::Mat& image);
    qintptr CopyCutOuts(std::vector<cv::Mat>& images);
    qintptr CopyComposited(cv::Mat& image);

    IntRect rect_;

    // The source lock and what it guards.
    std::mutex sourceLock_;
    IGrabData* primary_ = nullptr;
    IGrabData* secondary_ = nullptr;

    // The preview lock and what it guards.
    mutable std::mutex lock_;
    bool autoDetect_ = false;
    bool multi_ = false;
    float threshold_ = kPageDetection.minAreaRatio;
    TrimMargins margins_;
    int rotation_ = 0;
    cv::Mat lastFrame_;  // readers copy it under the lock; the frame thread swaps a new one in
    std::vector<RotatedBox> boxes_;
    std::optional<IntRect> cropRect_;
    std::shared_ptr<OverlayBurnIn> overlayBurnIn_;

    std::atomic<bool> burnIn_{false};

    // Used by one pass of the processing at a time (the frame thread's).
    std::mutex processLock_;
    CDPrgb24 input_;
    CDPrgb24 work_;
    CDPrgb24 output_;
    // The next last frame and the next picture to show, written here and
    // swapped (never shared) with the published ones.
    cv::Mat nextFrame_;
    cv::Mat nextDisplay_;

    // The frame event.
    std::mutex eventLock_;
    std::condition_variable_any event_;
    bool frameSignalled_ = false;

    // The hand-off to the window: the newest processed picture not yet
    // shown. Buffers change hands by swaps under the lock, so that each is
    // written and read by one thread at a time.
    std::mutex handoffLock_;
    QObject* window_ = nullptr;
    cv::Mat pending_;
    bool pendingFresh_ = false;
    int pendingRotation_ = 0;
    bool posted_ = false;
    cv::Mat shown_;    // the window's thread only
    CDPrgb24 second_;  // the secondary source's frame; the window's thread only

    // Whether a primary source is attached, for the frame message without
    // the preview lock.
    std::atomic<bool> hasPrimary_{false};

    std::atomic<long> framesProcessed_{0};
    std::atomic<long> framesShown_{0};
    std::atomic<long> framePasses_{0};

    platform::WorkerThread frameThread_;
};

}  // namespace orbisk
