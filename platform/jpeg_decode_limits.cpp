#include "platform/jpeg_decode_limits.h"

#include <jerror.h>

namespace orbisk::platform {
namespace {

// Called by libjpeg while it reads the input, once per row of blocks.
void CheckProgress(j_common_ptr common) {
    if (!common->is_decompressor) {
        return;
    }
    auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    if (ExceededJpegScanLimit(*cinfo)) {
        common->err->msg_code = JERR_BAD_SCAN_SCRIPT;
        common->err->msg_parm.i[0] = cinfo->input_scan_number;
        (*common->err->error_exit)(common);
    }
    if (common->err->num_warnings > 0) {
        common->err->msg_code = JERR_INPUT_EOF;
        (*common->err->error_exit)(common);
    }
}

}  // namespace

void LimitJpegDecoding(jpeg_decompress_struct& cinfo, jpeg_progress_mgr& monitor) {
    monitor = {};
    monitor.progress_monitor = CheckProgress;
    cinfo.progress = &monitor;
}

bool ExceededJpegScanLimit(const jpeg_decompress_struct& cinfo) {
    return cinfo.input_scan_number > kMaxJpegScans;
}

}  // namespace orbisk::platform
