#include "core/image_loader.h"

#include <QImageReader>
#include <opencv2/imgproc.hpp>

#include <cstring>

#include "core/image_header.h"

namespace orbisk {

cv::Mat CImageLoader::ImageToMat(const QImage& image) {
    if (image.isNull()) {
        return cv::Mat();
    }
    const int w = image.width();
    const int h = image.height();
    switch (image.format()) {
        case QImage::Format_BGR888:
        case QImage::Format_RGB888: {
            cv::Mat out(h, w, CV_8UC3);
            for (int r = 0; r < h; ++r) {
                std::memcpy(out.ptr(r), image.constScanLine(r), size_t(w) * 3);
            }
            if (image.format() == QImage::Format_RGB888) {
                cv::cvtColor(out, out, cv::COLOR_RGB2BGR);
            }
            return out;
        }
        case QImage::Format_Indexed8:
        case QImage::Format_Grayscale8: {
            cv::Mat out(h, w, CV_8UC1);
            for (int r = 0; r < h; ++r) {
                std::memcpy(out.ptr(r), image.constScanLine(r), size_t(w));
            }
            return out;
        }
        case QImage::Format_Mono:
        case QImage::Format_MonoLSB: {
            const bool msbFirst = image.format() == QImage::Format_Mono;
            cv::Mat out(h, w, CV_8UC1);
            for (int r = 0; r < h; ++r) {
                const uchar* bits = image.constScanLine(r);
                uchar* dst = out.ptr(r);
                for (int x = 0; x < w; ++x) {
                    const int shift = msbFirst ? 7 - (x & 7) : (x & 7);
                    dst[x] = (bits[x >> 3] >> shift) & 1 ? 255 : 0;
                }
            }
            return out;
        }
        default:
            return cv::Mat();
    }
}

cv::Mat CImageLoader::LoadBgr(const QString& path) {
    // The header decides what a decode allocates: it is checked first.
    if (!PageImageSize(path)) {
        return cv::Mat();
    }
    QImageReader reader(path);
    reader.setAutoTransform(false);  // EXIF orientation is not applied
    QImage image = reader.read();
    if (image.isNull()) {
        return cv::Mat();
    }
    const bool grey = image.format() == QImage::Format_Grayscale8 ||
                      image.format() == QImage::Format_Mono ||
                      image.format() == QImage::Format_MonoLSB ||
                      (image.format() == QImage::Format_Indexed8 && image.isGrayscale());
    // A file's palette decides what its indexes and bits mean, so it is
    // applied here (ImageToMat itself takes them raw).
    image = image.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_BGR888);
    cv::Mat mat = ImageToMat(image);
    if (mat.channels() == 1) {
        cv::cvtColor(mat, mat, cv::COLOR_GRAY2BGR);
    }
    return mat;
}

}  // namespace orbisk
