#pragma once

// jpeglib.h needs FILE and size_t declared first.
#include <cstdio>

#include <jpeglib.h>

namespace orbisk::platform {

// A progressive JPEG may have any number of scans, and each one walks the
// whole picture again: a small file of a thousand scans keeps the decoder
// busy for seconds. Encoders write a dozen at most; more is refused.
inline constexpr int kMaxJpegScans = 100;

// Makes `cinfo` stop, through its error manager's error_exit, once the input
// has more than kMaxJpegScans scans, or once a warning has been counted in
// err->num_warnings: a picture whose data is damaged or has run out is
// refused anyway, and reading the rest of a huge one would take seconds.
// `monitor` must live as long as the decompressor uses it.
void LimitJpegDecoding(jpeg_decompress_struct& cinfo, jpeg_progress_mgr& monitor);
bool ExceededJpegScanLimit(const jpeg_decompress_struct& cinfo);

}  // namespace orbisk::platform
