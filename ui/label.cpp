#include "ui/label.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>
#include <algorithm>

#include "core/link_opener.h"

namespace orbisk {
namespace {

constexpr int kFlashIntervalMs = 500;

}  // namespace

CLabel::CLabel(const QString& text, int layout, QWidget* parent)
    : QFrame(parent),
      text_(text),
      layout_(layout),
      textColour_(palette().color(QPalette::Active, QPalette::WindowText).rgb()),
      faceColour_(palette().color(QPalette::Active, QPalette::Button).rgb()),
      font_(QFrame::font()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

std::vector<CLabel::Band> CLabel::GradientBands(const QRect& rect, QRgb start, QRgb end) {
    const int width = rect.width();
    const int n = width < 100 ? std::max(1, width) : 100;
    // Each channel in 8.8 fixed point, stepped once per band.
    int r = qRed(start) * 256, g = qGreen(start) * 256, b = qBlue(start) * 256;
    const int dr = (qRed(end) - qRed(start)) * 256 / n;
    const int dg = (qGreen(end) - qGreen(start)) * 256 / n;
    const int db = (qBlue(end) - qBlue(start)) * 256 / n;
    const int bandWidth = width / n, rightEdge = rect.x() + width;
    std::vector<Band> bands;
    bands.reserve(n);
    int left = rect.x();
    for (int i = 0; i < n; ++i) {
        const int right = i == n - 1 ? rightEdge : left + bandWidth;
        bands.push_back(
            {QRect(left, rect.y(), right - left, rect.height()), qRgb(r / 256, g / 256, b / 256)});
        r += dr, g += dg, b += db;
        left = right;
    }
    return bands;
}

void CLabel::Redraw() {
    update();
    // A label over a picture needs the picture under it painted again too.
    if (parentWidget()) {
        parentWidget()->update(geometry());
    }
}

void CLabel::UpdateFrame() {
    if (border_ && sunken_) {
        setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    } else if (border_) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
    } else if (sunken_) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
}

CLabel& CLabel::SetBkColor(QRgb colour, QRgb endColour, bool gradient) {
    backgroundColour_ = colour;
    gradientEnd_ = endColour;
    gradient_ = gradient;
    hasBackground_ = !gradient;
    Redraw();
    return *this;
}

CLabel& CLabel::SetTextColor(QRgb colour) {
    textColour_ = colour;
    Redraw();
    return *this;
}

CLabel& CLabel::SetText(const QString& text) {
    text_ = text;
    Redraw();
    return *this;
}

CLabel& CLabel::SetFontBold(bool bold) {
    font_.setWeight(bold ? QFont::Bold : QFont::Normal);
    Redraw();
    return *this;
}

CLabel& CLabel::SetFontName(const QString& face) {
    font_.setFamily(face);
    Redraw();
    return *this;
}

CLabel& CLabel::SetFontUnderline(bool underline) {
    font_.setUnderline(underline);
    Redraw();
    return *this;
}

CLabel& CLabel::SetFontItalic(bool italic) {
    font_.setItalic(italic);
    Redraw();
    return *this;
}

CLabel& CLabel::SetFontSize(int points) {
    font_.setPointSize(std::max(1, points));
    Redraw();
    return *this;
}

CLabel& CLabel::SetSunken(bool sunken) {
    sunken_ = sunken;
    UpdateFrame();
    return *this;
}

CLabel& CLabel::SetBorder(bool border) {
    border_ = border;
    UpdateFrame();
    return *this;
}

CLabel& CLabel::SetTransparent(bool transparent) {
    transparent_ = transparent;
    // A transparent label leaves its parent's pixels under the text.
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent);
    Redraw();
    return *this;
}

void CLabel::RestartFlash(bool flash, int kind) {
    timer_.stop();
    if (flash) {
        flashPhase_ = false;
        timer_.start(kFlashIntervalMs, this);
        flashKind_ = kind;
    }
    Redraw();
}

CLabel& CLabel::FlashText(bool flash) {
    if (!flash) {
        flashKind_ = kNoFlash;
    }
    RestartFlash(flash, kFlashText);
    return *this;
}

CLabel& CLabel::FlashBackground(bool flash) {
    RestartFlash(flash, kFlashBackground);
    return *this;
}

CLabel& CLabel::SetLink(bool link, bool notifyParent) {
    linkKind_ = link ? kWebLink : kNoLink;
    // Turning the link off also ends click notification.
    notifyParent_ = link && notifyParent;
    return *this;
}

CLabel& CLabel::SetMailLink(bool link, bool notifyParent) {
    linkKind_ = link ? kMailLink : kNoLink;
    // Turning the link off also ends click notification.
    notifyParent_ = link && notifyParent;
    return *this;
}

CLabel& CLabel::SetLinkCursor(const QCursor& cursor) {
    setCursor(cursor);
    return *this;
}

CLabel& CLabel::SetText3D(bool on, bool downRight) {
    text3D_ = on;
    direction3D_ = downRight;
    Redraw();
    return *this;
}

CLabel& CLabel::SetRotationAngle(int degrees, bool rotated) {
    rotation_ = degrees;
    rotated_ = rotated;
    Redraw();
    return *this;
}

CLabel& CLabel::Set3DColor(QRgb colour) {
    colour3D_ = colour;
    Redraw();
    return *this;
}

CLabel& CLabel::SetFont(const QFont& font) {
    font_ = font;
    Redraw();
    return *this;
}

CLabel& CLabel::SetLinkUrl(const QString& url) {
    linkUrl_ = url;
    return *this;
}

void CLabel::paintEvent(QPaintEvent*) {
    const QRect client = contentsRect();
    QPainter screen(this);
    if (transparent_) {
        PaintContents(screen, client);
    } else if (!client.isEmpty()) {
        // Composed offscreen and copied in one go, so the label never flickers.
        QImage canvas(client.size(), QImage::Format_RGB32);
        {
            QPainter p(&canvas);
            PaintContents(p, canvas.rect());
        }
        screen.drawImage(client.topLeft(), canvas);
    }
    screen.end();
    QPainter frame(this);
    drawFrame(&frame);
}

void CLabel::PaintContents(QPainter& p, const QRect& client) {
    const bool offPhase = !flashPhase_ && timer_.isActive();
    const QRgb solid = hasBackground_ ? backgroundColour_ : faceColour_;
    if (!transparent_) {
        if (offPhase && flashKind_ == kFlashBackground) {
            // The background blinks to the plain face colour.
            p.fillRect(client, QColor(faceColour_));
        } else if (gradient_) {
            for (const Band& band : GradientBands(client, backgroundColour_, gradientEnd_)) {
                p.fillRect(band.rect, QColor(band.colour));
            }
        } else {
            p.fillRect(client, QColor(solid));
        }
    }

    // The off phase of flashing text hides it: on a solid background by taking
    // the background's colour, on a gradient by not drawing it.
    const bool hideText = offPhase && flashKind_ == kFlashText;
    const QColor textColour(hideText ? solid : textColour_);

    int flags;
    switch (layout_ & 0x1F) {
        case kCenter:
            flags = Qt::AlignHCenter | Qt::TextWordWrap;
            break;
        case kRight:
            flags = Qt::AlignRight | Qt::TextWordWrap;
            break;
        case kLeftNoWordWrap:
            flags = Qt::AlignLeft;
            break;
        default:
            flags = Qt::AlignLeft | Qt::TextWordWrap;
            break;
    }
    flags |= Qt::AlignTop;
    if (text_.contains('\t')) {
        flags |= Qt::TextExpandTabs;
    }
    if (layout_ & kCenterImage) {
        flags = Qt::AlignHCenter | Qt::AlignTop;
        if (!text_.contains("\r\n")) {
            flags = Qt::AlignCenter | Qt::TextSingleLine;
        }
    }

    p.save();
    p.setFont(font_);
    if (rotated_) {
        // Drawn on its baseline from the centre, turned counter-clockwise.
        if (!(hideText && gradient_)) {
            p.setPen(textColour);
            p.translate(client.x() + client.width() / 2, client.y() + client.height() / 2);
            p.rotate(-rotation_);
            p.drawText(QPoint(0, 0), text_);
        }
    } else {
        if (!(hideText && gradient_)) {
            p.setPen(textColour);
            p.drawText(client, flags, text_);
        }
        if (text3D_) {
            const int d = direction3D_ ? 1 : -1;
            p.setPen(QColor(colour3D_));
            p.drawText(client.translated(d, d), flags, text_);
        }
    }
    p.restore();
}

void CLabel::timerEvent(QTimerEvent* e) {
    if (e->timerId() == timer_.timerId()) {
        flashPhase_ = !flashPhase_;
        Redraw();
        return;
    }
    QFrame::timerEvent(e);
}

void CLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        if (notifyParent_) {
            emit Notify(kClickNotification);
        } else if (linkKind_ == kWebLink) {
            OpenLink(linkUrl_.isEmpty() ? text_ : linkUrl_);
        } else if (linkKind_ == kMailLink) {
            OpenLink(QStringLiteral("mailto:") + text_);
        }
    }
    QFrame::mousePressEvent(e);
}

void CLabel::changeEvent(QEvent* e) {
    if (e->type() == QEvent::PaletteChange) {
        // The face colour follows the system's colours.
        faceColour_ = palette().color(QPalette::Active, QPalette::Button).rgb();
        update();
    }
    QFrame::changeEvent(e);
}

}  // namespace orbisk
