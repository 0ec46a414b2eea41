#include "platform/mjpeg_decoder.h"

#include "platform/jpeg_decode_limits.h"

// jpeglib.h needs FILE and size_t declared first.
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>

namespace orbisk::platform {

// libjpeg reports fatal errors by a longjmp back here. It must not cross a
// frame with live destructors, so the recovery points are plain functions
// that hold only plain data.
struct MjpegDecoder::State {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr mgr{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump;
    char problem[JMSG_LENGTH_MAX] = "";
};

namespace {

using State = MjpegDecoder::State;

State& StateOf(j_common_ptr cinfo) { return *static_cast<State*>(cinfo->client_data); }

bool Damaged(const State& s) { return s.mgr.num_warnings > 0; }

void OnError(j_common_ptr cinfo) {
    State& s = StateOf(cinfo);
    // A stop for a counted warning keeps that warning's text.
    if (!Damaged(s)) {
        if (ExceededJpegScanLimit(s.cinfo)) {
            std::snprintf(s.problem, sizeof(s.problem), "more than %d scans", kMaxJpegScans);
        } else {
            (*cinfo->err->format_message)(cinfo, s.problem);
        }
    }
    std::longjmp(s.jump, 1);
}

// Warnings are not printed. Where libjpeg papers over damaged data (a stream
// cut short, a bad code, a lost restart marker) the picture has grey or
// smeared parts, so the warning is counted and the frame dropped. Extra bytes
// before a marker are common with webcams and leave the picture whole; an
// unknown JFIF revision says nothing about the data.
void OnMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) {
        return;  // trace messages
    }
    const int code = cinfo->err->msg_code;
    State& s = StateOf(cinfo);
    if (code == JWRN_EXTRANEOUS_DATA || code == JWRN_JFIF_MAJOR) {
        return;
    }
    if (!Damaged(s)) {
        (*cinfo->err->format_message)(cinfo, s.problem);
    }
    ++cinfo->err->num_warnings;
}

// Reads the headers; false for a frame without a picture or a damaged one.
bool ReadHeader(State& s, const uint8_t* data, size_t length) {
    jpeg_decompress_struct& cinfo = s.cinfo;
    if (setjmp(s.jump)) {
        jpeg_abort_decompress(&cinfo);
        return false;
    }
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(length));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK || Damaged(s)) {
        if (!Damaged(s)) {
            std::snprintf(s.problem, sizeof(s.problem), "no picture in the frame");
        }
        jpeg_abort_decompress(&cinfo);
        return false;
    }
    return true;
}

// The start of every decode: the last frame's problem forgotten, the start
// marker checked and the headers read.
bool StartDecode(State& s, const uint8_t* data, size_t length) {
    s.mgr.num_warnings = 0;
    s.problem[0] = '\0';
    // A JPEG picture is at least its start marker, headers and end marker.
    if (data == nullptr || length < 4 || data[0] != 0xFF || data[1] != 0xD8) {
        std::snprintf(s.problem, sizeof(s.problem), "not a JPEG picture");
        return false;
    }
    return ReadHeader(s, data, length);
}

// Decodes the picture whose header has been read into `out`, which has its
// size and channels (1 grey, 3 BGR) already. Ends the decompression either
// way.
bool DecodeRows(State& s, cv::Mat& out) {
    jpeg_decompress_struct& cinfo = s.cinfo;
    if (setjmp(s.jump)) {
        jpeg_abort_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = out.channels() == 1 ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != out.channels() ||
        static_cast<int>(cinfo.output_width) != out.cols ||
        static_cast<int>(cinfo.output_height) != out.rows || Damaged(s)) {
        if (!Damaged(s)) {
            std::snprintf(s.problem, sizeof(s.problem), "unexpected output format");
        }
        jpeg_abort_decompress(&cinfo);
        return false;
    }
    // Several rows per call lets libjpeg hand over whole MCU rows.
    JSAMPROW rows[16];
    while (cinfo.output_scanline < cinfo.output_height) {
        const int first = static_cast<int>(cinfo.output_scanline);
        const int count = std::min(16, out.rows - first);
        for (int i = 0; i < count; ++i) {
            rows[i] = out.ptr(first + i);
        }
        if (jpeg_read_scanlines(&cinfo, rows, static_cast<JDIMENSION>(count)) == 0 || Damaged(s)) {
            break;
        }
    }
    if (Damaged(s) || cinfo.output_scanline < cinfo.output_height) {
        if (!Damaged(s)) {
            std::snprintf(s.problem, sizeof(s.problem), "picture ends early");
        }
        jpeg_abort_decompress(&cinfo);
        return false;
    }
    jpeg_finish_decompress(&cinfo);
    return !Damaged(s);
}

}  // namespace

MjpegDecoder::MjpegDecoder() : state_(std::make_unique<State>()) {
    state_->cinfo.err = jpeg_std_error(&state_->mgr);
    state_->mgr.error_exit = OnError;
    state_->mgr.emit_message = OnMessage;
    state_->cinfo.client_data = state_.get();
    jpeg_create_decompress(&state_->cinfo);
    LimitJpegDecoding(state_->cinfo, state_->progress);
}

MjpegDecoder::~MjpegDecoder() { jpeg_destroy_decompress(&state_->cinfo); }

const char* MjpegDecoder::Problem() const { return state_->problem; }

bool MjpegDecoder::Decode(const uint8_t* data, size_t length, int width, int height,
                          cv::Mat& out) noexcept {
    State& s = *state_;
    if (!StartDecode(s, data, length)) return false;
    // The header alone decides the allocation: only the stream's size is
    // taken, whatever a damaged or hostile frame claims.
    if (static_cast<long long>(s.cinfo.image_width) != width ||
        static_cast<long long>(s.cinfo.image_height) != height) {
        std::snprintf(s.problem, sizeof(s.problem), "picture of %u x %u in a %d x %d stream",
                      s.cinfo.image_width, s.cinfo.image_height, width, height);
        jpeg_abort_decompress(&s.cinfo);
        return false;
    }
    try {
        out.create(height, width, CV_8UC3);  // no allocation while the size stays
    } catch (...) {
        std::snprintf(s.problem, sizeof(s.problem), "no memory for a %d x %d picture", width,
                      height);
        jpeg_abort_decompress(&s.cinfo);
        return false;
    }
    return DecodeRows(s, out);
}

bool MjpegDecoder::DecodeAnySize(const uint8_t* data, size_t length, int64_t maxPixels,
                                 cv::Mat& out) noexcept {
    State& s = *state_;
    if (!StartDecode(s, data, length)) return false;
    const int64_t width = s.cinfo.image_width;
    const int64_t height = s.cinfo.image_height;
    int channels = 0;
    switch (s.cinfo.jpeg_color_space) {
        case JCS_GRAYSCALE:
            channels = 1;
            break;
        case JCS_RGB:
        case JCS_YCbCr:
            channels = 3;
            break;
        default:
            break;  // CMYK, YCCK and unknown ones
    }
    // The header alone decides the allocation, so it is bounded first.
    if (channels == 0 || width < 1 || height < 1 || width > maxPixels / height) {
        std::snprintf(s.problem, sizeof(s.problem), "picture of %u x %u, %d components refused",
                      s.cinfo.image_width, s.cinfo.image_height, s.cinfo.num_components);
        jpeg_abort_decompress(&s.cinfo);
        return false;
    }
    try {
        out.create(static_cast<int>(height), static_cast<int>(width), CV_8UC(channels));
    } catch (...) {
        std::snprintf(s.problem, sizeof(s.problem), "no memory for a %lld x %lld picture",
                      static_cast<long long>(width), static_cast<long long>(height));
        jpeg_abort_decompress(&s.cinfo);
        return false;
    }
    return DecodeRows(s, out);
}

}  // namespace orbisk::platform
