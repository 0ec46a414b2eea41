#pragma once

#include "core/int_rect.h"
#include "imaging/rotated_box.h"

#include <QString>
#include <opencv2/core.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class QFile;

namespace orbisk {

// The abstract frame holder. The base answers false, none or an empty matrix
// for everything; CDPrgb24 is the one real store.
class CBasePR {
  public:
    virtual ~CBasePR() = default;

    virtual bool SetData(const uint8_t* /*bytes*/, int /*width*/, int /*height*/,
                         int /*rotation*/) {
        return false;
    }
    virtual bool CopyRotated(const uint8_t* /*source*/, uint8_t* /*destination*/, int /*width*/,
                             int /*height*/, int /*rotation*/) {
        return false;
    }
    virtual bool SaveBitmap(const QString& /*path*/, const IntRect& /*rect*/) { return false; }
    virtual bool SaveBitmap(const QString& /*path*/) { return false; }
    virtual uint8_t* GetData() { return nullptr; }
    virtual uint8_t** GetDataAddress() { return nullptr; }
    virtual bool GetSize(int& /*width*/, int& /*height*/) const { return false; }
    virtual cv::Mat GetImage() const { return {}; }
    virtual cv::Mat GetImage(const IntRect& /*rect*/) const { return {}; }
};

// One 24-bit frame the way a capture pipeline hands it over: blue, green, red
// per pixel, rows without padding, the bottom picture row first. Frames are
// copied in with a turn of 0, 90, 180 or 270 degrees clockwise and handed out
// top-down as matrices or written as BMP files.
//
// No lock of its own: the owner serialises access.
class CDPrgb24 : public CBasePR {
  public:
    CDPrgb24() = default;
    CDPrgb24(const CDPrgb24&) = delete;
    CDPrgb24& operator=(const CDPrgb24&) = delete;

    // Copies width x height x 3 bytes, turned by `rotation` degrees (negative
    // angles count the other way round: -90 is 270). Anything but a quarter
    // turn, missing bytes or a size that is not positive (or too large to
    // address) answers false with the store unchanged. When memory for a new
    // size can't be had, the store becomes empty and the answer is false.
    bool SetData(const uint8_t* bytes, int width, int height, int rotation) override;
    bool SetData(const uint8_t* bytes, int width, int height) {
        return SetData(bytes, width, height, 0);
    }
    // Copies a frame whose rows are `rowStep` bytes apart (negative for a
    // top-down frame): stored row r is read at bottomRow + r * rowStep. No
    // turn; refusals as for SetData.
    bool SetDataRows(const uint8_t* bottomRow, std::ptrdiff_t rowStep, int width, int height);
    // The same turns into a caller's buffer of width x height x 3 bytes.
    bool CopyRotated(const uint8_t* source, uint8_t* destination, int width, int height,
                     int rotation) override;

    // A 24-bit BMP of the rectangle (picture coordinates, rows from the top).
    // False for an empty store, a rectangle outside the frame or an empty or
    // inverted one (no file is written then).
    bool SaveBitmap(const QString& path, const IntRect& rect) override;
    // A 24-bit BMP of the whole frame.
    bool SaveBitmap(const QString& path) override;

    uint8_t* GetData() override { return bytes_.get(); }
    uint8_t** GetDataAddress() override { return &raw_; }
    bool GetSize(int& width, int& height) const override;

    // A copy of the picture (or the rectangle of it), rows top-down; empty for
    // an empty store or a rectangle that is outside, empty or inverted.
    cv::Mat GetImage() const override;
    cv::Mat GetImage(const IntRect& rect) const override;

    // Finds the document in the stored frame (when `detect` is set) and draws
    // its outline into the frame, blue, 9 pixels wide. Boxes use the stored
    // row order (row 0 is the bottom picture row). Without a document the box
    // is the whole frame; an empty store draws nothing and returns `box`.
    RotatedBox DrawDetectedBox(bool detect, RotatedBox box, float threshold);
    // The same for every document found; an empty store gives an empty list.
    std::vector<RotatedBox> DrawDetectedBoxes(float threshold);

    // The normalised quarter turn (0, 90, 180, 270) or -1 for any other angle.
    static int NormaliseRotation(int rotation);

  private:
    bool Reserve(size_t byteCount);
    // The BMP of a rectangle inside the frame into an open file.
    bool WriteBitmap(QFile& file, const IntRect& rect, uint32_t pixelsPerMetre) const;

    std::unique_ptr<uint8_t[]> bytes_;
    uint8_t* raw_ = nullptr;  // mirrors bytes_ for GetDataAddress
    size_t capacity_ = 0;
    int width_ = 0;
    int height_ = 0;
};

// Moves of 3-byte pixels between buffers of `width` x `height` pixels (the
// source's size); the turned results are `height` wide and `width` high.
void CopyPixels24(int width, const uint8_t* source, uint8_t* destination, int height);
void RotatePixels24By90(int width, const uint8_t* source, uint8_t* destination, int height);
void RotatePixels24By180(int width, const uint8_t* source, uint8_t* destination, int height);
void RotatePixels24By270(int width, const uint8_t* source, uint8_t* destination, int height);

// The point turned by the box's angle (degrees) about the box's centre,
// rounded by adding 0.5 and truncating.
cv::Point RotatePointAboutCenter(const RotatedBox& box, const cv::Point2f& point);

}  // namespace orbisk
