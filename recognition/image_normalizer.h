#pragma once

#include "recognition/ocr_matrix.h"

namespace orbisk {

// Side of every normalised character image.
constexpr int NormalizedSize = 64;

// Turns a character image (type 1, nonzero bytes are ink) into a 64 x 64 type-1 image of the
// same character, centred and scaled. Callers hand over only images with some ink.
class CImageNormalizer {
  public:
    virtual ~CImageNormalizer() = default;
    virtual OcrMatrixPtr Normalize(const OcrMatrix* image) = 0;
};

// "LN": the ink box made square and resized bilinearly; stroke brightness brought to 128.
class CLinearNormalizerImp : public CImageNormalizer {
  public:
    OcrMatrixPtr Normalize(const OcrMatrix* image) override;
};

// "BI": a box of two spreads either side of the centroid, mapped quadratically so that the
// centroid lands in the middle.
class CBiMomentNormalizerImp : public CImageNormalizer {
  public:
    OcrMatrixPtr Normalize(const OcrMatrix* image) override;

  protected:
    // How the moment box is made square: always (false) or only when one side is more than
    // twice the other (true).
    virtual bool SquareOnlyWhenElongated() const { return false; }
};

// "B2": as "BI", but a box that is not elongated keeps its proportions.
class CB2MomentNormalizerImp : public CBiMomentNormalizerImp {
  protected:
    bool SquareOnlyWhenElongated() const override { return true; }
};

struct BiMoments {
    float xc = 0;
    float yc = 0;
    float left = 0;
    float right = 0;
    float top = 0;
    float bottom = 0;
};

// Centroid (pixel centres at half-integers) and the one-sided spreads around it.
BiMoments ComputeBiMoments(const OcrMatrix* image);

}  // namespace orbisk
