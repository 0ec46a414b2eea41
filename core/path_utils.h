#pragma once

#include <QString>

namespace orbisk {

// 1 when a file or folder of that name exists (a trailing separator is
// ignored), else 0.
int PathExists(const QString& path);

// Creates the folder and every missing folder above it; 1 when the folder
// exists afterwards, else 0. Folders made before a failure stay.
int CreateDirectoryPath(const QString& path);

}  // namespace orbisk
