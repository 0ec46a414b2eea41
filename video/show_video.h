#pragma once

#include "core/int_rect.h"
#include "video/watermark_settings.h"

#include <QString>
#include <opencv2/core.hpp>

#include <functional>
#include <vector>

class QObject;
class QWidget;

namespace orbisk {

// The window as the object that camera notifications are posted to, for
// code that knows windows only by their declaration.
QObject* WindowObject(QWidget* window);

class IGrabData;

// The live preview of one camera as the camera controller sees it: a window
// in the parent that shows the processed frames (trimmed, turned, with the
// outlines of detected documents), and the current frame and its cut-out
// documents for captures.
//
// Every operation runs on the UI thread, except GetFrame, GetCroppedImages
// and RenderFrame, which worker threads may call too: they copy under the
// preview's lock and never wait for the UI thread.
class IShowHWnd {
  public:
    virtual QWidget* GetHWnd() = 0;
    virtual ~IShowHWnd() = default;
    // Creates the window at the rectangle (parent client coordinates) and
    // starts the frame thread. False, with the creation-failure message
    // shown, when the window can't be made.
    virtual bool Create(QWidget* parent, int left, int top, int right, int bottom) = 0;
    virtual void ApplyMargins(IntRect& rect) = 0;
    // False for an angle that is not a multiple of 90.
    virtual bool SetRotation(int degrees) = 0;
    virtual bool SetMargins(int left, int top, int right, int bottom) = 0;
    virtual void SetAutoDetect(bool on, bool multi, float threshold) = 0;
    virtual void EnableCustomCropBox(bool on) = 0;
    virtual bool GetCustomCropRect(IntRect& rect) = 0;
    virtual bool SetCustomCropRect(int left, int top, int right, int bottom, bool keepAspect) = 0;
    virtual bool Show(bool visible) = 0;
    virtual void MoveWindow(int left, int top, int right, int bottom) = 0;
    // A copy of the last processed frame (8-bit BGR, top-down), without
    // outlines; empty before the first frame.
    virtual cv::Mat& GetFrame(cv::Mat& frame) = 0;
    // The cut-out documents of the last frame; empty before the first frame.
    virtual std::vector<cv::Mat>& GetCroppedImages(std::vector<cv::Mat>& images) = 0;
    // The picture-in-picture box over the preview (frame pixels), fed by
    // the secondary frame source.
    virtual bool SetSubImageBox(int left, int top, int right, int bottom) = 0;
    virtual bool GetSubImageRect(IntRect& rect) = 0;
    virtual void RemoveSubImageBox() = 0;
    // The watermark box over the preview, burnt into captures and recordings.
    virtual bool SetWaterMark(WaterMarkSettings settings) = 0;
    // Its settings with its current rectangle as the region.
    virtual bool GetWaterMark(WaterMarkSettings& settings) = 0;
    virtual void RemoveWaterMark() = 0;
    virtual void Zoom(bool zoomIn) = 0;
    // While the burn-in flag is set: the last frame with the overlays that
    // belong in recordings; otherwise `image` is left unchanged.
    virtual void RenderFrame(cv::Mat& image) = 0;

    // For the camera controller: the frame sources (not owned), set under
    // the preview's lock, and the burn-in flag of a running recording.
    virtual void SetPrimaryFrameSource(IGrabData* source) = 0;
    virtual void SetSecondaryFrameSource(IGrabData* source) = 0;
    virtual void SetBurnIn(bool on) = 0;
};

// Why a preview window could not be made (the number in the message).
inline constexpr int kPreviewNoGuiApplication = 1;
inline constexpr int kPreviewNotGuiThread = 2;

// Why a preview window can't be made here and now (widgets need the
// application object and its thread), or 0.
int PreviewCreationError();

// "Creating the video preview window failed, error code: <n>".
QString PreviewCreationFailedText(int error);

// Where the creation-failure message goes: by default the log and a message
// box on the UI thread. Tests put their own receiver here; an empty one
// restores the default.
using PreviewMessageHandler = std::function<void(const QString&)>;
void SetPreviewMessageHandler(PreviewMessageHandler handler);
void ShowPreviewMessage(const QString& text);

}  // namespace orbisk
