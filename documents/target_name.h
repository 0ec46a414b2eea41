#pragma once

#include <QString>

namespace orbisk {

// `path` with the extension of its file name replaced by `extension` (".pdf"):
// the cut is made at the last "." of the file name only, never in a folder
// ("/home/me/my.scans/page" becomes "/home/me/my.scans/page.pdf"). A leading
// "." names a hidden file and is no extension (".scans" gets ".scans.pdf").
QString ReplaceExtension(const QString& path, const QString& extension);

}  // namespace orbisk
