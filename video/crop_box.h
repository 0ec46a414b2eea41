#pragma once

#include "video/draw_object.h"

#include <vector>

namespace orbisk {

// The smallest width and height, in frame pixels, of a crop box the operator
// draws or resizes.
inline constexpr float kMinCropBoxSide = 80;

// Handles of a box, clockwise from the top-left corner; kInsideBox moves it.
enum BoxHandle : int {
    kNoHandle = -2,
    kInsideBox = -1,
    kTopLeft = 0,
    kTop = 1,
    kTopRight = 2,
    kRight = 3,
    kBottomRight = 4,
    kBottom = 5,
    kBottomLeft = 6,
    kLeft = 7,
};

// The box after dragging `handle` by `delta` frame pixels: a handle moves its
// edges, kInsideBox moves the whole box, anything else changes nothing. A
// resize that leaves the box narrower or lower than the minimum is refused when
// it shrinks either side (a box below the minimum may still grow). Widths are
// signed, so dragging an edge across the opposite one is a shrink: the box
// never turns inside out.
VertexBox DragBox(const VertexBox& box, cv::Point2f delta, int handle);
// The same with the width-to-height ratio kept: the handle's leading axis
// follows the mouse and the other follows the ratio. A box without width or
// height has no ratio and is dragged as by DragBox.
VertexBox DragBoxKeepAspect(const VertexBox& box, cv::Point2f delta, int handle);

// The custom crop box: a rectangle the operator draws on the picture with a
// first drag, then selects, moves and resizes by eight handles. Everything
// outside it is washed out with white; captures cut the rectangle out of the
// frame.
class CTrackRectangle : public CDrawObject {
  public:
    CTrackRectangle();

    bool OnLButtonDown(cv::Point point, float scale) override;
    void OnMouseMove(cv::Point point, float scale) override;
    void OnLButtonUp(cv::Point point, float scale) override;
    void Draw(cv::Mat& picture, const IntRect& visible, float scale) override;
    bool OnSetCursor(cv::Point point, float scale) override;
    IntRect GetRect() const override;
    // The box gets both corners at once (created, not selected).
    void SetRect(int left, int top, int right, int bottom, bool keepAspect) override;

    bool IsCreated() const { return created_; }
    bool KeepsAspect() const { return keepAspect_; }
    int HandleUnderCursor() const { return handle_; }
    // The handle centres of the last drawing, zoomed coordinates.
    const std::vector<cv::Point>& HandlePoints() const { return handlePoints_; }

  protected:
    // The outline and the handles of a selected box; `box` is the zoomed
    // rectangle, `shift` moves zoomed coordinates into the picture.
    virtual void DrawOutline(cv::Mat& picture, const IntRect& box, cv::Point shift);
    virtual void DragHandle(cv::Point last, cv::Point current, float scale, int handle);
    virtual void DragHandleKeepAspect(cv::Point last, cv::Point current, float scale, int handle);

    bool keepAspect_ = false;
    bool created_ = false;
    bool dragging_ = false;
    cv::Point lastPoint_;
    int handle_ = kNoHandle;
    std::vector<cv::Point> handlePoints_;

  private:
    int HandleAt(cv::Point point, float scale) const;
};

}  // namespace orbisk
