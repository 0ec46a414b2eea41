#include "tools/ocr_train/camera_look.h"

#include <cmath>
#include <vector>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace orbisk::ocrtrain {
namespace {

constexpr double kPi = 3.14159265358979323846;

// splitmix64: small, fast and fully specified, so streams match everywhere.
uint64_t Mix(uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

}  // namespace

SampleRandom::SampleRandom(uint64_t seed, uint64_t a, uint64_t b, uint64_t c)
    : state_(Mix(Mix(Mix(Mix(seed) ^ a) ^ b) ^ c)) {}

uint64_t SampleRandom::Next() {
    state_ += 0x9e3779b97f4a7c15ULL;
    return Mix(state_);
}

double SampleRandom::Uniform(double lo, double hi) {
    const double unit = static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0);
    return lo + (hi - lo) * unit;
}

int SampleRandom::Int(int lo, int hi) {
    return lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1));
}

bool SampleRandom::Chance(double p) { return Uniform(0, 1) < p; }

double SampleRandom::Gaussian() {
    // Box-Muller on our own uniforms.
    const double u = Uniform(1e-12, 1.0);
    const double v = Uniform(0.0, 1.0);
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * kPi * v);
}

CameraLook RandomLook(SampleRandom& r) {
    CameraLook look;
    look.skewDegrees = r.Uniform(-5.0, 5.0);
    look.stretchX = r.Uniform(0.93, 1.07);
    look.stretchY = r.Uniform(0.93, 1.07);
    look.blurSigma = r.Chance(0.2) ? 0.0 : r.Uniform(0.3, 1.4);
    look.paper = r.Int(140, 245);
    look.ink = std::max(0, look.paper - r.Int(80, 210));
    look.lightX = r.Uniform(-0.35, 0.35);
    look.lightY = r.Uniform(-0.35, 0.35);
    look.noiseSigma = r.Uniform(0.0, 7.0);
    look.jpegQuality = r.Chance(0.75) ? r.Int(35, 95) : 0;
    return look;
}

cv::Mat LookTransform(const CameraLook& look, cv::Size size) {
    const double a = look.skewDegrees * kPi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    const double cx = size.width / 2.0, cy = size.height / 2.0;
    // Stretch, then turn, about the centre.
    cv::Mat m(2, 3, CV_64F);
    m.at<double>(0, 0) = c * look.stretchX;
    m.at<double>(0, 1) = -s * look.stretchY;
    m.at<double>(1, 0) = s * look.stretchX;
    m.at<double>(1, 1) = c * look.stretchY;
    m.at<double>(0, 2) = cx - m.at<double>(0, 0) * cx - m.at<double>(0, 1) * cy;
    m.at<double>(1, 2) = cy - m.at<double>(1, 0) * cx - m.at<double>(1, 1) * cy;
    return m;
}

cv::Mat Photograph(const cv::Mat& coverage, const CameraLook& look, SampleRandom& random) {
    cv::Mat placed;
    cv::warpAffine(coverage, placed, LookTransform(look, coverage.size()), coverage.size(),
                   cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
    cv::Mat cover;
    placed.convertTo(cover, CV_32F, 1.0 / 255.0);
    if (look.blurSigma > 0.05) cv::GaussianBlur(cover, cover, cv::Size(0, 0), look.blurSigma);
    cv::Mat noise;
    if (look.noiseSigma > 0) {
        // OpenCV's generator is fully specified: the same noise everywhere for a seed.
        cv::RNG rng(random.Next());
        noise.create(cover.size(), CV_32F);
        rng.fill(noise, cv::RNG::NORMAL, 0.0, look.noiseSigma);
    }
    cv::Mat grey(cover.size(), CV_8UC1);
    const float w = static_cast<float>(std::max(1, cover.cols - 1));
    const float h = static_cast<float>(std::max(1, cover.rows - 1));
    const float paper = static_cast<float>(look.paper), ink = static_cast<float>(look.ink);
    for (int y = 0; y < cover.rows; ++y) {
        const float* row = cover.ptr<float>(y);
        const float* n = noise.empty() ? nullptr : noise.ptr<float>(y);
        uint8_t* out = grey.ptr<uint8_t>(y);
        const float lightY = 1.0f + static_cast<float>(look.lightY) * (y / h - 0.5f);
        for (int x = 0; x < cover.cols; ++x) {
            const float light = lightY + static_cast<float>(look.lightX) * (x / w - 0.5f);
            float v = (paper + (ink - paper) * row[x]) * light;
            if (n) v += n[x];
            out[x] = cv::saturate_cast<uint8_t>(v);
        }
    }
    if (look.jpegQuality > 0) {
        std::vector<uint8_t> bytes;
        cv::imencode(".jpg", grey, bytes, {cv::IMWRITE_JPEG_QUALITY, look.jpegQuality});
        grey = cv::imdecode(bytes, cv::IMREAD_GRAYSCALE);
    }
    return grey;
}

}  // namespace orbisk::ocrtrain
