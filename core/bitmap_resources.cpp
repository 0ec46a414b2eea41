#include "core/bitmap_resources.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>

namespace orbisk {
namespace {

// A faint empty-picture sign inside four corner marks on a light grey gradient.
QImage DrawEmptyPicture() {
    QImage image(129, 146, QImage::Format_RGB888);
    QPainter p(&image);
    QLinearGradient gradient(0, 0, 0, image.height());
    gradient.setColorAt(0, QColor(246, 246, 246));
    gradient.setColorAt(1, QColor(218, 218, 218));
    p.fillRect(image.rect(), gradient);

    p.setPen(QPen(QColor(150, 150, 150), 2));
    const int m = 8, len = 16, r = image.width() - 1 - m, b = image.height() - 1 - m;
    p.drawPolyline(QPolygon({{m, m + len}, {m, m}, {m + len, m}}));
    p.drawPolyline(QPolygon({{r - len, m}, {r, m}, {r, m + len}}));
    p.drawPolyline(QPolygon({{m, b - len}, {m, b}, {m + len, b}}));
    p.drawPolyline(QPolygon({{r - len, b}, {r, b}, {r, b - len}}));

    // A framed picture with a mountain and a sun, in a colour close to the ground.
    const QColor faint(196, 196, 196);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(faint, 2));
    const QRect frame(34, 48, 61, 48);
    p.drawRect(frame);
    p.setBrush(faint);
    p.drawPolygon(QPolygon({{frame.left() + 4, frame.bottom() - 4},
                            {frame.left() + 24, frame.top() + 18},
                            {frame.left() + 36, frame.top() + 30},
                            {frame.left() + 44, frame.top() + 24},
                            {frame.right() - 4, frame.bottom() - 4}}));
    p.drawEllipse(QPoint(frame.right() - 14, frame.top() + 12), 5, 5);
    return image;
}

// A sheet of lined paper.
QImage DrawTextPage() {
    QImage image(115, 146, QImage::Format_RGB888);
    image.fill(QColor(236, 236, 236));
    QPainter p(&image);
    const QRect sheet(10, 8, 94, 128);
    p.fillRect(sheet, Qt::white);
    p.setPen(QColor(160, 160, 160));
    p.drawRect(sheet);
    p.setPen(QColor(170, 190, 225));
    for (int y = sheet.top() + 18; y < sheet.bottom() - 6; y += 10) {
        p.drawLine(sheet.left() + 8, y, sheet.right() - 8, y);
    }
    p.setPen(QColor(230, 160, 160));
    p.drawLine(sheet.left() + 16, sheet.top() + 2, sheet.left() + 16, sheet.bottom() - 2);
    return image;
}

QHash<int, QImage>& Registry() {
    static QHash<int, QImage> registry;
    return registry;
}

}  // namespace

QImage LoadBitmapResource(int id) {
    auto& registry = Registry();
    auto it = registry.find(id);
    if (it == registry.end()) {
        if (id == kEmptyPictureBitmap) {
            it = registry.insert(id, DrawEmptyPicture());
        } else if (id == kTextPageBitmap) {
            it = registry.insert(id, DrawTextPage());
        } else {
            return QImage();
        }
    }
    return *it;
}

void RegisterBitmapResource(int id, const QImage& image) {
    if (image.isNull()) {
        Registry().remove(id);
    } else {
        Registry().insert(id, image.convertToFormat(QImage::Format_RGB888));
    }
}

}  // namespace orbisk
