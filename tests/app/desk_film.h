#pragma once

#include <opencv2/core.hpp>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/scene_generator.h"

namespace orbisk::test {

// What the document camera sees in one inspection cycle: the empty desk, or
// one of several different pages at some place on it.
struct DeskShot {
    int page = -1;  // -1: nothing on the desk
    cv::Point2f centre{800, 600};
    float angle = 0;
    EmptyDesk desk = EmptyDesk::PlainDark;  // the desk shown without a page
};

inline DeskShot Desk(EmptyDesk desk = EmptyDesk::PlainDark) { return {.desk = desk}; }
inline DeskShot PageAt(int page, cv::Point2f centre = {800, 600}, float angle = 0) {
    return {.page = page, .centre = centre, .angle = angle};
}

// The camera's frames of a sequence of shots: each frame has fresh sensor
// noise, so two frames of a still page are never the same pixels.
class DeskFilm {
  public:
    static inline const cv::Size kSize{1600, 1200};

    cv::Mat Frame(const DeskShot& shot, unsigned cycle) {
        const cv::Mat& still = Still(shot);
        cv::Mat noise(still.size(), CV_16SC3);
        cv::RNG rng(1000 + cycle);
        rng.fill(noise, cv::RNG::NORMAL, 0, 3);
        cv::Mat frame;
        cv::add(still, noise, frame, cv::noArray(), CV_8UC3);
        return frame;
    }

  private:
    const cv::Mat& Still(const DeskShot& shot) {
        const auto key = std::make_tuple(shot.page, shot.centre.x, shot.centre.y, shot.angle,
                                         shot.page < 0 ? static_cast<int>(shot.desk) : 0);
        auto found = stills_.find(key);
        if (found != stills_.end()) return found->second;
        cv::Mat image;
        if (shot.page < 0) {
            image = MakeEmptyDesk(shot.desk, kSize);
        } else {
            SceneOptions options;
            options.size = kSize;
            options.seed = 20 + static_cast<unsigned>(shot.page);
            options.pages = {{.centre = shot.centre, .size = {760, 980}, .angle = shot.angle}};
            image = MakeScene(options).image;
        }
        return stills_.emplace(key, image).first->second;
    }

    std::map<std::tuple<int, float, float, float, int>, cv::Mat> stills_;
};

}  // namespace orbisk::test
