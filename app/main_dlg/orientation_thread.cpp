#include "app/main_dlg/orientation_thread.h"

#include "app/main_dlg/camera_port.h"
#include "imaging/document_crop.h"
#include "platform/window_messages.h"
#include "recognition/doc_ocr.h"

namespace orbisk {
namespace {

class DocOcrDetector : public IOrientationDetector {
  public:
    bool Initialize(const std::string& templatePath) override {
        return ocr_.Initialize(templatePath.c_str());
    }
    bool Detect(const cv::Mat& page, int* angle) override {
        // Blobs from the thresholded page.
        return ocr_.Detect(page, angle, false);
    }

  private:
    CDocOCR ocr_;
};

void ReportEnd(OrientationCamera& camera, QObject* window) {
    camera.endedByItself = true;
    platform::PostWindowMessage(window, platform::WM_ORIENTATION_RESULT, 0, 0);
}

}  // namespace

std::unique_ptr<IOrientationDetector> MakeDocOcrDetector() {
    return std::make_unique<DocOcrDetector>();
}

void OrientationCamera::Clear() {
    std::lock_guard lock(mutex_);
    camera_ = nullptr;
}

bool OrientationCamera::TakeFrame(cv::Mat* frame) {
    std::lock_guard lock(mutex_);
    if (camera_ == nullptr) return false;
    *frame = camera_->GetFrame();
    return true;
}

cv::Mat OrientationPage(const cv::Mat& frame) {
    cv::Mat page;
    if (!CropDocument(frame, kCropDetection, 0, page) || page.empty()) {
        return frame;
    }
    return page;
}

void RunOrientation(platform::WorkerThread::Context& context, OrientationCamera& camera,
                    const OrientationDetectorFactory& makeDetector, const std::string& templatePath,
                    QObject* window, std::chrono::milliseconds period) {
    std::unique_ptr<IOrientationDetector> detector = makeDetector ? makeDetector() : nullptr;
    if (!detector || !detector->Initialize(templatePath)) {
        ReportEnd(camera, window);
        return;
    }
    bool skip = false;
    while (context.WaitFor(period)) {
        cv::Mat frame;
        if (!camera.TakeFrame(&frame)) {
            ReportEnd(camera, window);
            return;
        }
        if (skip) {
            skip = false;
            continue;
        }
        if (frame.empty()) continue;
        int angle = 0;
        if (detector->Detect(OrientationPage(frame), &angle)) {
            platform::PostWindowMessage(window, platform::WM_ORIENTATION_RESULT, 1, angle);
            skip = true;
        }
    }
}

int RotationAfterOrientation(int docRotation, qintptr angle) {
    if (angle != 0 && angle != 90 && angle != 180 && angle != 270) return -1;
    return (docRotation + 360 - static_cast<int>(angle)) % 360;
}

}  // namespace orbisk
