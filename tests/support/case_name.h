#pragma once

#include <sstream>
#include <string>
#include <string_view>

// Names of table-driven test cases, which GoogleTest allows only letters,
// digits and '_': numbers read "minus" for their sign and "p" for their point
// (-0.15 is "minus0p15"), other characters become '_', parts are joined by '_'.
namespace orbisk::test {

inline std::string NamePart(std::string_view text) {
    std::string part;
    for (char c : text) {
        const bool plain =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        part += plain ? c : '_';
    }
    return part;
}

inline std::string NamePart(double number) {
    std::ostringstream written;
    written << number;
    std::string part;
    for (char c : written.str()) {
        if (c == '-') {
            part += "minus";
        } else if (c == '.') {
            part += 'p';
        } else if (c != '+') {
            part += c;
        }
    }
    return part;
}

template <typename First, typename... Rest>
std::string CaseName(const First& first, const Rest&... rest) {
    std::string name = NamePart(first);
    ((name += '_', name += NamePart(rest)), ...);
    return name;
}

}  // namespace orbisk::test
