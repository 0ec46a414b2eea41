#include "imaging/warp_maps.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

namespace orbisk {
namespace {

// 64 rows of an 8-megapixel page's maps take under 2 MB.
constexpr int kStripRows = 64;

}  // namespace

void RemapInStrips(const cv::Mat& image, cv::Mat& output, const StripMapper& mapper,
                   bool whiteOutside) {
    const float maxX = static_cast<float>(image.cols - 1);
    const float maxY = static_cast<float>(image.rows - 1);
    const int channels = output.channels();
    cv::Mat mapX;
    cv::Mat mapY;
    for (int first = 0; first < output.rows; first += kStripRows) {
        const int count = std::min(kStripRows, output.rows - first);
        mapX.create(count, output.cols, CV_32F);
        mapY.create(count, output.cols, CV_32F);
        mapper(first, mapX, mapY);
        cv::Mat strip = output.rowRange(first, first + count);
        cv::remap(image, strip, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                  cv::Scalar::all(0));
        if (!whiteOutside) continue;
        for (int i = 0; i < count; ++i) {
            const float* xs = mapX.ptr<float>(i);
            const float* ys = mapY.ptr<float>(i);
            uchar* out = strip.ptr<uchar>(i);
            for (int j = 0; j < output.cols; ++j) {
                if (xs[j] < 0 || xs[j] > maxX || ys[j] < 0 || ys[j] > maxY) {
                    std::fill_n(out + j * channels, channels, uchar(255));
                }
            }
        }
    }
}

}  // namespace orbisk
