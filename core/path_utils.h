#pragma once

#include <QString>

namespace orbisk {

// 1 when a file or folder of that name exists (a trailing separator is
// ignored), else 0.
int PathExists(const QString& path);

// Creates the folder and every missing folder above it; 1 when the folder
// exists afterwards, else 0. Folders made before a failure stay.
int CreateDirectoryPath(const QString& path);

// True when `path` is a folder (made when missing) in which a file can be
// written: the test writes and removes one, which also catches a read-only
// mount and a full file system, whatever the permission bits say.
bool IsWritableFolder(const QString& path);

}  // namespace orbisk
