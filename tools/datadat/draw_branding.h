#pragma once

#include <QImage>
#include <QString>

namespace orbisk::tools {

// The program's own logo (the logo box of the main window) and splash picture,
// drawn here so that no picture has to be shipped.
QImage DrawLogo(const QString& caption);
QImage DrawSplash(const QString& caption);

}  // namespace orbisk::tools
