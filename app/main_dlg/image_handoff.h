#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <span>

namespace orbisk {

// The block a client program makes for the path of the last image, and the
// window that is told when the path is there.
inline constexpr char kImageMapName[] = "/OrbiskImageDataMap";
inline constexpr char kImageWindowTitle[] = "Image";

// The longest path text a client's block takes, without its terminating zero.
inline constexpr std::size_t kImagePathLimit = 255;

// The path as a client reads it: the file-system encoding; empty when it is
// longer than kImagePathLimit bytes, since a cut path names another file.
QByteArray ImagePathBytes(const QString& path);

// Writes the text and its terminating zero at the start of `view`, and never
// past its end: a smaller view takes size - 1 bytes of the text, cut before a
// character, and the zero. The count of text bytes written.
std::size_t WriteImagePath(std::span<char> view, const QByteArray& text);

}  // namespace orbisk
