#pragma once

#include "core/int_rect.h"
#include "imaging/rotated_box.h"
#include "platform/capture_device.h"
#include "video/frame_store.h"

#include <QImage>
#include <opencv2/core.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QObject;
class QPainter;

namespace orbisk {

// The kind of samples a video renderer is offered.
inline constexpr uint32_t kMediaTypeVideo = platform::FourCc('v', 'i', 'd', 's');
// 24-bit pixels in blue, green, red byte order.
inline constexpr uint32_t kMediaSubtypeRgb24 = platform::FourCc('B', 'G', 'R', '3');

struct VideoMediaType {
    uint32_t majorType = 0;
    uint32_t subtype = 0;
    int bitCount = 0;
    int width = 0;
    int height = 0;
};

// The detection threshold (minimum area ratio) of the renderer's outline.
inline constexpr float kDrawVideoDetectThreshold = 0.03f;

// A rectangle (right and bottom exclusive) of a width x height frame as the
// same part of the frame turned clockwise by `rotation` (0, 90, 180, 270;
// anything else leaves it unchanged).
IntRect RotateVideoRect(const IntRect& rect, int width, int height, int rotation);

// The drawing core of a video renderer: it accepts 24-bit RGB samples only,
// stores each turned by the rotation, draws the detected document's outline
// into it when asked, keeps the result as a picture for the target window and
// tells the notify window (WM_SECOND_FRAME_READY) after each frame.
//
// Samples arrive on a streaming thread; the target's paint runs on the UI
// thread; the drawing's own lock keeps them apart. The notify window must
// outlive the drawing (or be taken away first).
class CDrawVideo {
  public:
    // The system's tick count in milliseconds.
    using TickSource = std::function<uint32_t()>;

    CDrawVideo();
    CDrawVideo(const CDrawVideo&) = delete;
    CDrawVideo& operator=(const CDrawVideo&) = delete;

    // Video of the 24-bit RGB subtype with 24 bits per pixel and a positive
    // size; nothing else.
    static bool CheckMediaType(const VideoMediaType& type);
    // A new accepted type starts a new, empty frame store and resets the
    // source rectangle to the whole frame (and an unset target to the frame's
    // size). A refused type changes nothing and answers false.
    bool SetMediaType(const VideoMediaType& type);

    // One sample of the current type: rows of width x 3 bytes padded to a
    // multiple of 4, the bottom row first. False, with nothing drawn or
    // posted, without a type or for a sample shorter than the type needs.
    bool DrawSample(const uint8_t* data, size_t length);

    // The last frame copied to the target rectangle, stretched smoothly when
    // the target's size differs from the source's, else unscaled.
    void Paint(QPainter& painter) const;

    // 0, 90, 180 or 270; false for another angle.
    bool SetRotation(int rotation);
    void SetAutoDetect(bool on);
    void SetNotifyWindow(QObject* window);
    // The part of the frame drawn, and where it goes in the target window,
    // both before the rotation.
    void SetSourceRect(const IntRect& rect);
    void SetTargetRect(const IntRect& rect);
    void SetTickSource(TickSource tick);

    // What the last frame drew, for the owner and its checks.
    cv::Mat StoredImage() const;  // top-down copy of the frame store
    IntRect DrawnSourceRect() const;
    IntRect DrawnTargetRect() const;
    bool IsStretched() const;
    std::optional<RotatedBox> LastBox() const;

  private:
    mutable std::mutex lock_;
    std::unique_ptr<CDPrgb24> store_;
    std::optional<VideoMediaType> type_;
    int rotation_ = 0;
    bool autoDetect_ = false;
    QObject* notify_ = nullptr;
    TickSource tick_;
    std::optional<uint32_t> lastTick_;  // of the last detection
    RotatedBox lastBox_{};
    IntRect sourceRect_;
    IntRect targetRect_;
    IntRect drawnSource_;
    IntRect drawnTarget_;
    bool stretch_ = false;
    QImage bitmap_;
    std::unique_ptr<uint8_t[]> rows_;  // a padded sample without its padding
    size_t rowsCapacity_ = 0;
};

}  // namespace orbisk
