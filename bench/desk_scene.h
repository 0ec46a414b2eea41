#pragma once

#include "tests/support/scene_generator.h"

// The benchmarks' camera picture: one sheet, slightly turned, on the desk.
namespace orbisk::test {

inline cv::Mat Desk(int width, int height) {
    return MakeScene({.size = {width, height},
                      .pages = {{.centre = {width / 2.0f, height / 2.0f},
                                 .size = {height * 0.55f, height * 0.8f},
                                 .angle = 5}}})
        .image;
}

}  // namespace orbisk::test
