#pragma once

#include "platform/language_text.h"

namespace orbisk {

// The continuous-shooting dialog's texts. Traditional Chinese reads as the
// simplified texts.
struct ShootTexts {
    // The statuses and formats, in the order of their indexes.
    static const platform::LanguageText kNewDocument;   // 0
    static const platform::LanguageText kNoDocument;    // 1
    static const platform::LanguageText kSameDocument;  // 2
    static const platform::LanguageText kDetecting;     // 3
    static const platform::LanguageText kNoVideo;       // 4
    static const platform::LanguageText kIdle;          // 5
    static const platform::LanguageText kShotCount;     // 6, printf "%d"
    static const platform::LanguageText kNextShotIn;    // 7, printf "%.1f"
    // The interval typed is no number or out of range.
    static const platform::LanguageText kIntervalRange;

    // The captions.
    static const platform::LanguageText kTitle;
    static const platform::LanguageText kModeGroup;
    static const platform::LanguageText kTimed;
    static const platform::LanguageText kSeconds;
    static const platform::LanguageText kSmart;
    static const platform::LanguageText kStart;
    static const platform::LanguageText kPause;
    static const platform::LanguageText kStop;
};

}  // namespace orbisk
