#pragma once

#include "core/int_rect.h"
#include "imaging/rotated_box.h"

#include <opencv2/core.hpp>

#include <optional>
#include <vector>

namespace orbisk {

class CDPrgb24;

// The trim margins of the preview, in pixels of the camera picture before it
// is turned. -1 means not set.
struct TrimMargins {
    int left = -1;
    int top = -1;
    int right = -1;
    int bottom = -1;
    friend bool operator==(const TrimMargins&, const TrimMargins&) = default;
};

// A margin rounded to the nearest multiple of 4, halves upwards (1 -> 0,
// 2 -> 4, 6 -> 8). A negative margin stays -1, "not set", so that rounding
// never turns it into a margin that applies.
int RoundMargin(int margin);
TrimMargins RoundMargins(const TrimMargins& margins);

// The rectangle shrunk by the margins; unchanged when any margin is negative
// or the result would be empty or inverted.
IntRect ApplyTrimMargins(const IntRect& rect, const TrimMargins& margins);

// The angle as a quarter turn in 0, 90, 180, 270 (-90 is 270, 450 is 90), or
// -1 for an angle that is not a multiple of 90.
int NormaliseQuarterTurn(int degrees);

// How the shown picture turns when the rotation goes from `from` to `to`
// (both normalised quarter turns).
enum class ViewTurn { kNone, kRight, kLeft, kHalf };
ViewTurn TurnBetween(int from, int to);

// The crop box cut to the frame; the whole frame when nothing of it is left
// (a box drawn on a larger picture before the camera's size dropped).
cv::Rect ClipCropRect(const IntRect& crop, cv::Size frame);

// A box of the frame store (rows counted from the bottom) in the top-down
// coordinates of a picture `rows` high: centre y mirrored, angle negated.
RotatedBox MirrorBoxRows(const RotatedBox& box, int rows);

// The part `rect` (picture coordinates, rows from the top) of the input
// store, turned clockwise by `rotation` (a normalised quarter turn), into the
// output store. `work` holds the trimmed part on the way when both a trim and
// a turn apply; the input store is never changed. False when the input is
// empty or a store can't get memory.
bool TrimAndTurn(const CDPrgb24& input, const IntRect& rect, int rotation, CDPrgb24& work,
                 CDPrgb24& output);

// The store's picture top-down into `picture`, whose buffer is reused when
// it has the size already and no other matrix shares it; otherwise the
// picture gets a buffer of its own.
void StoreToPicture(const CDPrgb24& store, cv::Mat& picture);

// The cut-out documents of a processed frame (top-down, overlays burnt in):
// with detection on and boxes found, each box (frame-store coordinates)
// mirrored and cut out upright, empty cut-outs left out; otherwise the crop
// box's part of the frame, or the whole frame without a crop box. Every
// cut-out has a buffer of its own; the frame is only read.
std::vector<cv::Mat> CutOutDocuments(const cv::Mat& frame, const std::vector<RotatedBox>& boxes,
                                     bool autoDetect, const std::optional<IntRect>& cropRect);

}  // namespace orbisk
