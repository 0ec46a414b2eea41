#pragma once

#include "platform/language_text.h"

#include <QString>

#include <array>
#include <span>

namespace orbisk {

// The main window's message texts, by index. Indexes 1, 8, 13 and 14 hold no
// text; 16 is the branding file's label text, set by the start-up.
inline constexpr int kMessageTextCount = 17;
inline constexpr int kMsgNoDevice = 0;
inline constexpr int kMsgTempFolderFailed = 2;
inline constexpr int kMsgDeviceBusy = 3;
inline constexpr int kMsgBadBarcodeName = 4;
inline constexpr int kMsgMakingTif = 5;
inline constexpr int kMsgMakingPdf = 6;
inline constexpr int kMsgPortraitBusy = 7;
inline constexpr int kMsgCombining = 9;
inline constexpr int kMsgDocResolution = 10;
inline constexpr int kMsgPorResolution = 11;
inline constexpr int kMsgOneRecorder = 12;
inline constexpr int kMsgUnplugged = 15;
inline constexpr int kMsgBrandLabel = 16;

using MessageTexts = std::array<QString, kMessageTextCount>;

// Sets the table's texts of `language` into `texts`; the label text (16) and
// the empty indexes stay. Any other language index changes nothing.
void LoadMessageTexts(MessageTexts& texts, int language);

// A control id with its text in the three languages.
struct ControlText {
    int id;
    platform::LanguageText text;
};

// The captions of the static texts, group boxes, check boxes and radio buttons.
std::span<const ControlText> ControlCaptions();

// The tooltips of the rotate, switch and focus buttons.
std::span<const ControlText> ButtonTooltips();

// The faces of a button: the CFxButton::SetBitmaps arguments.
struct ButtonFaces {
    int normal;
    bool fill;
    int pressed;
    int hover;
    int disabled;
};

// A language-dependent button: its faces per language and its caption, which
// the faces carry.
struct LanguageButton {
    int id;
    std::array<ButtonFaces, 3> faces;
    platform::LanguageText caption;
};

// The ten buttons whose faces carry a caption in the window's language.
std::span<const LanguageButton> LanguageButtons();

// A button whose faces are the same in every language, with the symbol drawn
// on them.
struct FixedButton {
    int id;
    ButtonFaces faces;
    const char* symbol;
};

// The rotate, rotate-180, rotate-right, camera-switch and focus buttons.
std::span<const FixedButton> FixedButtons();

// The line at the bottom of the window: the label text in simplified Chinese,
// a fixed ownership line in the two other languages.
QString BrandLineText(int language, const QString& labelText);

}  // namespace orbisk
