#pragma once

#include <memory>
#include <string>

#include "recognition/distance_measurer.h"
#include "recognition/feature_extractor.h"
#include "recognition/file_operator.h"
#include "recognition/image_normalizer.h"

namespace orbisk {

// The objects named by a template file's short keys (ASCII case ignored). Null when no rule
// matches the key, or when the key names an object with settings that cannot work.
std::unique_ptr<CFileOperator> CreateFileOperator(const std::string& key);
std::unique_ptr<CImageNormalizer> CreateImageNormalizer(const std::string& key);
std::unique_ptr<CFeatureExtractor> CreateFeatureExtractor(const std::string& key);
std::unique_ptr<CDistanceMeasurer> CreateDistanceMeasurer(const std::string& key);

}  // namespace orbisk
