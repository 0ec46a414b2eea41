#pragma once

#include <QString>
#include <QStringList>
#include <opencv2/core/mat.hpp>

#include <string>
#include <vector>

#include "core/sys_settings.h"
#include "documents/saver_notifier.h"

namespace orbisk {

// The road of one capture between the camera and the window: the cut-outs of
// the current camera and a copy of the settings in, the files written out.
// Every capture command grabs the cut-outs and chooses the base name first,
// and hands the result on afterwards (thumbnail strip, merge dialog, page
// collection, printer); what lies between is here, without a window.
//
//   CaptureFrames frames{camera->GetCroppedImages(), width, height};
//   const CaptureResult result = RunCaptureRoad(frames, settings, baseName, &notifier);
//   if (result.pages == 0) return;  // nothing to capture

// What the current camera (SysSettings::CurrentCamera) gave for one capture.
struct CaptureFrames {
    // The cut-out documents of its current frame, or the whole frame.
    std::vector<cv::Mat> cutOuts;
    // The size it really delivers; <= 0 when unknown (nothing is rescaled).
    int cameraWidth = 0;
    int cameraHeight = 0;
};

struct CaptureResult {
    // The images processed and handed to the saver; 0 when there was nothing
    // to capture (then nothing else is set).
    int pages = 0;
    // The full names of the files written, in page order.
    QStringList written;
    // The barcode texts read while a merge or collection mode is on (UTF-8);
    // the merged or collected file is named after the first.
    std::vector<std::string> barcodeNames;
    // The files of the capture that could not be written.
    QStringList failures;
};

// The images of one capture, finished: each cut-out brought to the configured
// size of the current camera when the camera delivers another one, then run
// through the saver's chain (colour mode, brightness, shadow, watermark). The
// portrait camera keeps only its first cut-out, and never removes shadows.
// Empty when there is nothing to capture.
std::vector<cv::Mat> ProcessCutOuts(const CaptureFrames& frames, const SysSettings& settings);

// Saves finished images under `baseName` (no extension) as the settings say
// (CImageSaver::SaveImages). The saver's messages (barcode naming) go to
// `notifier`, which may be null; the files that could not be written go into
// the result instead.
CaptureResult SaveCapture(const std::vector<cv::Mat>& images, const QString& baseName,
                          const SysSettings& settings, ISaverNotifier* notifier);

// ProcessCutOuts, then SaveCapture when there is anything to save.
CaptureResult RunCaptureRoad(const CaptureFrames& frames, const SysSettings& settings,
                             const QString& baseName, ISaverNotifier* notifier);

}  // namespace orbisk
