#pragma once

#include "video/object_container.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <opencv2/core.hpp>

#include <memory>

// Shared by the canvas and crop-box tests: pictures whose pixels tell where
// they came from, and mouse input sent straight to a widget.
namespace orbisk::test {

// Every pixel differs from every other (up to 4096 x 4096): blue and green are
// the low bytes of x and y, red holds their high nibbles.
inline cv::Mat PatternFrame(int width, int height) {
    cv::Mat frame(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            frame.at<cv::Vec3b>(y, x) =
                cv::Vec3b(static_cast<uchar>(x & 255), static_cast<uchar>(y & 255),
                          static_cast<uchar>(((x >> 8) & 15) | (((y >> 8) & 15) << 4)));
        }
    }
    return frame;
}

// A shown canvas of the given client size with the frame on it.
inline std::unique_ptr<CObjectContainer> MakeCanvas(int width, int height, const cv::Mat& frame,
                                                    QWidget* parent = nullptr) {
    auto canvas = std::make_unique<CObjectContainer>(parent);
    canvas->resize(width, height);
    canvas->show();
    canvas->ShowFrame(frame);
    return canvas;
}

inline void SendMouse(QWidget& widget, QEvent::Type type, QPoint point,
                      Qt::MouseButton button = Qt::NoButton,
                      Qt::MouseButtons buttons = Qt::NoButton) {
    QMouseEvent event(type, QPointF(point), widget.mapToGlobal(QPointF(point)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

inline void Move(QWidget& widget, QPoint point, bool leftDown = false) {
    SendMouse(widget, QEvent::MouseMove, point, Qt::NoButton,
              leftDown ? Qt::LeftButton : Qt::NoButton);
}

inline void Press(QWidget& widget, QPoint point) {
    SendMouse(widget, QEvent::MouseButtonPress, point, Qt::LeftButton, Qt::LeftButton);
}

inline void Release(QWidget& widget, QPoint point) {
    SendMouse(widget, QEvent::MouseButtonRelease, point, Qt::LeftButton, Qt::NoButton);
}

// A press, moves through `path` with the button down, and a release at the
// path's end.
inline void Drag(QWidget& widget, QPoint from, std::initializer_list<QPoint> path) {
    Move(widget, from);
    Press(widget, from);
    QPoint last = from;
    for (QPoint p : path) {
        Move(widget, p, true);
        last = p;
    }
    Release(widget, last);
}

inline void Wheel(QWidget& widget, QPoint point, int delta) {
    QWheelEvent event(QPointF(point), widget.mapToGlobal(QPointF(point)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

inline QRgb Rgb(const cv::Vec3b& bgr) { return qRgb(bgr[2], bgr[1], bgr[0]); }

}  // namespace orbisk::test
