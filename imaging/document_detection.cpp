#include "imaging/document_detection.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <climits>
#include <cmath>
#include <exception>

#include "imaging/border_contours.h"
#include "imaging/image_checks.h"
#include "imaging/mask_border.h"
#include "imaging/median_filter.h"
#include "imaging/min_area_box.h"

namespace orbisk {
namespace {

// The weakest gradient (|dx| + |dy| of a colour plane) that can be a page
// edge: about a sharp step of 25 grey levels under a Sobel aperture of 3.
// Wood grain, striped cloth, soft shadows, sensor noise and JPEG blocks of an
// empty desk stay below 80; the edge of a white page on a light desk gives 120
// and more.
constexpr double kMinEdgeStrength = 100;

// Candidate contours of the first contour search, sorted by their shape and
// the borders they touch.
struct Candidates {
    ContourList regions;
    ContourList verticalLines;
    ContourList horizontalLines;
    ContourList cornerRegions;
    ContourList cornerLines;
    int rows = 0;
    int cols = 0;
};

// Outer contours of a mask, after its outer ring is cleared: the border
// rules count on no contour running on the outermost pixels.
ContourList FindMaskContours(cv::Mat& mask) {
    ZeroMaskBorder(mask);
    ContourList contours;
    cv::findContours(mask, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    return contours;
}

// Steps shared by both detectors: reduce, gradient, threshold, close, find and
// classify contours. False when the image cannot be reduced.
bool FindCandidates(const cv::Mat& image, int medianAperture, int sobelAperture, float scale,
                    float minAreaRatio, double gradientFactor, Candidates& out) {
    const int rows = cvRound(image.rows * static_cast<double>(scale));
    const int cols = cvRound(image.cols * static_cast<double>(scale));
    if (rows < 1 || cols < 1) return false;

    cv::Mat small;
    cv::resize(image, small, cv::Size(), scale, scale, cv::INTER_LINEAR);

    std::vector<cv::Mat> planes;
    cv::split(small, planes);
    cv::Mat gradient = cv::Mat::zeros(rows, cols, CV_32F);
    cv::Mat dx;
    cv::Mat dy;
    for (cv::Mat& plane : planes) {
        MedianBlur(plane, plane, medianAperture);
        cv::Sobel(plane, dx, CV_32F, 1, 0, sobelAperture, 1, 0, cv::BORDER_DEFAULT);
        cv::Sobel(plane, dy, CV_32F, 0, 1, sobelAperture, 1, 0, cv::BORDER_DEFAULT);
        gradient += cv::abs(dx);
        gradient += cv::abs(dy);
    }

    cv::Scalar mean;
    cv::Scalar deviation;
    cv::meanStdDev(gradient, mean, deviation);
    // The square root of the deviation keeps the level low enough for the
    // faint edge of a white page on a light desk. On an empty desk that level
    // falls to the desk's own texture, so it never goes below the floor.
    const double floor = kMinEdgeStrength * static_cast<double>(planes.size());
    const double level = std::max(mean[0] + gradientFactor * std::sqrt(deviation[0]), floor);
    cv::threshold(gradient, gradient, level, 255, cv::THRESH_BINARY);
    cv::Mat mask;
    gradient.convertTo(mask, CV_8U, 1, 0);

    cv::dilate(mask, mask, cv::Mat(), cv::Point(-1, -1), 1, cv::BORDER_CONSTANT,
               cv::morphologyDefaultBorderValue());
    cv::erode(mask, mask, cv::Mat(), cv::Point(-1, -1), 1, cv::BORDER_CONSTANT,
              cv::morphologyDefaultBorderValue());

    ContourList contours = FindMaskContours(mask);

    const double minArea = rows * static_cast<double>(minAreaRatio) * cols;
    out.rows = rows;
    out.cols = cols;
    for (Contour& contour : contours) {
        const cv::Rect br = cv::boundingRect(contour);
        const RotatedBox rotated = MinAreaBox(contour);
        const float rw = rotated.width;
        const float rh = rotated.height;
        const bool top = br.y < 2;
        const bool left = br.x < 2;
        const bool bottom = br.y + br.height >= rows - 1;
        const bool right = br.x + br.width >= cols - 1;
        const bool thin = rw / rh < 0.125f || rh / rw < 0.125f;
        const int touches = top + left + bottom + right;
        const bool corner = touches == 2 && (top || bottom) && (left || right);

        if (top && bottom && thin) {
            out.verticalLines.push_back(std::move(contour));
        } else if (left && right && thin) {
            out.horizontalLines.push_back(std::move(contour));
        } else if (corner && thin) {
            out.cornerLines.push_back(std::move(contour));
        } else if (corner && br.width * br.height > rows * cols / 3) {
            out.cornerRegions.push_back(std::move(contour));
        } else if (rw * rh > minArea) {
            out.regions.push_back(std::move(contour));
        }
    }
    return true;
}

void FillContours(cv::Mat& mask, const ContourList& contours) {
    if (contours.empty()) return;
    cv::drawContours(mask, contours, -1, cv::Scalar(255), cv::FILLED, cv::LINE_8, cv::noArray(),
                     INT_MAX);
}

void AppendFirstPoints(const ContourList& contours, std::vector<cv::Point>& anchors) {
    for (const Contour& contour : contours) {
        if (!contour.empty()) anchors.push_back(contour.front());
    }
}

// The final box of a region: centre scaled back, sides shrunk by the Sobel
// aperture first. False for a region too thin to give a side of one pixel.
bool RegionBox(const Contour& contour, int sobelAperture, float scale, RotatedBox& box) {
    RotatedBox reduced = MinAreaBox(contour);
    RotatedBox full;
    full.cx = reduced.cx / scale;
    full.cy = reduced.cy / scale;
    full.width = (reduced.width - sobelAperture) / scale;
    full.height = (reduced.height - sobelAperture) / scale;
    full.angle = reduced.angle;
    if (!(full.width >= 1.0f) || !(full.height >= 1.0f)) return false;
    box = full;
    return true;
}

bool FindDocumentBoxImpl(RotatedBox& box, int medianAperture, int sobelAperture,
                         std::vector<cv::Point>& outline, float scale, float minAreaRatio,
                         const cv::Mat& image, double gradientFactor) {
    if (!IsDocumentImage(image)) return false;
    if (scale < 0.2) scale = 0.2f;

    Candidates candidates;
    if (!FindCandidates(image, medianAperture, sobelAperture, scale, minAreaRatio, gradientFactor,
                        candidates)) {
        return false;
    }

    cv::Mat mask = cv::Mat::zeros(candidates.rows, candidates.cols, CV_8U);
    std::vector<cv::Point> anchors;
    FillContours(mask, candidates.regions);
    AppendFirstPoints(candidates.regions, anchors);

    if (JoinContoursTopBottom(candidates.verticalLines, mask) ||
        CloseBorderContour(mask, candidates.verticalLines)) {
        AppendFirstPoints(candidates.verticalLines, anchors);
    }
    if (JoinContoursLeftRight(candidates.horizontalLines, mask) ||
        CloseBorderContour(mask, candidates.horizontalLines)) {
        AppendFirstPoints(candidates.horizontalLines, anchors);
    }
    for (const Contour& contour : candidates.cornerRegions) {
        RedrawContours(mask, 0, contour);
        if (!contour.empty()) anchors.push_back(contour.front());
    }
    // Tie all kept regions into one shape.
    for (size_t i = 1; i < anchors.size(); ++i) {
        cv::line(mask, anchors[i], anchors[i - 1], cv::Scalar(255), 3, cv::LINE_8);
    }
    for (const Contour& contour : candidates.cornerLines) RedrawContours(mask, 1, contour);

    ContourList contours = FindMaskContours(mask);
    if (contours.empty()) return false;
    Contour& merged = contours[0];
    for (size_t i = 1; i < contours.size(); ++i) {
        merged.insert(merged.end(), contours[i].begin(), contours[i].end());
    }

    RotatedBox found;
    if (!RegionBox(merged, sobelAperture, scale, found)) return false;

    std::vector<cv::Point> points;
    points.reserve(merged.size());
    for (const cv::Point& p : merged) {
        points.emplace_back(static_cast<int>(p.x / scale), static_cast<int>(p.y / scale));
    }
    box = found;
    outline = std::move(points);
    return true;
}

// Merges contours whose bounding rectangles overlap by at least half of either
// rectangle, restarting the scan after every merge.
void MergeOverlapping(ContourList& contours) {
    bool merged = true;
    while (merged) {
        merged = false;
        for (size_t i = 0; i < contours.size() && !merged; ++i) {
            const cv::Rect a = cv::boundingRect(contours[i]);
            for (size_t j = i + 1; j < contours.size(); ++j) {
                const cv::Rect b = cv::boundingRect(contours[j]);
                const int left = std::max(a.x, b.x);
                const int top = std::max(a.y, b.y);
                const int right = std::min(a.x + a.width, b.x + b.width);
                const int bottom = std::min(a.y + a.height, b.y + b.height);
                if (right < left || bottom < top) continue;
                const double overlap = static_cast<double>(right - left) * (bottom - top);
                if (overlap >= 0.5 * a.area() || overlap >= 0.5 * b.area()) {
                    contours[i].insert(contours[i].end(), contours[j].begin(), contours[j].end());
                    contours.erase(contours.begin() + static_cast<std::ptrdiff_t>(j));
                    merged = true;
                    break;
                }
            }
        }
    }
}

bool FindDocumentBoxesImpl(std::vector<RotatedBox>& boxes, int medianAperture, int sobelAperture,
                           float scale, float minAreaRatio, const cv::Mat& image,
                           double gradientFactor) {
    if (!IsDocumentImage(image)) return false;
    if (scale < 0.1) scale = 0.1f;

    Candidates candidates;
    if (!FindCandidates(image, medianAperture, sobelAperture, scale, minAreaRatio, gradientFactor,
                        candidates)) {
        return false;
    }

    cv::Mat mask = cv::Mat::zeros(candidates.rows, candidates.cols, CV_8U);
    FillContours(mask, candidates.regions);
    if (candidates.verticalLines.size() >= 2) {
        JoinContoursTopBottom(candidates.verticalLines, mask);
    } else if (candidates.verticalLines.size() == 1) {
        CloseBorderContour(mask, candidates.verticalLines);
    }
    if (candidates.horizontalLines.size() >= 2) {
        JoinContoursLeftRight(candidates.horizontalLines, mask);
    } else if (candidates.horizontalLines.size() == 1) {
        CloseBorderContour(mask, candidates.horizontalLines);
    }
    for (const Contour& contour : candidates.cornerRegions) RedrawContours(mask, 0, contour);
    for (const Contour& contour : candidates.cornerLines) RedrawContours(mask, 1, contour);

    ContourList contours = FindMaskContours(mask);
    MergeOverlapping(contours);

    std::vector<RotatedBox> found;
    for (const Contour& contour : contours) {
        RotatedBox box;
        if (RegionBox(contour, sobelAperture, scale, box)) found.push_back(box);
    }
    boxes = std::move(found);
    return !boxes.empty();
}

}  // namespace

bool FindDocumentBox(RotatedBox& box, int medianAperture, int sobelAperture,
                     std::vector<cv::Point>& outline, float scale, float minAreaRatio,
                     const cv::Mat& image, double gradientFactor) {
    try {
        return FindDocumentBoxImpl(box, medianAperture, sobelAperture, outline, scale, minAreaRatio,
                                   image, gradientFactor);
    } catch (const std::exception&) {
        // Bad apertures or an allocation failure: nothing found. Detection runs
        // on the capture and preview threads, which must keep going.
        return false;
    }
}

bool DetectDocument(RotatedBox& box, int medianAperture, int sobelAperture, float scale,
                    float minAreaRatio, const cv::Mat& image, double gradientFactor) {
    std::vector<cv::Point> outline;
    return FindDocumentBox(box, medianAperture, sobelAperture, outline, scale, minAreaRatio, image,
                           gradientFactor);
}

bool FindDocumentBoxes(std::vector<RotatedBox>& boxes, int medianAperture, int sobelAperture,
                       float scale, float minAreaRatio, const cv::Mat& image,
                       double gradientFactor) {
    boxes.clear();
    try {
        return FindDocumentBoxesImpl(boxes, medianAperture, sobelAperture, scale, minAreaRatio,
                                     image, gradientFactor);
    } catch (const std::exception&) {
        boxes.clear();
        return false;
    }
}

bool FindDocumentBox(RotatedBox& box, std::vector<cv::Point>& outline, const cv::Mat& image,
                     const DetectionParams& p) {
    return FindDocumentBox(box, p.medianAperture, p.sobelAperture, outline, p.scale, p.minAreaRatio,
                           image, p.gradientFactor);
}

bool DetectDocument(RotatedBox& box, const cv::Mat& image, const DetectionParams& p) {
    return DetectDocument(box, p.medianAperture, p.sobelAperture, p.scale, p.minAreaRatio, image,
                          p.gradientFactor);
}

bool FindDocumentBoxes(std::vector<RotatedBox>& boxes, const cv::Mat& image,
                       const DetectionParams& p) {
    return FindDocumentBoxes(boxes, p.medianAperture, p.sobelAperture, p.scale, p.minAreaRatio,
                             image, p.gradientFactor);
}

}  // namespace orbisk
