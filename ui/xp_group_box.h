#pragma once

#include <QFont>
#include <QGroupBox>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <QString>

namespace orbisk {

// A group box with its own painting, in one of two styles: a frame with the
// caption set into its top edge (style 0), or a rounded box with the caption
// in a band on top of the body (any other style). Every setter returns the
// box, so calls chain.
class CXPGroupBox : public QGroupBox {
    Q_OBJECT

  public:
    static constexpr int kFrameStyle = 0;
    static constexpr int kBandStyle = 1;

    static constexpr int kAlignLeft = 0;
    static constexpr int kAlignCenter = 1;
    static constexpr int kAlignRight = 2;

    // Colours come from the palette; frame style, left alignment, the
    // widget's font.
    explicit CXPGroupBox(const QString& title = QString(), QWidget* parent = nullptr);

    virtual CXPGroupBox& SetBorderColor(QRgb colour);
    virtual CXPGroupBox& SetCaptionTextColor(QRgb colour);
    // The band (or the gap behind a frame's caption) and the body below it.
    virtual CXPGroupBox& SetBackgroundColors(QRgb band, QRgb body);
    virtual CXPGroupBox& SetBackgroundColor(QRgb colour);
    virtual CXPGroupBox& SetStyle(int style);
    // The caption becomes the text with a space on each side.
    virtual CXPGroupBox& SetText(const QString& text);
    virtual CXPGroupBox& SetFontBold(bool bold);
    virtual CXPGroupBox& SetFontName(const QString& face);
    virtual CXPGroupBox& SetFontUnderline(bool underline);
    virtual CXPGroupBox& SetFontItalic(bool italic);
    virtual CXPGroupBox& SetFontSize(int points);
    virtual CXPGroupBox& SetFont(const QFont& font);
    // 1 centre, 2 right, anything else left.
    virtual CXPGroupBox& SetAlignment(int alignment);

    QString Caption() const { return caption_; }
    QRgb BorderColor() const { return borderColour_; }
    QRgb BackgroundColor() const { return backgroundColour_; }
    QRgb BodyColor() const { return bodyColour_; }
    QRgb CaptionTextColor() const { return captionTextColour_; }
    int Style() const { return style_; }
    int Alignment() const { return alignment_; }
    const QFont& FontDescription() const { return font_; }

    // The caption painted: the set caption, else the title with a space on
    // each side; empty when both are empty.
    QString ShownCaption() const;
    // The box: the client rectangle less one pixel on every side.
    QRect BoxRect() const;
    // Where a caption of `text` size goes in `box` for a style and alignment.
    static QRect CaptionRect(const QRect& box, QSize text, int style, int alignment);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Redraw();

    QString caption_;
    QRgb borderColour_;
    QRgb backgroundColour_;
    QRgb bodyColour_;
    QRgb captionTextColour_;
    int style_ = kFrameStyle;
    int alignment_ = kAlignLeft;
    QFont font_;
};

// " text ": how a caption is padded.
QString PaddedCaption(const QString& text);

}  // namespace orbisk
