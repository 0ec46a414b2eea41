#include "imaging/warp_maps.h"

#include <opencv2/core/hal/intrin.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace orbisk {

TurnedCut TurnedCutOf(const RotatedBox& box) {
    TurnedCut cut;
    float turn = box.angle;
    if (std::fabs(box.angle) > 45.0f) {
        turn = box.angle > 45.0f ? box.angle - 90.0f : box.angle + 90.0f;
        cut.rows = static_cast<int>(box.width);
        cut.cols = static_cast<int>(box.height);
        cut.sampling.halfRows = box.width * 0.5f;
        cut.sampling.halfCols = box.height * 0.5f;
    } else {
        cut.rows = static_cast<int>(box.height);
        cut.cols = static_cast<int>(box.width);
        cut.sampling.halfRows = static_cast<float>(cut.rows) * 0.5f;
        cut.sampling.halfCols = static_cast<float>(cut.cols) * 0.5f;
    }
    const double radians = turn * 3.14159 / 180;
    cut.sampling.cx = box.cx;
    cut.sampling.cy = box.cy;
    cut.sampling.cos = static_cast<float>(std::cos(radians));
    cut.sampling.sin = static_cast<float>(std::sin(radians));
    return cut;
}
namespace {

// 64 rows of an 8-megapixel page's maps take under 2 MB.
constexpr int kStripRows = 64;

// Tiles of the turned remap: their two maps (128 KB) are still in the cache
// when cv::remap reads them.
constexpr int kTileRows = 64;
constexpr int kTileCols = 256;

// The column terms of the sampling, which every row shares:
// cx + (j - halfCols) * cos and cy + (j - halfCols) * sin.
struct ColumnTerms {
    std::vector<float> x;
    std::vector<float> y;
};

ColumnTerms MakeColumnTerms(const TurnedSampling& t, int cols) {
    ColumnTerms terms;
    terms.x.resize(static_cast<size_t>(cols));
    terms.y.resize(static_cast<size_t>(cols));
    for (int j = 0; j < cols; ++j) {
        const float dj = static_cast<float>(j) - t.halfCols;
        terms.x[j] = t.cx + dj * t.cos;
        terms.y[j] = t.cy + dj * t.sin;
    }
    return terms;
}

// The row terms (i - halfRows) * sin and (i - halfRows) * cos.
struct RowTerms {
    float x = 0;
    float y = 0;
};

RowTerms MakeRowTerms(const TurnedSampling& t, int row) {
    const float di = static_cast<float>(row) - t.halfRows;
    return {di * t.sin, di * t.cos};
}

// Source x = column term - row sin term, source y = column term + row cos term.
void FillRow(const float* columnX, const float* columnY, RowTerms row, int count, float* xs,
             float* ys) {
    int j = 0;
#if CV_SIMD
    const cv::v_float32 rowX = cv::vx_setall_f32(row.x);
    const cv::v_float32 rowY = cv::vx_setall_f32(row.y);
    for (; j + cv::v_float32::nlanes <= count; j += cv::v_float32::nlanes) {
        cv::v_store(xs + j, cv::vx_load(columnX + j) - rowX);
        cv::v_store(ys + j, cv::vx_load(columnY + j) + rowY);
    }
#endif
    for (; j < count; ++j) {
        xs[j] = columnX[j] - row.x;
        ys[j] = columnY[j] + row.y;
    }
}

bool Outside(float x, float y, float maxX, float maxY) {
    return x < 0 || x > maxX || y < 0 || y > maxY;
}

// Whitens the pixels of one output row whose source lies outside the image.
// Along a row the source x and y each move one way only (rounding keeps every
// step monotonic), so the pixels inside form one run: only its two ends need
// finding.
void WhitenOutside(const ColumnTerms& columns, RowTerms row, float maxX, float maxY, uchar* out,
                   int channels) {
    const int cols = static_cast<int>(columns.x.size());
    const auto outside = [&](int j) {
        return Outside(columns.x[j] - row.x, columns.y[j] + row.y, maxX, maxY);
    };
    int first = 0;
    while (first < cols && outside(first)) ++first;
    int end = cols;
    while (end > first && outside(end - 1)) --end;
    const std::ptrdiff_t step = channels;
    std::fill(out, out + first * step, uchar(255));
    std::fill(out + end * step, out + cols * step, uchar(255));
}

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

void RemapTurned(const cv::Mat& image, cv::Mat& output, const TurnedSampling& sampling) {
    const ColumnTerms columns = MakeColumnTerms(sampling, output.cols);
    cv::Mat mapX;
    cv::Mat mapY;
    for (int top = 0; top < output.rows; top += kTileRows) {
        const int rows = std::min(kTileRows, output.rows - top);
        for (int left = 0; left < output.cols; left += kTileCols) {
            const int cols = std::min(kTileCols, output.cols - left);
            mapX.create(rows, cols, CV_32F);
            mapY.create(rows, cols, CV_32F);
            for (int i = 0; i < rows; ++i) {
                FillRow(columns.x.data() + left, columns.y.data() + left,
                        MakeRowTerms(sampling, top + i), cols, mapX.ptr<float>(i),
                        mapY.ptr<float>(i));
            }
            cv::Mat tile = output(cv::Rect(left, top, cols, rows));
            cv::remap(image, tile, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                      cv::Scalar::all(0));
        }
    }
    const float maxX = static_cast<float>(image.cols - 1);
    const float maxY = static_cast<float>(image.rows - 1);
    for (int i = 0; i < output.rows; ++i) {
        WhitenOutside(columns, MakeRowTerms(sampling, i), maxX, maxY, output.ptr<uchar>(i),
                      output.channels());
    }
}

}  // namespace orbisk
