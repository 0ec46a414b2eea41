#include "tests/support/hostile_images.h"

#include <QtEndian>

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orbisk::test {
namespace {

QByteArray BigEndian(quint32 value) {
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray Chunk(const char* type, const QByteArray& data, quint32 claimedLength) {
    const QByteArray typed = QByteArray(type, 4) + data;
    const auto crc = static_cast<quint32>(
        crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size())));
    return BigEndian(claimedLength) + typed + BigEndian(crc);
}

QByteArray Chunk(const char* type, const QByteArray& data) {
    return Chunk(type, data, quint32(data.size()));
}

const QByteArray kSignature("\x89PNG\r\n\x1a\n", 8);

QByteArray Header(int width, int height) {
    // 8 bits a sample, RGB, no interlace.
    return Chunk("IHDR", BigEndian(quint32(width)) + BigEndian(quint32(height)) +
                             QByteArray("\x08\x02\x00\x00\x00", 5));
}

// Deflates `data` with a full flush: the output stands on its own, so that
// copies of it in a row decode as the data repeated.
QByteArray DeflateSegment(z_stream& stream, const std::vector<Bytef>& data) {
    QByteArray out;
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = uInt(data.size());
    Bytef buffer[64 * 1024];
    do {
        stream.next_out = buffer;
        stream.avail_out = sizeof buffer;
        deflate(&stream, Z_FULL_FLUSH);
        out.append(reinterpret_cast<const char*>(buffer),
                   qsizetype(sizeof buffer - stream.avail_out));
    } while (stream.avail_out == 0);
    return out;
}

}  // namespace

QByteArray PngWithAHugeTextChunk() {
    return kSignature + Header(16, 16) +
           Chunk("tEXt", QByteArray("Comment\0", 8) + QByteArray(150, 'x'), 0x71000000);
}

QByteArray BlackPng(int width, int height) {
    // Rows of a filter byte and 3 x width samples, all zero.
    const std::int64_t rowBytes = 1 + 3 * std::int64_t(width);
    int rowsPerSegment = 1;
    while (rowsPerSegment < height && rowsPerSegment * rowBytes < (1 << 20)) rowsPerSegment *= 2;
    while (height % rowsPerSegment != 0) rowsPerSegment /= 2;
    const std::vector<Bytef> zeros(std::size_t(rowsPerSegment * rowBytes), 0);

    z_stream stream{};
    deflateInit(&stream, Z_BEST_COMPRESSION);
    const QByteArray first = DeflateSegment(stream, zeros);  // with the zlib header
    const QByteArray next = DeflateSegment(stream, zeros);
    deflateEnd(&stream);
    QByteArray idat = first;
    for (int i = 1; i < height / rowsPerSegment; ++i) idat += next;
    // An empty last block, then the Adler-32 of all-zero data: 1 and the length.
    idat += QByteArray("\x03\x00", 2);
    const quint32 total = quint32((rowBytes * height) % 65521);
    idat += BigEndian((total << 16) | 1);
    return kSignature + Header(width, height) + Chunk("IDAT", idat) + Chunk("IEND", {});
}

}  // namespace orbisk::test
