#include "platform/mjpeg_decoder.h"

// jpeglib.h needs FILE and size_t declared first.
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>

namespace orbisk::platform {

struct MjpegDecoder::State {
    jpeg_decompress_struct cinfo{};
    struct Error {
        jpeg_error_mgr mgr{};
        std::jmp_buf jump;
        bool truncated = false;
    } error;
};

namespace {

void OnError(j_common_ptr cinfo) {
    auto* e = reinterpret_cast<MjpegDecoder::State*>(cinfo->client_data);
    std::longjmp(e->error.jump, 1);
}

// Warnings are not printed. A stream that ends early is decoded as grey by
// libjpeg; such a frame counts as corrupt. Other warnings (extra bytes
// before a marker, common with webcams) leave a usable picture.
void OnMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) {
        reinterpret_cast<MjpegDecoder::State*>(cinfo->client_data)->error.truncated = true;
    }
}

}  // namespace

MjpegDecoder::MjpegDecoder() : state_(std::make_unique<State>()) {
    state_->cinfo.err = jpeg_std_error(&state_->error.mgr);
    state_->error.mgr.error_exit = OnError;
    state_->error.mgr.emit_message = OnMessage;
    state_->cinfo.client_data = state_.get();
    jpeg_create_decompress(&state_->cinfo);
}

MjpegDecoder::~MjpegDecoder() { jpeg_destroy_decompress(&state_->cinfo); }

bool MjpegDecoder::Decode(const uint8_t* data, size_t length, cv::Mat& out) {
    // A JPEG picture is at least its start marker, headers and end marker.
    if (data == nullptr || length < 4 || data[0] != 0xFF || data[1] != 0xD8) {
        return false;
    }
    jpeg_decompress_struct& cinfo = state_->cinfo;
    state_->error.truncated = false;
    if (setjmp(state_->error.jump)) {
        jpeg_abort_decompress(&cinfo);
        return false;
    }
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(length));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        jpeg_abort_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    const int w = static_cast<int>(cinfo.output_width);
    const int h = static_cast<int>(cinfo.output_height);
    if (cinfo.output_components != 3 || w <= 0 || h <= 0) {
        jpeg_abort_decompress(&cinfo);
        return false;
    }
    out.create(h, w, CV_8UC3);  // no allocation while the size stays
    // Several rows per call lets libjpeg hand over whole MCU rows.
    JSAMPROW rows[16];
    while (cinfo.output_scanline < cinfo.output_height) {
        const int first = static_cast<int>(cinfo.output_scanline);
        const int count = std::min(16, h - first);
        for (int i = 0; i < count; ++i) {
            rows[i] = out.ptr(first + i);
        }
        if (jpeg_read_scanlines(&cinfo, rows, static_cast<JDIMENSION>(count)) == 0) {
            break;
        }
    }
    jpeg_finish_decompress(&cinfo);
    return !state_->error.truncated;
}

}  // namespace orbisk::platform
