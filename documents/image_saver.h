#pragma once

#include <QString>
#include <QStringList>
#include <opencv2/core.hpp>

#include <string>
#include <vector>

#include "core/image_loader.h"
#include "core/sys_settings.h"
#include "documents/saver_notifier.h"

namespace orbisk {

// The text watermark burnt into a page.
struct SaverWatermark {
    unsigned colour = 0;  // 0x00BBGGRR
    QString text;
    int position = 0;      // 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right, 4 centre
    int transparency = 0;  // percent: 0 opaque text, 100 invisible
    int size = 0;          // font cell height in pixels
};

// Turns the frame of one capture into finished pages (crop, colour mode,
// brightness, shadow, watermark) and writes them under one base name in the
// configured format, optionally named after a barcode on the page. Lives for
// one command on the UI thread:
//   CImageSaver saver(language, &notifier);
//   saver.SetSettings(settings);
//   saver.ProcessCapture(frame, pages);   // or ProcessImage per image
//   saver.SaveImages(pages, baseName, written);
class CImageSaver : public CImageLoader {
  public:
    // Key colour of the watermark's text bitmap: pixels of exactly this grey
    // leave the page unchanged.
    static constexpr int kWatermarkKeyGrey = 168;

    // `notifier` (may be null: no messages) must outlive the saver.
    explicit CImageSaver(int language, ISaverNotifier* notifier = nullptr);

    void SetSettings(const SysSettings& settings) { settings_ = settings; }
    const SysSettings& Settings() const { return settings_; }

    // Crops the frame by CUTPAGETYPE, converts and enhances the pages and
    // appends them to `pages`. 0 when done, 1 for an empty frame (nothing
    // appended).
    int ProcessCapture(const cv::Mat& frame, std::vector<cv::Mat>& pages);

    // The same chain without cropping, for an image already cut out; empty for
    // an empty image.
    cv::Mat ProcessImage(const cv::Mat& image);

    // Reads barcodes when RECOGNIZE is set, then writes every page under
    // `baseName` (no extension; "_00", "_01", ... when there are several) in
    // the IMG_FORMAT and appends the names of the files really written to
    // `written`. Failed writes go to the notifier. Always 0.
    int SaveImages(const std::vector<cv::Mat>& pages, const QString& baseName,
                   QStringList& written);

    // `name` + ".jpg" with XDPI, YDPI and JPGQuality; the written path, or
    // empty when nothing was written.
    QString SaveJpeg(const cv::Mat& page, const QString& name);
    // `name` + ".tif", one black-and-white page (CCITT G4); the written path,
    // or empty when nothing was written.
    QString SaveTiff(const cv::Mat& page, const QString& name);

    // Two image files on one white canvas (see MergeImagePair), written under
    // `baseName` in the COLOR mode: a black-and-white ".tif" (CCITT G4),
    // otherwise a ".jpg". `orientation` 1 stacks `pathB` below `pathA`, 0
    // puts it to the right. The written path, or empty when either file
    // cannot be read or nothing was written.
    QString MergeImages(const QString& pathA, const QString& pathB, const QString& baseName,
                        int orientation, int gap);
    QString MergeTopBottom(const QString& pathA, const QString& pathB, const QString& baseName,
                           int colourMode, int gap);
    QString MergeLeftRight(const QString& pathA, const QString& pathB, const QString& baseName,
                           int colourMode, int gap);

    // The colour page with its paper turned pure white (the capture's
    // black-and-white factor).
    cv::Mat WhitenBackground(const cv::Mat& image);

    // Stores the watermark for DrawWatermark. Only kind 0 (text), position
    // 0..4, transparency 0..100 and size >= 1 are accepted; otherwise false
    // and the stored text is empty.
    bool SetWatermarkText(const QString& text, int kind, int transparency, int position, int size,
                          unsigned colour);

    // Burns the watermark text into `image` (one or three channels) in
    // Liberation Sans without antialiasing. An empty text draws nothing.
    static void DrawWatermark(cv::Mat& image, const SaverWatermark& watermark);

    // The barcode texts read while a collection or merge mode is on, as the
    // reader returned them (UTF-8); texts that cannot name a file are left
    // out. Never cleared.
    std::vector<std::string> BarcodeNames;
    SaverWatermark Watermark;

  private:
    // The saver's operator texts in the language (0, 1, 2; others: empty).
    void LoadTexts(int language);
    // Steps after the crop: colour mode, brightness, shadow, watermark.
    void ProcessPages(std::vector<cv::Mat>& pages, double bilevelFactor, int brightnessTarget);
    // The black-and-white factor: 0.5 for the document camera of model 5.
    double BilevelFactor() const;
    cv::Mat WhitenBackground(const cv::Mat& image, double bilevelFactor);
    QString Merge(const QString& pathA, const QString& pathB, const QString& baseName, bool stacked,
                  int colourMode, int gap);
    // Step 2 of saving: the barcode name or text file; returns the name to use.
    QString ApplyBarcodes(const std::vector<cv::Mat>& pages, const QString& baseName);
    // One page in the IMG_FORMAT; the written path or empty.
    QString WritePage(const cv::Mat& page, const QString& name);
    void Show(const QString& text, SaverIcon icon) const;

    ISaverNotifier* notifier_ = nullptr;
    QString specialCharactersText_;
    QString savedInText_;
    QString notRecognisedText_;
    QString notSavedInText_;
    SysSettings settings_;
};

}  // namespace orbisk
