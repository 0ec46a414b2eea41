#pragma once

#include <opencv2/core.hpp>

namespace orbisk {

// Overlay position codes of CImageProcess::PlaceOverlay.
inline constexpr int kOverlayTopLeft = 0;
inline constexpr int kOverlayTopRight = 1;
inline constexpr int kOverlayBottomLeft = 2;
inline constexpr int kOverlayBottomRight = 3;
inline constexpr int kOverlayCentre = 4;

// Enhancement steps of the save pipeline and overlay blending, on 8-bit
// matrices of one channel or three (BGR).
class CImageProcess {
  public:
    CImageProcess() = default;
    virtual ~CImageProcess() = default;

    // Scales a page whose paper (the bright Otsu class of a fifth-size copy)
    // has mean m not above `target`: every channel is multiplied by
    // target / (m + s), s being the paper's deviation. Brighter paper, a page
    // without a paper class (uniform) or m + s below 1 give the image itself.
    // False, and `result` untouched, for an empty image or one of another type.
    bool NormalizeBrightness(const cv::Mat& image, cv::Mat& result, int target);

    // Flattens uneven lighting of the paper to about 245 while ink keeps its
    // values. On colour pages the value plane is corrected, and pixels whose
    // chroma is at most `threshold` (outside 0..255: 50) lose hue and
    // saturation. False for an empty image or one of another type.
    bool RemoveShadow(const cv::Mat& image, cv::Mat& result, int threshold);

    // Blends the overlay in at one of the position codes above; false for an
    // unknown code and as BlendOverlay.
    bool PlaceOverlay(cv::Mat& image, const cv::Mat& overlay, int position, int opacity,
                      const cv::Mat& mask);

    // Blends the overlay with its top-left corner at `point`: each channel
    // becomes (overlay * a + image * (100 - a)) / 100 with the opacity a
    // clamped to 0..100, where the mask is empty or non-zero; overlay pixels
    // outside the image are skipped. False when the image or the overlay is
    // empty, or the mask is neither empty nor of the overlay's size.
    bool BlendOverlay(cv::Mat& image, const cv::Mat& overlay, cv::Point point, int opacity,
                      const cv::Mat& mask);
};

}  // namespace orbisk
