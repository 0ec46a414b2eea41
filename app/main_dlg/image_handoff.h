#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

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

// What goes into a client's block of `blockSize` bytes: the text and its
// terminating zero when both fit, else an empty text (the zero alone), since
// a cut path names another file. Nothing for a block of no bytes.
QByteArray ImagePathBlock(std::size_t blockSize, const QByteArray& text);

}  // namespace orbisk
