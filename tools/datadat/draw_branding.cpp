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

// One line of text on a picture, in white.
struct TextLine {
    QString text;  // none when empty
    int pixels = 0;
    QRectF box = {};
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// A gradient from the top-left corner to `end`.
struct Sky {
    QPointF end;
    QColor from;
    QColor to;
};

// The logo and the splash picture: the sky, the camera mark in `mark`, the
// caption in bold and, on the splash picture, a line in plain type under it.
struct Face {
    QSize size;
    Sky sky;
    QRectF mark;
    TextLine caption;
    TextLine subtitle = {};
};

QImage DrawFace(const Face& face) {
    QImage image(face.size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(QPointF(0, 0), face.sky.end);
    sky.setColorAt(0, face.sky.from);
    sky.setColorAt(1, face.sky.to);
    p.fillRect(image.rect(), sky);
    DrawCameraMark(p, face.mark, QColor(235, 190, 60));
    p.setPen(QColor(255, 255, 255));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(face.caption.pixels);
    font.setBold(true);
    p.setFont(font);
    p.drawText(face.caption.box, face.caption.alignment, face.caption.text);
    if (!face.subtitle.text.isEmpty()) {
        font.setPixelSize(face.subtitle.pixels);
        font.setBold(false);
        p.setFont(font);
        p.drawText(face.subtitle.box, face.subtitle.alignment, face.subtitle.text);
    }
    p.end();
    return image.convertToFormat(QImage::Format_BGR888);
}

}  // namespace

QImage DrawLogo(const QString& caption) {
    return DrawFace({.size = {130, 100},
                     .sky = {{0, 100}, QColor(32, 84, 140), QColor(18, 46, 82)},
                     .mark = {10, 8, 70, 70},
                     .caption = {caption, 15, {0, 76, 130, 22}, Qt::AlignCenter}});
}

QImage DrawSplash(const QString& caption) {
    return DrawFace({.size = {480, 270},
                     .sky = {{480, 270}, QColor(36, 96, 158), QColor(14, 38, 70)},
                     .mark = {30, 40, 190, 190},
                     .caption = {caption, 44, {220, 80, 250, 60}},
                     .subtitle = {QStringLiteral("document capture"), 16, {222, 140, 250, 30}}});
}

}  // namespace orbisk::tools
