#pragma once

#include <QByteArray>

namespace orbisk {

// Longest barcode text that may name a file, in bytes.
inline constexpr int kMaxBarcodeNameBytes = 255;

// True when barcode data (UTF-8) can be used as the last part of a file name
// in the save folder without leaving it or surprising the operator: not empty,
// not "." or "..", no leading or trailing dot or blank, none of \ / : * ? " < > |,
// no control characters, and at most kMaxBarcodeNameBytes bytes.
bool IsUsableBarcodeName(const QByteArray& data);

}  // namespace orbisk
