#include "recognition/image_resolution.h"

#include <tiffio.h>

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>

namespace orbisk {
namespace {

constexpr double kCentimetresPerInch = 2.54;
// Beyond this a declared density is taken for garbage.
constexpr double kMaxDpi = 100000;

int Dpi(double perInch) {
    if (!std::isfinite(perInch) || perInch < 1 || perInch > kMaxDpi) return 0;
    return static_cast<int>(std::lround(perInch));
}

std::uint32_t Big32(const unsigned char* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
std::uint32_t Little32(const unsigned char* p) {
    return std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}

// libtiff's complaints about a file stay out of the standard error.
int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

std::vector<int> TiffResolutions(const std::string& path) {
    std::unique_ptr<TIFFOpenOptions, decltype(&TIFFOpenOptionsFree)> options(TIFFOpenOptionsAlloc(),
                                                                             TIFFOpenOptionsFree);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Quiet, nullptr);
    std::unique_ptr<TIFF, decltype(&TIFFClose)> tiff(TIFFOpenExt(path.c_str(), "r", options.get()),
                                                     TIFFClose);
    std::vector<int> pages;
    if (!tiff) return pages;
    do {
        float x = 0;
        std::uint16_t unit = RESUNIT_INCH;
        TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
        if (TIFFGetField(tiff.get(), TIFFTAG_XRESOLUTION, &x) != 1 || unit == RESUNIT_NONE) {
            pages.push_back(0);
        } else {
            pages.push_back(Dpi(unit == RESUNIT_CENTIMETER ? x * kCentimetresPerInch : x));
        }
    } while (TIFFReadDirectory(tiff.get()) == 1);
    return pages;
}

// The pHYs chunk, which must come before the image data.
int PngResolution(const std::string& bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t at = 8; at + 8 <= bytes.size();) {
        const std::uint32_t length = Big32(data + at);
        const char* type = bytes.data() + at + 4;
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) break;
        if (std::memcmp(type, "pHYs", 4) == 0) {
            if (length < 9 || at + 8 + 9 > bytes.size()) return 0;
            const unsigned char* phys = data + at + 8;
            // Unit 1 is the metre; 0 gives an aspect only.
            return phys[8] == 1 ? Dpi(Big32(phys) * kCentimetresPerInch / 100) : 0;
        }
        if (length > bytes.size()) break;
        at += std::size_t{12} + length;
    }
    return 0;
}

// The density of a JFIF APP0 segment right after the start of the image.
int JpegResolution(const std::string& bytes) {
    const auto* d = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() < 18 || d[2] != 0xFF || d[3] != 0xE0 ||
        std::memcmp(bytes.data() + 6, "JFIF", 5) != 0) {
        return 0;
    }
    const int unit = d[13];
    const int x = d[14] << 8 | d[15];
    if (unit == 1) return Dpi(x);
    if (unit == 2) return Dpi(x * kCentimetresPerInch);
    return 0;
}

// biXPelsPerMeter of the info header.
int BmpResolution(const std::string& bytes) {
    if (bytes.size() < 46) return 0;
    const auto* d = reinterpret_cast<const unsigned char*>(bytes.data());
    return Dpi(static_cast<std::int32_t>(Little32(d + 38)) * kCentimetresPerInch / 100);
}

}  // namespace

std::vector<int> PageResolutions(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    // The headers looked at lie near the start; a PNG's pHYs may follow a
    // large palette or text chunks, and is found within these bytes in practice.
    constexpr std::size_t kHead = 1 << 16;
    std::string head(kHead, '\0');
    file.read(head.data(), static_cast<std::streamsize>(kHead));
    head.resize(static_cast<std::size_t>(file.gcount()));
    if (head.size() < 4) return {};
    if (head.compare(0, 4, "II*\0", 4) == 0 || head.compare(0, 4, "MM\0*", 4) == 0) {
        return TiffResolutions(path);
    }
    if (head.size() >= 8 && head.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) == 0) {
        return {PngResolution(head)};
    }
    if (head.compare(0, 2, "\xFF\xD8", 2) == 0) return {JpegResolution(head)};
    if (head.compare(0, 2, "BM", 2) == 0) return {BmpResolution(head)};
    return {};
}

}  // namespace orbisk
