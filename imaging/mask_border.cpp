#include "imaging/mask_border.h"

namespace orbisk {

void ZeroMaskBorder(cv::Mat& mask) {
    if (mask.empty()) return;
    mask.row(0).setTo(0);
    mask.row(mask.rows - 1).setTo(0);
    mask.col(0).setTo(0);
    mask.col(mask.cols - 1).setTo(0);
}

}  // namespace orbisk
