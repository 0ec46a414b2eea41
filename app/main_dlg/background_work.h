#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace orbisk {

// Runs `work` on a worker thread and returns when it has finished. Meanwhile
// a modal progress box over `owner` with `label` keeps the other windows from
// taking input while the event loop runs on, so the window keeps painting.
// The box has no cancel: the work cannot be interrupted, and closing the box
// does not end the wait. `work` must not touch widgets.
void RunBehindProgress(QWidget* owner, const QString& label, const std::function<void()>& work);

}  // namespace orbisk
