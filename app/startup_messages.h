#pragma once

#include <QString>

namespace orbisk {

// Messages of the start-up that come before the main window's message table.
// (A missing branding file and a temporary folder that cannot be made are told
// with the table's own texts.)
enum class StartupMessage {
    SettingsUnavailable,  // "Sys.ini" can be neither found nor created
};

// The text in the language index (0 simplified Chinese, 1 traditional, 2 English).
QString StartupMessageText(StartupMessage message, int language);

}  // namespace orbisk
