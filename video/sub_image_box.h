#pragma once

#include "video/crop_box.h"

#include <opencv2/core.hpp>

#include <cstdint>
#include <memory>

namespace orbisk {

// The angle folded once toward zero by a quarter turn when it is at least an
// eighth of a turn: the tilt of a page however the page lies.
double FoldQuarterTurn(double angle);

// Stretches the whole of `source` (8-bit BGR) into the rectangle `box` of
// `target` (8-bit BGR), clipped to the target: averaging where it shrinks
// and `smooth` is set, else nearest pixels. Only the covered part is
// computed, so a box many times the target's size costs no more.
void StretchInto(const cv::Mat& source, const IntRect& box, cv::Mat& target, bool smooth);

// A picture-in-picture box: a second picture (a second camera's frame)
// stretched into a box over the live picture, moved by dragging, optionally
// marked with a green outline turned by the tilt of the detected page, and
// burnt into captures and recordings. Used only on the canvas's thread.
class CSubImageBox : public CTrackRectangle {
  public:
    CSubImageBox();

    bool OnLButtonDown(cv::Point point, float scale) override;
    void OnMouseMove(cv::Point point, float scale) override;
    void OnLButtonUp(cv::Point point, float scale) override;
    void Draw(cv::Mat& picture, const IntRect& visible, float scale) override;

    // Raw 24-bit rows, bottom-up, width x 3 bytes each without gaps. A box
    // without corners takes the picture's size. False, nothing changed, for
    // no data or a size that is not positive.
    bool SetImage(const uint8_t* data, int width, int height);
    // Into a full-size frame (8-bit BGR, top-down): the picture stretched
    // into the box, or with the marker on, turned by the folded angle and
    // centred on the box.
    void BurnIn(cv::Mat& image) const;

    // A copy for another thread: its own picture, no owner, not selected.
    std::unique_ptr<CSubImageBox> Snapshot() const;

    void SetAngleMarker(bool on, double angle) {
        marker_ = on;
        angle_ = angle;
    }
    bool AngleMarker() const { return marker_; }
    double Angle() const { return angle_; }
    float LastDrawScale() const { return lastScale_; }
    // Top-down.
    const cv::Mat& Picture() const { return picture_; }

  private:
    bool marker_ = false;
    double angle_ = 0;  // radians
    // Until the first drawing, a repaint is asked for at scale 1.
    float lastScale_ = 1;
    cv::Mat picture_;
};

}  // namespace orbisk
