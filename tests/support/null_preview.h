#pragma once

#include "video/show_video.h"

namespace orbisk::test {

// A preview with no window that does nothing and answers "done" to what it
// is asked: tests derive from it and override only what they look at.
class NullPreview : public IShowHWnd {
  public:
    QWidget* GetHWnd() override { return nullptr; }
    bool Create(QWidget*, int, int, int, int) override { return true; }
    void ApplyMargins(IntRect&) override {}
    bool SetRotation(int) override { return true; }
    bool SetMargins(int, int, int, int) override { return true; }
    void SetAutoDetect(bool, bool, float) override {}
    void EnableCustomCropBox(bool) override {}
    bool GetCustomCropRect(IntRect&) override { return false; }
    bool SetCustomCropRect(int, int, int, int, bool) override { return false; }
    bool Show(bool) override { return true; }
    void MoveWindow(int, int, int, int) override {}
    cv::Mat& GetFrame(cv::Mat& frame) override { return frame; }
    std::vector<cv::Mat>& GetCroppedImages(std::vector<cv::Mat>& images) override { return images; }
    bool SetSubImageBox(int, int, int, int) override { return false; }
    bool GetSubImageRect(IntRect&) override { return false; }
    void RemoveSubImageBox() override {}
    bool SetWaterMark(WaterMarkSettings) override { return false; }
    bool GetWaterMark(WaterMarkSettings&) override { return false; }
    void RemoveWaterMark() override {}
    void Zoom(bool) override {}
    void RenderFrame(cv::Mat&) override {}
    void SetPrimaryFrameSource(IGrabData*) override {}
    void SetSecondaryFrameSource(IGrabData*) override {}
    void SetBurnIn(bool) override {}
};

}  // namespace orbisk::test
