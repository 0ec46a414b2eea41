#pragma once

#include <QByteArray>
#include <QString>

// Text handed to C libraries. On Windows these converted to the ANSI code page
// and lost every character outside it; here file names and texts for C
// interfaces are UTF-8, which holds every character.
namespace orbisk {

// The file-system encoding of `text` (UTF-8), for paths given to C libraries.
QByteArray WideToAnsi(const QString& text);

// UTF-8 from a library, made valid UTF-8 for our 8-bit interfaces: invalid
// sequences become U+FFFD.
QByteArray Utf8ToAnsi(const QByteArray& utf8);

}  // namespace orbisk
