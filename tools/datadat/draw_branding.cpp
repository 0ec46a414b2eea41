#include "tools/datadat/draw_branding.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace orbisk::tools {
namespace {

// A stylised document camera: a stand, an arm and a head looking down on a page.
void DrawCameraMark(QPainter& p, const QRectF& box, const QColor& ink) {
    const qreal u = box.height() / 10.0;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(box.left() + 3 * u, box.bottom() - 2.5 * u, 6 * u, 2 * u));  // page
    p.setBrush(ink);
    p.drawRect(QRectF(box.left() + 0.5 * u, box.bottom() - 1 * u, 2.5 * u, 0.8 * u));  // foot
    p.drawRect(QRectF(box.left() + 1.3 * u, box.top() + 1.5 * u, 0.8 * u, 7.5 * u));   // arm
    p.drawRect(QRectF(box.left() + 1.3 * u, box.top() + 1.5 * u, 5.5 * u, 0.8 * u));   // boom
    p.drawRoundedRect(QRectF(box.left() + 5 * u, box.top() + 1 * u, 2.5 * u, 1.8 * u), u / 3,
                      u / 3);  // head
    QColor beam = ink;
    beam.setAlpha(60);
    p.setBrush(beam);
    QPainterPath cone;
    cone.moveTo(box.left() + 6.25 * u, box.top() + 2.8 * u);
    cone.lineTo(box.left() + 9 * u, box.bottom() - 2.5 * u);
    cone.lineTo(box.left() + 3 * u, box.bottom() - 2.5 * u);
    cone.closeSubpath();
    p.drawPath(cone);
}

}  // namespace

QImage DrawLogo(const QString& caption) {
    QImage image(130, 100, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 100);
    sky.setColorAt(0, QColor(32, 84, 140));
    sky.setColorAt(1, QColor(18, 46, 82));
    p.fillRect(image.rect(), sky);
    DrawCameraMark(p, QRectF(10, 8, 70, 70), QColor(235, 190, 60));
    p.setPen(QColor(255, 255, 255));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(0, 76, 130, 22), Qt::AlignCenter, caption);
    p.end();
    return image.convertToFormat(QImage::Format_BGR888);
}

QImage DrawSplash(const QString& caption) {
    QImage image(480, 270, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 480, 270);
    sky.setColorAt(0, QColor(36, 96, 158));
    sky.setColorAt(1, QColor(14, 38, 70));
    p.fillRect(image.rect(), sky);
    DrawCameraMark(p, QRectF(30, 40, 190, 190), QColor(235, 190, 60));
    p.setPen(QColor(255, 255, 255));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(44);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(220, 80, 250, 60), Qt::AlignLeft | Qt::AlignVCenter, caption);
    font.setPixelSize(16);
    font.setBold(false);
    p.setFont(font);
    p.drawText(QRectF(222, 140, 250, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("document capture"));
    p.end();
    return image.convertToFormat(QImage::Format_BGR888);
}

}  // namespace orbisk::tools
