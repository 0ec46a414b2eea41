#include "bench/orientation_pages.h"

#include <algorithm>
#include <cmath>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "recognition/doc_ocr.h"

namespace orbisk::bench {
namespace {

using ocrtrain::GlyphFont;
using ocrtrain::SampleRandom;

// A4 upright, in page pixels; the frame shows it at about this scale.
constexpr int kPageWidth = 1273;
constexpr int kPageHeight = 1800;

bool IsLatin(char32_t c) { return c < 0x2e80; }

// Lays `text` out from `from` in lines of the box, breaking Latin words at spaces and
// Chinese anywhere; paragraphs at line ends, their first lines indented. Returns where it
// stopped.
size_t LayOut(cv::Mat& page, const GlyphFont& font, const std::u32string& text, size_t from,
              const cv::Rect& box, int em, double spacing, int maxLines = 1 << 20,
              bool indent = true) {
    const int lineStep = static_cast<int>(em * spacing);
    int baseline = box.y + font.Ascender(em);
    int x = box.x + (indent ? 2 * em : 0);
    int lines = 0;
    size_t i = from;
    auto newLine = [&](bool paragraph) {
        baseline += lineStep;
        x = box.x + (paragraph ? 2 * em : 0);
        ++lines;
    };
    const size_t n = text.size();
    for (size_t steps = 0; steps < 4 * n && baseline < box.br().y && lines < maxLines; ++steps) {
        const char32_t c = text[i % n];
        if (c == U'\n') {
            newLine(true);
            ++i;
            continue;
        }
        if (IsLatin(c) && c != U' ') {
            // A whole word, moved to the next line when it does not fit.
            size_t end = i;
            int width = 0;
            while (end < i + 40 && IsLatin(text[end % n]) && text[end % n] != U' ' &&
                   text[end % n] != U'\n') {
                width += font.Render(text[end % n], em).advance;
                ++end;
            }
            if (x + width > box.br().x && x > box.x) newLine(false);
            if (baseline >= box.br().y || lines >= maxLines) break;
            for (; i < end; ++i) {
                const GlyphFont::Glyph g = font.Render(text[i % n], em);
                StampGlyph(page, g, x, baseline);
                x += g.advance;
            }
            continue;
        }
        const GlyphFont::Glyph g = font.Render(c, em);
        const int advance = c == U' ' ? em / 3 : std::max(g.advance, em / 2);
        if (x + advance > box.br().x) {
            newLine(false);
            if (c == U' ') {
                ++i;
                continue;
            }
        }
        if (baseline >= box.br().y || lines >= maxLines) break;
        StampGlyph(page, g, x, baseline);
        x += advance;
        ++i;
    }
    return i % n;
}

// Chinese sentences and English sentences, one after the other.
std::u32string MixedText(const PageTexts& texts, SampleRandom& random) {
    std::u32string out;
    const std::u32string& zh = texts.chinese;
    const std::u32string& en = texts.english;
    size_t a = static_cast<size_t>(random.Int(0, static_cast<int>(zh.size()) - 1));
    size_t b = static_cast<size_t>(random.Int(0, static_cast<int>(en.size()) - 1));
    for (int s = 0; s < 40; ++s) {
        for (int k = 0; k < 200; ++k) {
            const char32_t c = zh[a++ % zh.size()];
            if (c == U'\n') continue;
            out.push_back(c);
            if (c == U'。' || c == U'，') break;
        }
        out.push_back(U' ');
        for (int k = 0; k < 300; ++k) {
            const char32_t c = en[b++ % en.size()];
            out.push_back(c == U'\n' ? U' ' : c);
            if (c == U'.' || c == U',') break;
        }
        out.push_back(U' ');
    }
    return out;
}

// A photograph stand-in: smooth colour fields, shapes with hard and soft edges, texture.
cv::Mat SyntheticPhoto(cv::Size size, SampleRandom& random) {
    cv::Mat small(8, 6, CV_8UC3);
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x)
            small.at<cv::Vec3b>(y, x) =
                cv::Vec3b(random.Int(20, 235), random.Int(20, 235), random.Int(20, 235));
    cv::Mat photo;
    cv::resize(small, photo, size, 0, 0, cv::INTER_CUBIC);
    const int shapes = random.Int(10, 40);
    for (int s = 0; s < shapes; ++s) {
        const cv::Point c(random.Int(0, size.width), random.Int(0, size.height));
        const cv::Scalar colour(random.Int(0, 255), random.Int(0, 255), random.Int(0, 255));
        const int r = random.Int(10, size.width / 4);
        if (random.Chance(0.5)) {
            cv::ellipse(photo, c, {r, random.Int(10, size.height / 4)}, random.Uniform(0, 180), 0,
                        360, colour, cv::FILLED, cv::LINE_AA);
        } else {
            cv::rectangle(photo, {c.x - r, c.y - r / 2}, {c.x + r, c.y + r / 2}, colour, cv::FILLED,
                          cv::LINE_AA);
        }
    }
    cv::Mat texture(size, CV_32FC3);
    cv::RNG rng(random.Next());
    rng.fill(texture, cv::RNG::NORMAL, 0, 30);
    cv::GaussianBlur(texture, texture, {0, 0}, random.Uniform(0.8, 3.0));
    cv::Mat p;
    photo.convertTo(p, CV_32FC3);
    p += texture;
    cv::GaussianBlur(p, p, {0, 0}, random.Uniform(0.5, 2.0));
    p.convertTo(photo, CV_8UC3);
    return photo;
}

// The upright page: ink coverage (text, table) or a picture.
struct UprightPage {
    cv::Mat coverage;  // 8-bit, 255 ink; empty for a photograph
    cv::Mat picture;   // BGR, for a photograph
    int em = 0;
};

UprightPage LayOutPage(const PageRequest& r, SampleRandom& random) {
    UprightPage up;
    up.coverage = cv::Mat::zeros(kPageHeight, kPageWidth, CV_8UC1);
    const int margin = static_cast<int>(kPageWidth * random.Uniform(0.07, 0.12));
    const cv::Rect body(margin, margin, kPageWidth - 2 * margin, kPageHeight - 2 * margin);
    const std::u32string& zh = r.texts->chinese;
    const auto start = [&](const std::u32string& t) {
        return static_cast<size_t>(random.Int(0, static_cast<int>(t.size()) - 1));
    };
    switch (r.kind) {
        case PageKind::kDense:
            up.em = random.Int(16, 45);
            LayOut(up.coverage, *r.font, zh, start(zh), body, up.em, random.Uniform(1.35, 1.8));
            break;
        case PageKind::kLatin:
            up.em = random.Int(16, 45);
            LayOut(up.coverage, *r.font, r.texts->english, start(r.texts->english), body, up.em,
                   random.Uniform(1.2, 1.6));
            break;
        case PageKind::kMixed: {
            up.em = random.Int(16, 45);
            const std::u32string mixed = MixedText(*r.texts, random);
            LayOut(up.coverage, *r.font, mixed, 0, body, up.em, random.Uniform(1.35, 1.8));
            break;
        }
        case PageKind::kSparse: {
            // A few short lines: a heading, a name, a date.
            const int lines = random.Int(1, 4);
            int y = body.y + random.Int(0, body.height / 3);
            up.em = random.Int(22, 56);
            for (int l = 0; l < lines; ++l) {
                const int em = l == 0 ? up.em : std::max(18, up.em * random.Int(60, 100) / 100);
                const int chars = random.Int(3, 12);
                const cv::Rect line(body.x + random.Int(0, body.width / 3), y,
                                    std::min(body.width, chars * em), 2 * em);
                std::u32string text;
                size_t at = start(zh);
                while (static_cast<int>(text.size()) < chars) {
                    const char32_t c = zh[at++ % zh.size()];
                    if (c != U'\n' && c != U'，' && c != U'。') text.push_back(c);
                }
                LayOut(up.coverage, *r.font, text, 0,
                       line & cv::Rect(0, 0, kPageWidth, kPageHeight), em, 1.5, 1, false);
                y += static_cast<int>(em * random.Uniform(1.8, 3.0));
            }
            break;
        }
        case PageKind::kTable: {
            const int rows = random.Int(6, 16), cols = random.Int(3, 6);
            const int cellH = std::min(body.height / rows, random.Int(50, 110));
            const int thickness = random.Int(1, 3);
            up.em = std::clamp(cellH * random.Int(40, 60) / 100, 16, 45);
            const int cellW = body.width / cols;
            for (int i = 0; i <= rows; ++i) {
                cv::line(up.coverage, {body.x, body.y + i * cellH},
                         {body.x + cols * cellW, body.y + i * cellH}, 255, thickness);
            }
            for (int j = 0; j <= cols; ++j) {
                cv::line(up.coverage, {body.x + j * cellW, body.y},
                         {body.x + j * cellW, body.y + rows * cellH}, 255, thickness);
            }
            for (int i = 0; i < rows; ++i) {
                for (int j = 0; j < cols; ++j) {
                    std::u32string text;
                    if (j > 0 && random.Chance(0.5)) {
                        const int v = random.Int(0, 99999);
                        for (const char ch : std::to_string(v)) text.push_back(ch);
                    } else {
                        size_t at = start(zh);
                        const int n = random.Int(2, std::max(2, cellW / up.em - 1));
                        while (static_cast<int>(text.size()) < n) {
                            const char32_t c = zh[at++ % zh.size()];
                            if (c != U'\n' && c != U'，' && c != U'。') text.push_back(c);
                        }
                    }
                    const cv::Rect cell(body.x + j * cellW + up.em / 3,
                                        body.y + i * cellH + (cellH - up.em) / 2, cellW - up.em / 2,
                                        up.em * 2);
                    LayOut(up.coverage, *r.font, text, 0, cell, up.em, 1.2, 1, false);
                }
            }
            break;
        }
        case PageKind::kBlank:
            break;
        case PageKind::kPhoto:
            up.coverage.release();
            up.picture = SyntheticPhoto({kPageWidth, kPageHeight}, random);
            break;
    }
    return up;
}

}  // namespace

CameraPage PhotographPage(const PageRequest& r) {
    SampleRandom random(r.seed, static_cast<uint64_t>(r.kind), static_cast<uint64_t>(r.turn));
    UprightPage up = LayOutPage(r, random);

    // Paper and ink under the camera's light.
    const int paper = random.Int(185, 245);
    const int ink = random.Int(15, 70);
    cv::Mat page;
    if (!up.picture.empty()) {
        page = up.picture;
    } else {
        cv::Mat cover;
        up.coverage.convertTo(cover, CV_32F, 1.0 / 255.0);
        cv::Mat grey = paper + (ink - paper) * cover;
        cv::Mat bgr[3] = {grey - random.Int(2, 10), grey.clone(), grey + random.Int(0, 6)};
        cv::Mat merged;
        cv::merge(bgr, 3, merged);
        merged.convertTo(page, CV_8UC3);
    }
    // Lying turned on the desk: turned clockwise by `turn`, so that turning it back
    // counter-clockwise makes it upright.
    if (r.turn == 90) page = RotateMat270(page);
    if (r.turn == 180) page = RotateMat180(page);
    if (r.turn == 270) page = RotateMat90(page);

    cv::Mat frame(r.frameHeight, r.frameWidth, CV_8UC3);
    {
        // A desk of some colour with its own grain.
        const cv::Scalar desk(random.Int(40, 120), random.Int(50, 130), random.Int(60, 150));
        frame.setTo(desk);
        cv::Mat grain(frame.size(), CV_8UC3);
        cv::RNG rng(random.Next());
        rng.fill(grain, cv::RNG::UNIFORM, 0, 25);
        frame += grain;
    }
    // The same scale whichever way the page lies, a little askew and in perspective.
    const double scale =
        random.Uniform(0.93, 1.0) * std::min(static_cast<double>(r.frameWidth) / kPageWidth,
                                             static_cast<double>(r.frameHeight) / kPageHeight);
    const double skew = random.Uniform(-4.0, 4.0) * CV_PI / 180.0;
    const cv::Point2f centre(r.frameWidth / 2.0f + static_cast<float>(random.Uniform(-40, 40)),
                             r.frameHeight / 2.0f + static_cast<float>(random.Uniform(-30, 30)));
    const cv::Point2f src[4] = {{0, 0},
                                {static_cast<float>(page.cols), 0},
                                {static_cast<float>(page.cols), static_cast<float>(page.rows)},
                                {0, static_cast<float>(page.rows)}};
    cv::Point2f dst[4];
    for (int i = 0; i < 4; ++i) {
        const double x = (src[i].x - page.cols / 2.0) * scale,
                     y = (src[i].y - page.rows / 2.0) * scale;
        const double jitter = 0.02 * scale * std::max(page.cols, page.rows);
        dst[i] = {static_cast<float>(centre.x + x * std::cos(skew) - y * std::sin(skew) +
                                     random.Uniform(-jitter, jitter)),
                  static_cast<float>(centre.y + x * std::sin(skew) + y * std::cos(skew) +
                                     random.Uniform(-jitter, jitter))};
    }
    cv::warpPerspective(page, frame, cv::getPerspectiveTransform(src, dst), frame.size(),
                        cv::INTER_LINEAR, cv::BORDER_TRANSPARENT);

    // Uneven light and a shadow, then the lens and the sensor.
    cv::Mat light(frame.size(), CV_32F);
    const double gx = random.Uniform(-0.2, 0.2), gy = random.Uniform(-0.2, 0.2);
    const double sx = random.Uniform(0, frame.cols), sy = random.Uniform(0, frame.rows);
    const double depth = random.Chance(0.6) ? random.Uniform(0.1, 0.4) : 0.0;
    const double spread = random.Uniform(0.15, 0.4) * frame.cols;
    for (int y = 0; y < light.rows; ++y) {
        float* row = light.ptr<float>(y);
        for (int x = 0; x < light.cols; ++x) {
            const double d2 = ((x - sx) * (x - sx) + (y - sy) * (y - sy)) / (2 * spread * spread);
            row[x] = static_cast<float>(
                (1.0 + gx * (x / double(light.cols) - 0.5) + gy * (y / double(light.rows) - 0.5)) *
                (1.0 - depth * std::exp(-d2)));
        }
    }
    cv::Mat f;
    frame.convertTo(f, CV_32FC3);
    cv::Mat light3;
    cv::merge(std::vector<cv::Mat>{light, light, light}, light3);
    f = f.mul(light3);
    cv::GaussianBlur(f, f, {0, 0}, random.Uniform(0.4, 1.3));
    cv::Mat noise(f.size(), CV_32FC3);
    cv::RNG rng(random.Next());
    rng.fill(noise, cv::RNG::NORMAL, 0, random.Uniform(1.5, 5.0));
    f += noise;
    f.convertTo(frame, CV_8UC3);
    std::vector<uint8_t> jpeg;
    cv::imencode(".jpg", frame, jpeg, {cv::IMWRITE_JPEG_QUALITY, random.Int(70, 92)});
    CameraPage out;
    out.frame = cv::imdecode(jpeg, cv::IMREAD_COLOR);
    out.charPixels = static_cast<int>(std::lround(up.em * scale));
    return out;
}

}  // namespace orbisk::bench
