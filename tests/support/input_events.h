#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <initializer_list>

// Mouse and key input sent straight to a widget, without a window system.
namespace orbisk::test {

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

// A press and a release at the widget's centre.
inline void Click(QWidget& widget) {
    const QPoint centre = widget.rect().center();
    Press(widget, centre);
    Release(widget, centre);
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

// A key press and its release, typing `text`.
inline void SendKey(QWidget& widget, int key, const QString& text = QString(),
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(&widget, &release);
}

}  // namespace orbisk::test
