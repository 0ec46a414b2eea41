#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <opencv2/core.hpp>

#include "recognition/image_processor.h"
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

// The stroke and projection extractors below measure a type-1 image (64 x 64 in practice)
// in which nonzero bytes are ink. Those that count per cell use 8 x 8 cells and refuse an
// image with fewer than 8 rows or columns.

// "CrossLine": the pixels of ink runs of at least 3 pixels, counted per cell, for rows,
// columns, rising and falling diagonals. 64 x 4 int32 values; in memory the 64 counts of
// each direction follow one another in that order.
class CCrossLineFeatureExtractor : public CFeatureExtractor {
  public:
    OcrMatrixPtr Extract(const OcrMatrix* image, int reserved) override;

  private:
    int32_t lineScale_ = 1;
    int32_t minRun_ = 3;
};

// The intensity-weighted mean position of stroke k (a maximal run of positive values,
// counted from 0) in values[0 ... count - 1]; count - 1 when there is no stroke k.
float StrokePosition(const uint8_t* values, int count, int k);

// "StrokePos": the positions of the first two strokes from each side. For every row from
// the left, then from the right; then for every column from the top, then from the bottom.
// 1 x (4 rows + 4 cols) floats.
class CStrokePosFeatureExtractorImp : public CFeatureExtractor {
  public:
    OcrMatrixPtr Extract(const OcrMatrix* image, int reserved) override;
};

// "PPF": background up to the first ink (layer 1) and between the first run and the next
// ink (layer 2), summed per band of rows or columns from the left, bottom, right and top.
// 2 x 32 int32 values, one row per layer.
class CPeripheralFeatureExtractorImp : public CFeatureExtractor {
  public:
    OcrMatrixPtr Extract(const OcrMatrix* image, int reserved) override;

  private:
    int32_t cellRows_ = 8;
    int32_t cellCols_ = 8;
};

// "CCF": along the image's skeleton, the direction of the longest ink line through each
// pixel (and of a second one nearly as long), counted per cell. 4 x 64 int32 values, one
// row per direction: horizontal, vertical, falling, rising.
class CCICLPFFeatureExtractorImp : public CFeatureExtractor {
  public:
    CCICLPFFeatureExtractorImp();
    ~CCICLPFFeatureExtractorImp() override;
    OcrMatrixPtr Extract(const OcrMatrix* image, int reserved) override;

  private:
    int32_t minLine_ = 3;
    int32_t cellRows_ = 8;
    int32_t cellCols_ = 8;
    std::unique_ptr<CImageProcessor> processor_;
};

// "HVH" and the keys that begin with it: the spectra of the column and row sums, each
// zero-padded to a power of two (C and R values). "HVH" and "HVH0" give 2 x (C + R) floats
// (real parts, then imaginary parts); every other key of the family 1 x (C + R) magnitudes.
class CHVHistogramsFeatureExtractorImp : public CFeatureExtractor {
  public:
    explicit CHVHistogramsFeatureExtractorImp(std::string key);
    OcrMatrixPtr Extract(const OcrMatrix* image, int reserved) override;

  private:
    std::string key_;
};

}  // namespace orbisk
