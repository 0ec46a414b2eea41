#pragma once

#include "video/draw_rectangle.h"

#include <QDialog>
#include <QRect>
#include <QRgb>
#include <QSize>

namespace orbisk {

// A half-transparent dialog laid over a picture of a given size: the picture
// is fitted into the client area (never enlarged), and the operator draws one
// rectangle on it in picture coordinates. Its background is the colour key,
// which lets what lies under the dialog show through where the platform can
// make windows translucent. Each release of the mouse button tells the parent
// (WM_CROP_BOX_DONE). No command of the program opens it.
class CTopDlg : public QDialog {
  public:
    explicit CTopDlg(QWidget* parent = nullptr);

    // The picture the rectangle lies on; the fit follows it.
    void SetPictureSize(QSize size);
    QSize PictureSize() const { return pictureSize_; }
    void SetColorKey(QRgb colour);
    void SetBackgroundColor(QRgb colour);

    double Scale() const { return scale_; }
    // Where the fitted picture lies in the client area.
    QRect FittedRect() const { return fitted_; }
    CDrawRectangle& Rectangle() { return rectangle_; }
    const CDrawRectangle& Rectangle() const { return rectangle_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void Fit();
    QPoint ToFitted(const QPointF& point) const;

    QSize pictureSize_;
    double scale_ = 1;
    QRect fitted_;
    QRgb colourKey_;
    QRgb background_;
    CDrawRectangle rectangle_;
};

// The scale at which a picture fits the client area: never above 1; 1 for an
// empty picture.
double TopDlgFitScale(QSize picture, QSize client);
// The fitted picture's rectangle, centred in the client area.
QRect TopDlgFittedRect(QSize picture, QSize client, double scale);

}  // namespace orbisk
