#include "recognition/factories.h"

#include "recognition/ascii_key.h"

namespace orbisk {

std::unique_ptr<CFileOperator> CreateFileOperator(const std::string& key) {
    if (EqualsIgnoreCaseAscii(key, "Cmm")) return std::make_unique<CCmmFileOperatorImp>();
    return nullptr;
}

std::unique_ptr<CImageNormalizer> CreateImageNormalizer(const std::string& key) {
    if (StartsWithIgnoreCaseAscii(key, "LN")) return std::make_unique<CLinearNormalizerImp>();
    if (StartsWithIgnoreCaseAscii(key, "BI")) return std::make_unique<CBiMomentNormalizerImp>();
    if (StartsWithIgnoreCaseAscii(key, "B2")) return std::make_unique<CB2MomentNormalizerImp>();
    return nullptr;
}

std::unique_ptr<CFeatureExtractor> CreateFeatureExtractor(const std::string& key) {
    if (EqualsIgnoreCaseAscii(key, "None")) return std::make_unique<CFeatureExtractor>();
    if (StartsWithIgnoreCaseAscii(key, "HVH")) {
        return std::make_unique<CHVHistogramsFeatureExtractorImp>(key);
    }
    if (StartsWithIgnoreCaseAscii(key, "CCF")) {
        return std::make_unique<CCICLPFFeatureExtractorImp>();
    }
    if (StartsWithIgnoreCaseAscii(key, "PPF")) {
        return std::make_unique<CPeripheralFeatureExtractorImp>();
    }
    if (StartsWithIgnoreCaseAscii(key, "GBF")) {
        auto e = std::make_unique<CGaborBFeatureExtractorImp>(key);
        if (!e->IsValid()) return nullptr;
        return e;
    }
    if (StartsWithIgnoreCaseAscii(key, "StrokePos")) {
        return std::make_unique<CStrokePosFeatureExtractorImp>();
    }
    if (EqualsIgnoreCaseAscii(key, "CrossLine")) {
        return std::make_unique<CCrossLineFeatureExtractor>();
    }
    if (StartsWithIgnoreCaseAscii(key, "GAB")) {
        auto e = std::make_unique<CGaborMagFeatureExtractorImp>(key);
        if (!e->IsValid()) return nullptr;
        return e;
    }
    if (StartsWithIgnoreCaseAscii(key, "GRA")) {
        return std::make_unique<CGradientFeatureExtractorImp>();
    }
    return nullptr;
}

std::unique_ptr<CDistanceMeasurer> CreateDistanceMeasurer(const std::string& key) {
    if (EqualsIgnoreCaseAscii(key, "City")) return std::make_unique<CCityDistanceMeasurerImp>();
    if (EqualsIgnoreCaseAscii(key, "L2")) return std::make_unique<CL2DistanceMeasurerImp>();
    if (EqualsIgnoreCaseAscii(key, "Cos")) return std::make_unique<CCosineDistanceMeasurerImp>();
    return nullptr;
}

}  // namespace orbisk
