#include "platform/jpeg_scan_limit.h"

#include <jerror.h>

namespace orbisk::platform {
namespace {

// Called by libjpeg while it reads the input, at least once per scan.
void CheckScanCount(j_common_ptr common) {
    auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    if (common->is_decompressor && ExceededJpegScanLimit(*cinfo)) {
        common->err->msg_code = JERR_BAD_SCAN_SCRIPT;
        common->err->msg_parm.i[0] = cinfo->input_scan_number;
        (*common->err->error_exit)(common);
    }
}

}  // namespace

void LimitJpegScans(jpeg_decompress_struct& cinfo, jpeg_progress_mgr& monitor) {
    monitor = {};
    monitor.progress_monitor = CheckScanCount;
    cinfo.progress = &monitor;
}

bool ExceededJpegScanLimit(const jpeg_decompress_struct& cinfo) {
    return cinfo.input_scan_number > kMaxJpegScans;
}

}  // namespace orbisk::platform
