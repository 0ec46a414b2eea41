#include "video/log_categories.h"

namespace orbisk {

Q_LOGGING_CATEGORY(lcVideo, "orbisk.video", QtInfoMsg)

}  // namespace orbisk
