#include "video/overlay_burn_in.h"

namespace orbisk {

void OverlayBurnIn::Set(std::unique_ptr<CSubImageBox> subImage,
                        std::unique_ptr<CWaterMarkObject> waterMark) {
    std::unique_lock lock(lock_);
    std::swap(subImage_, subImage);
    std::swap(waterMark_, waterMark);
    lock.unlock();
    // The old copies go outside the lock.
}

bool OverlayBurnIn::Any() const {
    std::lock_guard lock(lock_);
    return (subImage_ && !subImage_->Picture().empty()) || waterMark_;
}

void OverlayBurnIn::Burn(cv::Mat& picture) {
    if (picture.empty()) {
        return;
    }
    // The watermark's drawing renders into its copy: one burn at a time.
    std::lock_guard lock(lock_);
    if (subImage_) {
        subImage_->BurnIn(picture);
    }
    if (waterMark_) {
        waterMark_->Draw(picture, {0, 0, picture.cols, picture.rows}, 1);
    }
}

}  // namespace orbisk
