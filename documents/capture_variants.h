#pragma once

#include "core/int_rect.h"
#include "core/sys_settings.h"

#include <QByteArray>
#include <QString>
#include <opencv2/core/mat.hpp>

#include <optional>
#include <vector>

namespace orbisk {

// What the capture variants (capture to PDF, photocopy, text recognition,
// video) add to the capture road, without a window.

// The PDF written beside a captured image: its name up to the last "." and
// ".pdf" (the whole name and ".pdf" when it has no extension).
QString PdfNameBeside(const QString& image);

// The settings text recognition crops and processes the frame with: colour,
// no shadow removal, no deskew, no watermark text, one page; the camera's
// custom crop rectangle, when it has one, as the capture's crop.
SysSettings RecognitionSettings(const SysSettings& settings,
                                const std::optional<IntRect>& customCrop);

// The page with the largest area, the first of equals; -1 for none.
int LargestPageIndex(const std::vector<cv::Mat>& pages);

// The page text recognition reads: the frame cropped and processed under
// `settings` (RecognitionSettings), the largest page. Empty when the frame
// gives none.
cv::Mat RecognitionPage(const cv::Mat& frame, const SysSettings& settings);

// Writes the recognised text as UTF-8 without a byte-order mark, creating or
// truncating the file; invalid UTF-8 sequences become U+FFFD. False when the
// file could not be written whole.
bool WriteRecognizedText(const QString& path, const QByteArray& utf8);

}  // namespace orbisk
