#pragma once

#include <QString>

namespace orbisk {

// Messages of the start-up that come before the main window's message table.
enum class StartupMessage {
    BrandingUnreadable,     // "data.dat" missing or damaged
    SettingsUnavailable,    // "Sys.ini" can be neither found nor created
    TempFolderUnavailable,  // the temporary folder cannot be made
};

// The text in the language index (0 simplified Chinese, 1 traditional, 2 English).
QString StartupMessageText(StartupMessage message, int language);

}  // namespace orbisk
