#pragma once

#include <QImage>
#include <QString>
#include <opencv2/core.hpp>

namespace orbisk {

// Turns framework images into OpenCV matrices.
class CImageLoader {
  public:
    // By bits per pixel: 24 gives three channels in B, G, R order; 8 gives one
    // channel of the raw indexes (the palette is not applied); 1 gives one
    // channel with 255 for a set bit and 0 for a clear one. Any other depth, or
    // a null image, gives an empty matrix.
    static cv::Mat ImageToMat(const QImage& image);

    // The file as an 8-bit three-channel BGR matrix; empty when it cannot be read.
    static cv::Mat LoadBgr(const QString& path);
};

}  // namespace orbisk
