#pragma once

// Small helpers shared by the fuzz targets.

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace orbisk::fuzz {

inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The input cut at each `separator` (the last part may be empty).
inline std::vector<std::string> Split(const uint8_t* data, size_t size, char separator) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; ++i) {
        if (static_cast<char>(data[i]) == separator) {
            parts.emplace_back();
        } else {
            parts.back() += static_cast<char>(data[i]);
        }
    }
    return parts;
}

// A little-endian 16-bit number from the front of the input, which is moved
// past it; 0 when the input is too short.
inline unsigned TakeU16(const uint8_t*& data, size_t& size) {
    if (size < 2) {
        size = 0;
        return 0;
    }
    const unsigned value = data[0] | (data[1] << 8);
    data += 2;
    size -= 2;
    return value;
}

// A camera frame after the stream's width and height (and, `withPitch`, the
// row pitch) as 16-bit little-endian numbers. Sizes are kept to 1024 x 1024,
// which keeps one input well inside the time limit under the sanitizers. The
// frame is copied to a buffer of its own size, so that reading past it is seen.
struct FrameInput {
    int width = 0;
    int height = 0;
    int pitch = 0;
    std::vector<uint8_t> bytes;
};

inline FrameInput TakeFrame(const uint8_t* data, size_t size, bool withPitch) {
    FrameInput in;
    in.width = static_cast<int>(TakeU16(data, size) % 1025);
    in.height = static_cast<int>(TakeU16(data, size) % 1025);
    if (withPitch) {
        in.pitch = static_cast<int>(TakeU16(data, size) % 4097);
    }
    in.bytes.assign(data, data + size);
    return in;
}

// Log lines (frames dropped, files refused) would drown the fuzzer's output.
inline void SilenceLog() {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

// A broken promise the parser made: reported as a crash with its input.
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

}  // namespace orbisk::fuzz
