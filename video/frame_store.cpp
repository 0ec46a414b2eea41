#include "video/frame_store.h"

#include "imaging/detection_params.h"
#include "imaging/document_detection.h"
#include "video/log_categories.h"

#include <QFile>
#include <QtGlobal>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <climits>
#include <cmath>
#include <cstring>
#include <new>

namespace orbisk {
namespace {

// Frames above this byte count are refused; it keeps every size and offset
// below in int and uint32 range (a BMP's size fields are 32-bit).
constexpr size_t kMaxFrameBytes = static_cast<size_t>(INT_MAX) / 2;

size_t FrameBytes(int width, int height) {
    if (width <= 0 || height <= 0) {
        return 0;
    }
    const auto w = static_cast<size_t>(width);
    const auto h = static_cast<size_t>(height);
    if (w > kMaxFrameBytes / 3 / h) {
        return 0;
    }
    return w * h * 3;
}

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xff));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xff));
    }
}

// The 54 bytes of file header and info header of a bottom-up 24-bit BMP.
std::vector<uint8_t> BitmapHeaders(int width, int height, uint32_t rowBytes,
                                   uint32_t pixelsPerMetre) {
    std::vector<uint8_t> out;
    out.reserve(54);
    out.push_back('B');
    out.push_back('M');
    PutU32(out, rowBytes * static_cast<uint32_t>(height) + 54);
    PutU16(out, 0);
    PutU16(out, 0);
    PutU32(out, 54);
    PutU32(out, 40);
    PutU32(out, static_cast<uint32_t>(width));
    PutU32(out, static_cast<uint32_t>(height));
    PutU16(out, 1);
    PutU16(out, 24);
    PutU32(out, 0);  // no compression
    PutU32(out, 0);  // image size: may be 0 for uncompressed data
    PutU32(out, pixelsPerMetre);
    PutU32(out, pixelsPerMetre);
    PutU32(out, 0);
    PutU32(out, 0);
    return out;
}

uint32_t PaddedRowBytes(int width) { return (static_cast<uint32_t>(width) * 3 + 3) & ~3u; }

bool RectInside(const IntRect& r, int width, int height) {
    return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height &&
           r.right > r.left && r.bottom > r.top;
}

// A stored (bottom-up) frame as a matrix header over the bytes.
cv::Mat StoredView(const uint8_t* bytes, int width, int height) {
    return cv::Mat(height, width, CV_8UC3, const_cast<uint8_t*>(bytes));
}

RotatedBox WholeFrame(int width, int height) {
    return {static_cast<float>(width / 2), static_cast<float>(height / 2),
            static_cast<float>(width), static_cast<float>(height), 0.0f};
}

void DrawBox(cv::Mat& frame, const RotatedBox& box) {
    const float hw = box.width / 2, hh = box.height / 2;
    const cv::Point2f corners[5] = {{box.cx - hw, box.cy - hh},
                                    {box.cx + hw, box.cy - hh},
                                    {box.cx + hw, box.cy + hh},
                                    {box.cx - hw, box.cy + hh},
                                    {box.cx - hw, box.cy - hh}};
    for (int i = 0; i < 4; ++i) {
        cv::line(frame, RotatePointAboutCenter(box, corners[i]),
                 RotatePointAboutCenter(box, corners[i + 1]), cv::Scalar(255, 0, 0), 9, cv::LINE_8);
    }
}

// One of the four moves by a normalised quarter turn.
void TurnPixels24(int turn, int width, const uint8_t* source, uint8_t* destination, int height) {
    switch (turn) {
        case 0:
            CopyPixels24(width, source, destination, height);
            break;
        case 90:
            RotatePixels24By90(width, source, destination, height);
            break;
        case 180:
            RotatePixels24By180(width, source, destination, height);
            break;
        default:
            RotatePixels24By270(width, source, destination, height);
            break;
    }
}

}  // namespace

void CopyPixels24(int width, const uint8_t* source, uint8_t* destination, int height) {
    std::memcpy(destination, source, FrameBytes(width, height));
}

// In stored terms (row 0 at the bottom) a clockwise quarter turn on screen is
// a counter-clockwise turn of the row-major matrix, and the reverse.
void RotatePixels24By90(int width, const uint8_t* source, uint8_t* destination, int height) {
    cv::Mat dst(width, height, CV_8UC3, destination);
    cv::rotate(StoredView(source, width, height), dst, cv::ROTATE_90_COUNTERCLOCKWISE);
}

void RotatePixels24By180(int width, const uint8_t* source, uint8_t* destination, int height) {
    cv::Mat dst(height, width, CV_8UC3, destination);
    cv::rotate(StoredView(source, width, height), dst, cv::ROTATE_180);
}

void RotatePixels24By270(int width, const uint8_t* source, uint8_t* destination, int height) {
    cv::Mat dst(width, height, CV_8UC3, destination);
    cv::rotate(StoredView(source, width, height), dst, cv::ROTATE_90_CLOCKWISE);
}

cv::Point RotatePointAboutCenter(const RotatedBox& box, const cv::Point2f& point) {
    const double a = box.angle * CV_PI / 180.0;
    const double dx = point.x - box.cx;
    const double dy = point.y - box.cy;
    const double x = box.cx + dx * std::cos(a) - dy * std::sin(a);
    const double y = box.cy + dx * std::sin(a) + dy * std::cos(a);
    return {static_cast<int>(x + 0.5), static_cast<int>(y + 0.5)};
}

int CDPrgb24::NormaliseRotation(int rotation) {
    const int r = ((rotation % 360) + 360) % 360;
    return r % 90 == 0 ? r : -1;
}

bool CDPrgb24::Reserve(size_t byteCount) {
    if (bytes_ && capacity_ == byteCount) {
        return true;
    }
    bytes_.reset(new (std::nothrow) uint8_t[byteCount]);
    raw_ = bytes_.get();
    if (!bytes_) {
        capacity_ = 0;
        width_ = 0;
        height_ = 0;
        return false;
    }
    capacity_ = byteCount;
    return true;
}

bool CDPrgb24::SetData(const uint8_t* bytes, int width, int height, int rotation) {
    const int turn = NormaliseRotation(rotation);
    const size_t byteCount = FrameBytes(width, height);
    if (bytes == nullptr || turn < 0 || byteCount == 0) {
        return false;
    }
    if (!Reserve(byteCount)) {
        return false;
    }
    TurnPixels24(turn, width, bytes, bytes_.get(), height);
    const bool quarter = turn == 90 || turn == 270;
    width_ = quarter ? height : width;
    height_ = quarter ? width : height;
    return true;
}

bool CDPrgb24::SetDataRows(const uint8_t* bottomRow, std::ptrdiff_t rowStep, int width,
                           int height) {
    const size_t byteCount = FrameBytes(width, height);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    if (bottomRow == nullptr || byteCount == 0 ||
        static_cast<size_t>(rowStep < 0 ? -rowStep : rowStep) < rowBytes) {
        return false;
    }
    if (!Reserve(byteCount)) {
        return false;
    }
    for (int r = 0; r < height; ++r) {
        std::memcpy(bytes_.get() + r * rowBytes, bottomRow + r * rowStep, rowBytes);
    }
    width_ = width;
    height_ = height;
    return true;
}

bool CDPrgb24::CopyRotated(const uint8_t* source, uint8_t* destination, int width, int height,
                           int rotation) {
    const int turn = NormaliseRotation(rotation);
    if (source == nullptr || destination == nullptr || turn < 0 || FrameBytes(width, height) == 0) {
        return false;
    }
    TurnPixels24(turn, width, source, destination, height);
    return true;
}

bool CDPrgb24::GetSize(int& width, int& height) const {
    if (!bytes_ || width_ <= 0 || height_ <= 0) {
        return false;
    }
    width = width_;
    height = height_;
    return true;
}

cv::Mat CDPrgb24::GetImage() const { return GetImage(IntRect{0, 0, width_, height_}); }

cv::Mat CDPrgb24::GetImage(const IntRect& rect) const {
    if (!bytes_ || !RectInside(rect, width_, height_)) {
        return {};
    }
    const cv::Mat stored = StoredView(bytes_.get(), width_, height_);
    // Picture row y is stored row height - 1 - y.
    const cv::Mat part = stored(cv::Range(height_ - rect.bottom, height_ - rect.top),
                                cv::Range(rect.left, rect.right));
    cv::Mat out;
    cv::flip(part, out, 0);
    return out;
}

RotatedBox CDPrgb24::DrawDetectedBox(bool detect, RotatedBox box, float threshold) {
    int w = 0, h = 0;
    if (!GetSize(w, h)) {
        return box;
    }
    cv::Mat frame = StoredView(bytes_.get(), w, h);
    if (detect && !DetectDocument(box, frame, kCropDetection.WithMinAreaRatio(threshold))) {
        box = WholeFrame(w, h);
    }
    DrawBox(frame, box);
    return box;
}

std::vector<RotatedBox> CDPrgb24::DrawDetectedBoxes(float threshold) {
    std::vector<RotatedBox> boxes;
    int w = 0, h = 0;
    if (!GetSize(w, h)) {
        return boxes;
    }
    cv::Mat frame = StoredView(bytes_.get(), w, h);
    if (!FindDocumentBoxes(boxes, frame, kCropDetection.WithMinAreaRatio(threshold))) {
        boxes.assign(1, WholeFrame(w, h));
    }
    for (const auto& box : boxes) {
        DrawBox(frame, box);
    }
    return boxes;
}

bool CDPrgb24::SaveBitmap(const QString& path, const IntRect& rect) {
    if (path.isEmpty() || !bytes_ || !RectInside(rect, width_, height_)) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qCWarning(lcVideo, "CDPrgb24::SaveBitmap() - hf = INVALID_HANDLE_VALUE!");
        return false;
    }
    // 3780 pixels per metre is 96 dots per inch.
    return WriteBitmap(file, rect, 3780);
}

bool CDPrgb24::SaveBitmap(const QString& path) {
    if (path.isEmpty() || !bytes_) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    return WriteBitmap(file, IntRect{0, 0, width_, height_}, 0);
}

bool CDPrgb24::WriteBitmap(QFile& file, const IntRect& rect, uint32_t pixelsPerMetre) const {
    const int w = rect.Width();
    const int h = rect.Height();
    const uint32_t rowBytes = PaddedRowBytes(w);
    std::vector<uint8_t> out = BitmapHeaders(w, h, rowBytes, pixelsPerMetre);
    out.reserve(out.size() + static_cast<size_t>(rowBytes) * h);
    const size_t stride = static_cast<size_t>(width_) * 3;
    // Bottom-up: picture row bottom - 1 first, which is stored row height - bottom.
    for (int y = rect.bottom - 1; y >= rect.top; --y) {
        const uint8_t* row = bytes_.get() + (height_ - 1 - y) * stride + rect.left * 3;
        out.insert(out.end(), row, row + w * 3);
        out.resize(out.size() + (rowBytes - w * 3), 0);
    }
    const auto written =
        file.write(reinterpret_cast<const char*>(out.data()), static_cast<qint64>(out.size()));
    return written == static_cast<qint64>(out.size()) && file.flush();
}

}  // namespace orbisk
