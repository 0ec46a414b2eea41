#pragma once

#include <QString>

// Where the program finds its files. On Windows one folder, the program's own,
// held everything; here the read-only resources and the writable settings can
// live apart:
//  - resources ("data.dat", the recognition template, "paizhao.wav"): the
//    home override, else beside the executable, else share/orbisk of the
//    prefix the executable runs from, else the configured <prefix>/share/orbisk;
//  - "Sys.ini": the home override, else beside the executable when that folder
//    is writable and not an install's, else the per-user configuration folder.
// ORBISK_HOME names the override folder (tests, portable installs).
namespace orbisk::platform {

// The folder of the running executable, ending without a separator.
QString ExecutableFolder();

// The folder ORBISK_HOME names, or empty when it is unset or empty.
QString HomeOverride();

// Full path of the read-only resource `name`; the first existing candidate,
// or the candidate beside the executable when none exists.
QString ResourcePath(const QString& name);

// Whether `folder` is the program folder of an install: its share folder
// ("../share/orbisk") holds the branding file.
bool IsInstalledProgramFolder(const QString& folder);
// The folder that holds "Sys.ini" (created when needed), ending without a
// separator: ORBISK_HOME, else beside the program where that is writable and
// not an install's program folder, else ~/.config/orbisk.
QString SettingsFolder();

}  // namespace orbisk::platform
