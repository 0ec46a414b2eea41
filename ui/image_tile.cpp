#include "ui/image_tile.h"

#include <QImageReader>
#include <QPainter>
#include <QWidget>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "core/bitmap_resources.h"
#include "core/branding_data.h"
#include "core/image_header.h"
#include "core/link_opener.h"
#include "imaging/frame_pool.h"
#include "platform/window_messages.h"

namespace orbisk {

CImageTile::CImageTile(int index) : index_(index) {}

bool CImageTile::Init(int message, int index, int left, int top, int right, int bottom,
                      QWidget* owner, bool framed) {
    message_ = message;
    index_ = index;
    rect_ = {left, top, right, bottom};
    owner_ = owner;
    framed_ = framed;
    return true;
}

IntRect CImageTile::FitPicture(const IntRect& rect, int fileWidth, int fileHeight) {
    const int w = rect.Width(), h = rect.Height();
    if (w <= 0 || h <= 0 || fileWidth <= 0 || fileHeight <= 0) {
        return {};
    }
    const int cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
    const double sx = double(w) / fileWidth, sy = double(h) / fileHeight;
    IntRect target;
    if (sx > sy) {  // relatively taller: fit the height
        const int d = int(sy * fileWidth / 2.0);
        target = {cx - d, rect.top + 1, cx + d, rect.bottom - 1};
    } else {
        const int d = int(sx * fileHeight / 2.0);
        target = {rect.left + 1, cy - d, rect.right - 1, cy + d};
    }
    target = {target.left + 1, target.top + 1, target.right - 1, target.bottom - 1};
    // A sliver of a file (1 x 4000) still gets a picture of at least one pixel.
    target.right = std::max(target.right, target.left + 1);
    target.bottom = std::max(target.bottom, target.top + 1);
    return target;
}

namespace {

// A black-and-white page decoded whole (one bit a pixel) shrunk to `size` by
// averaging areas, as smooth scaling does, but through one byte a pixel
// rather than a 32-bit copy of the whole page. Null for other formats.
QImage ShrinkBilevel(const QImage& full, QSize size) {
    const bool msbFirst = full.format() == QImage::Format_Mono;
    if ((!msbFirst && full.format() != QImage::Format_MonoLSB) || full.colorCount() < 2) {
        return {};
    }
    const uchar grey[2] = {static_cast<uchar>(qGray(full.color(0))),
                           static_cast<uchar>(qGray(full.color(1)))};
    // The eight grey bytes of every byte of bits.
    std::array<std::array<uchar, 8>, 256> expand;
    for (int bits = 0; bits < 256; ++bits) {
        for (int i = 0; i < 8; ++i) {
            expand[bits][i] = grey[(bits >> (msbFirst ? 7 - i : i)) & 1];
        }
    }
    cv::Mat page = PooledMat({full.width(), full.height()}, CV_8UC1);
    const int whole = full.width() / 8;
    for (int y = 0; y < full.height(); ++y) {
        const uchar* bits = full.constScanLine(y);
        uchar* out = page.ptr<uchar>(y);
        for (int b = 0; b < whole; ++b) {
            std::memcpy(out + b * 8, expand[bits[b]].data(), 8);
        }
        for (int x = whole * 8; x < full.width(); ++x) {
            out[x] = expand[bits[whole]][x - whole * 8];
        }
    }
    cv::Mat small;
    cv::resize(page, small, {size.width(), size.height()}, 0, 0, cv::INTER_AREA);
    QImage picture(size, QImage::Format_RGB888);
    for (int y = 0; y < small.rows; ++y) {
        const uchar* g = small.ptr<uchar>(y);
        uchar* rgb = picture.scanLine(y);
        for (int x = 0; x < small.cols; ++x) {
            rgb[3 * x] = rgb[3 * x + 1] = rgb[3 * x + 2] = g[x];
        }
    }
    return picture;
}

}  // namespace

bool CImageTile::LoadImageFile(const QString& path) {
    picture_ = QImage();
    // Whatever fails below, the tile must not claim to show its old file.
    path_.clear();

    // The header decides what a decode allocates: it is checked first.
    const std::optional<QSize> declared = PageImageSize(path);
    if (!declared) {
        return false;
    }
    const QSize fileSize = *declared;
    QImageReader reader(path);
    reader.setAutoTransform(false);
    QImage full;
    if (!reader.canRead()) {
        return false;
    }
    const IntRect target = FitPicture(rect_, fileSize.width(), fileSize.height());
    if (target.Width() <= 0) {
        return false;
    }
    const QSize size(target.Width(), target.Height());
    QImage scaled;
    const bool bilevel = reader.imageFormat() == QImage::Format_Mono ||
                         reader.imageFormat() == QImage::Format_MonoLSB;
    // Black-and-white pages are averaged here (the reader would keep one
    // bit a pixel and lose thin strokes); other formats that the reader can
    // only scale after a whole decode are decoded whole here too.
    if (full.isNull() && (bilevel || !reader.supportsOption(QImageIOHandler::ScaledSize))) {
        full = reader.read();
        if (full.isNull()) {
            return false;
        }
    }
    if (full.isNull()) {
        // Decoding straight to the tile's size is much faster than decoding a
        // camera frame whole and scaling it afterwards.
        reader.setScaledSize(size);
        scaled = reader.read();
    } else {
        if (size.width() < full.width() && size.height() < full.height()) {
            scaled = ShrinkBilevel(full, size);
        }
        if (scaled.isNull()) {
            scaled = full.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
    }
    if (scaled.isNull()) {
        return false;
    }
    if (scaled.size() != size) {
        scaled = scaled.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    picture_ = scaled.convertToFormat(QImage::Format_RGB888);
    path_ = path;
    return true;
}

bool CImageTile::SetBitmap(int resourceId) {
    picture_ = LoadBitmapResource(resourceId);
    return !picture_.isNull();
}

void CImageTile::Clear() {
    picture_ = QImage();
    path_.clear();
    m_nNumber = -1;
}

void CImageTile::Paint(QPainter& painter) {
    const int cx = (rect_.left + rect_.right) / 2, cy = (rect_.top + rect_.bottom) / 2;
    if (!picture_.isNull()) {
        if (m_nNumber >= 0) {
            // Written into the picture itself, as the page dialog expects.
            QPainter p(&picture_);
            const QString text = QString::number(m_nNumber + 1);
            const QRect box = p.fontMetrics().boundingRect(text);
            p.fillRect(QRect(0, 0, box.width(), p.fontMetrics().height()), Qt::white);
            p.setPen(Qt::black);
            p.drawText(QRect(0, 0, box.width(), p.fontMetrics().height()), Qt::AlignLeft, text);
        }
        painter.drawImage(cx - picture_.width() / 2 + 1, cy - picture_.height() / 2 + 1, picture_);
    }

    QColor topLeft, bottomRight;
    if (hover_ && !pressed_) {
        topLeft = Qt::white, bottomRight = Qt::black;
    } else if (pressed_ && hover_) {
        topLeft = Qt::black, bottomRight = Qt::white;
    } else if (framed_) {
        topLeft = bottomRight = QColor(128, 128, 128);
    } else {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    const QPoint leftBottom(rect_.left, rect_.bottom), leftTop(rect_.left, rect_.top),
        rightTop(rect_.right, rect_.top), rightBottom(rect_.right, rect_.bottom);
    painter.setPen(QPen(topLeft, 1));
    painter.drawPolyline(QPolygon({leftBottom, leftTop, rightTop}));
    painter.setPen(QPen(bottomRight, 1));
    painter.drawPolyline(QPolygon({leftBottom, rightBottom, rightTop}));
    painter.restore();
}

void CImageTile::Invalidate(const IntRect& rect) {
    if (owner_) {
        owner_->update(rect.left - 3, rect.top - 3, rect.Width() + 6, rect.Height() + 6);
    }
}

void CImageTile::ClearHighlight() {
    hover_ = false;
    pressed_ = false;
    Redraw();
}

bool CImageTile::Hit(int x, int y) const {
    return x >= rect_.left && x < rect_.right && y >= rect_.top && y < rect_.bottom;
}

void CImageTile::OnMouseMove(int, int x, int y) {
    if (IgnoresMouse() || path_.isEmpty()) {
        return;
    }
    const bool inside = Hit(x, y);
    if (inside && owner_) {
        owner_->setCursor(Qt::PointingHandCursor);
    }
    if (inside != hover_) {
        hover_ = inside;
        if (!inside && owner_) {
            owner_->unsetCursor();  // a Qt cursor stays until it is taken back
        }
        Redraw();
    }
}

bool CImageTile::OnLButtonDown(int, int x, int y) {
    if (IgnoresMouse()) {
        return false;
    }
    if (Hit(x, y)) {
        pressed_ = true;
        Redraw();
        return true;
    }
    pressed_ = false;
    return false;
}

bool CImageTile::OnLButtonUp(int, int x, int y) {
    if (IgnoresMouse() || path_.isEmpty() || !pressed_) {
        return false;
    }
    pressed_ = false;
    hover_ = false;
    Redraw();
    if (!Hit(x, y)) {
        return false;
    }
    platform::PostWindowMessage(owner_, message_, index_, 1);
    OpenFile(path_);
    return true;
}

bool CImageTile::OnRButtonDown(int, int x, int y) {
    if (IgnoresMouse() || path_.isEmpty() || !Hit(x, y)) {
        return false;
    }
    platform::PostWindowMessage(owner_, message_, index_, 2);
    return true;
}

bool CImageTile::OnSetCursor(int, int x, int y) {
    if (!Hit(x, y)) {
        return false;
    }
    if (owner_) {
        owner_->setCursor(Qt::PointingHandCursor);
    }
    return true;
}

bool CImageTile::OpenLinkIfHit(int, int x, int y) {
    if (!Hit(x, y)) {
        return false;
    }
    const QString& link = TheBrandingData().link;
    if (!link.isEmpty()) {
        OpenLink(link);
    }
    return true;
}

}  // namespace orbisk
