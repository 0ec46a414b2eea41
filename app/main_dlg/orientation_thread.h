#pragma once

#include "platform/worker_thread.h"

#include <QtGlobal>
#include <opencv2/core/mat.hpp>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class QObject;

namespace orbisk {

class CameraPort;

// The recognition template the thread loads, a resource of the program.
inline constexpr char kOrientationTemplateName[] = "OCR_RLDA_LN_Gra.tpl";
// One detection per period at most.
inline constexpr std::chrono::milliseconds kOrientationPeriod{300};

// What the orientation thread decides with: the program's is the character
// recogniser's page-orientation detector; tests stand a stub in. Made, used
// and destroyed on the thread.
class IOrientationDetector {
  public:
    virtual ~IOrientationDetector() = default;
    // Loads the recognition template; false when it cannot be used.
    virtual bool Initialize(const std::string& templatePath) = 0;
    // True with the counter-clockwise turn (0, 90, 180 or 270) after which the
    // page reads upright; false when nothing was decided.
    virtual bool Detect(const cv::Mat& page, int* angle) = 0;
};
using OrientationDetectorFactory = std::function<std::unique_ptr<IOrientationDetector>()>;

// The recogniser's detector.
std::unique_ptr<IOrientationDetector> MakeDocOcrDetector();

// The document camera as one run of the thread sees it. The window clears it
// before the controller goes; the thread holds the lock only while it takes a
// frame, so a cleared camera is never used again.
class OrientationCamera {
  public:
    explicit OrientationCamera(CameraPort* camera) : camera_(camera) {}
    void Clear();
    // False once there is no camera; otherwise its current frame (maybe empty).
    bool TakeFrame(cv::Mat* frame);
    // Set by the thread just before it reports that it ended by itself, so
    // that the report of an earlier run cannot end a later one.
    std::atomic<bool> endedByItself{false};

  private:
    std::mutex mutex_;
    CameraPort* camera_;
};

// The page the thread examines: the document cut out of the frame as the
// single-page capture cuts it, or the whole frame when none is found.
cv::Mat OrientationPage(const cv::Mat& frame);

// The thread's body. Every period (a stop ends the wait at once) it examines
// the camera's frame and posts WM_ORIENTATION_RESULT (1, angle) to `window`
// when the detector decided; the cycle after a result is skipped, because
// its frame may predate the rotation the result asks for. It ends without a
// message on a stop, and with (0, 0) when the template cannot be loaded or
// the camera is gone.
void RunOrientation(platform::WorkerThread::Context& context, OrientationCamera& camera,
                    const OrientationDetectorFactory& makeDetector, const std::string& templatePath,
                    QObject* window, std::chrono::milliseconds period = kOrientationPeriod);

// The document camera's rotation after a result of `angle`, which turns the
// picture back by that much; -1 for an angle that is no quarter turn.
int RotationAfterOrientation(int docRotation, qintptr angle);

}  // namespace orbisk
