#include "imaging/noise_cleaning.h"

#include "imaging/frame_pool.h"

#include <exception>
#include <vector>

namespace orbisk {
namespace {

constexpr uchar kDarkBelow = 125;
constexpr int kBand = 50;

bool IsGreyImage(const cv::Mat& image) { return image.dims == 2 && image.type() == CV_8UC1; }

// Grows the component of `seed` with the caller's buffers. Only the first
// `minimumSize` - 1 points are kept: a component that reaches the size stays
// whatever its further points.
void GrowSpeck(cv::Point seed, cv::Mat& image, cv::Mat& visited, int minimumSize,
               std::vector<cv::Point>& stack, std::vector<cv::Point>& component) {
    stack.clear();
    component.clear();
    const size_t keep = static_cast<size_t>(minimumSize > 0 ? minimumSize - 1 : 0);
    size_t count = 1;
    visited.at<uchar>(seed) = 255;
    stack.push_back(seed);
    if (component.size() < keep) component.push_back(seed);
    const int rows = image.rows;
    const int cols = image.cols;
    while (!stack.empty()) {
        const cv::Point p = stack.back();
        stack.pop_back();
        for (int nx = p.x - 1; nx <= p.x + 1; ++nx) {
            if (nx < 0 || nx >= cols) continue;
            for (int ny = p.y - 1; ny <= p.y + 1; ++ny) {
                if (ny < 0 || ny >= rows || (nx == p.x && ny == p.y)) continue;
                uchar& seen = visited.at<uchar>(ny, nx);
                if (image.at<uchar>(ny, nx) < kDarkBelow && seen < kDarkBelow) {
                    seen = 255;
                    stack.emplace_back(nx, ny);
                    ++count;
                    if (component.size() < keep) component.emplace_back(nx, ny);
                }
            }
        }
    }
    if (count < static_cast<size_t>(minimumSize)) {
        for (const cv::Point& p : component) image.at<uchar>(p) = 255;
    }
}

bool InInterior(int x, int y, int cols, int rows) {
    return x > kBand && x < cols - kBand && y > kBand && y < rows - kBand;
}

void FillFromBorder(cv::Point seed, cv::Mat& image, std::vector<cv::Point>& stack) {
    const int rows = image.rows;
    const int cols = image.cols;
    stack.clear();
    image.at<uchar>(seed) = 255;
    stack.push_back(seed);
    while (!stack.empty()) {
        const cv::Point p = stack.back();
        stack.pop_back();
        for (int nx = p.x - 1; nx <= p.x + 1; ++nx) {
            for (int ny = p.y - 1; ny <= p.y + 1; ++ny) {
                if (nx < 0 || nx >= cols || ny < 0 || ny >= rows) continue;
                if (InInterior(nx, ny, cols, rows)) break;
                uchar& value = image.at<uchar>(ny, nx);
                if (value < kDarkBelow) {
                    value = 255;
                    stack.emplace_back(nx, ny);
                }
            }
        }
    }
}

void RemoveSpecklesImpl(cv::Mat& image, int minimumSize) {
    cv::Mat visited = PooledMat(image.size(), CV_8UC1);
    visited.setTo(0);
    std::vector<cv::Point> stack;
    std::vector<cv::Point> component;
    // Row by row for the cache; the components found do not depend on the
    // order of the seeds.
    for (int y = 0; y < image.rows; ++y) {
        const uchar* row = image.ptr<uchar>(y);
        const uchar* seen = visited.ptr<uchar>(y);
        for (int x = 0; x < image.cols; ++x) {
            if (row[x] < kDarkBelow && seen[x] < kDarkBelow) {
                GrowSpeck(cv::Point(x, y), image, visited, minimumSize, stack, component);
            }
        }
    }
}

void ClearBorderNoiseImpl(cv::Mat& image) {
    const int rows = image.rows;
    const int cols = image.cols;
    std::vector<cv::Point> stack;
    auto visit = [&](int x, int y) {
        if (image.at<uchar>(y, x) < kDarkBelow) FillFromBorder(cv::Point(x, y), image, stack);
    };
    for (int x = 0; x < cols; ++x) visit(x, 0);
    for (int x = 0; x < cols; ++x) visit(x, rows - 1);
    for (int y = 0; y < rows; ++y) visit(0, y);
    for (int y = 0; y < rows; ++y) visit(cols - 1, y);
}

}  // namespace

bool FloodFillSpeck(cv::Point seed, cv::Mat& image, cv::Mat& visited, int minimumSize) {
    if (visited.empty() || !IsGreyImage(image) || visited.type() != CV_8UC1 ||
        visited.size() != image.size()) {
        return false;
    }
    if (seed.x < 0 || seed.y < 0 || seed.x >= image.cols || seed.y >= image.rows) return false;
    try {
        std::vector<cv::Point> stack;
        std::vector<cv::Point> component;
        GrowSpeck(seed, image, visited, minimumSize, stack, component);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool RemoveSpeckles(cv::Mat& image, int minimumSize) {
    if (image.channels() > 1 || (!image.empty() && !IsGreyImage(image))) return false;
    if (minimumSize <= 0) return true;
    try {
        RemoveSpecklesImpl(image, minimumSize);
    } catch (const std::exception&) {
        // No memory for the visited mask or the stack: the page stays as far
        // as it was cleaned.
        return false;
    }
    return true;
}

void FloodFillFromBorder(cv::Point seed, cv::Mat& image) {
    if (!IsGreyImage(image) || image.empty()) return;
    if (seed.x < 0 || seed.y < 0 || seed.x >= image.cols || seed.y >= image.rows) return;
    try {
        std::vector<cv::Point> stack;
        FillFromBorder(seed, image, stack);
    } catch (const std::exception&) {
        // No memory for the stack: the area stays partly filled.
    }
}

bool ClearBorderNoise(cv::Mat& image) {
    if (image.empty() || !IsGreyImage(image)) return false;
    try {
        ClearBorderNoiseImpl(image);
    } catch (const std::exception&) {
        return false;  // no memory for the stack
    }
    return true;
}

}  // namespace orbisk
