#include "imaging/median_filter.h"

#include <opencv2/imgproc.hpp>

#include <array>
#include <vector>

namespace orbisk {
namespace {

// Huang's running histogram: along each row the window drops one column and
// takes one, and the median moves from its last value by the few steps the
// change needs, counting the values below it as it goes.
void SlidingMedian(const cv::Mat& src, cv::Mat& dst, int aperture) {
    const int r = aperture / 2;
    cv::Mat padded;
    cv::copyMakeBorder(src, padded, r, r, r, r, cv::BORDER_REPLICATE);
    dst.create(src.size(), CV_8UC1);
    const int rank = aperture * aperture / 2;
    std::vector<const uchar*> window(static_cast<size_t>(aperture));
    std::array<int, 256> histogram{};
    for (int y = 0; y < src.rows; ++y) {
        for (int i = 0; i < aperture; ++i) window[i] = padded.ptr<uchar>(y + i);
        histogram.fill(0);
        for (const uchar* row : window) {
            for (int j = 0; j < aperture; ++j) ++histogram[row[j]];
        }
        int median = 0;
        int below = 0;  // values in the window less than `median`
        while (below + histogram[median] <= rank) below += histogram[median++];
        uchar* out = dst.ptr<uchar>(y);
        out[0] = static_cast<uchar>(median);
        for (int x = 1; x < src.cols; ++x) {
            const int leaving = x - 1;
            const int entering = x + 2 * r;
            for (const uchar* row : window) {
                const uchar old = row[leaving];
                const uchar in = row[entering];
                --histogram[old];
                ++histogram[in];
                below += (in < median) - (old < median);
            }
            if (below > rank) {
                do {
                    below -= histogram[--median];
                } while (below > rank);
            } else {
                while (below + histogram[median] <= rank) below += histogram[median++];
            }
            out[x] = static_cast<uchar>(median);
        }
    }
}

}  // namespace

void MedianBlur(const cv::Mat& src, cv::Mat& dst, int aperture) {
    if (src.type() != CV_8UC1 || src.empty() || aperture < 7 || aperture % 2 == 0) {
        cv::medianBlur(src, dst, aperture);
        return;
    }
    // The sliding window reads the padded copy, so writing over `src` is safe.
    SlidingMedian(src, dst, aperture);
}

}  // namespace orbisk
