#include "ui/fx_button.h"

#include <QButtonGroup>
#include <QFontInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <algorithm>
#include <vector>

#include "core/bitmap_resources.h"
#include "platform/window_messages.h"

namespace orbisk {
namespace {

using platform::WindowMessageEvent;
using platform::WM_FXBUTTON_UNCHECK;

// The shade factors as single-precision constants, multiplied in double:
// 240 x 0.7f is 167.99999..., so the dark shade of 240 is 167.
constexpr double kHalf = 0.5f;
constexpr double kDark = 0.7f;
constexpr double kLight = 0.4f;

QPoint LookOffset(int look) {
    if (look == CFxButton::kRaised) {
        return {-1, -1};
    }
    if (look == CFxButton::kSunken) {
        return {1, 1};
    }
    return {0, 0};
}

int QtTextFlags(int format) {
    int flags = (format & CFxButton::kAlignCenter)  ? Qt::AlignHCenter
                : (format & CFxButton::kAlignRight) ? Qt::AlignRight
                                                    : Qt::AlignLeft;
    if (format & CFxButton::kSingleLine) {
        // Vertical placement applies to single lines only.
        flags |= Qt::TextSingleLine;
        flags |= (format & CFxButton::kAlignVCenter)  ? Qt::AlignVCenter
                 : (format & CFxButton::kAlignBottom) ? Qt::AlignBottom
                                                      : Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
    }
    return flags;
}

// A rectangle with corners cut by the quarters of an ellipse of `corner`.
QRegion RoundRectRegion(const QRect& r, const QSize& corner) {
    const int ew = corner.width(), eh = corner.height();
    if (ew <= 0 || eh <= 0) {
        return QRegion(r);
    }
    QRegion region(r.adjusted(ew / 2, 0, -(ew / 2), 0));
    region += r.adjusted(0, eh / 2, 0, -(eh / 2));
    const int right = r.x() + r.width() - ew, bottom = r.y() + r.height() - eh;
    for (const QPoint& origin : {QPoint(r.x(), r.y()), QPoint(right, r.y()), QPoint(r.x(), bottom),
                                 QPoint(right, bottom)}) {
        region += QRegion(QRect(origin, corner), QRegion::Ellipse);
    }
    return region;
}

// One half of a rounded frame, split on the corners' diagonals: the top-left
// half runs from the lower-left corner over the top to the upper-right one.
QPainterPath RoundedHalf(const QRectF& r, const QSizeF& e, bool topLeft) {
    const QRectF tl(r.left(), r.top(), e.width(), e.height());
    const QRectF tr(r.right() - e.width(), r.top(), e.width(), e.height());
    const QRectF bl(r.left(), r.bottom() - e.height(), e.width(), e.height());
    const QRectF br(r.right() - e.width(), r.bottom() - e.height(), e.width(), e.height());
    QPainterPath path;
    if (topLeft) {
        path.arcMoveTo(bl, 225);
        path.arcTo(bl, 225, -45);
        path.arcTo(tl, 180, -90);
        path.arcTo(tr, 90, -45);
    } else {
        path.arcMoveTo(tr, 45);
        path.arcTo(tr, 45, -45);
        path.arcTo(br, 0, -90);
        path.arcTo(bl, 270, -45);
    }
    return path;
}

// A 3-D rectangle as the classic one-pixel bevel: top and left lines in one
// colour, bottom and right lines in the other, inside `r`.
void Draw3dRect(QPainter& p, const QRect& r, QRgb topLeft, QRgb bottomRight) {
    const int x = r.x(), y = r.y(), w = r.width(), h = r.height();
    p.fillRect(x, y, w - 1, 1, QColor(topLeft));
    p.fillRect(x, y, 1, h - 1, QColor(topLeft));
    p.fillRect(x + w - 1, y, 1, h, QColor(bottomRight));
    p.fillRect(x, y + h - 1, w, 1, QColor(bottomRight));
}

// The union of many regions, merged pairwise so that large bitmaps stay quick.
QRegion UniteAll(std::vector<QRegion> parts) {
    if (parts.empty()) {
        return QRegion();
    }
    while (parts.size() > 1) {
        std::vector<QRegion> merged;
        merged.reserve(parts.size() / 2 + 1);
        for (size_t i = 0; i + 1 < parts.size(); i += 2) {
            merged.push_back(parts[i].united(parts[i + 1]));
        }
        if (parts.size() % 2) {
            merged.push_back(parts.back());
        }
        parts.swap(merged);
    }
    return parts.front();
}

}  // namespace

CFxButton::CFxButton(const QString& caption, QWidget* parent)
    : CFxButton(caption, Style(), parent) {}

CFxButton::CFxButton(const QString& caption, Style style, QWidget* parent)
    : QAbstractButton(parent),
      kind_(style.kind),
      pushLike_(style.pushLike),
      textLeftOfGlyph_(style.textLeftOfGlyph) {
    if (kind_ != kCheckKind && kind_ != kRadioKind) {
        kind_ = kPushKind;
    }
    QAbstractButton::setText(caption);
    // The button paints every pixel of itself from an offscreen picture.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);

    const QRgb face = FaceColour();
    const bool pushDrawn = kind_ == kPushKind || pushLike_;
    const QFontInfo fontInfo(font());
    for (int state = kNormal; state <= kDisabled; ++state) {
        StateProps& s = PropsAt(state);
        s.keyColour = face;
        s.secondKeyColour = face;
        s.faceColour = face;
        s.text = caption;
        s.fontFace = fontInfo.family();
        s.fontHeight = fontInfo.pixelSize();
        s.textColour = state == kDisabled
                           ? palette().color(QPalette::Disabled, QPalette::WindowText).rgb()
                           : palette().color(QPalette::Active, QPalette::ButtonText).rgb();
        s.textFormat = pushDrawn ? (kAlignCenter | kAlignVCenter | kSingleLine)
                                 : (kAlignVCenter | kSingleLine);
        s.look = !pushDrawn ? kFlat : state == kPressed ? kSunken : kRaised;
    }
}

QRgb CFxButton::FaceColour() const {
    return palette().color(QPalette::Active, QPalette::Button).rgb();
}

QRgb CFxButton::ComputeShade(QRgb colour, int index, int look) {
    const auto each = [colour](auto f) {
        return qRgb(f(qRed(colour)), f(qGreen(colour)), f(qBlue(colour)));
    };
    const auto half = [](int c) { return int(c * kHalf); };
    const auto dark = [](int c) { return int(c * kDark); };
    const auto light = [](int c) { return int(c + (255 - c) * kLight); };
    const QRgb white = qRgb(255, 255, 255);
    if (look == kRaised) {
        switch (index) {
            case 1:
                return white;
            case 2:
                return each(light);
            case 3:
                return each(half);
            case 4:
                return each(dark);
        }
    } else if (look == kSunken) {
        switch (index) {
            case 1:
                return each(half);
            case 2:
                return each(dark);
            case 3:
                return white;
            case 4:
                return each(light);
        }
    }
    return qRgb(qRed(colour), qGreen(colour), qBlue(colour));
}

QRegion CFxButton::BuildRegionFromBitmap(const QImage& image, QRgb key, QRgb secondKey) {
    const QImage picture = image.convertToFormat(QImage::Format_RGB32);
    const QRgb k1 = key & RGB_MASK, k2 = secondKey & RGB_MASK;
    std::vector<QRegion> rows;
    std::vector<QRect> runs;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        runs.clear();
        int x = 0;
        while (x < picture.width()) {
            while (x < picture.width() &&
                   ((line[x] & RGB_MASK) == k1 || (line[x] & RGB_MASK) == k2)) {
                ++x;
            }
            const int start = x;
            while (x < picture.width() && (line[x] & RGB_MASK) != k1 &&
                   (line[x] & RGB_MASK) != k2) {
                ++x;
            }
            if (x > start) {
                runs.emplace_back(start, y, x - start, 1);
            }
        }
        if (!runs.empty()) {
            QRegion row;
            row.setRects(runs.data(), int(runs.size()));  // one band, sorted, not touching
            rows.push_back(row);
        }
    }
    return UniteAll(std::move(rows));
}

QRect CFxButton::AlignBitmapRect(const QRect& bitmap, const QRect& area, const QRect& client,
                                 int code) {
    const int w = bitmap.width(), h = bitmap.height();
    const int cx = (2 * client.x() + client.width()) / 2;
    const int cy = (2 * client.y() + client.height()) / 2;
    const int areaRight = area.x() + area.width(), areaBottom = area.y() + area.height();
    int left, top;
    switch (code & 0x03) {
        case 0x00:
            left = area.x();
            break;
        case 0x01:
            left = cx - w / 2;
            break;
        case 0x02:
            left = areaRight - w;
            break;
        default:
            return bitmap;
    }
    switch (code & ~0x03) {
        case 0x20:
            top = area.y();
            break;
        case 0x24:
            top = cy - h / 2;
            break;
        case 0x28:
            top = areaBottom - h;
            break;
        default:
            return bitmap;
    }
    return QRect(left, top, w, h);
}

void CFxButton::SetBitmaps(int normal, bool fill, int pressed, int hover, int disabled) {
    const std::array<int, 4> ids{normal, pressed, hover, disabled};
    std::array<bool, 4> changed{};
    for (int i = 0; i < 4; ++i) {
        if (ids[i] != 0) {
            props_[i].bitmap = LoadBitmapResource(ids[i]);  // null: no bitmap for the state
            props_[i].sharesNormalBitmap = false;
            changed[i] = true;
            drawBitmaps_ = true;
        }
    }
    if (fill && !props_[0].bitmap.isNull()) {
        for (int i = 1; i < 4; ++i) {
            if (ids[i] == 0) {
                props_[i].bitmap = props_[0].bitmap;
                props_[i].sharesNormalBitmap = true;
                changed[i] = true;
            }
        }
    }
    if (!styled_) {
        return;
    }
    // Once styled, a new bitmap (a caption in another language) gets its own
    // place and see-through region; the old ones would clip it to the old shape.
    for (int i = 0; i < 4; ++i) {
        if (!changed[i]) {
            continue;
        }
        StateProps& s = props_[i];
        s.bitmapRegion = QRegion();
        s.bitmapRegionMade = false;
        s.bitmapRect = QRect();
        if (!s.bitmap.isNull()) {
            PlaceBitmap(kNormal + i);
            BuildBitmapRegion(kNormal + i);
        }
    }
}

void CFxButton::SetColors(QRgb normal, bool fill, QRgb pressed, QRgb hover, QRgb disabled) {
    const QRgb keep = FaceColour() & RGB_MASK;
    const std::array<QRgb, 4> colours{normal, pressed, hover, disabled};
    for (int i = 0; i < 4; ++i) {
        const bool given = (colours[i] & RGB_MASK) != keep;
        if (given || (fill && i > 0)) {
            props_[i].keyColour = given ? colours[i] : normal;
            props_[i].keyColourOn = true;
        }
    }
    RepaintIfStyled();
}

void CFxButton::SetBorderDepths(int normal, bool fill, int pressed, int hover, int disabled) {
    const std::array<int, 4> depths{normal, pressed, hover, disabled};
    for (int i = 0; i < 4; ++i) {
        if (depths[i] != 2) {
            props_[i].borderDepth = depths[i];
        } else if (fill && i > 0) {
            props_[i].borderDepth = normal;
        }
    }
    RepaintIfStyled();
}

void CFxButton::SetTexts(const QString& normal, bool fill, const QString& pressed,
                         const QString& hover, const QString& disabled) {
    const std::array<const QString*, 4> texts{&normal, &pressed, &hover, &disabled};
    for (int i = 0; i < 4; ++i) {
        if (!texts[i]->isEmpty()) {
            props_[i].text = *texts[i];
        } else if (fill) {
            props_[i].text = normal;
        }
    }
    RepaintIfStyled();
}

void CFxButton::SetTooltip(const QString& text, QRgb textColour, QRgb background) {
    setToolTip(text);
    // A style sheet that names only the tip leaves the button's own look alone.
    setStyleSheet(QStringLiteral("QToolTip { color: %1; background-color: %2; }")
                      .arg(QColor(textColour).name(), QColor(background).name()));
}

void CFxButton::ApplyStyle(const QImage& background, int /*reserved*/, int flags, bool checked) {
    if (kind_ != kPushKind) {
        SetCheck(checked);
    }
    const QRect client = rect();
    if (!background.isNull()) {
        for (StateProps& s : props_) {
            s.fillBackground = false;
        }
        background_ = background.copy(QRect(geometry().topLeft(), client.size()))
                          .convertToFormat(QImage::Format_RGB32);
    }

    const QRgb face = FaceColour();
    for (StateProps& s : props_) {
        const QRgb base = s.useFaceColour ? s.faceColour : face;
        for (int k = 1; k <= 4; ++k) {
            s.shades[k - 1] = ComputeShade(base, k, s.look);
        }
    }

    if (kind_ == kPushKind || pushLike_) {
        for (StateProps& s : props_) {
            if (s.textRect.isEmpty()) {
                s.textRect = client;
            }
        }
    } else {
        // Placed from its origin each time, so that styling twice keeps it in place.
        glyphRect_ = QRect(0, 0, 13, 13);
        int textShift;
        if (textLeftOfGlyph_) {
            glyphRect_.translate(client.width() - 13 - 2, (client.height() - 13) / 2);
            textShift = 4;
        } else {
            glyphRect_.translate(0, client.height() / 2 - 13 / 2);
            textShift = 13 + 6;
        }
        for (StateProps& s : props_) {
            s.textRect = client.adjusted(textShift, 0, 0, 0);
        }
    }

    for (int state = kNormal; state <= kDisabled; ++state) {
        StateProps& s = PropsAt(state);
        if (!s.bitmap.isNull()) {
            drawBitmaps_ = true;
            if (s.bitmapRect.isEmpty()) {
                PlaceBitmap(state);
            }
        }
    }
    for (int state : {kNormal, kHover, kPressed, kDisabled}) {
        if (!PropsAt(state).bitmap.isNull()) {
            BuildBitmapRegion(state);
        }
    }

    if (!m_sizeRound.isNull()) {
        m_sizeRound = QSize(std::min(m_sizeRound.width(), client.width()),
                            std::min(m_sizeRound.height(), client.height()));
        const QRegion rounded = RoundRectRegion(client, m_sizeRound);
        for (StateProps& s : props_) {
            s.windowRegionOn = true;
            s.windowRegion = rounded;
        }
    }

    if (flags != -1) {
        if (flags & kNoBackground) {
            for (StateProps& s : props_) {
                s.fillBackground = false;
            }
        }
        drawText_ = !(flags & kNoText);
        drawBitmaps_ = drawBitmaps_ && !(flags & kNoBitmaps);
        drawBorder_ = !(flags & kNoBorder);
        drawFocus_ = !(flags & kNoFocus);
    }
    // Enter and leave events keep the hover state from here on.
    hover_ = underMouse() && !(QGuiApplication::mouseButtons() & Qt::LeftButton);
    styled_ = true;
    update();
}

void CFxButton::SetCheck(bool checked) {
    checked_ = checked && kind_ != kPushKind;
    if (checked_ && kind_ == kRadioKind) {
        PostUncheckToGroup();
    }
    RepaintIfStyled();
}

void CFxButton::PostUncheckToGroup() {
    // The group is the button group the button belongs to, else its siblings.
    QList<QObject*> items;
    if (QButtonGroup* buttons = group()) {
        for (QAbstractButton* b : buttons->buttons()) {
            items.append(b);
        }
    } else if (parentWidget()) {
        for (QWidget* w : parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            items.append(w);
        }
    }
    for (QObject* item : items) {
        if (item != this) {
            platform::PostWindowMessage(item, WM_FXBUTTON_UNCHECK, 0, 0);
        }
    }
}

int CFxButton::CurrentState() const {
    if (!isEnabled()) {
        return kDisabled;
    }
    if (isDown() || checked_) {
        return kPressed;
    }
    return hover_ ? kHover : kNormal;
}

int CFxButton::MaxBorderDepth() const {
    int depth = 0;
    for (const StateProps& s : props_) {
        depth = std::max(depth, s.borderDepth);
    }
    return depth;
}

QRect CFxButton::PlacementArea() const {
    const int m = MaxBorderDepth() + 1;
    return rect().adjusted(m, m, -m, -m);
}

void CFxButton::PlaceBitmap(int state) {
    StateProps& s = PropsAt(state);
    s.bitmapRect = AlignBitmapRect(QRect(QPoint(0, 0), s.bitmap.size()), PlacementArea(), rect(),
                                   s.bitmapAlignment);
}

void CFxButton::BuildBitmapRegion(int state) {
    StateProps& s = PropsAt(state);
    if (s.bitmap.isNull() || s.bitmapRect.isEmpty() || !s.keyColourOn) {
        return;
    }
    const QImage picture =
        s.bitmap.size() == s.bitmapRect.size() ? s.bitmap : s.bitmap.scaled(s.bitmapRect.size());
    s.bitmapRegion = BuildRegionFromBitmap(picture, s.keyColour, s.secondKeyColour)
                         .translated(s.bitmapRect.topLeft());
    s.bitmapRegionMade = true;
}

void CFxButton::RepaintIfStyled() {
    if (styled_) {
        update();
    }
}

void CFxButton::DrawBackground(QPainter& painter, const QRect& rect, int state) {
    painter.fillRect(rect, QColor(Props(state).faceColour));
}

void CFxButton::DrawBorder(QPainter& painter, const QRect& rect, int state) {
    const StateProps& s = Props(state);
    if (s.borderDepth >= 1) {
        Draw3dRect(painter, rect, s.shades[0], s.shades[2]);
    }
    if (s.borderDepth >= 2) {
        Draw3dRect(painter, rect.adjusted(1, 1, -1, -1), s.shades[1], s.shades[3]);
    }
}

void CFxButton::DrawRoundedFrame(QPainter& painter, int state) {
    const StateProps& s = Props(state);
    if (s.fillBackground) {
        painter.fillRect(rect(), QColor(s.faceColour));
    }
    if (!drawBorder_) {
        return;
    }
    painter.save();
    painter.setBrush(Qt::NoBrush);
    const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QSizeF corner(m_sizeRound);
    if (s.borderDepth >= 2) {
        const QRectF inner = outer.adjusted(1.5, 1.5, -1.5, -1.5);
        painter.setPen(QPen(QColor(s.shades[1]), 3));
        painter.drawPath(RoundedHalf(inner, corner, true));
        painter.setPen(QPen(QColor(s.shades[3]), 2));
        painter.drawPath(RoundedHalf(inner, corner, false));
    }
    if (s.borderDepth >= 1) {
        painter.setPen(QPen(QColor(s.shades[0]), 1));
        painter.drawPath(RoundedHalf(outer, corner, true));
        painter.setPen(QPen(QColor(s.shades[2]), 1));
        painter.drawPath(RoundedHalf(outer, corner, false));
    }
    painter.restore();
}

void CFxButton::DrawBitmap(QPainter& painter, int state) {
    const StateProps& s = Props(state);
    QRect target = s.bitmapRect;
    QRegion clip = s.bitmapRegionMade ? s.bitmapRegion : QRegion(rect());
    if (s.bitmapOffsetByLook) {
        const QPoint offset = LookOffset(s.look);
        target.translate(offset);
        clip.translate(offset);
    }
    painter.save();
    if (s.keyColourOn) {
        painter.setClipRegion(clip);
    }
    if (state == kDisabled && s.sharesNormalBitmap) {
        // An embossed silhouette: white, then 0.7 of the face one pixel up-left.
        const QRgb face = s.faceColour;
        const QColor white(ComputeShade(face, 1, kRaised)), dark(ComputeShade(face, 4, kRaised));
        if (s.keyColourOn) {
            for (const QRect& r : clip) {
                painter.fillRect(r, white);
            }
            painter.setClipRegion(clip.translated(-1, -1));
            for (const QRect& r : clip) {
                painter.fillRect(r, dark);
            }
        } else {
            painter.fillRect(target, white);
            painter.fillRect(target.translated(-1, -1), dark);
        }
    } else if (!target.isEmpty()) {
        painter.setOpacity(s.bitmapOpacity / 255.0);
        painter.drawImage(target, s.bitmap);
    }
    painter.restore();
}

void CFxButton::DrawText(QPainter& painter, int state) {
    const StateProps& s = Props(state);
    QFont font(s.fontFace);
    if (s.fontHeight > 0) {
        font.setPixelSize(s.fontHeight);
    }
    font.setBold(s.textStyle & kBold);
    font.setItalic(s.textStyle & kItalic);
    font.setUnderline(s.textStyle & kUnderline);
    font.setStrikeOut(s.textStyle & kStrikeOut);
    font.setStyleStrategy(QFont::PreferAntialias);

    QRect r = s.textRect;
    if (r == rect()) {
        const int m = MaxBorderDepth() + 1;
        r.adjust(m, m, -m, -m);
    }
    if (s.textOffsetByLook) {
        r.translate(LookOffset(s.look));
    }
    painter.save();
    painter.setFont(font);
    const int flags = QtTextFlags(s.textFormat);
    if (state == kDisabled) {
        painter.setPen(QColor(ComputeShade(s.faceColour, 1, kRaised)));
        painter.drawText(r.translated(1, 1), flags, s.text);
        painter.setPen(QColor(ComputeShade(s.faceColour, 4, kRaised)));
        painter.drawText(r, flags, s.text);
    } else {
        painter.setPen(QColor(s.textColour));
        painter.drawText(r, flags, s.text);
    }
    painter.restore();

    if (kind_ != kPushKind && !pushLike_) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = glyphRect_;
        option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
        if (state == kDisabled) {
            option.state &= ~QStyle::State_Enabled;
            option.state |= QStyle::State_Off;
        } else {
            option.state |=
                QStyle::State_Enabled | (checked_ ? QStyle::State_On : QStyle::State_Off);
        }
        style()->drawPrimitive(
            kind_ == kRadioKind ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox,
            &option, &painter, this);
    }
}

void CFxButton::DrawFocus(QPainter& painter, int /*state*/) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    if (kind_ == kPushKind || pushLike_) {
        option.rect = rect().adjusted(3, 3, -3, -3);
    } else {
        const QFontMetrics metrics(font());
        const int space = metrics.horizontalAdvance(QLatin1Char(' '));
        const QRect text = props_[0].textRect;
        const int w = metrics.horizontalAdvance(props_[0].text) + space, h = metrics.height();
        const int dx = textLeftOfGlyph_ ? space : 13 + 2 * space;
        option.rect = QRect(dx, (text.height() - h) / 2, w, h);
    }
    option.backgroundColor = QColor(Props(CurrentState()).faceColour);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

bool CFxButton::event(QEvent* e) {
    if (e->type() == WindowMessageEvent::Type()) {
        if (static_cast<WindowMessageEvent*>(e)->Message() == WM_FXBUTTON_UNCHECK) {
            if (kind_ == kRadioKind && checked_) {
                checked_ = false;
                update();
            }
            return true;
        }
    }
    return QAbstractButton::event(e);
}

void CFxButton::paintEvent(QPaintEvent*) {
    const int state = CurrentState();
    const StateProps& s = Props(state);
    const QRect client = rect();
    if (client.isEmpty()) {
        return;
    }
    const bool rounded = !m_sizeRound.isNull();

    // Composed offscreen and copied in one go, so the button never flickers.
    QImage canvas(client.size(), QImage::Format_RGB32);
    canvas.fill(QColor(s.faceColour));
    {
        QPainter p(&canvas);
        if (!background_.isNull()) {
            p.drawImage(backgroundOffsetByLook_ ? LookOffset(s.look) : QPoint(), background_);
        }
        if (rounded) {
            DrawRoundedFrame(p, state);
        } else if (s.fillBackground) {
            DrawBackground(p, client, state);
        }
        if (drawBitmaps_ && !s.bitmap.isNull()) {
            DrawBitmap(p, state);
        }
        if (drawText_) {
            DrawText(p, state);
        }
        if (drawBorder_ && !rounded) {
            DrawBorder(p, client, state);
        }
    }

    // The window takes the state's shape only while the state has a bitmap.
    const QRegion shape = s.windowRegionOn && !s.windowRegion.isEmpty() && !s.bitmap.isNull()
                              ? s.windowRegion
                              : QRegion();
    if (shape != mask()) {
        if (shape.isEmpty()) {
            clearMask();
        } else {
            setMask(shape);
        }
    }

    QPainter screen(this);
    if (!shape.isEmpty()) {
        screen.setClipRegion(shape);
    }
    screen.drawImage(0, 0, canvas);
    if (hasFocus() && drawFocus_) {
        screen.setClipping(false);
        DrawFocus(screen, state);
    }
}

void CFxButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        pressBeganElsewhere_ = false;
    }
    QAbstractButton::mousePressEvent(e);
    if (e->button() == Qt::LeftButton) {
        pressing_ = true;
    }
}

void CFxButton::mouseMoveEvent(QMouseEvent* e) {
    if ((e->buttons() & Qt::LeftButton) && !pressing_) {
        // A drag that began on another window never gives hover.
        pressBeganElsewhere_ = true;
        return;
    }
    if (pressing_) {
        // The pushed look (QAbstractButton) and the hover follow the cursor.
        const bool over = rect().contains(e->position().toPoint());
        if (over != hover_) {
            hover_ = over;
            update();
        }
    } else if (!hover_) {
        hover_ = true;
        update();
    }
    QAbstractButton::mouseMoveEvent(e);
}

void CFxButton::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        if (pressBeganElsewhere_) {
            pressBeganElsewhere_ = false;
            update();
        } else if (pressing_ && kind_ != kPushKind && rect().contains(e->position().toPoint())) {
            SetCheck(kind_ == kCheckKind ? !checked_ : true);
        }
        pressing_ = false;
    }
    QAbstractButton::mouseReleaseEvent(e);
}

void CFxButton::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Space && !e->isAutoRepeat() && kind_ != kPushKind) {
        SetCheck(kind_ == kCheckKind ? !checked_ : true);
    }
    QAbstractButton::keyPressEvent(e);
}

void CFxButton::focusOutEvent(QFocusEvent* e) {
    pressing_ = false;
    QAbstractButton::focusOutEvent(e);
}

void CFxButton::enterEvent(QEnterEvent* e) {
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton) || pressing_) {
        if (!hover_) {
            hover_ = true;
            update();
        }
    }
    QAbstractButton::enterEvent(e);
}

void CFxButton::leaveEvent(QEvent* e) {
    if (hover_) {
        hover_ = false;
        update();
    }
    QAbstractButton::leaveEvent(e);
}

}  // namespace orbisk
