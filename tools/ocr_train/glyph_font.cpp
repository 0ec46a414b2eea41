#include "tools/ocr_train/glyph_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>
#include <cstring>

#include <opencv2/core.hpp>

namespace orbisk::ocrtrain {

struct GlyphFont::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~Impl() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

GlyphFont::GlyphFont(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
GlyphFont::~GlyphFont() = default;

std::unique_ptr<GlyphFont> GlyphFont::Open(const FontSpec& spec) {
    auto impl = std::make_unique<Impl>();
    if (FT_Init_FreeType(&impl->library) != 0) return nullptr;
    FT_Face probe = nullptr;
    if (FT_New_Face(impl->library, spec.file.c_str(), -1, &probe) != 0) return nullptr;
    const FT_Long faces = probe->num_faces;
    FT_Done_Face(probe);
    for (FT_Long i = 0; i < faces; ++i) {
        FT_Face face = nullptr;
        if (FT_New_Face(impl->library, spec.file.c_str(), i, &face) != 0) continue;
        const bool family = face->family_name && spec.family == face->family_name;
        const bool style =
            spec.style.empty() || (face->style_name && spec.style == face->style_name);
        if (family && style) {
            impl->face = face;
            // No hinting differences between sizes beyond what the outline gives.
            return std::unique_ptr<GlyphFont>(new GlyphFont(std::move(impl)));
        }
        FT_Done_Face(face);
    }
    return nullptr;
}

bool GlyphFont::Has(char32_t code) const { return FT_Get_Char_Index(impl_->face, code) != 0; }

GlyphFont::Glyph GlyphFont::Render(char32_t code, int pixelSize, double embolden) const {
    Glyph glyph;
    FT_Face face = impl_->face;
    const FT_UInt index = FT_Get_Char_Index(face, code);
    if (index == 0 || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        return glyph;
    }
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return glyph;
    glyph.advance = static_cast<int>(std::lround(face->glyph->advance.x / 64.0));
    if (face->glyph->format == FT_GLYPH_FORMAT_OUTLINE && embolden != 0.0) {
        FT_Outline_Embolden(&face->glyph->outline, static_cast<FT_Pos>(std::lround(embolden * 64)));
    }
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return glyph;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    glyph.left = face->glyph->bitmap_left;
    glyph.top = face->glyph->bitmap_top;
    if (bitmap.rows == 0 || bitmap.width == 0) return glyph;
    glyph.coverage.create(static_cast<int>(bitmap.rows), static_cast<int>(bitmap.width), CV_8UC1);
    for (unsigned y = 0; y < bitmap.rows; ++y) {
        std::memcpy(glyph.coverage.ptr(static_cast<int>(y)), bitmap.buffer + y * bitmap.pitch,
                    bitmap.width);
    }
    return glyph;
}

int GlyphFont::Ascender(int pixelSize) const {
    return static_cast<int>(std::lround(impl_->face->ascender * static_cast<double>(pixelSize) /
                                        impl_->face->units_per_EM));
}

int GlyphFont::Descender(int pixelSize) const {
    return static_cast<int>(std::lround(-impl_->face->descender * static_cast<double>(pixelSize) /
                                        impl_->face->units_per_EM));
}

void StampGlyph(cv::Mat& canvas, const GlyphFont::Glyph& glyph, int penX, int baseline) {
    if (glyph.coverage.empty()) return;
    const cv::Rect at(penX + glyph.left, baseline - glyph.top, glyph.coverage.cols,
                      glyph.coverage.rows);
    const cv::Rect clip = at & cv::Rect(0, 0, canvas.cols, canvas.rows);
    if (clip.empty()) return;
    const cv::Mat src =
        glyph.coverage(cv::Rect(clip.x - at.x, clip.y - at.y, clip.width, clip.height));
    cv::Mat dst = canvas(clip);
    cv::max(dst, src, dst);
}

std::u32string DecodeUtf8(const std::string& text) {
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= text.size()) {
            ++i;
            continue;
        }
        char32_t code = extra == 0 ? c : c & (0x3f >> extra);
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            const auto d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xc0) != 0x80) valid = false;
            code = (code << 6) | (d & 0x3f);
        }
        if (valid) out.push_back(code);
        i += valid ? extra + 1 : 1;
    }
    return out;
}

std::string EncodeUtf8(char32_t code) {
    std::string out;
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xc0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3f)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xe0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3f)));
    } else {
        out.push_back(static_cast<char>(0xf0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3f)));
    }
    return out;
}

}  // namespace orbisk::ocrtrain
