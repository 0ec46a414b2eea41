#pragma once

#include "platform/language_text.h"

namespace orbisk {

// The recording dialog's texts.
struct VideoToFileTexts {
    static const platform::LanguageText kTitle;
    static const platform::LanguageText kStart;
    static const platform::LanguageText kAudioDevices;
    static const platform::LanguageText kCancel;
    static const platform::LanguageText kPrompt;
    // Followed by the seconds recorded, "%.1f".
    static const platform::LanguageText kElapsedPrefix;
    static const platform::LanguageText kStop;

    // The recording did not start.
    static const platform::LanguageText kStartFailed;
    // A write the file refused ended the recording, followed by one of the
    // two below.
    static const platform::LanguageText kWriteFailed;
    static const platform::LanguageText kPartKept;
    static const platform::LanguageText kNothingKept;
};

}  // namespace orbisk
