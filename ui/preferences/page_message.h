#pragma once

#include <QString>

class QWidget;

namespace orbisk {

// A page's refusal on the operator's screen: a message box over the page's
// window with an empty caption and the stop icon.
void ShowPageMessage(QWidget* page, const QString& text);

}  // namespace orbisk
