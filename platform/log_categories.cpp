#include "platform/log_categories.h"

namespace orbisk::platform {

Q_LOGGING_CATEGORY(lcCamera, "orbisk.camera", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPlatform, "orbisk.platform", QtInfoMsg)

}  // namespace orbisk::platform
