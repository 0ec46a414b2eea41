#include "tools/ocr_train/background_scene.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <opencv2/imgproc.hpp>

namespace orbisk::ocrtrain {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Noise of a few octaves: coarse grids of random values, scaled up smoothly and summed.
cv::Mat OctaveNoise(cv::Size size, SampleRandom& random) {
    cv::Mat sum = cv::Mat::zeros(size, CV_32F);
    double amplitude = 1.0, total = 0;
    int cells = random.Int(2, 6);
    const int octaves = random.Int(2, 6);
    const double falloff = random.Uniform(0.4, 0.8);
    for (int o = 0; o < octaves && cells < size.width / 2; ++o) {
        cv::Mat grid(cells * size.height / size.width + 2, cells + 2, CV_32F);
        for (int y = 0; y < grid.rows; ++y)
            for (int x = 0; x < grid.cols; ++x)
                grid.at<float>(y, x) = static_cast<float>(random.Uniform(-1, 1));
        cv::Mat up;
        cv::resize(grid, up, size, 0, 0, cv::INTER_CUBIC);
        sum += up * amplitude;
        total += amplitude;
        amplitude *= falloff;
        cells *= 2;
    }
    return sum / std::max(total, 1e-9);
}

// Filled shapes with hard or soft edges over a smooth field.
void Shapes(cv::Mat& grey, SampleRandom& random) {
    const int count = random.Int(3, 30);
    for (int s = 0; s < count; ++s) {
        // One draw a statement: the order of a call's arguments is the compiler's choice.
        const int cx = random.Int(0, grey.cols);
        const int cy = random.Int(0, grey.rows);
        const cv::Point c(cx, cy);
        const int r = random.Int(8, std::max(9, grey.cols / 3));
        const cv::Scalar tone(random.Int(0, 255));
        cv::Mat layer = cv::Mat::zeros(grey.size(), CV_8UC1);
        switch (random.Int(0, 3)) {
            case 0:
                cv::circle(layer, c, r, cv::Scalar(255), cv::FILLED, cv::LINE_AA);
                break;
            case 1: {
                const int minor = random.Int(4, r);
                const double angle = random.Uniform(0, 180);
                cv::ellipse(layer, c, {r, minor}, angle, 0, 360, cv::Scalar(255), cv::FILLED,
                            cv::LINE_AA);
                break;
            }
            case 2: {
                std::vector<cv::Point> corners;
                const int n = random.Int(3, 7);
                for (int k = 0; k < n; ++k) {
                    const double a = 2 * kPi * k / n + random.Uniform(-0.4, 0.4);
                    const double d = r * random.Uniform(0.4, 1.0);
                    corners.emplace_back(c.x + static_cast<int>(d * std::cos(a)),
                                         c.y + static_cast<int>(d * std::sin(a)));
                }
                cv::fillPoly(layer, std::vector<std::vector<cv::Point>>{corners}, cv::Scalar(255),
                             cv::LINE_AA);
                break;
            }
            default: {
                const int dx = random.Int(-r, r);
                const int dy = random.Int(-r, r);
                const int width = random.Int(2, std::max(3, r / 4));
                cv::line(layer, c, {c.x + dx, c.y + dy}, cv::Scalar(255), width, cv::LINE_AA);
                break;
            }
        }
        if (random.Chance(0.4)) cv::GaussianBlur(layer, layer, {0, 0}, random.Uniform(1, 6));
        cv::Mat toneImage(grey.size(), CV_8UC1, tone);
        toneImage.copyTo(grey, layer > 127);
    }
}

// Dots of a printing screen whose size follows the tone.
cv::Mat Halftone(const cv::Mat& tone, SampleRandom& random) {
    const int pitch = random.Int(4, 14);
    const double angle = random.Uniform(0, kPi / 2);
    const double c = std::cos(angle), s = std::sin(angle);
    cv::Mat out(tone.size(), CV_8UC1);
    for (int y = 0; y < tone.rows; ++y) {
        for (int x = 0; x < tone.cols; ++x) {
            const double u = (c * x + s * y) / pitch, v = (-s * x + c * y) / pitch;
            const double du = u - std::floor(u) - 0.5, dv = v - std::floor(v) - 0.5;
            const double r = std::sqrt(du * du + dv * dv) / 0.7071;
            const double darkness = 1.0 - tone.at<uint8_t>(y, x) / 255.0;
            out.at<uint8_t>(y, x) = r < std::sqrt(darkness) ? 0 : 255;
        }
    }
    return out;
}

// Stripes bent by noise: grain, fabric, rows of plants, blinds.
cv::Mat Stripes(cv::Size size, SampleRandom& random) {
    const cv::Mat bend = OctaveNoise(size, random);
    const double period = random.Uniform(6, 60);
    const double angle = random.Uniform(0, kPi);
    const double warp = random.Uniform(0, 3) * period;
    const double c = std::cos(angle), s = std::sin(angle);
    cv::Mat out(size, CV_32F);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            out.at<float>(y, x) = static_cast<float>(
                std::sin(2 * kPi * ((c * x + s * y) + warp * bend.at<float>(y, x)) / period));
    return out;
}

cv::Mat ToGrey(const cv::Mat& field, SampleRandom& random) {
    cv::Mat grey;
    const double contrast = random.Uniform(30, 127);
    field.convertTo(grey, CV_8U, contrast, random.Uniform(80, 180));
    return grey;
}

}  // namespace

cv::Mat BackgroundScene(cv::Size size, SampleRandom& random) {
    cv::Mat grey;
    switch (random.Int(0, 4)) {
        case 0:  // a picture: smooth fields with shapes on them
            grey = ToGrey(OctaveNoise(size, random), random);
            Shapes(grey, random);
            break;
        case 1:  // a texture
            grey = ToGrey(OctaveNoise(size, random), random);
            {
                cv::Mat fine(size, CV_32F);
                cv::RNG rng(random.Next());
                rng.fill(fine, cv::RNG::NORMAL, 0, random.Uniform(10, 45));
                cv::GaussianBlur(fine, fine, {0, 0}, random.Uniform(0.8, 4.0));
                cv::Mat g;
                grey.convertTo(g, CV_32F);
                g += fine;
                g.convertTo(grey, CV_8U);
            }
            break;
        case 2: {  // a screened print
            cv::Mat tone = ToGrey(OctaveNoise(size, random), random);
            Shapes(tone, random);
            grey = Halftone(tone, random);
            break;
        }
        case 3:
            grey = ToGrey(Stripes(size, random), random);
            break;
        default:  // shapes on a plain ground
            grey = cv::Mat(size, CV_8UC1, cv::Scalar(random.Int(60, 240)));
            Shapes(grey, random);
            break;
    }
    if (random.Chance(0.5)) cv::GaussianBlur(grey, grey, {0, 0}, random.Uniform(0.5, 2.5));
    // The camera: coverage is darkness, so the look's paper and ink span the scene's tones.
    CameraLook look = RandomLook(random);
    look.paper = std::max(look.paper, 200);
    look.ink = std::min(look.ink, 40);
    return Photograph(255 - grey, look, random);
}

}  // namespace orbisk::ocrtrain
