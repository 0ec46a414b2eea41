#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QRegion>
#include <array>

namespace orbisk {

// The program's owner-drawn button. Each of its four visual states (normal,
// pressed, hover, disabled) has its own bitmap, text, colours, border depth
// and bevel look; bitmaps are drawn through a see-through region made from a
// key colour, and the window may get a rounded shape. Check and radio kinds
// keep their check state themselves: a radio button that becomes checked
// unchecks the other radio buttons of its group. Clicks reach the owner as
// QAbstractButton::clicked.
//
// Usage: configure with the setters, then ApplyStyle derives placements,
// regions and shades from what is set at that moment.
class CFxButton : public QAbstractButton {
    Q_OBJECT

  public:
    enum State { kNormal = 260, kPressed = 261, kHover = 262, kDisabled = 263 };
    enum Kind { kPushKind = 270, kCheckKind = 271, kRadioKind = 272 };
    enum Look { kFlat = 257, kRaised = 258, kSunken = 259 };

    // Text and bitmap alignment codes (the DrawText flags of the layouts).
    static constexpr int kAlignCenter = 0x01;
    static constexpr int kAlignRight = 0x02;
    static constexpr int kAlignVCenter = 0x04;
    static constexpr int kAlignBottom = 0x08;
    static constexpr int kSingleLine = 0x20;

    // ApplyStyle flags; -1 means none.
    static constexpr int kNoBackground = 0x01;
    static constexpr int kNoText = 0x02;
    static constexpr int kNoBitmaps = 0x04;
    static constexpr int kNoBorder = 0x08;
    static constexpr int kNoFocus = 0x10;

    // Text styles.
    static constexpr int kBold = 0x20;
    static constexpr int kItalic = 0x40;
    static constexpr int kUnderline = 0x80;
    static constexpr int kStrikeOut = 0x100;

    // How the button was laid out in its window: its kind, whether a check or
    // radio button is drawn like a push button, and which side its text is on.
    struct Style {
        Kind kind = kPushKind;
        bool pushLike = false;
        bool textLeftOfGlyph = false;
    };

    // What each state draws.
    struct StateProps {
        bool bitmapRegionMade = false;
        QImage bitmap;
        bool sharesNormalBitmap = false;
        QRect bitmapRect;  // empty until placed
        QRgb keyColour = 0;
        QRgb secondKeyColour = 0;
        int bitmapAlignment = kAlignCenter | kAlignVCenter | kSingleLine;
        QRegion bitmapRegion;
        bool bitmapOffsetByLook = true;
        bool keyColourOn = false;
        int bitmapOpacity = 255;
        QString text;
        QString fontFace;
        int fontHeight = 0;  // pixels; 0 = the widget's font size
        QRgb textColour = 0;
        int textFormat = kAlignCenter | kAlignVCenter | kSingleLine;
        int textStyle = 0;
        QRect textRect;
        bool textOffsetByLook = true;
        int look = kRaised;
        int borderDepth = 2;
        std::array<QRgb, 4> shades{};
        bool useFaceColour = true;
        bool windowRegionOn = false;
        QRegion windowRegion;
        QRgb faceColour = 0;
        bool fillBackground = true;
    };

    explicit CFxButton(const QString& caption = QString(), QWidget* parent = nullptr);
    CFxButton(const QString& caption, Style style, QWidget* parent = nullptr);

    // Four-state setters: (normal, fill, pressed, hover, disabled). With fill,
    // a state given the keep value takes the normal one.
    // Bitmap resource numbers, 0 = keep. Once styled, each changed state is
    // placed again and gets a fresh see-through region.
    void SetBitmaps(int normal, bool fill, int pressed = 0, int hover = 0, int disabled = 0);
    // Key colours; the current face colour (FaceColour()) = keep.
    void SetColors(QRgb normal, bool fill, QRgb pressed, QRgb hover, QRgb disabled);
    // Border depths, 2 = keep.
    void SetBorderDepths(int normal, bool fill, int pressed = 2, int hover = 2, int disabled = 2);
    // Texts, empty = keep; with fill an empty normal text empties all four.
    void SetTexts(const QString& normal, bool fill, const QString& pressed = QString(),
                  const QString& hover = QString(), const QString& disabled = QString());
    void SetTooltip(const QString& text, QRgb textColour, QRgb background);

    // Derives everything that depends on the configuration. `background` is
    // the parent's background (null for none); `flags` are the kNo... flags or -1.
    virtual void ApplyStyle(const QImage& background, int reserved, int flags, bool checked);

    // Corner ellipse of a rounded button; (0, 0) = square. Set before ApplyStyle.
    QSize m_sizeRound;

    void SetCheck(bool checked);
    bool GetCheck() const { return checked_; }

    const StateProps& Props(int state) const { return props_[state - kNormal]; }
    int CurrentState() const;
    Kind ButtonKind() const { return kind_; }
    bool IsStyled() const { return styled_; }
    QRect GlyphRect() const { return glyphRect_; }

    // The system button face colour, the "keep" value of SetColors.
    QRgb FaceColour() const;

    // One of the four bevel shades (index 1 outer top-left, 2 inner top-left,
    // 3 outer bottom-right, 4 inner bottom-right) of a colour for a look.
    static QRgb ComputeShade(QRgb colour, int index, int look);
    // The pixels of `image` that are neither key colour, as one-pixel-high runs.
    static QRegion BuildRegionFromBitmap(const QImage& image, QRgb key, QRgb secondKey);
    // Places a (0, 0)-based bitmap rectangle in `area` by an alignment code;
    // centring is on the centre of `client`. Other codes leave it unchanged.
    static QRect AlignBitmapRect(const QRect& bitmap, const QRect& area, const QRect& client,
                                 int code);

  protected:
    virtual void DrawBackground(QPainter& painter, const QRect& rect, int state);
    virtual void DrawBorder(QPainter& painter, const QRect& rect, int state);
    virtual void DrawBitmap(QPainter& painter, int state);
    virtual void DrawText(QPainter& painter, int state);
    virtual void DrawFocus(QPainter& painter, int state);
    virtual void BuildBitmapRegion(int state);
    void DrawRoundedFrame(QPainter& painter, int state);

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

  private:
    StateProps& PropsAt(int state) { return props_[state - kNormal]; }
    int MaxBorderDepth() const;
    QRect PlacementArea() const;
    void PlaceBitmap(int state);
    void PostUncheckToGroup();
    void RepaintIfStyled();

    std::array<StateProps, 4> props_;
    Kind kind_ = kPushKind;
    bool pushLike_ = false;
    bool textLeftOfGlyph_ = false;
    bool checked_ = false;
    bool pressing_ = false;
    bool pressBeganElsewhere_ = false;
    bool hover_ = false;
    bool drawBitmaps_ = false;
    bool drawText_ = true;
    bool drawBorder_ = true;
    bool drawFocus_ = true;
    bool backgroundOffsetByLook_ = true;
    bool styled_ = false;
    QImage background_;
    QRect glyphRect_{0, 0, 13, 13};
};

}  // namespace orbisk
