#include "core/image_header.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <cstring>

namespace orbisk {
namespace {

constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";
constexpr qint64 kPngSignatureLength = 8;
// Length, type and CRC around a chunk's data.
constexpr qint64 kPngChunkFrame = 12;
constexpr quint32 kPngMaxChunkLength = 0x7FFFFFFF;

// Walks every chunk: each must fit in the file, and the first is the header.
std::optional<QSize> PngSize(QFile& file) {
    const qint64 size = file.size();
    std::optional<QSize> declared;
    qint64 at = kPngSignatureLength;
    while (at < size) {
        uchar head[16];
        if (size - at < kPngChunkFrame || !file.seek(at)) return std::nullopt;
        const qint64 got = file.read(reinterpret_cast<char*>(head), declared ? 8 : 16);
        if (got < 8) return std::nullopt;
        const quint32 length = qFromBigEndian<quint32>(head);
        if (length > kPngMaxChunkLength || qint64(length) > size - at - kPngChunkFrame) {
            return std::nullopt;
        }
        const uchar* type = head + 4;
        if (!declared) {
            if (got < 16 || std::memcmp(type, "IHDR", 4) != 0 || length < 8) return std::nullopt;
            const quint32 width = qFromBigEndian<quint32>(head + 8);
            const quint32 height = qFromBigEndian<quint32>(head + 12);
            if (width < 1 || height < 1 || std::int64_t(width) * height > kMaxPagePixels) {
                return std::nullopt;
            }
            declared = QSize(int(width), int(height));
        }
        if (std::memcmp(type, "IEND", 4) == 0) break;
        at += kPngChunkFrame + qint64(length);
    }
    return declared;
}

}  // namespace

std::optional<QSize> PageImageSize(const QString& path) {
    // Only regular files: a pipe would block the open, and neither it nor a
    // device has an end to check a claim against.
    if (path.isEmpty() || !QFileInfo(path).isFile()) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return std::nullopt;
    char signature[kPngSignatureLength];
    if (file.read(signature, kPngSignatureLength) == kPngSignatureLength &&
        std::memcmp(signature, kPngSignature, kPngSignatureLength) == 0) {
        return PngSize(file);
    }
    file.close();

    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QSize declared = reader.size();
    if (!declared.isValid() || declared.isEmpty() ||
        std::int64_t(declared.width()) * declared.height() > kMaxPagePixels) {
        return std::nullopt;
    }
    return declared;
}

}  // namespace orbisk
