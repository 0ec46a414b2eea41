// Turning a captured frame into finished pages: crop, colour mode,
// brightness, shadow and watermark.

#include "documents/image_saver.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

#include "imaging/binarization.h"
#include "imaging/deskew.h"
#include "imaging/document_crop.h"
#include "imaging/enhancement.h"
#include "imaging/frame_pool.h"
#include "imaging/noise_cleaning.h"

namespace orbisk {
namespace {

constexpr int kDeskewMargin = 10;

// Black-and-white conversion.
constexpr int kBilevelElementSize = 21;
constexpr int kBilevelBlockParameter = 301;
constexpr double kBilevelFactor = 0.4;
constexpr double kModel5BilevelFactor = 0.5;
constexpr int kModel5 = 5;

constexpr int kCaptureBrightnessTarget = 240;
constexpr int kImageBrightnessTarget = 250;
constexpr int kShadowThreshold = 50;

constexpr int kColour = int(ColourMode::Colour);
constexpr int kGrey = int(ColourMode::Grey);
constexpr int kBlackAndWhite = int(ColourMode::BlackAndWhite);

// The page of the largest area; the first of equal areas wins.
cv::Mat LargestPage(const std::vector<cv::Mat>& pages) {
    const auto largest =
        std::max_element(pages.begin(), pages.end(), [](const cv::Mat& a, const cv::Mat& b) {
            return static_cast<long long>(a.rows) * a.cols <
                   static_cast<long long>(b.rows) * b.cols;
        });
    return *largest;
}

// The frame's pages by crop mode.
std::vector<cv::Mat> CropPages(const cv::Mat& frame, const SysSettings& s) {
    std::vector<cv::Mat> pages;
    switch (s.CUTPAGETYPE) {
        case int(CropMode::Automatic): {
            cv::Mat page;
            if (s.ISMUTICUTPAGE) {
                if (!CropDocuments(frame, pages, kCropDetection, 0)) {
                    pages.assign(1, frame);
                }
                // A page cut to nothing cannot be saved.
                std::erase_if(pages, [](const cv::Mat& p) { return p.empty(); });
                if (pages.empty()) {
                    pages.push_back(frame);
                }
                return pages;
            }
            if (s.DEFORMATION) {
                DeskewDocument(frame, page, kPageDetection, kDeskewMargin);
            } else {
                CropDocument(frame, kCropDetection, 0, page);
            }
            pages.push_back(page.empty() ? frame : page);
            return pages;
        }
        case int(CropMode::CustomRectangle): {
            const IntRect& r = s.CaptureCropRect;
            CropRect(frame, pages, r.left, r.top, r.right - r.left, r.bottom - r.top);
            return pages;
        }
        default:
            pages.push_back(frame);
            return pages;
    }
}

// Whether the two matrices use one buffer.
bool SharesPixels(const cv::Mat& a, const cv::Mat& b) {
    return a.u ? a.u == b.u : a.datastart == b.datastart;
}

}  // namespace

CImageSaver::CImageSaver(int language, ISaverNotifier* notifier) : notifier_(notifier) {
    settings_.COLOR = kColour;
    settings_.CUTPAGETYPE = int(CropMode::None);
    settings_.XDPI = 96;
    settings_.YDPI = 96;
    settings_.JPGQuality = 80;
    LoadTexts(language);
}

void CImageSaver::Show(const QString& text, SaverIcon icon) const {
    if (notifier_ != nullptr) {
        notifier_->ShowMessage(text, icon);
    }
}

double CImageSaver::BilevelFactor() const {
    return settings_.CameraModel == kModel5 ? kModel5BilevelFactor : kBilevelFactor;
}

int CImageSaver::ProcessCapture(const cv::Mat& frame, std::vector<cv::Mat>& pages) {
    if (frame.empty()) {
        return 1;
    }
    std::vector<cv::Mat> cropped = CropPages(frame, settings_);
    if (cropped.size() > 1 && !settings_.ISMUTICUTPAGE) {
        cropped.assign(1, LargestPage(cropped));
    }
    // Only this frame's pages are processed: pages already in the caller's
    // list are finished.
    ProcessPages(cropped, BilevelFactor(), kCaptureBrightnessTarget);
    pages.insert(pages.end(), cropped.begin(), cropped.end());
    return 0;
}

cv::Mat CImageSaver::ProcessImage(const cv::Mat& image) {
    if (image.empty()) {
        return {};
    }
    // Every step writes its result into a new page and never into the one
    // it was given, so the image is copied only when no step did.
    std::vector<cv::Mat> pages{image};
    ProcessPages(pages, kBilevelFactor, kImageBrightnessTarget);
    cv::Mat& page = pages.front();
    if (SharesPixels(page, image)) {
        page = PooledClone(page);
    }
    return page;
}

void CImageSaver::ProcessPages(std::vector<cv::Mat>& pages, double bilevelFactor,
                               int brightnessTarget) {
    const int mode = settings_.COLOR;
    for (cv::Mat& page : pages) {
        if (mode == kGrey && page.channels() == 3) {
            // The RGB weights on BGR data: 0.299 falls on blue.
            cv::Mat grey;
            cv::cvtColor(page, grey, cv::COLOR_RGB2GRAY);
            page = grey;
        } else if (mode == kBlackAndWhite) {
            cv::Mat bilevel =
                BinarizeDocument(page, kBilevelElementSize, kBilevelBlockParameter, bilevelFactor);
            if (!bilevel.empty()) {
                if (settings_.NoiseSize > 0) {
                    RemoveSpeckles(bilevel, settings_.NoiseSize);
                }
                ClearBorderNoise(bilevel);
                page = bilevel;
            }
        }
    }

    CImageProcess process;
    if (mode != kBlackAndWhite) {
        for (cv::Mat& page : pages) {
            cv::Mat normalised;
            if (process.NormalizeBrightness(page, normalised, brightnessTarget)) {
                page = normalised;
            }
        }
    }

    if (settings_.SHADOW) {
        for (cv::Mat& page : pages) {
            if (mode == kColour) {
                page = WhitenBackground(page, bilevelFactor);
            } else if (mode == kGrey) {
                cv::Mat flattened;
                if (process.RemoveShadow(page, flattened, kShadowThreshold)) {
                    page = flattened;
                }
            }
        }
    }

    if ((settings_.DateMark || settings_.Custom) && !pages.empty()) {
        const QString text = settings_.MakeWatermarkText();
        for (cv::Mat& page : pages) {
            // A refused watermark (a bad size or position in Sys.ini) keeps the
            // page without it rather than losing the capture.
            if (SetWatermarkText(text, 0, settings_.Transparency, settings_.Position,
                                 settings_.Size, static_cast<unsigned>(settings_.Color))) {
                cv::Mat marked = PooledClone(page);
                DrawWatermark(marked, Watermark);
                page = marked;
            }
        }
    }
}

cv::Mat CImageSaver::WhitenBackground(const cv::Mat& image) {
    return WhitenBackground(image, BilevelFactor());
}

cv::Mat CImageSaver::WhitenBackground(const cv::Mat& image, double bilevelFactor) {
    cv::Mat mask =
        BinarizeDocument(image, kBilevelElementSize, kBilevelBlockParameter, bilevelFactor);
    if (mask.empty()) {
        return image;
    }
    if (settings_.NoiseSize > 0) {
        RemoveSpeckles(mask, settings_.NoiseSize);
    }
    ClearBorderNoise(mask);
    cv::Mat whitened = image.clone();
    whitened.setTo(cv::Scalar::all(255), mask == 255);
    return whitened;
}

}  // namespace orbisk
