#pragma once

#include <QSize>

namespace orbisk {

// The sizes of the faces: the captioned buttons of the right-hand column, the
// three small ones at its top, and the square symbol buttons.
inline constexpr QSize kWideButtonSize(118, 34);
inline constexpr QSize kSmallButtonSize(78, 28);
inline constexpr QSize kSymbolButtonSize(36, 36);
inline constexpr int kAppIconBitmap = 128;

// The size of a language-dependent button's faces.
QSize LanguageButtonSize(int id);

// Draws every button face of the main window (each language's captions, the
// symbol buttons) and the program icon, and registers them as bitmap
// resources. Black is the see-through key colour of the faces. Drawn once;
// later calls do nothing.
void RegisterButtonFaces();

}  // namespace orbisk
