#include "video/tcp_protocol.h"

#include "platform/mjpeg_decoder.h"
#include "tests/support/case_name.h"
#include "tests/support/fake_picture_server.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

#include <climits>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {
namespace {

using test::ReplyBody;
using test::ReplyItem;

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    return std::vector<uint8_t>(values.begin(), values.end());
}

std::vector<uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// ---- What the client sends --------------------------------------------------

TEST(TcpProtocol, FrameRequestIsTwentyFourBytesAfterItsLengthField) {
    const std::vector<uint8_t> expected =
        Join({Text("24"), Bytes({0, 0}), Bytes({1, 0, 0, 0, 4, 0, 0, 0}), Text("    "),
              Bytes({10, 0, 0, 0, 4, 0, 0, 0}), Text("    ")});
    EXPECT_EQ(tcp::BuildRequest(tcp::kItemFrame, "    ", 10), expected);
}

TEST(TcpProtocol, SizeCommandCarriesItsTextAndTheMode) {
    EXPECT_EQ(tcp::SizeText(1280, 720), "1280*720");
    const std::vector<uint8_t> expected =
        Join({Text("28"), Bytes({0, 0}), Bytes({2, 0, 0, 0, 8, 0, 0, 0}), Text("1280*720"),
              Bytes({21, 0, 0, 0, 4, 0, 0, 0}), Text("    ")});
    EXPECT_EQ(tcp::BuildRequest(tcp::kItemSetSize, "1280*720", 21), expected);
}

TEST(TcpProtocol, LongestSizeTextFitsItsGrowableMessage) {
    // 21 bytes of text, which once overflowed a fixed 40-byte body.
    const std::string text = tcp::SizeText(INT_MAX, INT_MAX);
    ASSERT_EQ(text.size(), 21u);
    const std::vector<uint8_t> message = tcp::BuildRequest(tcp::kItemSetSize, text, 10);
    ASSERT_EQ(message.size(), 4u + 41u);
    EXPECT_EQ(test::Bytes({message.begin(), message.begin() + 4}), std::string("41\0\0", 4));
    EXPECT_EQ(test::Bytes({message.begin() + 12, message.begin() + 33}), text);
    // A body too long for four digits is not built at all.
    EXPECT_TRUE(tcp::BuildRequest(tcp::kItemSetSize, std::string(10000, 'x'), 10).empty());
}

TEST(TcpProtocol, IntegersAreLittleEndian) {
    std::vector<uint8_t> out;
    tcp::PutInt32(out, -2);
    tcp::PutInt32(out, 0x01020304);
    EXPECT_EQ(out, Bytes({0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1}));
    EXPECT_EQ(tcp::GetInt32(out.data()), -2);
    EXPECT_EQ(tcp::GetInt32(out.data() + 4), 0x01020304);
}

// ---- Mode and address texts ---------------------------------------------------

struct ModeCase {
    const char* text;
    std::optional<int> code;
};

class ModeTexts : public testing::TestWithParam<ModeCase> {};

TEST_P(ModeTexts, GiveTheirCode) {
    EXPECT_EQ(tcp::ModeCode(QString::fromLatin1(GetParam().text)), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(TcpProtocol, ModeTexts,
                         testing::Values(ModeCase{"0", 10}, ModeCase{"1", 11}, ModeCase{"10", 10},
                                         ModeCase{"11", 11}, ModeCase{"20", 20}, ModeCase{"21", 21},
                                         ModeCase{"d", std::nullopt}, ModeCase{"12", std::nullopt},
                                         ModeCase{"", std::nullopt}, ModeCase{"210", std::nullopt}),
                         [](const auto& info) {
                             return test::CaseName("text",
                                                   info.param.text[0] ? info.param.text : "empty");
                         });

struct AddressCase {
    const char* name;
    const char* text;
    std::optional<int> port;  // none: refused
    const char* host;
};

class AddressTexts : public testing::TestWithParam<AddressCase> {};

TEST_P(AddressTexts, GiveHostAndPort) {
    const AddressCase& c = GetParam();
    const std::optional<tcp::Address> a = tcp::ParseAddress(QString::fromLatin1(c.text), 6000);
    ASSERT_EQ(a.has_value(), c.port.has_value());
    if (a) {
        EXPECT_EQ(a->port, *c.port);
        EXPECT_EQ(a->host, c.host);
    }
    EXPECT_EQ(tcp::HostOf(QString::fromLatin1(c.text)), c.host);
}

INSTANTIATE_TEST_SUITE_P(
    TcpProtocol, AddressTexts,
    testing::Values(AddressCase{"WithPort", "127.0.0.1:7000", 7000, "127.0.0.1"},
                    AddressCase{"WithoutPort", "127.0.0.1", 6000, "127.0.0.1"},
                    AddressCase{"OnlyPort", ":7000", 7000, ""},
                    AddressCase{"HighestPort", "10.0.0.1:65535", 65535, "10.0.0.1"},
                    AddressCase{"PortZero", "10.0.0.1:0", std::nullopt, "10.0.0.1"},
                    AddressCase{"PortTooHigh", "10.0.0.1:65536", std::nullopt, "10.0.0.1"},
                    AddressCase{"PortWithLetters", "10.0.0.1:70x", std::nullopt, "10.0.0.1"},
                    AddressCase{"NegativePort", "10.0.0.1:-1", std::nullopt, "10.0.0.1"},
                    AddressCase{"EmptyPort", "10.0.0.1:", std::nullopt, "10.0.0.1"},
                    AddressCase{"HugePort", "10.0.0.1:99999999999999999999", std::nullopt,
                                "10.0.0.1"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- What the server sends ------------------------------------------------

struct LengthCase {
    const char* name;
    std::string field;
    std::optional<int64_t> length;
};

class ReplyLengths : public testing::TestWithParam<LengthCase> {};

TEST_P(ReplyLengths, AreDigitsPaddedWithZerosOrBlanks) {
    std::string field = GetParam().field;
    field.resize(12, '\0');
    EXPECT_EQ(tcp::ParseReplyLength(reinterpret_cast<const uint8_t*>(field.data())),
              GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(TcpProtocol, ReplyLengths,
                         testing::Values(LengthCase{"Plain", "24", 24}, LengthCase{"Zero", "0", 0},
                                         LengthCase{"BlankPadded", "24          ", 24},
                                         LengthCase{"TwelveDigits", "999999999999", 999999999999},
                                         LengthCase{"Empty", "", std::nullopt},
                                         LengthCase{"Negative", "-5", std::nullopt},
                                         LengthCase{"LeadingBlank", " 5", std::nullopt},
                                         LengthCase{"Plus", "+5", std::nullopt},
                                         LengthCase{"TrailingLetters", "12abc", std::nullopt},
                                         LengthCase{"DigitsAfterAZero",
                                                    std::string("1\0"
                                                                "2",
                                                                3),
                                                    std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ReplyCase {
    const char* name;
    std::vector<uint8_t> body;
    std::vector<cv::Size> sizes;
    size_t frames;
    bool wellFormed;
};

std::vector<uint8_t> Truncated(std::vector<uint8_t> body, size_t cut) {
    body.resize(body.size() - cut);
    return body;
}

std::vector<uint8_t> WithLength(int32_t type, int32_t length, const std::string& data) {
    std::vector<uint8_t> body;
    tcp::PutInt32(body, type);
    tcp::PutInt32(body, length);
    body.insert(body.end(), data.begin(), data.end());
    return body;
}

const std::vector<uint8_t> kTwoSizes =
    ReplyBody({ReplyItem{0, "1920*1080"}, ReplyItem{0, "640*480"}});

class ReplyBodies : public testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyBodies, GiveTheirItemsOrStopCleanly) {
    const ReplyCase& c = GetParam();
    const tcp::ReplyItems items = tcp::ParseReplyItems(c.body.data(), c.body.size());
    EXPECT_EQ(items.sizes, c.sizes);
    EXPECT_EQ(items.frames.size(), c.frames);
    EXPECT_EQ(items.wellFormed, c.wellFormed);
    for (const auto& [offset, length] : items.frames) {
        EXPECT_LE(offset + length, c.body.size());
    }
}

INSTANTIATE_TEST_SUITE_P(
    TcpProtocol, ReplyBodies,
    testing::Values(
        ReplyCase{"TwoSizes", kTwoSizes, {{1920, 1080}, {640, 480}}, 0, true},
        ReplyCase{"Empty", {}, {}, 0, true},
        ReplyCase{"UnknownTypeSkipped",
                  ReplyBody({ReplyItem{7, "whatever"}, ReplyItem{0, "800*600"}, ReplyItem{-3, ""}}),
                  {{800, 600}},
                  0,
                  true},
        ReplyCase{"SizeWithTerminator",
                  ReplyBody({ReplyItem{0, std::string("800*600\0", 8)}}),
                  {{800, 600}},
                  0,
                  true},
        ReplyCase{"FrameAndSize",
                  ReplyBody({ReplyItem{1, "jpegdata"}, ReplyItem{0, "320*240"}}),
                  {{320, 240}},
                  1,
                  true},
        ReplyCase{"TruncatedItemHeader",
                  Join({kTwoSizes, Bytes({1, 0, 0})}),
                  {{1920, 1080}, {640, 480}},
                  0,
                  false},
        ReplyCase{"ItemLongerThanTheBody", Truncated(kTwoSizes, 1), {{1920, 1080}}, 0, false},
        ReplyCase{"HugeItemLength", WithLength(1, INT32_MAX, "abc"), {}, 0, false},
        ReplyCase{"NegativeItemLength", Join({WithLength(0, -8, ""), kTwoSizes}), {}, 0, false},
        ReplyCase{"LongSizeText",
                  ReplyBody({ReplyItem{0, "123456*123456"}, ReplyItem{0, "1*1"}}),
                  {{1, 1}},
                  0,
                  false},
        ReplyCase{"SizeWithoutStar", ReplyBody({ReplyItem{0, "640x480"}}), {}, 0, false},
        ReplyCase{"ZeroSize", ReplyBody({ReplyItem{0, "0*480"}}), {}, 0, false},
        ReplyCase{"SignedSize", ReplyBody({ReplyItem{0, "-640*480"}}), {}, 0, false},
        ReplyCase{"SizeBeyondInt", ReplyBody({ReplyItem{0, "9999999999*1"}}), {}, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Frames ---------------------------------------------------------------

TEST(TcpProtocol, FramesDecodeToBgrOrGreyWithinThePixelCap) {
    cv::Mat colour(48, 64, CV_8UC3, cv::Scalar(10, 120, 240));
    cv::Mat grey(48, 64, CV_8UC1, cv::Scalar(77));
    std::vector<uint8_t> colourJpeg, greyJpeg;
    ASSERT_TRUE(cv::imencode(".jpg", colour, colourJpeg));
    ASSERT_TRUE(cv::imencode(".jpg", grey, greyJpeg));
    platform::MjpegDecoder decoder;
    cv::Mat out;
    ASSERT_TRUE(tcp::DecodeFrame(decoder, colourJpeg.data(), colourJpeg.size(), out));
    EXPECT_EQ(out.type(), CV_8UC3);
    EXPECT_EQ(out.size(), cv::Size(64, 48));
    EXPECT_LE(cv::norm(out.at<cv::Vec3b>(20, 30), cv::Vec3b(10, 120, 240), cv::NORM_INF), 3);
    ASSERT_TRUE(tcp::DecodeFrame(decoder, greyJpeg.data(), greyJpeg.size(), out));
    EXPECT_EQ(out.type(), CV_8UC1);
    EXPECT_NEAR(out.at<uchar>(20, 30), 77, 2);
    // One pixel over the cap: refused before anything is allocated.
    EXPECT_FALSE(tcp::DecodeFrame(decoder, colourJpeg.data(), colourJpeg.size(), out, 64 * 48 - 1));
    EXPECT_TRUE(out.empty());
    const std::vector<uint8_t> cut(colourJpeg.begin(), colourJpeg.begin() + colourJpeg.size() / 2);
    EXPECT_FALSE(tcp::DecodeFrame(decoder, cut.data(), cut.size(), out));
    EXPECT_FALSE(tcp::DecodeFrame(decoder, nullptr, 0, out));
}

TEST(TcpProtocol, FrameClaimingAHugePictureIsRefusedBeforeAnyAllocation) {
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(cv::imencode(".jpg", cv::Mat(8, 8, CV_8UC3, cv::Scalar::all(90)), jpeg));
    // The frame header (SOF0, FF C0) gives height and width after its length
    // and precision: make them 60000 x 60000, 3.6 gigapixels.
    size_t sof = 0;
    while (sof + 1 < jpeg.size() && !(jpeg[sof] == 0xFF && jpeg[sof + 1] == 0xC0)) ++sof;
    ASSERT_LT(sof + 9, jpeg.size());
    for (size_t at : {sof + 5, sof + 7}) {
        jpeg[at] = 60000 >> 8;
        jpeg[at + 1] = 60000 & 0xFF;
    }
    platform::MjpegDecoder decoder;
    cv::Mat out;
    EXPECT_FALSE(tcp::DecodeFrame(decoder, jpeg.data(), jpeg.size(), out));
    EXPECT_TRUE(out.empty());
    EXPECT_NE(std::string(decoder.Problem()).find("refused"), std::string::npos)
        << decoder.Problem();
}

}  // namespace
}  // namespace orbisk
