#include "tests/support/progressive_jpeg.h"

// jpeglib.h needs FILE and size_t declared first.
#include <cstdio>

#include <jpeglib.h>

#include <cstdlib>

namespace orbisk::test {

std::vector<uint8_t> EncodeProgressiveJpeg(const cv::Mat& picture, int scans) {
    const int components = picture.channels();
    std::vector<jpeg_scan_info> script;
    if (scans >= 1) {
        jpeg_scan_info dc{};
        dc.comps_in_scan = components;
        for (int c = 0; c < components; ++c) dc.component_index[c] = c;
        script.push_back(dc);
    }
    // Each coefficient of each component: a first scan at bit 10, then
    // refinements down to bit 0.
    for (int c = 0; c < components; ++c) {
        for (int k = 1; k <= 63; ++k) {
            for (int al = 10; al >= 0; --al) {
                if (static_cast<int>(script.size()) >= scans) break;
                jpeg_scan_info ac{};
                ac.comps_in_scan = 1;
                ac.component_index[0] = c;
                ac.Ss = k;
                ac.Se = k;
                ac.Ah = al == 10 ? 0 : al + 1;
                ac.Al = al;
                script.push_back(ac);
            }
        }
    }
    if (scans < 1 || static_cast<int>(script.size()) != scans || picture.depth() != CV_8U ||
        (components != 1 && components != 3)) {
        return {};
    }

    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);  // a test helper may abort on misuse
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(picture.cols);
    cinfo.image_height = static_cast<JDIMENSION>(picture.rows);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    cinfo.optimize_coding = TRUE;
    cinfo.scan_info = script.data();
    cinfo.num_scans = scans;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.ptr(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

}  // namespace orbisk::test
