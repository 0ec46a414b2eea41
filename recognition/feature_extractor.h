#pragma once

#include <string>

#include <opencv2/core.hpp>

#include "recognition/ocr_matrix.h"

namespace orbisk {

// Turns a normalised character image (type 1) into the feature the classifiers compare.
// The base class ("None") returns a copy of its input.
class CFeatureExtractor {
  public:
    virtual ~CFeatureExtractor() = default;
    virtual OcrMatrixPtr Extract(const OcrMatrix* image, int reserved);
};

// "GRA": Sobel gradients split over 8 directions and spread bilinearly over 8 x 8 cells;
// 1 x 512 floats ordered by cell row, cell column, direction.
class CGradientFeatureExtractorImp : public CFeatureExtractor {
  public:
    OcrMatrixPtr Extract(const OcrMatrix* image, int reserved) override;

  private:
    int32_t cellRows_ = 8;
    int32_t cellCols_ = 8;
    int32_t directions_ = 8;
};

// The wavelengths of a Gabor key: "GAB" alone, or prefix:first:step:last.
struct GaborWavelengths {
    int32_t first = 4;
    int32_t last = 8;
    int32_t step = 2;
    // False for a key that cannot work (malformed fields, step <= 0, first > last,
    // a wavelength <= 0).
    bool valid = true;
    int Count() const { return valid ? (last - first) / step + 1 : 0; }
};
GaborWavelengths ParseGaborKey(const std::string& key);

// "GAB": pooled magnitudes of Gabor responses, 4 orientations x the key's wavelengths.
class CGaborMagFeatureExtractorImp : public CFeatureExtractor {
  public:
    explicit CGaborMagFeatureExtractorImp(const std::string& key);
    bool IsValid() const { return wavelengths_.valid; }
    OcrMatrixPtr Extract(const OcrMatrix* image, int reserved) override;

  private:
    int32_t cellRows_ = 8;
    int32_t cellCols_ = 8;
    GaborWavelengths wavelengths_;
};

// "GBF": pooled positive and negative parts of the real Gabor responses; room for three
// wavelengths (1 x 1536).
class CGaborBFeatureExtractorImp : public CFeatureExtractor {
  public:
    static constexpr int kMaxWavelengths = 3;
    explicit CGaborBFeatureExtractorImp(const std::string& key);
    bool IsValid() const { return wavelengths_.valid && wavelengths_.Count() <= kMaxWavelengths; }
    OcrMatrixPtr Extract(const OcrMatrix* image, int reserved) override;

  private:
    int32_t cellRows_ = 8;
    int32_t cellCols_ = 8;
    GaborWavelengths wavelengths_;
};

struct GaborKernelPair {
    cv::Mat real;  // CV_32F, K x K
    cv::Mat imag;  // CV_32F, K x K, empty unless asked for
};
// The kernel of orientation theta (radians) and wavelength lambda. With `subtractSum` every
// real element is reduced by the sum of all real elements (the magnitude extractor's form).
GaborKernelPair GaborKernel(double theta, double lambda, bool imaginaryWanted,
                            bool subtractSum = false);

// The linear convolution of a byte image with a float kernel through the DFT, cut to the
// image's size (centred on the kernel's middle). CV_32F.
cv::Mat ConvolveSame(const cv::Mat& image, const cv::Mat& kernel);

enum class PoolSign { kAll, kPositive, kNegative };
// Gaussian-weighted sums of `response` (CV_32F) over gridRows x gridCols cells, each cell
// widened by 2 pixels where it does not touch the border. Writes gridRows x gridCols values.
void PoolCells(const cv::Mat& response, int rows, int cols, int gridRows, int gridCols,
               double sigma, PoolSign sign, float* output);

}  // namespace orbisk
