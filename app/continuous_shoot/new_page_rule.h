#pragma once

#include <opencv2/core/mat.hpp>

#include <array>

#include "imaging/detection_params.h"

class QObject;

namespace orbisk {

// The statuses the inspection reports to the shooting dialog (the lParam of
// WM_SHOOT_STATUS).
enum class ShootStatus : int {
    kNewDocument = 0,
    kNoDocument = 1,
    kSameDocument = 2,
    kNoCamera = 3,
};

// What one inspection cycle concludes.
enum class NewPageVerdict {
    kShoot,         // a new page has come to rest: capture it
    kNoDocument,    // nothing under the camera
    kSameDocument,  // the page already captured still lies there
    kMoving,        // a page is there but still moving: say nothing
};

// The rule: a page is new when the picture differs from the one three cycles
// ago but matches the one two cycles ago (it has lain still for two cycles
// since it changed). The cycle after a shot sees the still page three cycles
// back too and reports the same document, so each page is captured once.
NewPageVerdict DecideNewPage(bool present, bool sameAsThreeAgo, bool sameAsTwoAgo);

// The inspection of successive frames: keeps the last three reduced frames,
// oldest first, empty at the start. Two frames are the same when the change
// test finds them unchanged and the stroke test finds no other text on the
// page (a page swapped for another in the same place).
class NewPageInspector {
  public:
    // The frame scale, the detection values and the change tolerance of the
    // inspection.
    static constexpr double kFrameScale = 0.2;
    static constexpr double kAreaRatio = 0.04;
    static constexpr DetectionParams kDetection = kPageDetection;
    static constexpr float kChangeFraction = 0.05f;
    static constexpr int kChangeDifference = 50;
    // The stroke test (HaveStrokesChanged): a quarter of a percent of the
    // frame in strokes that moved by more than 30 grey levels. A still page
    // under sensor noise, light flicker, a blur or a pixel of shake gives
    // none; another page of text in the same place gives several times that.
    static constexpr float kStrokeFraction = 0.0025f;
    static constexpr int kStrokeDifference = 30;

    // One cycle on the camera's current frame (full size; may be empty).
    NewPageVerdict Inspect(const cv::Mat& frame);

  private:
    // One frame reduced twice: for detection and the change test, and
    // averaged for the stroke test.
    struct Reduced {
        cv::Mat sampled;
        cv::Mat averaged;
    };
    bool Same(const Reduced& earlier, const Reduced& now) const;

    std::array<Reduced, 3> history_;
};

// Posts what a verdict tells: a shot asks the owner for a capture
// (WM_SHOOT_REQUEST 0) and tells the dialog (WM_SHOOT_STATUS 0); the other
// statuses go to the dialog alone; a moving page posts nothing. Any thread.
void PostVerdict(NewPageVerdict verdict, QObject* owner, QObject* dialog);

}  // namespace orbisk
