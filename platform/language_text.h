#pragma once

#include <QString>

namespace orbisk::platform {

// One operator text in the program's three languages, addressed by the
// language index of the settings: 0 simplified Chinese, 1 traditional
// Chinese, 2 English. The texts are UTF-8.
struct LanguageText {
    const char* simplified;
    const char* traditional;
    const char* english;

    // The text in `language`; any other index gives the simplified Chinese one.
    QString In(int language) const;
};

// Whether `language` is one of the three language indexes.
constexpr bool IsLanguageIndex(int language) { return language >= 0 && language <= 2; }

}  // namespace orbisk::platform
