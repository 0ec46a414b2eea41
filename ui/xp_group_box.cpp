#include "ui/xp_group_box.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>

#include <algorithm>

namespace orbisk {
namespace {

// The corner ellipse of both rounded shapes, in pixels.
constexpr qreal kCornerRadius = 5;
// Frame style: how far the caption sits in from the side.
constexpr int kFrameCaptionInset = 10;
// Band style: the caption's margin inside the band, and the band's height
// beyond the caption.
constexpr int kBandCaptionInset = 2;
constexpr int kBandExtra = 4;

// A one-pixel outline covering columns left ... right - 1 and rows top ...
// bottom - 1, the way a window frame of those edges is drawn.
QRectF OutlineRect(int left, int top, int right, int bottom) {
    return QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1);
}

}  // namespace

QString PaddedCaption(const QString& text) {
    return QStringLiteral(" ") + text + QStringLiteral(" ");
}

CXPGroupBox::CXPGroupBox(const QString& title, QWidget* parent)
    : QGroupBox(title, parent),
      borderColour_(palette().color(QPalette::Active, QPalette::Mid).rgb()),
      backgroundColour_(palette().color(QPalette::Active, QPalette::Window).rgb()),
      bodyColour_(palette().color(QPalette::Active, QPalette::Window).rgb()),
      captionTextColour_(palette().color(QPalette::Active, QPalette::WindowText).rgb()),
      font_(QGroupBox::font()) {}

void CXPGroupBox::Redraw() {
    update();
    // The parent repaints what lies under the box's rounded corners.
    if (parentWidget()) {
        parentWidget()->update(geometry());
    }
}

CXPGroupBox& CXPGroupBox::SetBorderColor(QRgb colour) {
    borderColour_ = colour;
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetCaptionTextColor(QRgb colour) {
    captionTextColour_ = colour;
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetBackgroundColors(QRgb band, QRgb body) {
    backgroundColour_ = band;
    bodyColour_ = body;
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetBackgroundColor(QRgb colour) {
    return SetBackgroundColors(colour, colour);
}

CXPGroupBox& CXPGroupBox::SetStyle(int style) {
    style_ = style;
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetText(const QString& text) {
    caption_ = PaddedCaption(text);
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFontBold(bool bold) {
    font_.setWeight(bold ? QFont::Bold : QFont::Normal);
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFontName(const QString& face) {
    font_.setFamily(face);
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFontUnderline(bool underline) {
    font_.setUnderline(underline);
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFontItalic(bool italic) {
    font_.setItalic(italic);
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFontSize(int points) {
    font_.setPointSize(std::max(1, points));
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFont(const QFont& font) {
    font_ = font;
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetAlignment(int alignment) {
    alignment_ = alignment == kAlignCenter || alignment == kAlignRight ? alignment : kAlignLeft;
    Redraw();
    return *this;
}

QString CXPGroupBox::ShownCaption() const {
    if (!caption_.isEmpty()) {
        return caption_;
    }
    return title().isEmpty() ? QString() : PaddedCaption(title());
}

QRect CXPGroupBox::BoxRect() const { return rect().adjusted(1, 1, -1, -1); }

QRect CXPGroupBox::CaptionRect(const QRect& box, QSize text, int style, int alignment) {
    const int left = box.left();
    const int top = box.top();
    const int right = box.left() + box.width();
    const int w = text.width();
    const int h = text.height();
    const bool band = style != kFrameStyle;
    const int inset = band ? kBandCaptionInset : kFrameCaptionInset;
    const int y = band ? top + kBandCaptionInset : top;
    int x;
    switch (alignment) {
        case kAlignRight:
            x = right - inset - w;
            break;
        case kAlignCenter:
            x = left + (right - left - w) / 2;
            break;
        default:
            x = left + inset;
            break;
    }
    return QRect(x, y, w, h);
}

void CXPGroupBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font_);
    const QRect box = BoxRect();
    const int left = box.left();
    const int top = box.top();
    const int right = box.left() + box.width();
    const int bottom = box.top() + box.height();
    const QString caption = ShownCaption();
    const QFontMetrics metrics(font_);
    const QSize text = caption.isEmpty()
                           ? QSize(0, 0)
                           : QSize(metrics.horizontalAdvance(caption), metrics.height());
    const QRect captionRect = CaptionRect(box, text, style_, alignment_);
    const QPen border(QColor(borderColour_), 1);

    if (style_ != kFrameStyle) {
        p.setPen(border);
        p.setBrush(QColor(backgroundColour_));
        p.drawRoundedRect(OutlineRect(left, top, right, bottom), kCornerRadius, kCornerRadius);
        p.setBrush(QColor(bodyColour_));
        p.drawRect(OutlineRect(left, top + text.height() + kBandExtra, right, bottom));
    } else {
        p.setPen(border);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(OutlineRect(left, top + text.height() / 2, right, bottom), kCornerRadius,
                          kCornerRadius);
        // The caption's gap cuts the frame line behind it.
        p.fillRect(captionRect, QColor(backgroundColour_));
    }
    if (!caption.isEmpty()) {
        p.setPen(QColor(captionTextColour_));
        p.drawText(captionRect,
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                   caption);
    }
}

}  // namespace orbisk
