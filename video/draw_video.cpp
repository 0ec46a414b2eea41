#include "video/draw_video.h"

#include "platform/window_messages.h"

#include <QObject>
#include <QPainter>

#include <chrono>
#include <cstring>
#include <new>

namespace orbisk {
namespace {

uint32_t SystemTick() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

size_t PaddedRowBytes(int width) { return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3}; }

QRect ToQRect(const IntRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

}  // namespace

IntRect RotateVideoRect(const IntRect& r, int w, int h, int rotation) {
    switch (CDPrgb24::NormaliseRotation(rotation)) {
        case 90:
            return {h - r.bottom, r.left, h - r.top, r.right};
        case 180:
            return {w - r.right, h - r.bottom, w - r.left, h - r.top};
        case 270:
            return {r.top, w - r.right, r.bottom, w - r.left};
        default:
            return r;
    }
}

CDrawVideo::CDrawVideo() : store_(std::make_unique<CDPrgb24>()), tick_(SystemTick) {}

bool CDrawVideo::CheckMediaType(const VideoMediaType& type) {
    return type.majorType == kMediaTypeVideo && type.subtype == kMediaSubtypeRgb24 &&
           type.bitCount == 24 && type.width > 0 && type.height > 0;
}

bool CDrawVideo::SetMediaType(const VideoMediaType& type) {
    if (!CheckMediaType(type)) {
        return false;
    }
    std::lock_guard guard(lock_);
    store_ = std::make_unique<CDPrgb24>();
    type_ = type;
    sourceRect_ = {0, 0, type.width, type.height};
    if (targetRect_.Width() <= 0 || targetRect_.Height() <= 0) {
        targetRect_ = sourceRect_;
    }
    lastTick_.reset();
    bitmap_ = QImage();
    return true;
}

bool CDrawVideo::SetRotation(int rotation) {
    const int turn = CDPrgb24::NormaliseRotation(rotation);
    if (turn < 0) {
        return false;
    }
    std::lock_guard guard(lock_);
    rotation_ = turn;
    return true;
}

void CDrawVideo::SetAutoDetect(bool on) {
    std::lock_guard guard(lock_);
    autoDetect_ = on;
}

void CDrawVideo::SetNotifyWindow(QObject* window) {
    std::lock_guard guard(lock_);
    notify_ = window;
}

void CDrawVideo::SetSourceRect(const IntRect& rect) {
    std::lock_guard guard(lock_);
    sourceRect_ = rect;
}

void CDrawVideo::SetTargetRect(const IntRect& rect) {
    std::lock_guard guard(lock_);
    targetRect_ = rect;
}

void CDrawVideo::SetTickSource(TickSource tick) {
    std::lock_guard guard(lock_);
    tick_ = tick ? std::move(tick) : TickSource(SystemTick);
}

bool CDrawVideo::DrawSample(const uint8_t* data, size_t length) {
    QObject* notify = nullptr;
    {
        std::lock_guard guard(lock_);
        if (!type_ || !data) {
            return false;
        }
        const int w = type_->width;
        const int h = type_->height;
        const size_t stride = PaddedRowBytes(w);
        const size_t rowBytes = static_cast<size_t>(w) * 3;
        if (length / stride < static_cast<size_t>(h)) {
            return false;
        }
        // The store takes rows without padding.
        const uint8_t* rows = data;
        if (stride != rowBytes) {
            const size_t bytes = rowBytes * h;
            if (rowsCapacity_ != bytes) {
                rows_.reset(new (std::nothrow) uint8_t[bytes]);
                rowsCapacity_ = rows_ ? bytes : 0;
                if (!rows_) {
                    return false;
                }
            }
            for (int y = 0; y < h; ++y) {
                std::memcpy(rows_.get() + y * rowBytes, data + y * stride, rowBytes);
            }
            rows = rows_.get();
        }
        // The rectangles are turned afresh for each sample from the ones set,
        // never turned again in place.
        drawnSource_ = RotateVideoRect(sourceRect_, w, h, rotation_);
        drawnTarget_ = RotateVideoRect(targetRect_, w, h, rotation_);
        stretch_ = drawnSource_.Width() != drawnTarget_.Width() ||
                   drawnSource_.Height() != drawnTarget_.Height();
        if (!store_->SetData(rows, w, h, rotation_)) {
            return false;
        }
        if (autoDetect_) {
            // Detection runs at most once per tick; frames within the same
            // tick get the remembered outline.
            const uint32_t tick = tick_();
            const bool detect = !lastTick_ || *lastTick_ != tick;
            lastBox_ = store_->DrawDetectedBox(detect, lastBox_, kDrawVideoDetectThreshold);
            if (detect) {
                lastTick_ = tick;
            }
        }
        const cv::Mat picture = store_->GetImage();
        bitmap_ = QImage(picture.data, picture.cols, picture.rows,
                         static_cast<qsizetype>(picture.step), QImage::Format_BGR888)
                      .copy();
        notify = notify_;
    }
    platform::PostWindowMessage(notify, platform::WM_SECOND_FRAME_READY, 0, 0);
    return true;
}

void CDrawVideo::Paint(QPainter& painter) const {
    std::lock_guard guard(lock_);
    if (bitmap_.isNull()) {
        return;
    }
    const QRect source = ToQRect(drawnSource_);
    const QRect target = ToQRect(drawnTarget_);
    if (stretch_) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, bitmap_, source);
        painter.restore();
    } else {
        painter.drawImage(target.topLeft(), bitmap_, source);
    }
}

cv::Mat CDrawVideo::StoredImage() const {
    std::lock_guard guard(lock_);
    return store_->GetImage();
}

IntRect CDrawVideo::DrawnSourceRect() const {
    std::lock_guard guard(lock_);
    return drawnSource_;
}

IntRect CDrawVideo::DrawnTargetRect() const {
    std::lock_guard guard(lock_);
    return drawnTarget_;
}

bool CDrawVideo::IsStretched() const {
    std::lock_guard guard(lock_);
    return stretch_;
}

std::optional<RotatedBox> CDrawVideo::LastBox() const {
    std::lock_guard guard(lock_);
    if (!lastTick_) {
        return std::nullopt;
    }
    return lastBox_;
}

}  // namespace orbisk
