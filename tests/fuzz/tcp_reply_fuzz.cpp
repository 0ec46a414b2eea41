// Replies of the TCP picture server as they come off the wire: the 12-byte
// length field, then the body (a short input is a body cut short). The
// frames of the reply are decoded and handed to a frame store, as the
// source does.

#include "platform/mjpeg_decoder.h"
#include "tests/fuzz/fuzz_support.h"
#include "video/frame_store.h"
#include "video/tcp_protocol.h"

#include <algorithm>
#include <vector>

using namespace orbisk;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::SilenceLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < tcp::kReplyLengthField) {
        return 0;
    }
    const std::optional<int64_t> length = tcp::ParseReplyLength(data);
    if (!length) {
        return 0;
    }
    if (*length < 0) {
        fuzz::Fail("negative reply length");
    }
    // The source drops a connection whose reply is longer than its buffer.
    if (*length > static_cast<int64_t>(tcp::kMaxFrameReply)) {
        return 0;
    }
    const size_t available = size - tcp::kReplyLengthField;
    const size_t n = std::min(static_cast<size_t>(*length), available);
    // A buffer of the body's own size, so that reading past it is seen.
    const std::vector<uint8_t> body(data + tcp::kReplyLengthField,
                                    data + tcp::kReplyLengthField + n);
    const tcp::ReplyItems items = tcp::ParseReplyItems(body.data(), body.size());
    for (const cv::Size& s : items.sizes) {
        if (s.width < 1 || s.height < 1) {
            fuzz::Fail("size that is not positive");
        }
    }
    // Kept small, so one input stays well inside the time limit under the
    // sanitizers; the cap is the same code at any value.
    constexpr int64_t kCap = 1024 * 1024;
    platform::MjpegDecoder decoder;
    cv::Mat frame, grey, flipped;
    CDPrgb24 store;
    for (const auto& [offset, count] : items.frames) {
        if (offset > body.size() || count > body.size() - offset) {
            fuzz::Fail("frame item beyond the body");
        }
        const std::vector<uint8_t> jpeg(body.begin() + static_cast<std::ptrdiff_t>(offset),
                                        body.begin() + static_cast<std::ptrdiff_t>(offset + count));
        if (!tcp::DecodeFrame(decoder, jpeg.data(), jpeg.size(), frame, kCap)) {
            continue;
        }
        if (static_cast<int64_t>(frame.total()) > kCap ||
            (frame.type() != CV_8UC1 && frame.type() != CV_8UC3)) {
            fuzz::Fail("decoded frame beyond the cap or of another type");
        }
        if (!tcp::StoreFrame(frame, store, grey, flipped)) {
            fuzz::Fail("decoded frame refused by the store");
        }
        int w = 0, h = 0;
        if (!store.GetSize(w, h) || w != frame.cols || h != frame.rows) {
            fuzz::Fail("store of another size");
        }
    }
    return 0;
}
