#include "documents/capture_road.h"

#include "documents/capture_rescale.h"
#include "documents/image_saver.h"

namespace orbisk {
namespace {

// The saver's messages go on to the caller; its write failures stay in the
// result.
class ResultNotifier : public ISaverNotifier {
  public:
    ResultNotifier(ISaverNotifier* next, QStringList& failures)
        : next_(next), failures_(failures) {}
    void ShowMessage(const QString& text, SaverIcon icon) override {
        if (next_ != nullptr) next_->ShowMessage(text, icon);
    }
    void ReportWriteFailure(const QString& path) override { failures_.append(path); }

  private:
    ISaverNotifier* next_;
    QStringList& failures_;
};

constexpr int kPortraitCamera = 1;

}  // namespace

std::vector<cv::Mat> ProcessCutOuts(const CaptureFrames& frames, const SysSettings& settings) {
    const bool portrait = settings.CurrentCamera == kPortraitCamera;
    SysSettings used = settings;
    // No shadow removal on the portrait camera's picture.
    if (portrait) used.SHADOW = 0;
    const auto factors = portrait ? CaptureRescale(settings.PorCamWidth, settings.PorCamHeight,
                                                   frames.cameraWidth, frames.cameraHeight)
                                  : CaptureRescale(settings.DocCamWidth, settings.DocCamHeight,
                                                   frames.cameraWidth, frames.cameraHeight);
    CImageSaver saver(settings.Language);
    saver.SetSettings(used);
    std::vector<cv::Mat> images;
    for (const cv::Mat& cutOut : frames.cutOuts) {
        images.push_back(saver.ProcessImage(factors ? RescaleCutOut(cutOut, *factors) : cutOut));
        if (portrait) break;
    }
    return images;
}

CaptureResult SaveCapture(const std::vector<cv::Mat>& images, const QString& baseName,
                          const SysSettings& settings, ISaverNotifier* notifier) {
    CaptureResult result;
    result.pages = static_cast<int>(images.size());
    if (images.empty()) return result;
    ResultNotifier messages(notifier, result.failures);
    CImageSaver saver(settings.Language, &messages);
    saver.SetSettings(settings);
    saver.SaveImages(images, baseName, result.written);
    result.barcodeNames = std::move(saver.BarcodeNames);
    return result;
}

CaptureResult RunCaptureRoad(const CaptureFrames& frames, const SysSettings& settings,
                             const QString& baseName, ISaverNotifier* notifier) {
    return SaveCapture(ProcessCutOuts(frames, settings), baseName, settings, notifier);
}

}  // namespace orbisk
