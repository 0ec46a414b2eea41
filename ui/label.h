#pragma once

#include <QBasicTimer>
#include <QCursor>
#include <QFont>
#include <QFrame>
#include <QRgb>
#include <vector>

namespace orbisk {

// A static text with its own painting: text colour and font, a solid or
// horizontal-gradient background, flashing, a raised or sunken second copy of
// the text, rotated text, and an optional web or mail link (or, instead, a
// notification to the owner). Every setter returns the label, so calls chain.
class CLabel : public QFrame {
    Q_OBJECT

  public:
    // Text layouts (the static control's style).
    static constexpr int kLeft = 0;
    static constexpr int kCenter = 1;
    static constexpr int kRight = 2;
    static constexpr int kLeftNoWordWrap = 12;
    static constexpr int kCenterImage = 0x200;  // centred; one line unless the text has "\r\n"

    // Link kinds.
    static constexpr int kNoLink = 0;
    static constexpr int kWebLink = 1;
    static constexpr int kMailLink = 2;

    // Flash kinds.
    static constexpr int kNoFlash = 0;
    static constexpr int kFlashText = 1;
    static constexpr int kFlashBackground = 2;

    // The code of the click notification.
    static constexpr int kClickNotification = 0x8200;

    explicit CLabel(const QString& text = QString(), int layout = kLeft, QWidget* parent = nullptr);

    virtual CLabel& SetBkColor(QRgb colour, QRgb endColour = 0, bool gradient = false);
    virtual CLabel& SetTextColor(QRgb colour);
    virtual CLabel& SetText(const QString& text);
    virtual CLabel& SetFontBold(bool bold);
    virtual CLabel& SetFontName(const QString& face);
    virtual CLabel& SetFontUnderline(bool underline);
    virtual CLabel& SetFontItalic(bool italic);
    virtual CLabel& SetFontSize(int points);
    virtual CLabel& SetSunken(bool sunken);
    virtual CLabel& SetBorder(bool border);
    virtual CLabel& SetTransparent(bool transparent);
    virtual CLabel& FlashText(bool flash);
    virtual CLabel& FlashBackground(bool flash);
    virtual CLabel& SetLink(bool link, bool notifyParent);
    virtual CLabel& SetLinkCursor(const QCursor& cursor);
    virtual CLabel& SetText3D(bool on, bool downRight);
    virtual CLabel& SetRotationAngle(int degrees, bool rotated);
    virtual CLabel& Set3DColor(QRgb colour);
    virtual CLabel& SetFont(const QFont& font);
    virtual CLabel& SetMailLink(bool link, bool notifyParent);
    virtual CLabel& SetLinkUrl(const QString& url);

    QString Text() const { return text_; }
    const QFont& FontDescription() const { return font_; }
    bool IsFlashTimerRunning() const { return timer_.isActive(); }
    bool FlashPhase() const { return flashPhase_; }
    int FlashKind() const { return flashKind_; }
    int LinkKind() const { return linkKind_; }

    // One band of a gradient background: its pixels and its colour.
    struct Band {
        QRect rect;
        QRgb colour;
    };
    // The vertical bands of a gradient from `start` at the left to `end` at the
    // right: 100, or one per pixel when narrower, the last reaching the right edge.
    static std::vector<Band> GradientBands(const QRect& rect, QRgb start, QRgb end);

  signals:
    // A click while the label notifies its owner instead of opening its link.
    void Notify(int code);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

  private:
    void Redraw();
    // Stops the flash timer; with `flash` starts it again for `kind`, in the off phase.
    void RestartFlash(bool flash, int kind);
    void UpdateFrame();
    void PaintContents(QPainter& painter, const QRect& client);

    QString text_;
    int layout_;
    QRgb textColour_;
    QRgb colour3D_ = qRgb(255, 255, 255);
    QRgb faceColour_;
    bool hasBackground_ = false;  // SetBkColor was called without gradient
    QFont font_;
    bool flashPhase_ = false;
    QBasicTimer timer_;
    int linkKind_ = kNoLink;
    bool transparent_ = false;
    bool text3D_ = false;
    bool notifyParent_ = false;
    bool rotated_ = false;
    int rotation_ = 0;  // degrees, counter-clockwise
    int flashKind_ = kNoFlash;
    bool direction3D_ = false;
    bool gradient_ = false;
    QRgb gradientEnd_ = 0;
    QRgb backgroundColour_ = 0;
    QString linkUrl_;
    bool sunken_ = false;
    bool border_ = false;
};

}  // namespace orbisk
