#include "video/grab_filter.h"

#include "platform/window_messages.h"

#include <climits>
#include <cstdlib>

namespace orbisk {

bool CGrabDataFilter::Receive(const platform::FrameSample& s) {
    if (s.data == nullptr || s.width <= 0 || s.height == 0 || s.height == INT_MIN) {
        return false;
    }
    const int rows = std::abs(s.height);
    const size_t rowBytes = static_cast<size_t>(s.width) * 3;
    if (s.stride <= 0 || static_cast<size_t>(s.stride) < rowBytes ||
        s.length / static_cast<size_t>(s.stride) < static_cast<size_t>(rows)) {
        return false;
    }
    // A top-down sample's bottom row is its last.
    const bool topDown = s.height < 0;
    const uint8_t* bottom = topDown ? s.data + static_cast<size_t>(rows - 1) * s.stride : s.data;
    const std::ptrdiff_t step = topDown ? -static_cast<std::ptrdiff_t>(s.stride) : s.stride;
    std::lock_guard lock(frameLock_);
    if (!store_.SetDataRows(bottom, step, s.width, rows)) {
        return false;
    }
    if (notifyWindow_ != nullptr && !noticePending_) {
        noticePending_ = true;
        platform::PostWindowMessage(notifyWindow_, notifyMessage_);
    }
    return true;
}

void CGrabDataFilter::SetNotify(QObject* window, int message) {
    std::lock_guard lock(frameLock_);
    notifyWindow_ = window;
    notifyMessage_ = message;
    noticePending_ = false;
}

bool CGrabDataFilter::GetFrame(CBasePR* target) {
    if (target == nullptr) {
        return false;
    }
    std::lock_guard lock(frameLock_);
    noticePending_ = false;
    int w = 0, h = 0;
    if (!store_.GetSize(w, h)) {
        return false;
    }
    return target->SetData(store_.GetData(), w, h, 0);
}

cv::Mat& CGrabDataFilter::GetFrameMat(cv::Mat& image) {
    std::lock_guard lock(frameLock_);
    image = store_.GetImage();
    return image;
}

void CSampleGrabberCallback::SampleCB() {
    platform::PostWindowMessage(target_.load(), platform::WM_CAMERA_SNAPSHOT);
}

}  // namespace orbisk
