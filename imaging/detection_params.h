#pragma once

namespace orbisk {

// The values document detection runs with (see document_detection.h). The
// preview's outlines, the crop of a saved capture and new-page detection take
// them from here, so that a capture cuts out what the preview outlined and
// continuous shooting looks for the same pages.
struct DetectionParams {
    int medianAperture = 9;
    int sobelAperture = 3;
    // The reduced copy that detection works on, as a fraction of each side.
    float scale = 0.2f;
    // The edge threshold: mean + factor * sqrt(standard deviation) of the gradient.
    double gradientFactor = 8.0;
    // The smallest region kept, as a fraction of the frame's area.
    float minAreaRatio = 0.01f;

    constexpr DetectionParams WithMinAreaRatio(float ratio) const {
        DetectionParams p = *this;
        p.minAreaRatio = ratio;
        return p;
    }
};

// The automatic crop of a capture (one page or several) and the preview's
// outlines of the document camera.
inline constexpr DetectionParams kCropDetection{};
// Deskew and the presence test of new-page detection want a larger page.
inline constexpr DetectionParams kPageDetection = kCropDetection.WithMinAreaRatio(0.03f);

}  // namespace orbisk
