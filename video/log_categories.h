#pragma once

#include <QLoggingCategory>

// The logging category of video/: the video sources, the grab filter, the
// frame store and the preview.
namespace orbisk {

Q_DECLARE_LOGGING_CATEGORY(lcVideo)

}  // namespace orbisk
