#include "platform/log_categories.h"

namespace orbisk::platform {

Q_LOGGING_CATEGORY(lcCamera, "orbisk.camera")
Q_LOGGING_CATEGORY(lcPlatform, "orbisk.platform")

}  // namespace orbisk::platform
