#pragma once

#include <string>
#include <string_view>

#include "recognition/ocr_matrix.h"

namespace orbisk {

// Template keys are compared with ASCII case folding over their full byte length, so the
// result does not depend on the process locale and an embedded NUL is not an end.
bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b);
// True when `key` is at least as long as `prefix` and begins with it, ignoring ASCII case.
bool StartsWithIgnoreCaseAscii(std::string_view key, std::string_view prefix);

// A text record: type 1 with one row.
bool IsTextRecord(const OcrMatrix* m);
// The bytes of a text record (all its columns).
std::string TextOfRecord(const OcrMatrix* m);

}  // namespace orbisk
