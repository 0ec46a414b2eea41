#pragma once

#include <QByteArray>
#include <QString>

namespace orbisk {

// Longest barcode text that may name a file, in bytes: a file name may have
// 255 bytes, and the page number "_NN", a collision suffix "_NNN" and the
// extension ".tif" must still fit behind the text.
inline constexpr int kMaxBarcodeNameBytes = 255 - 3 - 4 - 4;

// True when barcode data (UTF-8) can be used as the last part of a file name
// in the save folder without leaving it or surprising the operator: not empty,
// not "." or "..", no leading or trailing dot or blank, none of \ / : * ? " < > |,
// no control characters, and at most kMaxBarcodeNameBytes bytes once made
// valid UTF-8 (as the file is named).
bool IsUsableBarcodeName(const QByteArray& data);

// The base name in the folder of `baseName` named after usable barcode data,
// converted as the file system takes it; a code already used there gets a
// suffix, so that a second batch never replaces the first one's file.
QString BarcodeBaseName(const QString& baseName, const QByteArray& data);

}  // namespace orbisk
