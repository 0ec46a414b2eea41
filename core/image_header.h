#pragma once

#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

// What an image file's header promises, checked before anything decodes it:
// page files come from folders that other programs can write to as well.
namespace orbisk {

// The most pixels a page decode may take on: Qt's own allocation limit of
// 256 MB at four bytes a pixel, five times the largest camera frame.
inline constexpr std::int64_t kMaxPagePixels = 64'000'000;

// The pixel size the file's header declares, read without decoding the
// picture. Nothing when the file cannot be read or declares no size, when the
// size exceeds kMaxPagePixels, or for a PNG one of whose chunks claims more
// bytes than the file holds (the PNG library allocates a chunk's claimed
// length before it finds the file shorter).
std::optional<QSize> PageImageSize(const QString& path);

}  // namespace orbisk
