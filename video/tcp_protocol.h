#pragma once

#include <QString>
#include <opencv2/core.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {
class CBasePR;
}
namespace orbisk::platform {
class MjpegDecoder;
}

// The picture server's wire format. A client message is a 4-byte length
// field (the body length in ASCII decimal, left-aligned, padded with zero
// bytes) and the body; a reply is a 12-byte length field of the same kind and
// the body. A body is a run of items: type and data length as 32-bit
// little-endian integers, then the data.
namespace orbisk::tcp {

inline constexpr size_t kRequestLengthField = 4;
inline constexpr size_t kReplyLengthField = 12;
// The largest reply bodies taken: a frame, and the answer to a command.
inline constexpr size_t kMaxFrameReply = 3'689'600;
inline constexpr size_t kMaxCommandReply = 1024;
// Size texts ("1920*1080") are at most this long.
inline constexpr size_t kMaxSizeText = 11;
// Decoded frames are at most this large.
inline constexpr int64_t kMaxFramePixels = 64'000'000;

// Item types.
inline constexpr int32_t kItemSizeList = 0;  // from the client: the size-list request
inline constexpr int32_t kItemSize = 0;      // from the server: one size text
inline constexpr int32_t kItemFrame = 1;     // a frame request, or a JPEG frame
inline constexpr int32_t kItemSetSize = 2;   // the size command

// The four data bytes of the items that carry none.
inline constexpr char kBlankData[] = "    ";

// The server mode codes; the client only passes them on.
bool IsModeCode(int code);
// "10", "11", "20" or "21"; one character c stands for "1" followed by c.
std::optional<int> ModeCode(const QString& text);

// Host and port of an address "host" or "host:port". The port is the digits
// after the first ':' (1-65535), `defaultPort` without one.
struct Address {
    std::string host;
    int port = 0;
};
std::optional<Address> ParseAddress(const QString& text, int defaultPort);
// The host part (before the first ':') of an address text.
std::string HostOf(const QString& text);

// A whole client message: the length field and a body of the command item
// (`type` with `data`) followed by the mode item. Empty when the body is too
// long for its length field.
std::vector<uint8_t> BuildRequest(int32_t type, const std::string& data, int32_t mode);
// The size command's text, "<width>*<height>".
std::string SizeText(int width, int height);

// The body length of a reply's length field: decimal digits from its start,
// then only zero bytes or blanks; nothing for any other field.
std::optional<int64_t> ParseReplyLength(const uint8_t* field, size_t length = kReplyLengthField);

// "<width>*<height>" with both at least 1; nothing for another text.
std::optional<cv::Size> ParseSizeText(const uint8_t* data, size_t length);

// The items of a reply body.
struct ReplyItems {
    std::vector<cv::Size> sizes;                    // the size texts, in order
    std::vector<std::pair<size_t, size_t>> frames;  // offset and length of each JPEG frame
    // False when the walk met an item that does not fit the body (a
    // negative length, or more data than is left: the walk stops there) or
    // a size text that is not one (left out). The other items are kept.
    bool wellFormed = true;
};
ReplyItems ParseReplyItems(const uint8_t* body, size_t length);

// Decodes a JPEG frame into `out` as the source keeps it: BGR, or one
// channel for grey data. False, with `out` emptied, for a frame that can't
// be decoded or is larger than `maxPixels`. `out`'s memory is reused while
// the size stays.
bool DecodeFrame(platform::MjpegDecoder& decoder, const uint8_t* data, size_t length, cv::Mat& out,
                 int64_t maxPixels = kMaxFramePixels);

// Hands a decoded frame to a frame store as 24-bit BGR rows, bottom-up: a
// grey frame becomes three equal channels first (the store reads whole
// 24-bit rows). The two buffers keep their memory between calls. False for an
// empty frame or a refusal of the store.
bool StoreFrame(const cv::Mat& frame, CBasePR& target, cv::Mat& greyAsBgr, cv::Mat& flipped);

// Little-endian 32-bit integers, byte by byte.
void PutInt32(std::vector<uint8_t>& out, int32_t value);
int32_t GetInt32(const uint8_t* data);

}  // namespace orbisk::tcp
