#pragma once

#include <opencv2/core.hpp>

#include <array>
#include <vector>

namespace orbisk::test {

// Synthetic document-camera pictures with known ground truth, drawn with a
// fixed seed so every run sees the same pixels.
//
// A scene is a dark, noisy desk under a lighting gradient with white pages on
// it. Each page may be turned, sheared and may run off the picture; pages
// drawn later lie on top of earlier ones. Pages carry rows of dark text bars.
//
//   Scene scene = MakeScene({.size = {1920, 1080},
//                            .pages = {{.centre = {960, 540}, .size = {800, 600},
//                                       .angle = 12}}});

// One sheet of paper. Page coordinates run from the page's top-left corner:
// u along the width, v along the height.
struct Page {
    cv::Point2f centre;
    cv::Size2f size;
    // Degrees; positive turns clockwise on screen (rows run downwards), as
    // OpenCV's rotated rectangles do.
    float angle = 0;
    // Horizontal shear applied before the turn: u moves by shear * (v - h / 2).
    float shear = 0;
    bool textBars = true;
};

struct SceneOptions {
    cv::Size size{1920, 1080};
    std::vector<Page> pages;
    // Low contrast: the desk is light grey instead of dark.
    bool lightDesk = false;
    unsigned seed = 7;
};

struct Scene {
    cv::Mat image;     // 8-bit BGR
    cv::Mat pageMask;  // 8-bit, 255 where some page is visible
    cv::Mat ink;       // 8-bit, 255 where a visible text bar is drawn
    // Per page: its corners in picture coordinates, clockwise from top-left
    // (they may lie outside the picture).
    std::vector<std::array<cv::Point2f, 4>> corners;
    // Per page: its text bars in page coordinates.
    std::vector<std::vector<cv::Rect2f>> bars;
};

Scene MakeScene(const SceneOptions& options);

// Picture coordinates of the page point (u, v).
cv::Point2f PageToImage(const Page& page, cv::Point2f uv);

// A page filling the whole picture, lit unevenly (bright in one corner, down to
// about half as bright in the opposite one), with text bars and mild noise. The
// scene's `ink` is the ground truth of a black-and-white conversion.
Scene MakeShadedPage(cv::Size size, unsigned seed = 11);

// Desks with nothing on them, each with what a camera also sees on an empty
// desk: texture, a shadow, noise, compression blocks.
enum class EmptyDesk {
    PlainDark,      // the scenes' dark desk under the same light and noise
    Wood,           // brown, with wavy grain and a few darker streaks
    StripedCloth,   // wide soft stripes of two shades with a fine weave
    ShadowEdge,     // a mid-grey desk with a soft shadow across the frame
    SensorNoise,    // the dark desk at high gain: noise of sigma 14
    JpegArtefacts,  // the wood desk after JPEG at quality 15
};

// An 8-bit BGR picture of an empty desk.
cv::Mat MakeEmptyDesk(EmptyDesk kind, cv::Size size = {1920, 1080}, unsigned seed = 7);

}  // namespace orbisk::test
