#pragma once

#include <opencv2/core/mat.hpp>

#include "tools/ocr_train/camera_look.h"

namespace orbisk::ocrtrain {

// A patch of something that is not text, as the camera sees it: a picture, a texture, a
// screened print, shapes. The blobs the detector cuts from these train the template's
// background classes, which read alike in every turn and so keep pictures from deciding.
cv::Mat BackgroundScene(cv::Size size, SampleRandom& random);

}  // namespace orbisk::ocrtrain
