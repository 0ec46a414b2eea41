#pragma once

#include <memory>
#include <string>
#include <vector>

#include <opencv2/core/mat.hpp>

namespace orbisk::ocrtrain {

// One face of a font file, by its family name ("Noto Sans CJK SC" in a collection).
struct FontSpec {
    std::string file;
    std::string family;
    // Style name when the file holds several of one family ("Regular", "Bold"); empty: any.
    std::string style;
};

// A face of a font file rendered by FreeType. Not thread-safe: each thread opens its own.
class GlyphFont {
  public:
    // Null when the file or the face cannot be had.
    static std::unique_ptr<GlyphFont> Open(const FontSpec& spec);
    ~GlyphFont();
    GlyphFont(const GlyphFont&) = delete;
    GlyphFont& operator=(const GlyphFont&) = delete;

    bool Has(char32_t code) const;

    struct Glyph {
        cv::Mat coverage;  // 8-bit, 255 = ink; empty for a glyph without ink
        int left = 0;      // from the pen position to the coverage's first column
        int top = 0;       // from the baseline up to the coverage's first row
        int advance = 0;   // pixels to the next pen position
    };
    // The glyph at `pixelSize` pixels per em, its strokes made `embolden` pixels
    // wider (negative: thinner).
    Glyph Render(char32_t code, int pixelSize, double embolden = 0.0) const;
    // Ascender and descender (positive below the baseline) at `pixelSize`.
    int Ascender(int pixelSize) const;
    int Descender(int pixelSize) const;

  private:
    struct Impl;
    explicit GlyphFont(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Stamps `glyph` on `canvas` (8-bit coverage, 255 = ink) with its pen at (penX, baseline),
// keeping the more ink of both where they overlap; what falls outside is cut off.
void StampGlyph(cv::Mat& canvas, const GlyphFont::Glyph& glyph, int penX, int baseline);

// Code points of a UTF-8 text; invalid bytes are skipped.
std::u32string DecodeUtf8(const std::string& text);
std::string EncodeUtf8(char32_t code);

}  // namespace orbisk::ocrtrain
