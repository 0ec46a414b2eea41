#include "video/watermark_object.h"

#include "video/canvas_geometry.h"
#include "video/object_container.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace orbisk {
namespace {

constexpr int kCornerHitHalf = 10;  // a corner is hit within a 21 x 21 square
constexpr int kCornerRadius = 5;    // drawn as a circle in an 11 x 11 square
constexpr int kCaptionMargin = 20;  // added to a caption's extent for the box
constexpr int kMaxFontPixels = 2048;
constexpr double kPi = std::numbers::pi;

bool Near(double a, double b) { return std::abs(a - b) < 0.01; }

// Turns a d x d picture about its centre by `angle` radians (positive turns
// clockwise on screen) with a black border.
cv::Mat Turned(const cv::Mat& square, double angle) {
    const float centre = static_cast<float>(square.cols) / 2;
    const cv::Mat m = cv::getRotationMatrix2D({centre, centre}, -angle * 180 / kPi, 1);
    cv::Mat turned;
    cv::warpAffine(square, turned, m, square.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                   cv::Scalar::all(0));
    return turned;
}

// A d x d picture at `scale`, at least one pixel on each side.
cv::Mat Scaled(const cv::Mat& square, float scale) {
    const int side = std::max(1, cvRound(square.cols * static_cast<double>(scale)));
    cv::Mat scaled;
    cv::resize(square, scaled, {side, side}, 0, 0, cv::INTER_LINEAR);
    return scaled;
}

// The part of a picture of `size` that an overlay of `overlay` placed at
// `at` covers, and the same part in the overlay's coordinates.
bool Overlap(cv::Size size, cv::Size overlay, cv::Point at, cv::Rect& inPicture,
             cv::Rect& inOverlay) {
    inPicture = cv::Rect(at, overlay) & cv::Rect({0, 0}, size);
    if (inPicture.empty()) {
        return false;
    }
    inOverlay = inPicture - at;
    return true;
}

cv::Scalar Bgr(uint32_t colourRef) {
    return {static_cast<double>((colourRef >> 16) & 0xFF),
            static_cast<double>((colourRef >> 8) & 0xFF), static_cast<double>(colourRef & 0xFF)};
}

}  // namespace

QFont WaterMarkFont(int fontHeight) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setWeight(QFont::Normal);
    font.setStyleStrategy(QFont::NoAntialias);
    if (fontHeight != 0) {
        font.setPixelSize(std::min(std::abs(fontHeight), kMaxFontPixels));
    }
    return font;
}

cv::Size MeasureCaption(const QString& text, int fontHeight) {
    if (text.isEmpty()) {
        return {0, 0};
    }
    const QFontMetrics metrics(WaterMarkFont(fontHeight));
    return {metrics.horizontalAdvance(text), metrics.height()};
}

QString CaptionFor(const WaterMarkSettings& settings, const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    const QString time = QString::asprintf("%04d/%02d/%02d-%02d:%02d:%02d", d.year(), d.month(),
                                           d.day(), t.hour(), t.minute(), t.second());
    switch (settings.mode) {
        case kWaterMarkText:
            return settings.text;
        case kWaterMarkTime:
            return time;
        case kWaterMarkTimeAndText:
            return time + QStringLiteral("  ") + settings.text;
        default:
            return {};
    }
}

bool PtInPolygon(const std::vector<cv::Point>& polygon, cv::Point point) {
    bool inside = false;
    const size_t n = polygon.size();
    for (size_t i = 0; i < n; ++i) {
        const cv::Point& a = polygon[i];
        const cv::Point& b = polygon[(i + 1) % n];
        if (a.y == b.y || point.y < std::min(a.y, b.y) || point.y >= std::max(a.y, b.y)) {
            continue;
        }
        const double x = static_cast<double>(b.x - a.x) * (point.y - a.y) / (b.y - a.y) + a.x;
        if (point.x < x) {
            inside = !inside;
        }
    }
    return inside;
}

void BlendMask(cv::Mat& picture, const cv::Mat& mask, cv::Point at, const cv::Scalar& colour,
               double t) {
    cv::Rect inPicture, inMask;
    if (picture.type() != CV_8UC3 || mask.type() != CV_8UC1 ||
        !Overlap(picture.size(), mask.size(), at, inPicture, inMask)) {
        return;
    }
    // One table per channel: the blend of every value with the colour.
    uchar table[3][256];
    for (int c = 0; c < 3; ++c) {
        for (int v = 0; v < 256; ++v) {
            table[c][v] = cv::saturate_cast<uchar>(std::trunc(t * v + (1 - t) * colour[c]));
        }
    }
    for (int y = 0; y < inPicture.height; ++y) {
        const uchar* m = mask.ptr<uchar>(inMask.y + y) + inMask.x;
        uchar* p = picture.ptr<uchar>(inPicture.y + y) + 3 * inPicture.x;
        for (int x = 0; x < inPicture.width; ++x, p += 3) {
            if (m[x] != 0) {
                p[0] = table[0][p[0]];
                p[1] = table[1][p[1]];
                p[2] = table[2][p[2]];
            }
        }
    }
}

void BlendOverlay(cv::Mat& picture, const cv::Mat& overlay, const cv::Mat& mask, cv::Point at,
                  double t) {
    cv::Rect inPicture, inMask;
    // The same bound as the caption's blend: a box partly off the picture
    // blends only what lies on it.
    if (picture.type() != CV_8UC3 || overlay.type() != CV_8UC3 || mask.type() != CV_8UC1 ||
        overlay.size() != mask.size() ||
        !Overlap(picture.size(), mask.size(), at, inPicture, inMask)) {
        return;
    }
    for (int y = 0; y < inPicture.height; ++y) {
        const uchar* m = mask.ptr<uchar>(inMask.y + y) + inMask.x;
        const uchar* o = overlay.ptr<uchar>(inMask.y + y) + 3 * inMask.x;
        uchar* p = picture.ptr<uchar>(inPicture.y + y) + 3 * inPicture.x;
        for (int x = 0; x < inPicture.width; ++x, p += 3, o += 3) {
            if (m[x] == 255) {
                for (int c = 0; c < 3; ++c) {
                    p[c] = cv::saturate_cast<uchar>(std::trunc(t * p[c] + (1 - t) * o[c]));
                }
            }
        }
    }
}

CWaterMarkObject::CWaterMarkObject(TextMeasurer measurer, WaterMarkClock clock)
    : measurer_(std::move(measurer)), clock_(std::move(clock)) {
    created_ = true;
    colour_ = cv::Scalar(255, 0, 0);
    blendPercent_ = 50;
    lineWidth_ = 3;
    handle_ = kNoHandle;
}

std::unique_ptr<CWaterMarkObject> CWaterMarkObject::Snapshot() const {
    auto copy = std::make_unique<CWaterMarkObject>(*this);
    copy->owner_ = nullptr;
    copy->selected_ = false;
    copy->dragging_ = false;
    return copy;
}

bool CWaterMarkObject::IsCaption() const {
    return settings_.mode == kWaterMarkText || settings_.mode == kWaterMarkTime ||
           settings_.mode == kWaterMarkTimeAndText;
}

void CWaterMarkObject::BuildCaption() {
    caption_ = CaptionFor(settings_, clock_ ? clock_() : QDateTime::currentDateTime());
}

cv::Size CWaterMarkObject::GetContentSize() {
    if (IsCaption()) {
        const cv::Size size = measurer_ ? measurer_(caption_, settings_.fontHeight) : cv::Size();
        return {std::max(size.width, 0), std::max(size.height, 0)};
    }
    if (settings_.mode == kWaterMarkPicture) {
        source_.release();
        if (!settings_.text.isEmpty()) {
            source_ = cv::imread(settings_.text.toUtf8().toStdString(), cv::IMREAD_COLOR);
        }
        return source_.empty() ? cv::Size() : source_.size();
    }
    return {};
}

void CWaterMarkObject::Configure(const WaterMarkSettings& settings) {
    settings_ = settings;
    BuildCaption();
    cv::Size size = GetContentSize();
    if (size.width == 0 || size.height == 0) {
        return;
    }
    if (IsCaption()) {
        size += cv::Size(kCaptionMargin, kCaptionMargin);
    }
    // Halves of 64-bit sums: no region overflows them.
    const auto cx = static_cast<int>((int64_t{settings.left} + settings.right) / 2);
    const auto cy = static_cast<int>((int64_t{settings.top} + settings.bottom) / 2);
    const float left = static_cast<float>(cx - size.width / 2);
    const float top = static_cast<float>(cy - size.height / 2);
    const float right = left + static_cast<float>(size.width);
    const float bottom = top + static_cast<float>(size.height);
    const cv::Point2f centre((left + right) / 2, (top + bottom) / 2);
    const double a = settings.angle;
    const double c = std::cos(a), s = std::sin(a);
    vertices_.clear();
    for (const cv::Point2f& corner : {cv::Point2f(left, top), cv::Point2f(right, top),
                                      cv::Point2f(right, bottom), cv::Point2f(left, bottom)}) {
        const double dx = corner.x - centre.x, dy = corner.y - centre.y;
        vertices_.emplace_back(static_cast<float>(dx * c - dy * s + centre.x),
                               static_cast<float>(dx * s + dy * c + centre.y));
    }
    created_ = true;
    // The next drawing renders anew.
    lastAngle_ = static_cast<float>(a - kPi);
}

WaterMarkSettings CWaterMarkObject::GetSettings() const {
    WaterMarkSettings settings = settings_;
    const IntRect rect = GetRect();
    settings.left = rect.left;
    settings.top = rect.top;
    settings.right = rect.right;
    settings.bottom = rect.bottom;
    return settings;
}

void CWaterMarkObject::UpdateRenderedImage(float scale) {
    if (Near(lastZoom_, scale) && Near(lastAngle_, settings_.angle) &&
        (settings_.mode == kWaterMarkPicture || caption_ == lastCaption_)) {
        return;
    }
    lastZoom_ = scale;
    lastAngle_ = settings_.angle;
    lastCaption_ = caption_;
    rendered_.release();
    mask_.release();
    ++renderings_;
    if (IsCaption()) {
        const cv::Size size = GetContentSize();
        const double diagonal = std::hypot(size.width, size.height);
        if (size.width <= 0 || size.height <= 0 || diagonal > kMaxWaterMarkSide) {
            return;
        }
        const int d = static_cast<int>(diagonal);
        QImage canvas(d, d, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        {
            QPainter painter(&canvas);
            painter.setFont(WaterMarkFont(settings_.fontHeight));
            painter.setPen(Qt::white);
            painter.drawText(
                QRect((d - size.width) / 2, (d - size.height) / 2, size.width, size.height),
                Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, caption_);
        }
        const cv::Mat pixels(d, d, CV_8UC4, canvas.bits(),
                             static_cast<size_t>(canvas.bytesPerLine()));
        cv::Mat grey;
        cv::extractChannel(pixels, grey, 0);  // white on black: any channel
        mask_ = Scaled(Turned(grey, settings_.angle), scale);
    } else if (settings_.mode == kWaterMarkPicture && !source_.empty()) {
        const int c = source_.cols, r = source_.rows;
        const double diagonal = std::hypot(c, r);
        if (diagonal > kMaxWaterMarkSide) {
            return;
        }
        const int d = static_cast<int>(diagonal);
        const cv::Rect place((d - c) / 2, (d - r) / 2, c, r);
        cv::Mat square = cv::Mat::zeros(d, d, CV_8UC3);
        source_.copyTo(square(place));
        cv::Mat cover = cv::Mat::zeros(d, d, CV_8UC1);
        cover(place).setTo(255);
        rendered_ = Scaled(Turned(square, settings_.angle), scale);
        mask_ = Scaled(Turned(cover, settings_.angle), scale);
    }
}

void CWaterMarkObject::Draw(cv::Mat& picture, const IntRect& visible, float scale) {
    const IntRect box = ScaledBoundingRect(vertices_, scale);
    if (box.Width() <= 0 || box.Height() <= 0 || picture.type() != CV_8UC3) {
        return;
    }
    const double t = std::clamp(settings_.transparency / 100.0, 0.0, 1.0);
    BuildCaption();
    UpdateRenderedImage(scale);
    const cv::Point shift(-visible.left, -visible.top);
    const cv::Point centre = CenterPoint(box) + shift;
    if (!mask_.empty()) {
        const cv::Point at = centre - cv::Point(mask_.cols / 2, mask_.rows / 2);
        if (IsCaption()) {
            BlendMask(picture, mask_, at, Bgr(settings_.colour), t);
        } else if (settings_.mode == kWaterMarkPicture && !source_.empty()) {
            BlendOverlay(picture, rendered_, mask_, at, t);
        }
    }
    if (selected_) {
        UpdateHandlePoints(scale);
        DrawOutline(picture, box, shift);
    }
}

void CWaterMarkObject::UpdateHandlePoints(float scale) {
    handlePoints_.clear();
    for (const cv::Point2f& v : vertices_) {
        handlePoints_.emplace_back(RoundHalfAway(v.x * scale), RoundHalfAway(v.y * scale));
    }
}

void CWaterMarkObject::DrawOutline(cv::Mat& picture, const IntRect& /*box*/, cv::Point shift) {
    if (!selected_ || handlePoints_.empty()) {
        return;
    }
    std::vector<cv::Point> shifted;
    for (const cv::Point& p : handlePoints_) {
        shifted.push_back(p + shift);
    }
    cv::polylines(picture, shifted, true, colour_, 1, cv::LINE_8);
    for (const cv::Point& p : shifted) {
        cv::circle(picture, p, kCornerRadius, cv::Scalar(255, 255, 255), cv::FILLED, cv::LINE_8);
        cv::circle(picture, p, kCornerRadius, colour_, 1, cv::LINE_8);
    }
}

bool CWaterMarkObject::OverCorner(cv::Point point) const {
    return std::any_of(handlePoints_.begin(), handlePoints_.end(), [&](const cv::Point& p) {
        return std::abs(point.x - p.x) <= kCornerHitHalf &&
               std::abs(point.y - p.y) <= kCornerHitHalf;
    });
}

int CWaterMarkObject::HandleAt(cv::Point point, float scale) const {
    int handle = Contains(ScaledBoundingRect(vertices_, scale), point) ? kInsideBox : kNoHandle;
    for (size_t i = 0; i < handlePoints_.size(); ++i) {
        const cv::Point& p = handlePoints_[i];
        if (std::abs(point.x - p.x) <= kCornerHitHalf &&
            std::abs(point.y - p.y) <= kCornerHitHalf) {
            handle = static_cast<int>(i);  // a later corner wins
        }
    }
    return handle;
}

bool CWaterMarkObject::OnLButtonDown(cv::Point point, float scale) {
    dragging_ = true;
    UpdateHandlePoints(scale);
    Select(OverCorner(point) || PtInPolygon(handlePoints_, point));
    lastPoint_ = point;
    return selected_;
}

void CWaterMarkObject::OnMouseMove(cv::Point point, float scale) {
    if (selected_ && !dragging_) {
        handle_ = HandleAt(point, scale);
    }
    if (owner_ && selected_ && handle_ != kNoHandle) {
        owner_->setCursor(Qt::SizeAllCursor);
    }
    if (dragging_ && selected_) {
        DragHandle(lastPoint_, point, scale, handle_);
        if (owner_ && !vertices_.empty()) {
            const int grow =
                std::max(RoundHalfAway(lineWidth_ * scale), 5) +
                std::max(std::abs(point.x - lastPoint_.x), std::abs(point.y - lastPoint_.y)) + 1;
            const IntRect box = ScaledBoundingRect(vertices_, scale);
            owner_->InvalidateImageRect(
                {box.left - grow, box.top - grow, box.right + grow, box.bottom + grow});
        }
    }
    lastPoint_ = point;
}

bool CWaterMarkObject::OnSetCursor(cv::Point point, float scale) {
    if (!selected_) {
        return false;
    }
    return Contains(ScaledBoundingRect(vertices_, scale), point) || OverCorner(point);
}

void CWaterMarkObject::DragHandle(cv::Point last, cv::Point current, float scale, int handle) {
    const double s = scale;
    if (handle == kInsideBox) {
        const cv::Point2f delta(static_cast<float>((current.x - last.x) / s),
                                static_cast<float>((current.y - last.y) / s));
        for (cv::Point2f& v : vertices_) {
            v += delta;
        }
        return;
    }
    if (handle < 0 || handle >= static_cast<int>(vertices_.size())) {
        return;
    }
    double cx = 0, cy = 0;
    for (const cv::Point2f& v : vertices_) {
        cx += v.x;
        cy += v.y;
    }
    cx /= static_cast<double>(vertices_.size());
    cy /= static_cast<double>(vertices_.size());
    double turn = std::atan2(current.y / s - cy, current.x / s - cx) -
                  std::atan2(last.y / s - cy, last.x / s - cx);
    // The angle swept, not its way round the branch cut of atan2.
    if (turn > kPi) {
        turn -= 2 * kPi;
    } else if (turn <= -kPi) {
        turn += 2 * kPi;
    }
    settings_.angle = static_cast<float>(settings_.angle + turn);
    const double c = std::cos(turn), sn = std::sin(turn);
    for (cv::Point2f& v : vertices_) {
        const double dx = v.x - cx, dy = v.y - cy;
        v = {static_cast<float>(c * dx - sn * dy + cx), static_cast<float>(sn * dx + c * dy + cy)};
    }
}

}  // namespace orbisk
