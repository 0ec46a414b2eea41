#include "recognition/feature_extractor.h"

namespace orbisk {

OcrMatrixPtr CFeatureExtractor::Extract(const OcrMatrix* image, int) {
    return OcrMatrixPtr(CloneOcrMatrix(image));
}

}  // namespace orbisk
