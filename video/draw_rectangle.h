#pragma once

#include "core/int_rect.h"
#include "video/crop_box.h"

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <Qt>

#include <array>
#include <functional>
#include <vector>

class QPainter;

namespace orbisk {

// The smallest width and height, in picture pixels, of a rectangle the
// operator draws.
inline constexpr double kMinDrawRectangleSide = 200;

// A window point over a picture shown at `scale` as a picture point: below
// scale 1 a window pixel covers several picture pixels, and the point moves to
// the middle of that block.
QPointF DrawRectangleWindowToPicture(QPoint point, double scale);
// A picture coordinate as a window coordinate, rounded half away from zero.
int DrawRectangleToWindow(double value, double scale);

// An axis-aligned rectangle that the operator draws over a fitted picture with
// a first drag, then selects, moves and resizes by eight handles. It is kept
// in picture coordinates as two corners; mouse points are window points
// relative to the fitted picture's origin, with the picture's scale.
class CDrawRectangle {
  public:
    // Repaints an area given in window coordinates relative to the fitted
    // picture's origin.
    using Invalidator = std::function<void(const QRect& area)>;

    CDrawRectangle() = default;
    virtual ~CDrawRectangle() = default;

    virtual void OnLButtonDown(QPoint point, double scale);
    virtual void OnMouseMove(QPoint point, double scale);
    virtual void OnLButtonUp(QPoint point, double scale);
    // Draws the rectangle with `origin` as the fitted picture's top-left.
    virtual void Draw(QPainter& painter, QPoint origin, double scale);
    // Turn every point with the picture (of this size before the turn):
    // clockwise, counter-clockwise, half a turn.
    virtual void Rotate90(int width, int height);
    virtual void Rotate270(int width, int height);
    virtual void Rotate180(int width, int height);

    bool Exists() const { return exists_; }
    bool IsSelected() const { return selected_; }
    bool IsPressed() const { return pressed_; }
    // The handle the last press went to (BoxHandle: kNoHandle, kInsideBox, 0-7).
    int PressedHandle() const { return handle_; }
    // Left, top, right, bottom in picture coordinates; empty until two corners
    // exist.
    QRectF PictureRect() const;
    // The rectangle in window coordinates (relative to the fitted origin),
    // right and bottom exclusive.
    IntRect WindowRect(double scale) const;
    // The eight handle points in window coordinates, clockwise from the
    // top-left corner.
    std::array<QPoint, 8> HandlePoints(double scale) const;
    // The handle at a window point, kInsideBox within the rectangle grown by
    // 10 pixels, else kNoHandle.
    int HandleAt(QPoint point, double scale) const;
    // The cursor at a window point: the cross until the rectangle exists, then
    // the one of the handle (a drag keeps the pressed handle's), else the arrow.
    Qt::CursorShape CursorAt(QPoint point, double scale) const;

    // The picture's extent, (0, 0, width, height).
    void SetBounds(const QRect& bounds) { bounds_ = bounds; }
    QRect Bounds() const { return bounds_; }
    void SetInvalidator(Invalidator invalidator) { invalidator_ = std::move(invalidator); }

  private:
    // Repaints where the rectangle was and where it is now.
    void Invalidate(const IntRect& before, double scale);
    // Corner 0 becomes the top-left, corner 1 the bottom-right.
    void Normalise();

    std::vector<QPointF> points_;  // the two corners (one while the first drag starts)
    bool pressed_ = false;
    bool exists_ = false;
    bool selected_ = false;
    QPoint lastPoint_;
    int handle_ = kNoHandle;
    QRect bounds_;
    Invalidator invalidator_;
};

}  // namespace orbisk
