#pragma once

#include <QString>

namespace orbisk {

// Makes the program's private temporary folder (under the per-user cache
// folder, mode 0700) and makes it the current directory: relative names such
// as "tmp.jpg" and "log.log" resolve there for the whole run. Returns the
// absolute folder ending with "/", or empty on failure.
QString PrepareTempFolder();

// The folder the last successful PrepareTempFolder made; empty before.
QString TempFolder();

}  // namespace orbisk
