#pragma once

#include <QString>

namespace orbisk {

// A text read as a number the way the C run-time's wide-string-to-int
// conversion reads it: optional leading blanks and sign, then digits up to the
// first other character; 0 when there are none. Values beyond the int range
// are clamped to it.
int ParseSettingsNumber(const QString& text);

}  // namespace orbisk
