#include "video/tcp_protocol.h"

#include "platform/mjpeg_decoder.h"
#include "video/frame_store.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

namespace orbisk::tcp {
namespace {

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// A run of decimal digits of at most `maxDigits`, as a number; nothing for
// an empty run, another character or too many digits.
std::optional<int64_t> Digits(const uint8_t* data, size_t length, size_t maxDigits) {
    if (length == 0 || length > maxDigits) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (size_t i = 0; i < length; ++i) {
        if (!IsDigit(data[i])) {
            return std::nullopt;
        }
        value = value * 10 + (data[i] - '0');
    }
    return value;
}

}  // namespace

bool IsModeCode(int code) { return code == 10 || code == 11 || code == 20 || code == 21; }

std::optional<int> ModeCode(const QString& text) {
    const QString code = text.size() == 1 ? QStringLiteral("1") + text : text;
    if (code.size() != 2 || !code[0].isDigit() || !code[1].isDigit()) {
        return std::nullopt;
    }
    const int value = (code[0].unicode() - '0') * 10 + (code[1].unicode() - '0');
    return IsModeCode(value) ? std::optional<int>(value) : std::nullopt;
}

std::string HostOf(const QString& text) {
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    return (colon < 0 ? text : text.left(colon)).toStdString();
}

std::optional<Address> ParseAddress(const QString& text, int defaultPort) {
    Address address{HostOf(text), defaultPort};
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        const std::string port = text.mid(colon + 1).toStdString();
        const std::optional<int64_t> value =
            Digits(reinterpret_cast<const uint8_t*>(port.data()), port.size(), 5);
        if (!value) {
            return std::nullopt;
        }
        address.port = static_cast<int>(*value);
    }
    if (address.port < 1 || address.port > 65535) {
        return std::nullopt;
    }
    return address;
}

void PutInt32(std::vector<uint8_t>& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>((bits >> shift) & 0xFF));
    }
}

int32_t GetInt32(const uint8_t* data) {
    const uint32_t bits = static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
                          (static_cast<uint32_t>(data[2]) << 16) |
                          (static_cast<uint32_t>(data[3]) << 24);
    return static_cast<int32_t>(bits);
}

std::string SizeText(int width, int height) {
    return std::to_string(width) + "*" + std::to_string(height);
}

std::vector<uint8_t> BuildRequest(int32_t type, const std::string& data, int32_t mode) {
    std::vector<uint8_t> body;
    body.reserve(data.size() + 20);
    PutInt32(body, type);
    PutInt32(body, static_cast<int32_t>(data.size()));
    body.insert(body.end(), data.begin(), data.end());
    PutInt32(body, mode);
    PutInt32(body, 4);
    body.insert(body.end(), kBlankData, kBlankData + 4);
    const std::string length = std::to_string(body.size());
    if (length.size() > kRequestLengthField) {
        return {};
    }
    std::vector<uint8_t> message(kRequestLengthField, 0);
    std::copy(length.begin(), length.end(), message.begin());
    message.insert(message.end(), body.begin(), body.end());
    return message;
}

std::optional<int64_t> ParseReplyLength(const uint8_t* field, size_t length) {
    if (field == nullptr) {
        return std::nullopt;
    }
    size_t digits = 0;
    while (digits < length && IsDigit(field[digits])) {
        ++digits;
    }
    for (size_t i = digits; i < length; ++i) {
        if (field[i] != 0 && field[i] != ' ') {
            return std::nullopt;
        }
    }
    // Twelve digits at most: the number fits in 64 bits.
    return Digits(field, digits, kReplyLengthField);
}

std::optional<cv::Size> ParseSizeText(const uint8_t* data, size_t length) {
    if (data == nullptr || length > kMaxSizeText) {
        return std::nullopt;
    }
    // A terminator sent with the text ends it.
    while (length > 0 && data[length - 1] == 0) {
        --length;
    }
    size_t star = 0;
    while (star < length && data[star] != '*') {
        ++star;
    }
    if (star == length) {
        return std::nullopt;
    }
    const std::optional<int64_t> width = Digits(data, star, kMaxSizeText);
    const std::optional<int64_t> height = Digits(data + star + 1, length - star - 1, kMaxSizeText);
    if (!width || !height || *width < 1 || *height < 1) {
        return std::nullopt;
    }
    // At most ten digits between them: both fit an int only below 2^31.
    if (*width > INT32_MAX || *height > INT32_MAX) {
        return std::nullopt;
    }
    return cv::Size(static_cast<int>(*width), static_cast<int>(*height));
}

ReplyItems ParseReplyItems(const uint8_t* body, size_t length) {
    ReplyItems items;
    if (body == nullptr) {
        items.wellFormed = length == 0;
        return items;
    }
    size_t offset = 0;
    while (offset < length) {
        const size_t left = length - offset;
        if (left < 8) {
            items.wellFormed = false;
            break;
        }
        const int32_t type = GetInt32(body + offset);
        const int32_t n = GetInt32(body + offset + 4);
        if (n < 0 || static_cast<size_t>(n) > left - 8) {
            items.wellFormed = false;
            break;
        }
        const size_t data = offset + 8;
        if (type == kItemSize) {
            if (const std::optional<cv::Size> size = ParseSizeText(body + data, n)) {
                items.sizes.push_back(*size);
            } else {
                items.wellFormed = false;
            }
        } else if (type == kItemFrame) {
            items.frames.emplace_back(data, static_cast<size_t>(n));
        }
        offset = data + static_cast<size_t>(n);
    }
    return items;
}

bool DecodeFrame(platform::MjpegDecoder& decoder, const uint8_t* data, size_t length, cv::Mat& out,
                 int64_t maxPixels) {
    if (!decoder.DecodeAnySize(data, length, maxPixels, out)) {
        out.release();
        return false;
    }
    return true;
}

bool StoreFrame(const cv::Mat& frame, CBasePR& target, cv::Mat& greyAsBgr, cv::Mat& flipped) {
    if (frame.empty() || frame.depth() != CV_8U ||
        (frame.channels() != 1 && frame.channels() != 3)) {
        return false;
    }
    const cv::Mat* bgr = &frame;
    if (frame.channels() == 1) {
        cv::cvtColor(frame, greyAsBgr, cv::COLOR_GRAY2BGR);
        bgr = &greyAsBgr;
    }
    cv::flip(*bgr, flipped, 0);
    return target.SetData(flipped.data, flipped.cols, flipped.rows, 0);
}

}  // namespace orbisk::tcp
