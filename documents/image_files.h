#pragma once

#include <QByteArray>
#include <QString>
#include <opencv2/core.hpp>

#include <cstddef>
#include <cstdint>

// Moving images between OpenCV matrices (8-bit, one channel or BGR) and files
// or memory. Every writer fills a temporary file beside the target and renames
// it into place, so a failed write leaves an existing file as it was.
namespace orbisk {

// Largest JPEG accepted from memory: the data comes from outside the program
// (the TCP picture source), and its header alone decides how much we allocate.
inline constexpr int kMaxDecodedJpegSide = 16384;
inline constexpr std::int64_t kMaxDecodedJpegPixels = 100'000'000;

// A baseline JFIF file at `path` with density unit 1 (dots per inch) and the
// given densities and quality (limited to 1..100 by the library). One channel
// gives a one-component grey JPEG, three channels (BGR) a colour one; any other
// channel count or depth is refused before the file is touched. On success
// `writtenPath` is the path as handed to the file system.
bool WriteJpegFile(const QString& path, const cv::Mat& image, QByteArray& writtenPath,
                   std::uint16_t xDensity, std::uint16_t yDensity, int quality);

// Decodes a JPEG held in memory: grey data gives one channel, colour data BGR.
// Corrupt or truncated data, colour spaces other than grey and RGB (CMYK,
// YCCK), and images beyond the size limits above give an empty matrix.
cv::Mat DecodeJpegFromMemory(const unsigned char* data, std::size_t length);

// Whether the file's bytes begin as a JPEG stream does (its SOI marker).
bool HasJpegSignature(const QString& path);

// Whether the JPEG file is whole and sound, checked cheaply: its header,
// at most kMaxPagePixels, and every scan decoded at 1/8 scale up to the end
// marker, any warning of the decoder (data cut short, corrupt entropy data)
// taken as an error. False for anything that is no JPEG file.
bool JpegFileDecodesWhole(const QString& path);

// Whether a page may be decoded from the file: its header declares no more
// than kMaxPagePixels (PageImageSize), and JPEG data decodes whole.
bool IsSoundPageFile(const QString& path);

// Any image file that OpenCV reads, as three channels (BGR); EXIF orientation
// is ignored. A null or empty path, an unreadable file, or one that is no
// sound page file (IsSoundPageFile) gives an empty matrix.
cv::Mat ReadImageFile(const QString& path);

// Writes `image` in the format that the path's extension names (".BMP",
// ".PNG", ".TIF", ...). False for a null path, an empty image, an extension
// without an encoder, or a failed write.
bool WriteImageFile(const QString& path, const cv::Mat& image);

}  // namespace orbisk
