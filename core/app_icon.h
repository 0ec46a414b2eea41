#pragma once

#include <QImage>
#include <QRectF>
#include <QRgb>

#include <span>

class QPainter;

namespace orbisk {

// The program's icon: the camera's arm over a white sheet, on the blue of the
// buttons. The window's icon, the desktop's pictures of every size and its
// scalable picture are all drawn from these shapes, so they agree.
inline constexpr int kAppIconGrid = 32;  // the shapes are placed on a square of this side

struct AppIconShape {
    enum class Kind { kRectangle, kEllipse };
    Kind kind;
    QRectF box;  // on the grid
    QRgb colour;
};

// The shapes in painting order; the first covers the whole square.
std::span<const AppIconShape> AppIconShapes();

// Paints the icon over the square (0, 0, side, side) of `p`.
void PaintAppIcon(QPainter& p, int side);

// The icon as a side x side picture, 24 bits per pixel.
QImage DrawAppIcon(int side);

}  // namespace orbisk
