#pragma once

#include "core/int_rect.h"
#include "video/crop_box.h"
#include "video/overlay_burn_in.h"
#include "video/sub_image_box.h"
#include "video/watermark_object.h"

#include <QImage>
#include <QWidget>
#include <opencv2/core.hpp>

#include <memory>

namespace orbisk {

// The window the live picture is drawn in: it keeps the current frame, shows
// it fitted to the window or at a zoom level (1/8 ... 8), zooms with the mouse
// wheel, pans by dragging, turns with the camera and hosts the overlay objects
// (the custom crop box, the watermark box and the sub-image box), which it
// feeds with mouse input.
//
// The frame is scaled once per frame into the clean picture; a paint only
// copies it, draws the overlays and puts the result on the screen. Used only
// on the thread that owns the widget.
class CObjectContainer : public QWidget {
  public:
    explicit CObjectContainer(QWidget* parent = nullptr);
    ~CObjectContainer() override;

    // Shows a new frame (8-bit, one or three channels; others are ignored). A
    // frame of another size is fitted anew.
    void ShowFrame(const cv::Mat& frame);

    void ZoomIn();
    void ZoomOut();

    // Turn the shown frame and the crop box with the camera's rotation.
    void RotateRight();
    void RotateLeft();
    void Rotate180();

    // A new empty crop box that the next drag in the canvas draws.
    void CreateCropBox();
    // A crop box with this rectangle (frame pixels), not selected.
    bool SetCropRect(int left, int top, int right, int bottom, bool keepAspect);
    void RemoveCropBox();
    // kind 0: the crop box's rectangle, 1: the sub-image box's. False when
    // that object does not exist (or for another kind).
    bool GetObjectGeometry(int kind, IntRect& rect) const;
    // The watermark box's settings with its current rectangle; false without
    // one.
    bool GetWaterMark(WaterMarkSettings& settings) const;

    // The sub-image box with this rectangle (frame pixels), made on first use.
    bool SetSubImageBox(int left, int top, int right, int bottom);
    void RemoveSubImageBox();
    // A picture for the sub-image box, if there is one: raw 24-bit rows,
    // bottom-up.
    void SetSubImage(const uint8_t* data, int width, int height);
    // The watermark box, made on first use, configured with the settings.
    bool SetWaterMark(const WaterMarkSettings& settings);
    void RemoveWaterMark();

    // Repaints a rectangle given in zoomed coordinates (for the overlay
    // objects).
    void InvalidateImageRect(const IntRect& zoomed);

    // Burns the overlays that belong in captures into a full-size frame
    // (8-bit, three channels, top-down): the sub-image box, then the
    // watermark box as drawn at scale 1, unselected. The crop box never
    // is. 1 for a missing or empty picture, else 0.
    int OnBurnOverlays(cv::Mat* picture);
    // Whether OnBurnOverlays would change a picture: callers that share a
    // frame copy it only then.
    bool BurnsOverlays() const;
    // The same burn-in for other threads, kept up to date by the canvas.
    std::shared_ptr<OverlayBurnIn> BurnInForOtherThreads() const { return burnIn_; }
    // The sub-image box's tilt marker (see CSubImageBox).
    void SetSubImageMarker(bool on, double angle);

    // The canvas's private messages (platform/window_messages.h): sent ones
    // are called here, posted ones arrive as events. Answers the message's
    // result; -1 for a message the canvas does not handle.
    qintptr HandleMessage(int message, qintptr wParam, qintptr lParam);

    // The view's state.
    float Scale() const { return scale_; }
    float GetFitScale() const { return fitScale_; }
    bool IsFitMode() const { return fitMode_; }
    const IntRect& VisibleRect() const { return visible_; }
    const IntRect& DestinationRect() const { return destination_; }
    const cv::Mat& FramePicture() const { return frame_; }
    const cv::Mat& CleanPicture() const { return clean_; }
    CTrackRectangle* CropBox() const { return cropBox_.get(); }
    CSubImageBox* SubImageBox() const { return subImageBox_.get(); }
    CWaterMarkObject* WaterMarkBox() const { return waterMark_.get(); }
    CDrawObject* ActiveObject() const { return active_; }
    // A client point in zoomed coordinates.
    cv::Point ClientToZoomed(cv::Point client) const;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    enum class Turn { Right, Left, Half };

    void TurnView(Turn turn);
    void ZoomTo(bool in, cv::Point anchor, cv::Point imagePoint);
    void Layout(cv::Point anchor, cv::Point imagePoint);
    void Render();
    void Pan(cv::Point by);
    // The scale the overlay objects work at.
    float ObjectScale() const { return scale_ > 0 ? scale_ : 1; }
    // The frame pixel under a zoomed point, rounded.
    cv::Point ZoomedToImage(cv::Point zoomed) const;
    void UpdateClientRect(const QRect& rect);
    void EnsureMemoryImage();

    IntRect client_;
    QImage memory_;        // every paint is composed here, then copied to the window
    cv::Mat frame_;        // the current frame, full size
    cv::Mat view_;         // the visible part with the overlays, client-sized
    cv::Mat clean_;        // the visible part as last rendered, without overlays
    IntRect visible_;      // zoomed coordinates
    IntRect destination_;  // client coordinates
    float scale_ = -1;     // -1: the next frame is fitted
    float fitScale_ = 1;
    bool fitMode_ = false;
    bool buttonDown_ = false;
    cv::Point lastMouse_;
    int wheelRemainder_ = 0;  // wheel units not yet turned into a zoom step

    // Forgets the active object when it is `object`.
    void Deactivate(const CDrawObject* object);
    // Hands copies of the boxes that burn in to the other threads' burn-in.
    void PublishOverlays();

    std::unique_ptr<CTrackRectangle> cropBox_;
    std::unique_ptr<CSubImageBox> subImageBox_;
    std::unique_ptr<CWaterMarkObject> waterMark_;
    CDrawObject* active_ = nullptr;  // receives moves and button-ups
    const std::shared_ptr<OverlayBurnIn> burnIn_ = std::make_shared<OverlayBurnIn>();
};

}  // namespace orbisk
