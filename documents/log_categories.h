#pragma once

#include <QLoggingCategory>

// The logging category of documents/: the save pipeline, the file writers,
// PDF and barcodes.
namespace orbisk {

Q_DECLARE_LOGGING_CATEGORY(lcDocuments)

}  // namespace orbisk
