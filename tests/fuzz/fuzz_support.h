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
