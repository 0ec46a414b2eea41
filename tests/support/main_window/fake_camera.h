#pragma once

#include "app/main_dlg/camera_port.h"
#include "core/int_rect.h"
#include "platform/camera_controls.h"

#include <QStringList>
#include <QWidget>
#include <opencv2/core/mat.hpp>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace orbisk::test {

// What the fake cameras of one test share: the connected devices, the
// results they give, and a log of the calls they got ("n:Call args", n the
// camera's number in order of making).
struct FakeCameras {
    std::map<QString, int> devices;  // "vid:pid" -> count
    int openResult = 0;
    bool runResult = true;
    QSize largestFrame{1920, 1080};
    std::optional<IntRect> customRect;
    // What a capture grabs: the cut-outs (each call logs "GetCroppedImages"
    // and then runs `onGrab`, where a test can deliver events as a nested
    // loop would) and the size the camera delivers.
    std::vector<cv::Mat> cutOuts;
    std::function<void()> onGrab;
    // Runs when a camera starts streaming, with the window it was opened in
    // (where its snapshot button posts).
    std::function<void(QWidget* window)> onRun;
    // Runs when a camera goes, with its number.
    std::function<void(int camera)> onDestroyed;
    QSize resolution{1920, 1080};
    // What a recording writes to its file ("n:StartRecording <path>" and
    // "n:StopRecording" are logged): the start's result, and the bytes the
    // file gets when the start succeeds.
    int recordResult = 0;
    QByteArray recordedBytes = "ASF";
    // The current frame, asked for from any thread; not logged.
    std::function<cv::Mat()> frame;
    // The cameras' controls by property, shared by every camera: a value
    // outside the range turns the control automatic, as the camera layer does.
    struct Control {
        platform::PropertyRange range;
        int value = 0;
        int flags = platform::kPropertyManual;
        int rangeResult = 0;  // what reading the range answers
        int readResult = 0;   // what reading the value answers
    };
    std::map<int, Control> controls{
        {platform::kCameraExposure, {{-8, 0, 1, -4, 3}, -4, platform::kPropertyManual, 0, 0}},
        {platform::kCameraFocus, {{0, 250, 5, 0, 3}, 0, platform::kPropertyAuto, 0, 0}}};
    // Per camera number: whether Open and Run fail (beyond openResult/runResult).
    std::map<int, int> openResultOf;
    std::map<int, bool> runResultOf;
    // Tells camera `number` (if alive) that its stream was lost.
    void Lose(int number);
    // Alive cameras by number.
    std::map<int, CameraPort*> alive;
    std::map<int, std::function<void()>> lostHandlers;
    QStringList log;
    int made = 0;

    CameraFactory Factory();
    QStringList CallsOf(int camera) const;
};

}  // namespace orbisk::test
