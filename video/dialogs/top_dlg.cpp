#include "video/dialogs/top_dlg.h"

#include "platform/window_messages.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>

namespace orbisk {
namespace {

// The background is painted this far beyond the client area.
constexpr int kBackgroundMargin = 5;
// The default key and background: one colour, so the background is the part
// that is see-through.
constexpr QRgb kDefaultKey = qRgb(255, 0, 255);

}  // namespace

double TopDlgFitScale(QSize picture, QSize client) {
    if (picture.width() <= 0 || picture.height() <= 0) {
        return 1;
    }
    const double scale = std::min(static_cast<double>(client.width()) / picture.width(),
                                  static_cast<double>(client.height()) / picture.height());
    return std::clamp(scale, 0.0, 1.0);
}

QRect TopDlgFittedRect(QSize picture, QSize client, double scale) {
    const int width = static_cast<int>(picture.width() * scale);
    const int height = static_cast<int>(picture.height() * scale);
    return QRect((client.width() - width) / 2, (client.height() - height) / 2, width, height);
}

CTopDlg::CTopDlg(QWidget* parent)
    : QDialog(parent), colourKey_(kDefaultKey), background_(kDefaultKey) {
    // Half opaque; the colour key's pixels let the window under it through.
    // Qt's backing store already composes each paint off screen, so the
    // dialog keeps no back buffer of its own.
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowOpacity(0.5);
    setMouseTracking(true);
    rectangle_.SetInvalidator(
        [this](const QRect& area) { update(area.translated(fitted_.topLeft())); });
    Fit();
}

void CTopDlg::SetPictureSize(QSize size) {
    pictureSize_ = size;
    Fit();
    update();
}

void CTopDlg::SetColorKey(QRgb colour) {
    colourKey_ = colour;
    update();
}

void CTopDlg::SetBackgroundColor(QRgb colour) {
    background_ = colour;
    update();
}

void CTopDlg::Fit() {
    scale_ = TopDlgFitScale(pictureSize_, size());
    fitted_ = TopDlgFittedRect(pictureSize_, size(), scale_);
    rectangle_.SetBounds(QRect(QPoint(0, 0), pictureSize_));
}

QPoint CTopDlg::ToFitted(const QPointF& point) const { return point.toPoint() - fitted_.topLeft(); }

void CTopDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Fit();
}

void CTopDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QColor background = (background_ & 0xFFFFFF) == (colourKey_ & 0xFFFFFF)
                                  ? QColor(Qt::transparent)
                                  : QColor(background_);
    painter.fillRect(rect().adjusted(-kBackgroundMargin, -kBackgroundMargin, kBackgroundMargin,
                                     kBackgroundMargin),
                     background);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    rectangle_.Draw(painter, fitted_.topLeft(), scale_);
}

void CTopDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        rectangle_.OnLButtonDown(ToFitted(event->position()), scale_);
    }
}

void CTopDlg::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = ToFitted(event->position());
    rectangle_.OnMouseMove(point, scale_);
    setCursor(rectangle_.CursorAt(point, scale_));
}

void CTopDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // Qt releases the mouse grab of the press by itself.
    rectangle_.OnLButtonUp(ToFitted(event->position()), scale_);
    platform::PostWindowMessage(parentWidget(), platform::WM_CROP_BOX_DONE, 0, 0);
}

}  // namespace orbisk
