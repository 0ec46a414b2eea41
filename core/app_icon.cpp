#include "core/app_icon.h"

#include <QPainter>

namespace orbisk {

std::span<const AppIconShape> AppIconShapes() {
    using Kind = AppIconShape::Kind;
    static constexpr AppIconShape kShapes[] = {
        {Kind::kRectangle, QRectF(0, 0, kAppIconGrid, kAppIconGrid), qRgb(64, 128, 200)},
        {Kind::kRectangle, QRectF(8, 16, 16, 10), qRgb(255, 255, 255)},  // the sheet
        {Kind::kRectangle, QRectF(14, 4, 4, 12), qRgb(30, 30, 30)},      // the arm
        {Kind::kEllipse, QRectF(11, 2, 10, 8), qRgb(30, 30, 30)},        // the camera head
    };
    return kShapes;
}

void PaintAppIcon(QPainter& p, int side) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(qreal(side) / kAppIconGrid, qreal(side) / kAppIconGrid);
    p.setPen(Qt::NoPen);
    for (const AppIconShape& shape : AppIconShapes()) {
        p.setBrush(QColor(shape.colour));
        if (shape.kind == AppIconShape::Kind::kEllipse) {
            p.drawEllipse(shape.box);
        } else {
            p.drawRect(shape.box);
        }
    }
    p.restore();
}

QImage DrawAppIcon(int side) {
    QImage image(side, side, QImage::Format_RGB888);
    image.fill(QColor(AppIconShapes().front().colour));
    QPainter p(&image);
    PaintAppIcon(p, side);
    return image;
}

}  // namespace orbisk
