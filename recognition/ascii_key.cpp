#include "recognition/ascii_key.h"

namespace orbisk {
namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

bool StartsWithIgnoreCaseAscii(std::string_view key, std::string_view prefix) {
    return key.size() >= prefix.size() &&
           EqualsIgnoreCaseAscii(key.substr(0, prefix.size()), prefix);
}

bool IsTextRecord(const OcrMatrix* m) {
    return m != nullptr && m->type == kOcrUInt8 && m->rows == 1;
}

std::string TextOfRecord(const OcrMatrix* m) {
    if (m == nullptr || m->data == nullptr || m->cols <= 0) return std::string();
    return std::string(static_cast<const char*>(m->data), static_cast<size_t>(m->cols));
}

}  // namespace orbisk
