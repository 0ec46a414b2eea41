#pragma once

#include <QLoggingCategory>

// The logging categories of platform/. Debug lines are off unless asked for
// with QT_LOGGING_RULES, e.g. "orbisk.camera.debug=true".
namespace orbisk::platform {

// Capture devices, their buttons and the simulated camera.
Q_DECLARE_LOGGING_CATEGORY(lcCamera)
// Everything else of the platform layer: folders, settings files.
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)

}  // namespace orbisk::platform
