#pragma once

#include <QString>

namespace orbisk {

// Qt's own texts (the buttons of message boxes, the standard dialogs) and the
// interface font in a language of the settings: 0 simplified Chinese, 1
// traditional Chinese, 2 English. The font is chosen by name so that captions
// and button faces look the same on every machine, whatever fontconfig would
// fall back to. Process-wide: the last call holds; another index changes
// nothing.
void ApplyInterfaceLanguage(int language);

// Back to the font and texts the application had before the first call.
void ResetInterfaceLanguage();

// The interface font family of a language; empty for another index.
QString InterfaceFontFamily(int language);

// Qt's translation catalogue of a language ("qtbase_zh_CN"); empty for
// English, whose texts are Qt's own, and for another index.
QString QtTranslationName(int language);

}  // namespace orbisk
