#pragma once

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <iterator>

namespace orbisk::test {

// A camera picture of a printed page: lines of small words in thin strokes on
// a light sheet, on the dark desk, the sheet always in the same place of the
// picture (1600 x 1200 by default; the sheet scales with it). Only the words
// differ by seed, so two seeds are two pages laid in the same place.
inline cv::Mat TextPage(unsigned seed, cv::Size size = {1600, 1200}) {
    static const char* const kWords[] = {
        "the",   "capture", "of",    "document", "camera", "page",   "lies", "still", "under",
        "stand", "scan",    "file",  "paper",    "light",  "text",   "new",  "and",   "is",
        "a",     "to",      "index", "prefix",   "merge",  "folder", "batch"};
    const double s = size.height / 1200.0;
    cv::Mat image(size, CV_8UC3, cv::Scalar(70, 95, 120));
    const cv::Rect sheet(static_cast<int>(420 * s), static_cast<int>(110 * s),
                         static_cast<int>(760 * s), static_cast<int>(980 * s));
    cv::rectangle(image, sheet, cv::Scalar(232, 234, 230), cv::FILLED);
    const double font = 0.55 * s;
    const int margin = static_cast<int>(50 * s);
    cv::RNG rng(seed);
    for (int y = sheet.y + static_cast<int>(60 * s); y < sheet.br().y - margin;
         y += static_cast<int>(22 * s)) {
        // Some lines end a paragraph early.
        const int end = sheet.br().x - margin - (rng.uniform(0, 5) == 0 ? sheet.width / 3 : 0);
        for (int x = sheet.x + margin;;) {
            const char* word = kWords[rng.uniform(0, static_cast<int>(std::size(kWords)))];
            int base = 0;
            const int width = cv::getTextSize(word, cv::FONT_HERSHEY_SIMPLEX, font, 1, &base).width;
            if (x + width > end) break;
            cv::putText(image, word, {x, y}, cv::FONT_HERSHEY_SIMPLEX, font, cv::Scalar(35, 35, 35),
                        1, cv::LINE_AA);
            x += width + static_cast<int>(10 * s);
        }
    }
    return image;
}

// The picture as the camera delivers it: sensor noise of `sigma` (fresh for
// each `frame`; none for 0) and the light `gain` (flicker) applied.
inline cv::Mat CameraFrame(const cv::Mat& picture, unsigned frame, double sigma = 3,
                           double gain = 1) {
    cv::Mat lit, out;
    picture.convertTo(lit, CV_16SC3, gain);
    if (sigma <= 0) {
        lit.convertTo(out, CV_8UC3);
        return out;
    }
    cv::Mat noise(picture.size(), CV_16SC3);
    cv::RNG rng(1000 + frame);
    rng.fill(noise, cv::RNG::NORMAL, 0, sigma);
    cv::add(lit, noise, out, cv::noArray(), CV_8UC3);
    return out;
}

}  // namespace orbisk::test
