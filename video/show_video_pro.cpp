#include "video/show_video_pro.h"

#include "video/log_categories.h"

#include "imaging/frame_pool.h"
#include "platform/window_messages.h"
#include "video/grab_filter.h"
#include "video/object_container.h"

#include <QCoreApplication>
#include <QThread>
#include <QtDebug>

#include <chrono>
#include <numbers>

namespace orbisk {
namespace {

using namespace platform;

// Both previews live on the UI thread, the thread of the application object.
bool OnUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

constexpr auto kFrameWait = std::chrono::milliseconds(1000);

}  // namespace

CShowVideoPro::CShowVideoPro() = default;

CShowVideoPro::~CShowVideoPro() { StopFrameThread(); }

bool CShowVideoPro::IsPreviewMessage(int message) {
    switch (message) {
        case WM_FRAME_READY:
        case WM_SECOND_FRAME_READY:
        case WM_PREVIEW_SET_OBJECT:
        case WM_PREVIEW_REMOVE_OBJECT:
        case WM_PREVIEW_GET_IMAGE:
        case WM_PREVIEW_FRAME_DONE:
        case WM_PREVIEW_SET_VIEW:
        case WM_PREVIEW_GET_OBJECT:
            return true;
        default:
            return false;
    }
}

qintptr CShowVideoPro::Send(int message, qintptr wParam, qintptr lParam) {
    if (!OnUiThread()) {
        qCWarning(lcVideo, "preview: message %d refused off the UI thread", message);
        return 1;
    }
    return HandleMessage(message, wParam, lParam);
}

qintptr CShowVideoPro::HandleMessage(int message, qintptr wParam, qintptr lParam) {
    CObjectContainer* canvas = Canvas();
    switch (message) {
        case WM_FRAME_READY:
            SignalFrame();
            return 0;
        case WM_SECOND_FRAME_READY:
            ShowSecondFrame();
            return 0;
        case WM_PREVIEW_SET_OBJECT: {
            if (!canvas) {
                return 1;
            }
            if (wParam == 0) {
                if (lParam == 0) {
                    canvas->CreateCropBox();
                } else {
                    const auto* r = reinterpret_cast<const CropRectRequest*>(lParam);
                    canvas->SetCropRect(r->left, r->top, r->right, r->bottom, r->keepAspect);
                }
                RememberCropRect();
                return 0;
            }
            if (wParam == 1 && lParam != 0) {
                const auto* r = reinterpret_cast<const IntRect*>(lParam);
                return canvas->SetSubImageBox(r->left, r->top, r->right, r->bottom) ? 0 : 1;
            }
            if (wParam == 2 && lParam != 0) {
                return canvas->SetWaterMark(*reinterpret_cast<const WaterMarkSettings*>(lParam))
                           ? 0
                           : 1;
            }
            return 1;
        }
        case WM_PREVIEW_REMOVE_OBJECT:
            if (canvas && wParam == 0) {
                canvas->RemoveCropBox();
                RememberCropRect();
            } else if (canvas && wParam == 1) {
                canvas->RemoveSubImageBox();
            } else if (canvas && wParam == 2) {
                canvas->RemoveWaterMark();
            }
            return 0;
        case WM_PREVIEW_GET_IMAGE:
            switch (wParam) {
                case 2:
                    GetFrame(*reinterpret_cast<cv::Mat*>(lParam));
                    return 0;
                case 3:
                    return CopyCutOuts(*reinterpret_cast<std::vector<cv::Mat>*>(lParam));
                case 4:
                    return CopyComposited(*reinterpret_cast<cv::Mat*>(lParam));
                default:
                    return 1;
            }
        case WM_PREVIEW_FRAME_DONE:
            ShowProcessedFrame();
            return 0;
        case WM_PREVIEW_SET_VIEW:
            if (wParam == 0) {
                std::lock_guard lock(lock_);
                margins_ = *reinterpret_cast<const TrimMargins*>(lParam);
            } else if (wParam == 1) {
                TurnView(static_cast<int>(lParam));
            } else if (wParam == 5 && canvas) {
                lParam == 0 ? canvas->ZoomIn() : canvas->ZoomOut();
            }
            return 0;
        case WM_PREVIEW_GET_OBJECT:
            if (!canvas || lParam == 0) {
                return 1;
            }
            if (wParam == 2) {
                return canvas->GetWaterMark(*reinterpret_cast<WaterMarkSettings*>(lParam)) ? 0 : 1;
            }
            return canvas->GetObjectGeometry(static_cast<int>(wParam),
                                             *reinterpret_cast<IntRect*>(lParam))
                       ? 0
                       : 1;
        default:
            return -1;
    }
}

void CShowVideoPro::ApplyMargins(IntRect& rect) { rect = ApplyTrimMargins(rect, Margins()); }

bool CShowVideoPro::SetRotation(int degrees) {
    const int turn = NormaliseQuarterTurn(degrees);
    if (turn < 0 || !CanTurn()) {
        return false;
    }
    if (turn != Rotation()) {
        Send(WM_PREVIEW_SET_VIEW, 1, turn);
    }
    return true;
}

void CShowVideoPro::TurnView(int rotation) {
    CObjectContainer* canvas = Canvas();
    if (!canvas) {
        return;
    }
    switch (TurnBetween(Rotation(), rotation)) {
        case ViewTurn::kRight:
            canvas->RotateRight();
            break;
        case ViewTurn::kLeft:
            canvas->RotateLeft();
            break;
        case ViewTurn::kHalf:
            canvas->Rotate180();
            break;
        case ViewTurn::kNone:
            break;
    }
    {
        std::lock_guard lock(lock_);
        rotation_ = rotation;
    }
    RememberCropRect();
}

bool CShowVideoPro::SetMargins(int left, int top, int right, int bottom) {
    TrimMargins rounded = RoundMargins({left, top, right, bottom});
    Send(WM_PREVIEW_SET_VIEW, 0, reinterpret_cast<qintptr>(&rounded));
    return true;
}

void CShowVideoPro::SetAutoDetect(bool on, bool multi, float threshold) {
    if (!on) {
        std::lock_guard lock(lock_);
        autoDetect_ = false;
        boxes_.clear();
        return;
    }
    {
        std::lock_guard lock(lock_);
        threshold_ = threshold;
        autoDetect_ = true;
        multi_ = multi;
    }
    Send(WM_PREVIEW_REMOVE_OBJECT, 0);
}

void CShowVideoPro::EnableCustomCropBox(bool on) {
    if (on) {
        {
            std::lock_guard lock(lock_);
            autoDetect_ = false;
        }
        Send(WM_PREVIEW_SET_OBJECT, 0, 0);
    } else {
        Send(WM_PREVIEW_REMOVE_OBJECT, 0);
    }
}

bool CShowVideoPro::GetCustomCropRect(IntRect& rect) {
    return Send(WM_PREVIEW_GET_OBJECT, 0, reinterpret_cast<qintptr>(&rect)) == 0;
}

bool CShowVideoPro::SetCustomCropRect(int left, int top, int right, int bottom, bool keepAspect) {
    CropRectRequest request{std::max(left, 0), std::max(top, 0), right, bottom, keepAspect};
    return Send(WM_PREVIEW_SET_OBJECT, 0, reinterpret_cast<qintptr>(&request)) == 0;
}

cv::Mat& CShowVideoPro::GetFrame(cv::Mat& frame) {
    frame.release();
    std::lock_guard lock(lock_);
    frame = PooledClone(lastFrame_);
    return frame;
}

std::vector<cv::Mat>& CShowVideoPro::GetCroppedImages(std::vector<cv::Mat>& images) {
    CopyCutOuts(images);
    return images;
}

qintptr CShowVideoPro::CopyCutOuts(std::vector<cv::Mat>& images) {
    images.clear();
    cv::Mat image;
    std::vector<RotatedBox> boxes;
    bool detect = false;
    {
        std::lock_guard lock(lock_);
        if (lastFrame_.empty()) {
            return 1;
        }
        // Shared, not copied: the frame thread never writes into a published
        // frame that is still read, and the cut-outs below are copies.
        image = lastFrame_;
        boxes = boxes_;
        detect = autoDetect_;
    }
    BurnOverlays(image);
    const bool byBoxes = detect && !boxes.empty();
    images = CutOutDocuments(image, boxes, detect, byBoxes ? std::nullopt : CropRect());
    return 0;
}

qintptr CShowVideoPro::CopyComposited(cv::Mat& image) {
    {
        std::lock_guard lock(lock_);
        if (lastFrame_.empty()) {
            return 1;
        }
        lastFrame_.copyTo(image);
    }
    BurnOverlays(image);
    return 0;
}

void CShowVideoPro::RenderFrame(cv::Mat& image) {
    if (!burnIn_) {
        return;
    }
    image.release();
    CopyComposited(image);
}

bool CShowVideoPro::SetSubImageBox(int left, int top, int right, int bottom) {
    IntRect rect{left, top, right, bottom};
    return Send(WM_PREVIEW_SET_OBJECT, 1, reinterpret_cast<qintptr>(&rect)) == 0;
}

bool CShowVideoPro::GetSubImageRect(IntRect& rect) {
    return Send(WM_PREVIEW_GET_OBJECT, 1, reinterpret_cast<qintptr>(&rect)) == 0;
}

void CShowVideoPro::RemoveSubImageBox() { Send(WM_PREVIEW_REMOVE_OBJECT, 1); }

bool CShowVideoPro::SetWaterMark(WaterMarkSettings settings) {
    return Send(WM_PREVIEW_SET_OBJECT, 2, reinterpret_cast<qintptr>(&settings)) == 0;
}

bool CShowVideoPro::GetWaterMark(WaterMarkSettings& settings) {
    return Send(WM_PREVIEW_GET_OBJECT, 2, reinterpret_cast<qintptr>(&settings)) == 0;
}

void CShowVideoPro::RemoveWaterMark() { Send(WM_PREVIEW_REMOVE_OBJECT, 2); }

void CShowVideoPro::Zoom(bool zoomIn) { Send(WM_PREVIEW_SET_VIEW, 5, zoomIn ? 0 : 1); }

void CShowVideoPro::SetPrimaryFrameSource(IGrabData* source) {
    {
        std::lock_guard lock(sourceLock_);
        primary_ = source;
        hasPrimary_ = source != nullptr;
    }
    // A source announces its frames once until one is taken: a frame that
    // arrived before it was attached is taken now, so the next is announced.
    if (source) SignalFrame();
}

void CShowVideoPro::SetSecondaryFrameSource(IGrabData* source) {
    std::lock_guard lock(sourceLock_);
    secondary_ = source;
}

TrimMargins CShowVideoPro::Margins() const {
    std::lock_guard lock(lock_);
    return margins_;
}

int CShowVideoPro::Rotation() const {
    std::lock_guard lock(lock_);
    return rotation_;
}

bool CShowVideoPro::IsAutoDetect() const {
    std::lock_guard lock(lock_);
    return autoDetect_;
}

std::vector<RotatedBox> CShowVideoPro::Boxes() const {
    std::lock_guard lock(lock_);
    return boxes_;
}

std::optional<IntRect> CShowVideoPro::CropRect() {
    if (OnUiThread()) {
        RememberCropRect();
    }
    std::lock_guard lock(lock_);
    return cropRect_;
}

void CShowVideoPro::RememberCropRect() {
    std::optional<IntRect> rect;
    IntRect r;
    if (CObjectContainer* canvas = Canvas(); canvas && canvas->GetObjectGeometry(0, r)) {
        rect = r;
    }
    std::lock_guard lock(lock_);
    cropRect_ = rect;
}

void CShowVideoPro::SetOverlayBurnIn(std::shared_ptr<OverlayBurnIn> burnIn) {
    std::lock_guard lock(lock_);
    overlayBurnIn_ = std::move(burnIn);
}

void CShowVideoPro::BurnOverlays(cv::Mat& image) {
    // The frame may be shared with the preview: burn into a copy.
    if (OnUiThread()) {
        if (CObjectContainer* canvas = Canvas(); canvas && canvas->BurnsOverlays()) {
            image = PooledClone(image);
            canvas->OnBurnOverlays(&image);
        }
        return;
    }
    // Other threads can't reach the canvas; its copies burn the same.
    std::shared_ptr<OverlayBurnIn> burnIn;
    {
        std::lock_guard lock(lock_);
        burnIn = overlayBurnIn_;
    }
    if (burnIn && burnIn->Any()) {
        image = PooledClone(image);
        burnIn->Burn(image);
    }
}

void CShowVideoPro::StartFrameThread(QObject* window, const IntRect& rect) {
    StopFrameThread();
    rect_ = rect;
    {
        std::lock_guard lock(eventLock_);
        frameSignalled_ = false;
    }
    {
        std::lock_guard lock(handoffLock_);
        window_ = window;
        pendingFresh_ = false;
        posted_ = false;
    }
    frameThread_.Start(
        [this](platform::WorkerThread::Context& context) { FrameThreadProc(context); });
}

void CShowVideoPro::StopFrameThread() { frameThread_.Stop(); }

void CShowVideoPro::ForgetWindow() {
    std::lock_guard lock(handoffLock_);
    window_ = nullptr;
    pendingFresh_ = false;
}

void CShowVideoPro::SignalFrame() {
    // The frame thread takes the source under the preview lock; the UI
    // thread need not wait for that lock here.
    if (!hasPrimary_) {
        return;
    }
    {
        std::lock_guard lock(eventLock_);
        frameSignalled_ = true;
    }
    event_.notify_one();
}

void CShowVideoPro::FrameThreadProc(platform::WorkerThread::Context& context) {
    while (!context.StopRequested()) {
        {
            std::unique_lock lock(eventLock_);
            if (!event_.wait_for(lock, context.Token(), kFrameWait,
                                 [this] { return frameSignalled_; })) {
                continue;  // a timeout or a stop: look at the stop request again
            }
            frameSignalled_ = false;
        }
        ProcessFrame();
        ++framePasses_;
    }
}

bool CShowVideoPro::ProcessFrame() {
    std::lock_guard pass(processLock_);
    TrimMargins margins;
    int rotation = 0;
    bool detect = false, multi = false;
    float threshold = 0;
    {
        // Not under the preview lock: a capture meanwhile takes the last
        // frame without waiting for this copy.
        std::lock_guard source(sourceLock_);
        // A frame event without a frame to take processes nothing.
        if (!primary_ || !primary_->GetFrame(&input_)) {
            return false;
        }
    }
    {
        std::lock_guard lock(lock_);
        margins = margins_;
        rotation = rotation_;
        detect = autoDetect_;
        multi = multi_;
        threshold = threshold_;
    }
    int width = 0, height = 0;
    input_.GetSize(width, height);
    const IntRect part = ApplyTrimMargins({0, 0, width, height}, margins);
    if (!TrimAndTurn(input_, part, rotation, work_, output_)) {
        return false;
    }
    StoreToPicture(output_, nextFrame_);
    std::vector<RotatedBox> boxes;
    if (detect) {
        if (multi) {
            boxes = output_.DrawDetectedBoxes(threshold);
        } else {
            boxes.push_back(output_.DrawDetectedBox(true, RotatedBox{}, threshold));
        }
        StoreToPicture(output_, nextDisplay_);
    } else {
        nextFrame_.copyTo(nextDisplay_);
    }
    {
        std::lock_guard lock(lock_);
        std::swap(lastFrame_, nextFrame_);
        // Detection switched off meanwhile keeps the list empty.
        boxes_ = autoDetect_ ? std::move(boxes) : std::vector<RotatedBox>{};
    }
    ++framesProcessed_;
    Publish(rotation);
    return true;
}

void CShowVideoPro::Publish(int rotation) {
    std::lock_guard lock(handoffLock_);
    if (!window_) {
        return;
    }
    // The picture not yet shown is replaced; one message is on its way.
    std::swap(pending_, nextDisplay_);
    pendingFresh_ = true;
    pendingRotation_ = rotation;
    if (!posted_) {
        posted_ = true;
        PostWindowMessage(window_, WM_PREVIEW_FRAME_DONE, 0, 1);
    }
}

void CShowVideoPro::ShowProcessedFrame() {
    int rotation = 0;
    {
        std::lock_guard lock(handoffLock_);
        posted_ = false;
        if (!pendingFresh_) {
            return;
        }
        std::swap(shown_, pending_);
        pendingFresh_ = false;
        rotation = pendingRotation_;
    }
    CObjectContainer* canvas = Canvas();
    // A frame turned the old way would undo the turn the canvas just made.
    if (shown_.empty() || !canvas || rotation != Rotation()) {
        return;
    }
    canvas->ShowFrame(shown_);
    ++framesShown_;
    RememberCropRect();
    UpdateAngleMarker();
}

void CShowVideoPro::UpdateAngleMarker() {
    CObjectContainer* canvas = Canvas();
    CSubImageBox* box = canvas ? canvas->SubImageBox() : nullptr;
    if (!box) {
        return;
    }
    bool on = false;
    float angle = 0;
    {
        std::lock_guard lock(lock_);
        if (autoDetect_ && !boxes_.empty()) {
            on = true;
            angle = boxes_.front().angle;
        }
    }
    canvas->SetSubImageMarker(on, on ? -angle * std::numbers::pi / 180 : 0);
}

void CShowVideoPro::ShowSecondFrame() {
    CObjectContainer* canvas = Canvas();
    if (!canvas || !canvas->SubImageBox()) {
        return;
    }
    {
        // Copied under the source lock; the canvas is reached after it.
        std::lock_guard source(sourceLock_);
        if (!secondary_ || !secondary_->GetFrame(&second_)) {
            return;
        }
    }
    int width = 0, height = 0;
    if (second_.GetSize(width, height)) {
        canvas->SetSubImage(second_.GetData(), width, height);
    }
}

}  // namespace orbisk
