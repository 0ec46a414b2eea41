#include "app/main_dlg/button_faces.h"

#include "app/main_dlg/message_texts.h"
#include "core/app_icon.h"
#include "core/bitmap_resources.h"
#include "core/command_ids.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace orbisk {
namespace {

enum class Face { kNormal, kPressed, kHover };

// The caption font of a language: the CJK face of its script, which also
// covers Latin letters.
QFont CaptionFont(int language, int pixelSize) {
    QFont font(language == 1 ? QStringLiteral("Noto Sans CJK TC")
                             : QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

// A rounded face on the key colour, so that only the face shows.
QImage DrawFace(QSize size, Face face, const QString& text, const QFont& font) {
    QImage image(size, QImage::Format_RGB888);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor top = face == Face::kHover     ? QColor(92, 160, 232)
                       : face == Face::kPressed ? QColor(34, 86, 150)
                                                : QColor(64, 128, 200);
    const QColor bottom = top.darker(face == Face::kPressed ? 110 : 135);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 6, 6);
    p.fillPath(shape, gradient);
    p.setPen(QPen(QColor(24, 52, 96), 1));
    p.drawPath(shape);
    p.setFont(font);
    p.setPen(QColor(250, 250, 250));
    const QRect area = image.rect().translated(face == Face::kPressed ? QPoint(1, 1) : QPoint());
    p.drawText(area, Qt::AlignCenter, text);
    p.end();
    // Antialiasing may leave pure black at the edges, which would see through.
    for (int y = 1; y + 1 < image.height(); ++y) {
        for (int x = 1; x + 1 < image.width(); ++x) {
            if (image.pixel(x, y) == qRgb(0, 0, 0) && shape.contains(QPointF(x + 0.5, y + 0.5))) {
                image.setPixel(x, y, qRgb(1, 1, 1));
            }
        }
    }
    return image;
}

void RegisterFaces(const ButtonFaces& ids, QSize size, const QString& text, const QFont& font) {
    RegisterBitmapResource(ids.normal, DrawFace(size, Face::kNormal, text, font));
    RegisterBitmapResource(ids.pressed, DrawFace(size, Face::kPressed, text, font));
    RegisterBitmapResource(ids.hover, DrawFace(size, Face::kHover, text, font));
}

}  // namespace

QSize LanguageButtonSize(int id) {
    using namespace ids::main_dlg;
    return id == IDC_PREFERENCES || id == IDC_VIDEO_PARAMS || id == IDC_EXIT ? kSmallButtonSize
                                                                             : kWideButtonSize;
}

void RegisterButtonFaces() {
    static bool done = false;
    if (done) return;
    done = true;
    for (const LanguageButton& button : LanguageButtons()) {
        const QSize size = LanguageButtonSize(button.id);
        for (int language = 0; language < 3; ++language) {
            const QString caption = button.caption.In(language);
            int pixels = size.height() / 2;
            // Long captions take a smaller font rather than being clipped.
            while (pixels > 9 &&
                   QFontMetrics(CaptionFont(language, pixels)).horizontalAdvance(caption) >
                       size.width() - 8) {
                --pixels;
            }
            RegisterFaces(button.faces[language], size, caption, CaptionFont(language, pixels));
        }
    }
    QFont symbols(QStringLiteral("DejaVu Sans"));
    symbols.setPixelSize(22);
    for (const FixedButton& button : FixedButtons()) {
        RegisterFaces(button.faces, kSymbolButtonSize, QString::fromUtf8(button.symbol), symbols);
    }
    RegisterBitmapResource(kAppIconBitmap, DrawAppIcon(kAppIconGrid));
}

}  // namespace orbisk
