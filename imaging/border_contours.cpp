#include "imaging/border_contours.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <climits>

namespace orbisk {
namespace {

const cv::Scalar kWhite(255);
const cv::Scalar kBlack(0);
constexpr int kJoinThickness = 3;

void FillContour(cv::Mat& mask, const Contour& contour, const cv::Scalar& colour) {
    if (contour.empty()) return;
    const ContourList one{contour};
    cv::drawContours(mask, one, 0, colour, cv::FILLED, cv::LINE_8, cv::noArray(), INT_MAX);
}

void Line(cv::Mat& mask, cv::Point from, cv::Point to) {
    cv::line(mask, from, to, kWhite, kJoinThickness, cv::LINE_8);
}

// The ends of a contour along one axis of a picture `length` long on it: its
// first points with the smallest and with the largest coordinate. A contour
// that reaches neither end of the axis keeps the starting points.
struct ContourEnds {
    cv::Point low;
    cv::Point high;
};

ContourEnds EndsAlong(const Contour& contour, int cv::Point::*along, int length) {
    ContourEnds ends{{0, 0}, {0, 0}};
    ends.low.*along = length - 1;
    for (const cv::Point& p : contour) {
        if (p.*along < ends.low.*along) ends.low = p;
        if (p.*along > ends.high.*along) ends.high = p;
    }
    return ends;
}

double MeanOf(const Contour& contour, int cv::Point::*coordinate) {
    double sum = 0;
    for (const cv::Point& p : contour) sum += p.*coordinate;
    return sum / static_cast<double>(contour.size());
}

// Draws every contour filled and joins the low ends of neighbouring contours
// along the axis with lines, and their high ends.
bool JoinContourEnds(const ContourList& contours, cv::Mat& mask, int cv::Point::*along) {
    if (mask.empty() || contours.size() < 2) return false;
    const int length = along == &cv::Point::y ? mask.rows : mask.cols;
    std::vector<ContourEnds> ends;
    for (const Contour& contour : contours) ends.push_back(EndsAlong(contour, along, length));
    for (const Contour& contour : contours) FillContour(mask, contour, kWhite);
    for (size_t j = 1; j < ends.size(); ++j) Line(mask, ends[j].low, ends[j - 1].low);
    for (size_t j = 1; j < ends.size(); ++j) Line(mask, ends[j].high, ends[j - 1].high);
    return true;
}

}  // namespace

bool CloseBorderContour(cv::Mat& mask, const ContourList& contours) {
    if (mask.empty() || contours.size() != 1) return false;
    const Contour& contour = contours[0];
    const int rows = mask.rows;
    const int cols = mask.cols;
    const int limit = static_cast<int>(std::max(rows, cols) * 0.02);
    if (!contour.empty()) {
        const cv::Rect br = cv::boundingRect(contour);
        if (br.x <= 2 && br.x + br.width >= cols - 2) {
            // A line across the picture from left to right.
            const ContourEnds ends = EndsAlong(contour, &cv::Point::x, cols);
            const double mean = MeanOf(contour, &cv::Point::y);
            if (mean < limit || mean > rows - limit) return false;
            // Enclose the larger side of the picture.
            const int edge = mean > rows / 2 ? 0 : rows - 1;
            Line(mask, ends.low, cv::Point(0, edge));
            Line(mask, cv::Point(0, edge), cv::Point(cols - 1, edge));
            Line(mask, cv::Point(cols - 1, edge), ends.high);
        } else if (br.y <= 2 && br.y + br.height >= rows - 2) {
            // A line across the picture from top to bottom.
            const ContourEnds ends = EndsAlong(contour, &cv::Point::y, rows);
            const double mean = MeanOf(contour, &cv::Point::x);
            if (mean < limit || mean > cols - limit) return false;
            const int edge = mean < cols / 2 ? cols - 1 : 0;
            Line(mask, ends.low, cv::Point(edge, 0));
            Line(mask, cv::Point(edge, 0), cv::Point(edge, rows - 1));
            Line(mask, cv::Point(edge, rows - 1), ends.high);
        }
    }
    FillContour(mask, contour, kWhite);
    return true;
}

bool JoinContoursTopBottom(const ContourList& contours, cv::Mat& mask) {
    return JoinContourEnds(contours, mask, &cv::Point::y);
}

bool JoinContoursLeftRight(const ContourList& contours, cv::Mat& mask) {
    return JoinContourEnds(contours, mask, &cv::Point::x);
}

bool RedrawContours(cv::Mat& mask, int mode, Contour contour) {
    if (mask.empty() || contour.empty()) return false;
    const cv::Rect br = cv::boundingRect(contour);
    const int rows = mask.rows;
    const int cols = mask.cols;
    const int n = static_cast<int>(contour.size());

    // P: the touch on the horizontal border farthest from the corner; Q: the
    // touch on the vertical border. The first point in contour order wins.
    cv::Point p;
    cv::Point q;
    int a = 0;
    int b = 0;
    cv::Point corner;
    bool matched = true;
    if (br.x <= 1 && br.y <= 1) {
        p = cv::Point(0, 0);
        q = cv::Point(0, 0);
        for (int i = 0; i < n; ++i) {
            const cv::Point& pt = contour[i];
            if (pt.y <= 2 && pt.x > p.x) p = pt, a = i;
            if (pt.x <= 2 && pt.y > q.y) q = pt, b = i;
        }
        corner = cv::Point(0, 0);
    } else if (br.x + br.width >= cols - 2 && br.y <= 2) {
        p = cv::Point(cols, 0);
        q = cv::Point(0, 0);
        for (int i = 0; i < n; ++i) {
            const cv::Point& pt = contour[i];
            if (pt.y <= 2 && pt.x < p.x) p = pt, a = i;
            if (pt.x >= cols - 2 && pt.y > q.y) q = pt, b = i;
        }
        corner = cv::Point(cols - 1, 0);
    } else if (br.x + br.width >= cols - 2 && br.y + br.height >= rows - 2) {
        p = cv::Point(cols, 0);
        q = cv::Point(0, rows);
        for (int i = 0; i < n; ++i) {
            const cv::Point& pt = contour[i];
            if (pt.y >= rows - 2 && pt.x < p.x) p = pt, a = i;
            if (pt.x >= cols - 2 && pt.y < q.y) q = pt, b = i;
        }
        corner = cv::Point(cols - 1, rows - 1);
    } else if (br.x <= 1 && br.y + br.height >= rows - 1) {
        p = cv::Point(0, 0);
        q = cv::Point(0, rows);
        for (int i = 0; i < n; ++i) {
            const cv::Point& pt = contour[i];
            if (pt.y >= rows - 3 && pt.x > p.x) p = pt, a = i;
            if (pt.x == 1 && pt.y < q.y) q = pt, b = i;
        }
        corner = cv::Point(0, rows - 1);
    } else {
        matched = false;
    }

    if (matched) {
        const int first = std::min(a, b);
        const int last = std::max(a, b);
        Contour kept(contour.begin() + first, contour.begin() + last + 1);
        const cv::Point close = kept.front() == p ? p : q;
        kept.push_back(corner);
        kept.push_back(close);
        contour = std::move(kept);
    }

    if (mode == 0) {
        FillContour(mask, contour, kWhite);
    } else {
        const ContourList one{contour};
        cv::drawContours(mask, one, 0, kBlack, kJoinThickness, cv::LINE_8, cv::noArray(), INT_MAX);
        FillContour(mask, contour, kBlack);
    }
    return true;
}

}  // namespace orbisk
