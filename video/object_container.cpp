#include "video/object_container.h"

#include "platform/window_messages.h"
#include "video/canvas_geometry.h"
#include "video/canvas_render.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdlib>

namespace orbisk {
namespace {

// One notch of a mouse wheel; touchpads send fractions of it.
constexpr int kWheelStep = 120;
const QColor kBackground(243, 243, 243);

// The memory picture's 32-bit pixels are read as blue, green, red, pad bytes.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);

cv::Point ToPoint(const QPointF& point) { return {point.toPoint().x(), point.toPoint().y()}; }

QRect ToQRect(const IntRect& rect) { return {rect.left, rect.top, rect.Width(), rect.Height()}; }

// One axis of the destination: centred when the zoomed frame is shorter than
// the client, else the whole client.
void CentreOrSpan(int zoomed, int client, int& low, int& high) {
    low = zoomed < client ? (client - zoomed) / 2 : 0;
    high = zoomed < client ? low + zoomed : client;
}

}  // namespace

CObjectContainer::CObjectContainer(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    UpdateClientRect(rect());
}

CObjectContainer::~CObjectContainer() { active_ = nullptr; }

void CObjectContainer::Deactivate(const CDrawObject* object) {
    if (active_ == object) {
        active_ = nullptr;
    }
}

void CObjectContainer::UpdateClientRect(const QRect& rect) {
    client_ = {0, 0, rect.width(), rect.height()};
    const int width = std::max(1, rect.width());
    const int height = std::max(1, rect.height());
    view_.create(height, width, CV_8UC3);
    clean_.create(height, width, CV_8UC3);
}

cv::Point CObjectContainer::ClientToZoomed(cv::Point client) const {
    return {client.x - destination_.left + visible_.left,
            client.y - destination_.top + visible_.top};
}

cv::Point CObjectContainer::ZoomedToImage(cv::Point zoomed) const {
    const double scale = scale_ > 0 ? scale_ : 1;
    return {RoundHalfAway(zoomed.x / scale), RoundHalfAway(zoomed.y / scale)};
}

void CObjectContainer::Layout(cv::Point anchor, cv::Point imagePoint) {
    const ViewLayout layout = LayoutView(frame_.size(), scale_, anchor, imagePoint, client_);
    visible_ = layout.visible;
    destination_ = layout.destination;
}

void CObjectContainer::Render() {
    if (fitMode_) {
        RenderFit(frame_, scale_, clean_);
    } else {
        RenderRegion(frame_, scale_, visible_, {0, 0}, clean_);
    }
}

void CObjectContainer::ShowFrame(const cv::Mat& frame) {
    if (frame.empty() || frame.depth() != CV_8U ||
        (frame.channels() != 1 && frame.channels() != 3)) {
        return;
    }
    if (frame.size() != frame_.size()) {
        scale_ = -1;
    }
    // Same size: the pixels go into the existing frame picture.
    if (frame.channels() == 1) {
        cv::cvtColor(frame, frame_, cv::COLOR_GRAY2BGR);
    } else {
        frame.copyTo(frame_);
    }
    if (scale_ < 0) {
        fitScale_ = scale_ = FitScale(frame_.size(), {client_.Width(), client_.Height()});
        fitMode_ = true;
        Layout(CenterPoint(client_), {frame_.cols / 2, frame_.rows / 2});
    }
    Render();
    update();
}

void CObjectContainer::ZoomTo(bool in, cv::Point anchor, cv::Point imagePoint) {
    const std::optional<ZoomStep> step =
        in ? ZoomInStep(scale_, fitScale_) : ZoomOutStep(scale_, fitScale_, fitMode_);
    if (!step) {
        return;
    }
    scale_ = step->scale;
    fitMode_ = step->fitMode;
    Layout(anchor, imagePoint);
    Render();
    update();
}

void CObjectContainer::ZoomIn() {
    if (!frame_.empty()) {
        ZoomTo(true, CenterPoint(client_), ZoomedToImage(CenterPoint(visible_)));
    }
}

void CObjectContainer::ZoomOut() {
    if (!frame_.empty()) {
        ZoomTo(false, CenterPoint(client_), ZoomedToImage(CenterPoint(visible_)));
    }
}

void CObjectContainer::RotateRight() { TurnView(Turn::Right); }
void CObjectContainer::RotateLeft() { TurnView(Turn::Left); }
void CObjectContainer::Rotate180() { TurnView(Turn::Half); }

void CObjectContainer::TurnView(Turn turn) {
    if (frame_.empty()) {
        return;
    }
    const int w = frame_.cols;
    const int h = frame_.rows;
    const IntRect frameRect{0, 0, w, h};
    const cv::Point p = ZoomedToImage(CenterPoint(visible_));
    cv::Point turned;
    cv::Mat rotated;
    switch (turn) {
        case Turn::Right:
            if (cropBox_) {
                cropBox_->Rotate90(frameRect);
            }
            cv::rotate(frame_, rotated, cv::ROTATE_90_CLOCKWISE);
            turned = {h - 1 - p.y, p.x};
            break;
        case Turn::Left:
            if (cropBox_) {
                cropBox_->Rotate270(frameRect);
            }
            cv::rotate(frame_, rotated, cv::ROTATE_90_COUNTERCLOCKWISE);
            turned = {p.y, w - 1 - p.x};
            break;
        case Turn::Half:
            if (cropBox_) {
                cropBox_->Rotate180(frameRect);
            }
            cv::rotate(frame_, rotated, cv::ROTATE_180);
            turned = {w - 1 - p.x, h - 1 - p.y};
            break;
    }
    frame_ = rotated;
    fitScale_ = FitScale(frame_.size(), {client_.Width(), client_.Height()});
    if (fitMode_) {
        scale_ = fitScale_;
    }
    Layout(CenterPoint(client_), turned);
    // Shown at once: without a next frame (a stalled camera) the old picture
    // would stay in the new layout.
    Render();
    update();
}

void CObjectContainer::CreateCropBox() {
    Deactivate(cropBox_.get());
    cropBox_ = std::make_unique<CTrackRectangle>();
    cropBox_->SetOwner(this);
    active_ = cropBox_.get();
    update();
}

bool CObjectContainer::SetCropRect(int left, int top, int right, int bottom, bool keepAspect) {
    CreateCropBox();
    cropBox_->SetRect(left, top, right, bottom, keepAspect);
    return true;
}

void CObjectContainer::RemoveCropBox() {
    Deactivate(cropBox_.get());
    cropBox_.reset();
    update();
}

bool CObjectContainer::GetObjectGeometry(int kind, IntRect& rect) const {
    const CDrawObject* object = kind == 0   ? static_cast<const CDrawObject*>(cropBox_.get())
                                : kind == 1 ? subImageBox_.get()
                                            : nullptr;
    if (!object) {
        return false;
    }
    rect = object->GetRect();
    return true;
}

bool CObjectContainer::GetWaterMark(WaterMarkSettings& settings) const {
    if (!waterMark_) {
        return false;
    }
    settings = waterMark_->GetSettings();
    return true;
}

bool CObjectContainer::SetSubImageBox(int left, int top, int right, int bottom) {
    if (!subImageBox_) {
        subImageBox_ = std::make_unique<CSubImageBox>();
    }
    subImageBox_->SetRect(left, top, right, bottom, false);
    subImageBox_->SetOwner(this);
    PublishOverlays();
    update();
    return true;
}

void CObjectContainer::RemoveSubImageBox() {
    Deactivate(subImageBox_.get());
    subImageBox_.reset();
    PublishOverlays();
    update();
}

void CObjectContainer::SetSubImage(const uint8_t* data, int width, int height) {
    if (subImageBox_ && subImageBox_->SetImage(data, width, height)) {
        PublishOverlays();
    }
}

void CObjectContainer::SetSubImageMarker(bool on, double angle) {
    if (subImageBox_ && (subImageBox_->AngleMarker() != on || subImageBox_->Angle() != angle)) {
        subImageBox_->SetAngleMarker(on, angle);
        PublishOverlays();
        update();
    }
}

bool CObjectContainer::SetWaterMark(const WaterMarkSettings& settings) {
    if (!waterMark_) {
        waterMark_ = std::make_unique<CWaterMarkObject>();
    }
    waterMark_->Configure(settings);
    waterMark_->SetOwner(this);
    PublishOverlays();
    update();
    return true;
}

void CObjectContainer::RemoveWaterMark() {
    Deactivate(waterMark_.get());
    waterMark_.reset();
    PublishOverlays();
    update();
}

void CObjectContainer::PublishOverlays() {
    burnIn_->Set(subImageBox_ ? subImageBox_->Snapshot() : nullptr,
                 waterMark_ ? waterMark_->Snapshot() : nullptr);
}

void CObjectContainer::InvalidateImageRect(const IntRect& zoomed) {
    update(ToQRect(
        Offset(zoomed, destination_.left - visible_.left, destination_.top - visible_.top)));
}

int CObjectContainer::OnBurnOverlays(cv::Mat* picture) {
    if (!picture || picture->empty()) {
        return 1;
    }
    // The crop box only marks the cut and is never burnt in.
    if (subImageBox_) {
        subImageBox_->BurnIn(*picture);
    }
    if (waterMark_) {
        const bool selected = waterMark_->Select(false);
        waterMark_->Draw(*picture, {0, 0, picture->cols, picture->rows}, 1);
        waterMark_->Select(selected);
    }
    return 0;
}

bool CObjectContainer::BurnsOverlays() const {
    return (subImageBox_ && !subImageBox_->Picture().empty()) || waterMark_;
}

qintptr CObjectContainer::HandleMessage(int message, qintptr wParam, qintptr lParam) {
    switch (message) {
        case platform::WM_PREVIEW_GET_IMAGE:
            return OnBurnOverlays(reinterpret_cast<cv::Mat*>(lParam));
        case platform::WM_CANVAS_SHOW_IMAGE:
            if (!wParam) {
                return 1;
            }
            if (lParam == 0) {
                ShowFrame(*reinterpret_cast<const cv::Mat*>(wParam));
            } else {
                // width + height * 65536, and raw bottom-up rows
                SetSubImage(reinterpret_cast<const uint8_t*>(wParam),
                            static_cast<int>(lParam & 0xFFFF),
                            static_cast<int>((lParam >> 16) & 0xFFFF));
            }
            return 0;
        case platform::WM_SECOND_FRAME_READY:
            return 1;  // no second frame source is attached to the canvas
        default:
            return -1;
    }
}

bool CObjectContainer::event(QEvent* event) {
    if (event->type() == platform::WindowMessageEvent::Type()) {
        const auto* message = static_cast<platform::WindowMessageEvent*>(event);
        HandleMessage(message->Message(), message->WParam(), message->LParam());
        return true;
    }
    return QWidget::event(event);
}

void CObjectContainer::EnsureMemoryImage() {
    if (memory_.width() >= client_.Width() && memory_.height() >= client_.Height() &&
        !memory_.isNull()) {
        return;
    }
    // Made once at the screen's size; only a larger window makes it again.
    QSize size = client_.Width() > 0 ? QSize(client_.Width(), client_.Height()) : QSize(1, 1);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.expandedTo(screen->size());
    }
    memory_ = QImage(size.expandedTo(memory_.size()), QImage::Format_RGB32);
}

void CObjectContainer::paintEvent(QPaintEvent* event) {
    EnsureMemoryImage();
    {
        QPainter memory(&memory_);
        memory.fillRect(QRect(0, 0, client_.Width(), client_.Height()), kBackground);
    }
    const IntRect shown = Intersect({0, 0, destination_.Width(), destination_.Height()},
                                    {0, 0, view_.cols, view_.rows});
    if (!frame_.empty() && !IsEmpty(shown)) {
        const cv::Rect part(0, 0, shown.Width(), shown.Height());
        clean_(part).copyTo(view_(part));
        // The crop box over the watermark over the sub-image box.
        for (CDrawObject* object : {static_cast<CDrawObject*>(subImageBox_.get()),
                                    static_cast<CDrawObject*>(waterMark_.get()),
                                    static_cast<CDrawObject*>(cropBox_.get())}) {
            if (object) {
                object->Draw(view_, visible_, scale_);
            }
        }
        // The view goes into the memory picture at the destination, converted
        // to its 32-bit pixels on the way.
        const IntRect target = Intersect(Offset(shown, destination_.left, destination_.top),
                                         {0, 0, memory_.width(), memory_.height()});
        if (!IsEmpty(target)) {
            cv::Mat memory(memory_.height(), memory_.width(), CV_8UC4, memory_.bits(),
                           static_cast<size_t>(memory_.bytesPerLine()));
            cv::Mat into =
                memory(cv::Rect(target.left, target.top, target.Width(), target.Height()));
            const cv::Mat from =
                view_(cv::Rect(target.left - destination_.left, target.top - destination_.top,
                               target.Width(), target.Height()));
            cv::cvtColor(from, into, cv::COLOR_BGR2BGRA);
        }
    }
    QPainter window(this);
    window.drawImage(event->rect(), memory_, event->rect());
}

void CObjectContainer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UpdateClientRect(rect());
    if (frame_.empty()) {
        return;
    }
    fitScale_ = FitScale(frame_.size(), {client_.Width(), client_.Height()});
    if (fitMode_) {
        scale_ = fitScale_;
        Layout(CenterPoint(client_), {frame_.cols / 2, frame_.rows / 2});
    } else {
        // Keep the visible rectangle's corner; centre an axis the zoomed
        // frame does not fill.
        const cv::Size zoomed = ZoomedSize(frame_.size(), scale_);
        CentreOrSpan(zoomed.width, client_.Width(), destination_.left, destination_.right);
        CentreOrSpan(zoomed.height, client_.Height(), destination_.top, destination_.bottom);
        visible_.right = visible_.left + destination_.Width();
        visible_.bottom = visible_.top + destination_.Height();
        visible_ = ClampVisibleRect(visible_, frame_.size(), scale_);
    }
    Render();
    update();
}

void CObjectContainer::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const cv::Point point = ToPoint(event->position());
    lastMouse_ = point;
    buttonDown_ = true;
    if (!frame_.empty() && Contains(client_, point)) {
        const cv::Point zoomed = ClientToZoomed(point);
        CDrawObject* const objects[] = {subImageBox_.get(), waterMark_.get(), cropBox_.get()};
        for (CDrawObject* object : objects) {
            if (!object) {
                continue;
            }
            if (!object->OnLButtonDown(zoomed, ObjectScale())) {
                object->Select(false);
                update(ToQRect(destination_));
                continue;
            }
            active_ = object;
            if (object == cropBox_.get()) {
                break;
            }
            // The sub-image box or the watermark: the others let go.
            for (CDrawObject* other : objects) {
                if (other && other != object) {
                    other->Select(false);
                }
            }
            update(ToQRect(destination_));
            break;
        }
    }
    setFocus(Qt::MouseFocusReason);
}

void CObjectContainer::mouseMoveEvent(QMouseEvent* event) {
    const cv::Point point = ToPoint(event->position());
    bool claimed = false;
    if (active_ && !frame_.empty()) {
        const cv::Point zoomed = ClientToZoomed(point);
        active_->OnMouseMove(zoomed, ObjectScale());
        claimed = active_->OnSetCursor(zoomed, ObjectScale());
    }
    if (!claimed) {
        setCursor(Qt::ArrowCursor);
        if (buttonDown_ && !fitMode_ && !frame_.empty()) {
            Pan(point - lastMouse_);
        }
    }
    lastMouse_ = point;
}

void CObjectContainer::Pan(cv::Point by) {
    if (!IsZoomLevel(scale_)) {
        return;
    }
    // Dragging right shows more of the left side.
    const IntRect moved = ClampVisibleRect(Offset(visible_, -by.x, -by.y), frame_.size(), scale_);
    if (moved == visible_) {
        return;
    }
    RenderPanned(frame_, scale_, visible_, moved, clean_, view_);
    visible_ = moved;
    update(ToQRect(destination_));
}

void CObjectContainer::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    buttonDown_ = false;
    if (active_ && !frame_.empty()) {
        active_->OnLButtonUp(ClientToZoomed(ToPoint(event->position())), ObjectScale());
        update(ToQRect(destination_));
        // A box that burns in may have moved or turned.
        if (active_ == subImageBox_.get() || active_ == waterMark_.get()) {
            PublishOverlays();
        }
    }
}

void CObjectContainer::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (cropBox_) {
        cropBox_->Select(false);
        update(ToQRect(destination_));
    }
    platform::PostWindowMessage(parentWidget(), platform::WM_PREVIEW_DBLCLK, 0, 0);
}

void CObjectContainer::wheelEvent(QWheelEvent* event) {
    if (!rect().contains(event->position().toPoint()) || frame_.empty() ||
        !Contains(client_, lastMouse_)) {
        event->ignore();
        return;
    }
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        return;
    }
    // A turn the other way starts afresh: a part notch left from before must
    // not swallow it.
    if ((delta > 0) != (wheelRemainder_ > 0)) {
        wheelRemainder_ = 0;
    }
    wheelRemainder_ += delta;
    while (std::abs(wheelRemainder_) >= kWheelStep) {
        const bool in = wheelRemainder_ > 0;
        wheelRemainder_ += in ? -kWheelStep : kWheelStep;
        // Zoom about the pixel under the cursor when the cursor is on the
        // picture, else about the frame's centre.
        if (Contains(destination_, lastMouse_)) {
            ZoomTo(in, lastMouse_, ZoomedToImage(ClientToZoomed(lastMouse_)));
        } else {
            ZoomTo(in, CenterPoint(client_), {frame_.cols / 2, frame_.rows / 2});
        }
    }
}

}  // namespace orbisk
