#include "video/draw_rectangle.h"

#include "video/canvas_geometry.h"

#include <QColor>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orbisk {
namespace {

// A handle is hit within a 21 x 21 square about its point and drawn as an
// 11 x 11 square; a press this close around the rectangle still selects it.
constexpr int kHandleHitHalf = 10;
constexpr int kHandleDrawHalf = 5;
constexpr int kSelectMargin = 10;
// What a change repaints around the rectangle.
constexpr int kInvalidateMargin = 20;
constexpr int kPenWidth = 3;
const QColor kColour(0, 0, 255);
const QColor kHandleFill(250, 250, 250);

IntRect Grown(const IntRect& r, int by) {
    return {r.left - by, r.top - by, r.right + by, r.bottom + by};
}

QRect ToQRect(const IntRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// A pen `width` pixels wide on the outline of `rect` (whose one-pixel frame
// covers columns left ... right - 1), the way a window frame is drawn: the
// pixels of `outer` that are not in `inner`.
void FillRing(QPainter& painter, const IntRect& rect, int width, const QColor& colour) {
    const int out = (width - 1) / 2;
    const IntRect outer = Grown(rect, out);
    const IntRect inner = Grown(outer, -width);
    if (inner.Width() <= 0 || inner.Height() <= 0) {
        painter.fillRect(ToQRect(outer), colour);
        return;
    }
    painter.fillRect(QRect(outer.left, outer.top, outer.Width(), inner.top - outer.top), colour);
    painter.fillRect(QRect(outer.left, inner.bottom, outer.Width(), outer.bottom - inner.bottom),
                     colour);
    painter.fillRect(QRect(outer.left, inner.top, inner.left - outer.left, inner.Height()), colour);
    painter.fillRect(QRect(inner.right, inner.top, outer.right - inner.right, inner.Height()),
                     colour);
}

bool InRect(const IntRect& r, QPoint p) {
    return p.x() >= r.left && p.x() < r.right && p.y() >= r.top && p.y() < r.bottom;
}

Qt::CursorShape CursorOf(int handle) {
    switch (handle) {
        case kInsideBox:
            return Qt::SizeAllCursor;
        case kTopLeft:
        case kBottomRight:
            return Qt::SizeFDiagCursor;
        case kTop:
        case kBottom:
            return Qt::SizeVerCursor;
        case kTopRight:
        case kBottomLeft:
            return Qt::SizeBDiagCursor;
        case kRight:
        case kLeft:
            return Qt::SizeHorCursor;
        default:
            return Qt::ArrowCursor;
    }
}

}  // namespace

QPointF DrawRectangleWindowToPicture(QPoint point, double scale) {
    const double k = scale < 1 ? 1 / (2 * scale) : 0;
    return {point.x() / scale + k, point.y() / scale + k};
}

int DrawRectangleToWindow(double value, double scale) { return RoundHalfAway(value * scale); }

QRectF CDrawRectangle::PictureRect() const {
    if (points_.size() < 2) {
        return {};
    }
    const double left = std::min(points_[0].x(), points_[1].x());
    const double right = std::max(points_[0].x(), points_[1].x());
    const double top = std::min(points_[0].y(), points_[1].y());
    const double bottom = std::max(points_[0].y(), points_[1].y());
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

IntRect CDrawRectangle::WindowRect(double scale) const {
    if (points_.size() < 2) {
        return {};
    }
    const QRectF r = PictureRect();
    return {DrawRectangleToWindow(r.left(), scale), DrawRectangleToWindow(r.top(), scale),
            DrawRectangleToWindow(r.right(), scale), DrawRectangleToWindow(r.bottom(), scale)};
}

std::array<QPoint, 8> CDrawRectangle::HandlePoints(double scale) const {
    const IntRect r = WindowRect(scale);
    const int cx = (r.left + r.right) / 2;
    const int cy = (r.top + r.bottom) / 2;
    const int right = r.right - 1;
    const int bottom = r.bottom - 1;
    return {QPoint(r.left, r.top), QPoint(cx, r.top),  QPoint(right, r.top),   QPoint(right, cy),
            QPoint(right, bottom), QPoint(cx, bottom), QPoint(r.left, bottom), QPoint(r.left, cy)};
}

int CDrawRectangle::HandleAt(QPoint point, double scale) const {
    if (!exists_) {
        return kNoHandle;
    }
    const std::array<QPoint, 8> handles = HandlePoints(scale);
    for (int i = 0; i < static_cast<int>(handles.size()); ++i) {
        if (std::abs(point.x() - handles[i].x()) <= kHandleHitHalf &&
            std::abs(point.y() - handles[i].y()) <= kHandleHitHalf) {
            return i;
        }
    }
    return InRect(Grown(WindowRect(scale), kSelectMargin), point) ? kInsideBox : kNoHandle;
}

Qt::CursorShape CDrawRectangle::CursorAt(QPoint point, double scale) const {
    if (!exists_) {
        return Qt::CrossCursor;
    }
    if (pressed_ && selected_) {
        return CursorOf(handle_);
    }
    return CursorOf(HandleAt(point, scale));
}

void CDrawRectangle::Invalidate(const IntRect& before, double scale) {
    if (!invalidator_) {
        return;
    }
    if (before.Width() > 0 || before.Height() > 0) {
        invalidator_(ToQRect(Grown(before, kInvalidateMargin)));
    }
    if (points_.size() >= 2) {
        invalidator_(ToQRect(Grown(WindowRect(scale), kInvalidateMargin)));
    }
}

void CDrawRectangle::Normalise() {
    if (points_.size() < 2) {
        return;
    }
    const QRectF r = PictureRect();
    points_ = {r.topLeft(), r.bottomRight()};
}

void CDrawRectangle::OnLButtonDown(QPoint point, double scale) {
    const IntRect before = WindowRect(scale);
    pressed_ = true;
    lastPoint_ = point;
    if (!exists_) {
        points_ = {DrawRectangleWindowToPicture(point, scale)};
        handle_ = kNoHandle;
    } else {
        handle_ = HandleAt(point, scale);
        selected_ = handle_ != kNoHandle;
    }
    Invalidate(before, scale);
}

void CDrawRectangle::OnMouseMove(QPoint point, double scale) {
    if (!pressed_) {
        lastPoint_ = point;
        return;
    }
    const IntRect before = WindowRect(scale);
    if (!exists_) {
        if (!points_.empty()) {
            points_.resize(1);
            points_.push_back(DrawRectangleWindowToPicture(point, scale));
            Invalidate(before, scale);
        }
    } else if (selected_ && handle_ != kNoHandle) {
        const double dx = (point.x() - lastPoint_.x()) / scale;
        const double dy = (point.y() - lastPoint_.y()) / scale;
        QPointF& topLeft = points_[0];
        QPointF& bottomRight = points_[1];
        // Which edges each handle moves: left, top, right, bottom.
        static constexpr bool kEdges[8][4] = {
            {true, true, false, false},  {false, true, false, false}, {false, true, true, false},
            {false, false, true, false}, {false, false, true, true},  {false, false, false, true},
            {true, false, false, true},  {true, false, false, false}};
        const bool all = handle_ == kInsideBox;
        const bool* edges = all ? nullptr : kEdges[handle_];
        if (all || edges[0]) topLeft.rx() += dx;
        if (all || edges[1]) topLeft.ry() += dy;
        if (all || edges[2]) bottomRight.rx() += dx;
        if (all || edges[3]) bottomRight.ry() += dy;
        Invalidate(before, scale);
    }
    lastPoint_ = point;
}

void CDrawRectangle::OnLButtonUp(QPoint point, double scale) {
    const IntRect before = WindowRect(scale);
    if (pressed_ && !exists_ && !points_.empty()) {
        points_.resize(1);
        points_.push_back(DrawRectangleWindowToPicture(point, scale));
        Normalise();
        // A new rectangle is at least the minimum wide and high, grown to the
        // right and downwards.
        QPointF& topLeft = points_[0];
        QPointF& bottomRight = points_[1];
        if (bottomRight.x() - topLeft.x() < kMinDrawRectangleSide) {
            bottomRight.setX(topLeft.x() + kMinDrawRectangleSide);
        }
        if (bottomRight.y() - topLeft.y() < kMinDrawRectangleSide) {
            bottomRight.setY(topLeft.y() + kMinDrawRectangleSide);
        }
        exists_ = true;
        selected_ = true;
        Invalidate(before, scale);
    } else if (exists_) {
        // An edge dragged across the opposite one: the corners swap roles, so
        // that the handles name the right edges again at the next press.
        Normalise();
    }
    pressed_ = false;
    lastPoint_ = point;
}

void CDrawRectangle::Draw(QPainter& painter, QPoint origin, double scale) {
    if (points_.size() < 2) {
        return;
    }
    const IntRect window = WindowRect(scale);
    const IntRect shifted{window.left + origin.x(), window.top + origin.y(),
                          window.right + origin.x(), window.bottom + origin.y()};
    const bool flat = shifted.Width() == 0 || shifted.Height() == 0;
    const IntRect outline = Grown(shifted, flat ? 2 : 1);
    painter.save();
    FillRing(painter, outline, kPenWidth, kColour);
    if (selected_) {
        QPen dotted(kColour, 1, Qt::DotLine);
        dotted.setCosmetic(true);
        painter.setPen(dotted);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(outline.left + 0.5, outline.top + 0.5, outline.Width() - 1,
                                outline.Height() - 1));
        for (const QPoint& p : HandlePoints(scale)) {
            const QPoint c = p + origin;
            const IntRect square{c.x() - kHandleDrawHalf, c.y() - kHandleDrawHalf,
                                 c.x() + kHandleDrawHalf + 1, c.y() + kHandleDrawHalf + 1};
            painter.fillRect(ToQRect(square), kHandleFill);
            FillRing(painter, square, kPenWidth, kColour);
        }
    }
    painter.restore();
}

void CDrawRectangle::Rotate90(int /*width*/, int height) {
    for (QPointF& p : points_) {
        p = QPointF(height - 1 - p.y(), p.x());
    }
    if (exists_) {
        Normalise();
    }
}

void CDrawRectangle::Rotate270(int width, int /*height*/) {
    for (QPointF& p : points_) {
        p = QPointF(p.y(), width - 1 - p.x());
    }
    if (exists_) {
        Normalise();
    }
}

void CDrawRectangle::Rotate180(int width, int height) {
    for (QPointF& p : points_) {
        p = QPointF(width - 1 - p.x(), height - 1 - p.y());
    }
    if (exists_) {
        Normalise();
    }
}

}  // namespace orbisk
