#pragma once

#include <cstdint>
#include <random>

#include <opencv2/core/mat.hpp>

namespace orbisk::ocrtrain {

// The random stream of one sample, the same on every machine and in every thread layout:
// a fixed generator seeded from the run's seed and the sample's own numbers.
class SampleRandom {
  public:
    SampleRandom(uint64_t seed, uint64_t a, uint64_t b = 0, uint64_t c = 0);
    // Uniform in [lo, hi).
    double Uniform(double lo, double hi);
    // Uniform integer in [lo, hi].
    int Int(int lo, int hi);
    bool Chance(double p);
    double Gaussian();
    uint64_t Next();

  private:
    uint64_t state_;
};

// How the camera shows a patch of paper: what the trainer and the bench apply to the ink
// they lay out, so that both see what the orientation thread sees.
struct CameraLook {
    double skewDegrees = 0;  // the page lies a little askew
    double stretchX = 1;     // perspective, locally an uneven scale
    double stretchY = 1;
    double blurSigma = 0;  // focus and the lens
    int paper = 235;       // paper grey
    int ink = 30;          // ink grey
    double lightX = 0;     // uneven light: relative change across the patch
    double lightY = 0;
    double noiseSigma = 0;
    int jpegQuality = 0;  // 0: no compression
};

// A look drawn at random within what a document camera on a stand gives.
CameraLook RandomLook(SampleRandom& random);

// The grey picture of `coverage` (8-bit, 255 = ink) as the camera sees it.
cv::Mat Photograph(const cv::Mat& coverage, const CameraLook& look, SampleRandom& random);

// The skew and stretch of `look` as a 2 x 3 map about the centre of a `size` patch.
cv::Mat LookTransform(const CameraLook& look, cv::Size size);

}  // namespace orbisk::ocrtrain
