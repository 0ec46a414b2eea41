#pragma once

#include "recognition/feature_extractor.h"
#include "recognition/image_normalizer.h"
#include "recognition/ocr_matrix.h"

namespace orbisk {

// True when the width x height input holds a nonzero byte.
bool HasInk(const unsigned char* ink, int width, int height);

// The classifiers' front end: copy the input, normalise it, extract the feature, convert it
// to doubles, project it as a column when `projection` is given, and scale it to unit length
// when asked. Null when any step fails.
OcrMatrixPtr BuildFeature(const unsigned char* ink, int width, int height,
                          CImageNormalizer* normaliser, CFeatureExtractor* extractor,
                          const OcrMatrix* projection, bool unitLength);

}  // namespace orbisk
