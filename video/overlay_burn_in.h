#pragma once

#include "video/sub_image_box.h"
#include "video/watermark_object.h"

#include <opencv2/core.hpp>

#include <memory>
#include <mutex>

namespace orbisk {

// What the canvas burns into captures and recordings, for the threads that
// can't reach the canvas (a worker's capture, a recorder's streaming
// thread): copies of the sub-image box and the watermark box that the
// canvas's thread refreshes whenever they change. Any thread.
class OverlayBurnIn {
  public:
    // Takes the copies (none for an object that does not exist).
    void Set(std::unique_ptr<CSubImageBox> subImage, std::unique_ptr<CWaterMarkObject> waterMark);
    // Whether Burn would change a picture.
    bool Any() const;
    // As the canvas does: the sub-image box, then the watermark at scale 1.
    void Burn(cv::Mat& picture);

  private:
    mutable std::mutex lock_;
    std::unique_ptr<CSubImageBox> subImage_;
    std::unique_ptr<CWaterMarkObject> waterMark_;
};

}  // namespace orbisk
