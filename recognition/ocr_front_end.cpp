#include "recognition/ocr_front_end.h"

#include <algorithm>
#include <cstring>

namespace orbisk {

bool HasInk(const unsigned char* ink, int width, int height) {
    if (ink == nullptr || width <= 0 || height <= 0) return false;
    const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height);
    return std::any_of(ink, ink + size, [](unsigned char v) { return v != 0; });
}

OcrMatrixPtr BuildFeature(const unsigned char* ink, int width, int height,
                          CImageNormalizer* normaliser, CFeatureExtractor* extractor,
                          const OcrMatrix* projection, bool unitLength) {
    if (normaliser == nullptr || extractor == nullptr || !HasInk(ink, width, height)) {
        return nullptr;
    }
    OcrMatrixPtr image(CreateOcrMatrix(kOcrUInt8, height, width));
    if (!image) return nullptr;
    std::memcpy(image->data, ink, static_cast<size_t>(width) * static_cast<size_t>(height));
    OcrMatrixPtr normalised = normaliser->Normalize(image.get());
    if (!normalised) return nullptr;
    OcrMatrixPtr feature = extractor->Extract(normalised.get(), 0);
    if (!feature) return nullptr;
    ConvertOcrMatrixToDouble(feature);
    if (feature->type != kOcrDouble) return nullptr;
    if (projection != nullptr) {
        OcrMatrix* raw = feature.get();
        const int64_t count = OcrElementCount(raw);
        if (count <= 0 || count > INT32_MAX || !ReshapeOcrMatrix(&raw, static_cast<int>(count))) {
            return nullptr;
        }
        feature.reset(MultiplyOcrMatrix(projection, feature.get()));
        if (!feature) return nullptr;
    }
    if (unitLength && !NormalizeUnitLength(feature.get())) return nullptr;
    return feature;
}

}  // namespace orbisk
