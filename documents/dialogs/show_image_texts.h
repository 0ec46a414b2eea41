#pragma once

#include "platform/language_text.h"

namespace orbisk {

// The operator texts of the merge dialog.
struct ShowImageTexts {
    platform::LanguageText caption;
    platform::LanguageText print;
    platform::LanguageText leftRight;
    platform::LanguageText topBottom;
    platform::LanguageText twoImagesNeeded;
    platform::LanguageText swap;
    platform::LanguageText cancel;
    platform::LanguageText ok;
    // The tile menu reads the same in every language.
    const char* removeFile;
    const char* openFile;
};

const ShowImageTexts& MergeDialogTexts();

}  // namespace orbisk
