#pragma once

// Pages as a document camera on a stand photographs them, for the orientation bench: text
// laid out in a font, a table, a photograph or nothing, on paper under uneven light, lying
// turned and a little askew on a desk, seen through the camera's blur, noise and JPEG.

#include <cstdint>
#include <string>
#include <vector>

#include <opencv2/core/mat.hpp>

#include "tools/ocr_train/camera_look.h"
#include "tools/ocr_train/glyph_font.h"

namespace orbisk::bench {

enum class PageKind { kDense, kSparse, kTable, kMixed, kLatin, kBlank, kPhoto };

// The texts pages are laid out from.
struct PageTexts {
    std::u32string chinese;  // simplified or traditional
    std::u32string english;
};

struct PageRequest {
    PageKind kind = PageKind::kDense;
    const ocrtrain::GlyphFont* font = nullptr;  // for the text
    const PageTexts* texts = nullptr;
    int turn = 0;  // the counter-clockwise quarter turn after which the page reads upright
    uint64_t seed = 1;
    int frameWidth = 2592;  // 5 MP
    int frameHeight = 1944;
};

struct CameraPage {
    cv::Mat frame;   // 8-bit BGR, what the camera delivers
    int charPixels;  // the body text's pixels per em in the frame (0 without text)
};

CameraPage PhotographPage(const PageRequest& request);

}  // namespace orbisk::bench
