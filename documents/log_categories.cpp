#include "documents/log_categories.h"

namespace orbisk {

Q_LOGGING_CATEGORY(lcDocuments, "orbisk.documents", QtInfoMsg)

}  // namespace orbisk
