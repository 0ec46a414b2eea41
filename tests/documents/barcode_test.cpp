#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "documents/barcode_reader.h"
#include "documents/barcode_text.h"
#include "tests/support/barcode_symbols.h"

namespace orbisk {
namespace {

cv::Mat QrCode(const std::string& data) { return test::ZintSymbol(BARCODE_QRCODE, data, 3); }
// 12 digits; libzint adds the check digit 1.
cv::Mat Ean13() { return test::ZintSymbol(BARCODE_EANX, "400638133393", 2); }
const std::string kEan13Data = "4006381333931";

// A light grey page (paper 225, 3 channels unless `grey`) with the symbols at
// the given corners.
cv::Mat Page(const std::vector<std::pair<cv::Mat, cv::Point>>& symbols, bool grey = false) {
    cv::Mat page(600, 800, CV_8UC1, cv::Scalar(225));
    for (const auto& [symbol, at] : symbols) {
        cv::Mat placed = symbol.clone();
        placed.setTo(225, symbol > 128);
        placed.copyTo(page(cv::Rect(at, symbol.size())));
    }
    if (!grey) {
        cv::cvtColor(page, page, cv::COLOR_GRAY2BGR);
    }
    return page;
}

struct DecodeCase {
    const char* name;
    cv::Mat page;
    bool raw;
    BarcodeResults expected;  // pairs in any order
};

std::vector<std::pair<std::string, std::string>> Pairs(const BarcodeResults& results) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (std::size_t i = 0; i + 1 < results.size(); i += 2) {
        pairs.emplace_back(results[i], results[i + 1]);
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

class BarcodeDecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(BarcodeDecodeTest, FindsTypeAndDataOfEverySymbol) {
    const DecodeCase& c = GetParam();
    ASSERT_FALSE(c.page.empty());
    CBarcodeReader reader;
    BarcodeResults results = {"left", "over"};
    ASSERT_TRUE(reader.Decode(c.page, results, c.raw));
    ASSERT_EQ(results.size(), c.expected.size()) << testing::PrintToString(results);
    EXPECT_EQ(Pairs(results), Pairs(c.expected)) << "type names at even, data at odd places";
}

cv::Mat BlackAndWhite(cv::Mat page) {
    cv::cvtColor(page, page, cv::COLOR_BGR2GRAY);
    cv::threshold(page, page, 124, 255, cv::THRESH_BINARY);
    return page;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BarcodeDecodeTest,
    testing::Values(DecodeCase{"qr_on_colour_page",
                               Page({{QrCode("ABC"), {300, 200}}}),
                               false,
                               {"QR-Code", "ABC"}},
                    DecodeCase{"ean13_on_grey_page",
                               Page({{Ean13(), {200, 250}}}, true),
                               false,
                               {"EAN-13", kEan13Data}},
                    DecodeCase{"both_on_one_page",
                               Page({{QrCode("ABC"), {60, 60}}, {Ean13(), {300, 330}}}),
                               false,
                               {"QR-Code", "ABC", "EAN-13", kEan13Data}},
                    DecodeCase{"black_and_white_page_raw",
                               BlackAndWhite(Page({{QrCode("ABC"), {300, 200}}})),
                               true,
                               {"QR-Code", "ABC"}},
                    // Data is taken by its length: a zero byte does not end it.
                    DecodeCase{"qr_data_with_zero_byte",
                               Page({{QrCode(std::string("A\0B", 3)), {300, 200}}}),
                               false,
                               {"QR-Code", std::string("A\0B", 3)}},
                    DecodeCase{"blank_page", Page({}), false, {}},
                    DecodeCase{"blank_page_raw", Page({}), true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BarcodeDecodeTest, EmptyPageIsFalseWithNoResults) {
    CBarcodeReader reader;
    for (const bool raw : {false, true}) {
        BarcodeResults results = {"left", "over"};
        EXPECT_FALSE(reader.Decode(cv::Mat(), results, raw));
        EXPECT_TRUE(results.empty());
    }
}

TEST(BarcodeDecodeTest, ScanImageReportsFailureAsTrue) {
    CBarcodeReader reader;
    BarcodeResults results;
    EXPECT_TRUE(reader.ScanImage(results, cv::Mat()));
    EXPECT_TRUE(reader.ScanImage(results, cv::Mat(10, 10, CV_16UC1)));
    EXPECT_FALSE(reader.ScanImage(results, cv::Mat(10, 10, CV_8UC1, cv::Scalar(255))));
    EXPECT_TRUE(results.empty());
}

struct JsonCase {
    const char* name;
    BarcodeResults pairs;
    QByteArray text;
};

void PrintTo(const JsonCase& c, std::ostream* os) { *os << c.name; }

class BarcodesToJsonTest : public testing::TestWithParam<JsonCase> {};

TEST_P(BarcodesToJsonTest, MakesTheCodeArray) {
    QByteArray text;
    int length = -1;
    ASSERT_EQ(BarcodesToJson(GetParam().pairs, &text, &length), 1);
    EXPECT_EQ(text, GetParam().text);
    EXPECT_EQ(length, text.size());
}

INSTANTIATE_TEST_SUITE_P(
    Table, BarcodesToJsonTest,
    testing::Values(
        JsonCase{"one_qr_code", {"QR-Code", "ABC"}, R"({"Code":[{"QR-Code":"ABC"}]})"},
        JsonCase{"two_pairs", {"t1", "d1", "t2", "d2"}, R"({"Code":[{"t1":"d1"},{"t2":"d2"}]})"},
        JsonCase{"quote_and_backslash",
                 {"QR-Code", R"(say "hi" \ ok)"},
                 R"({"Code":[{"QR-Code":"say \"hi\" \\ ok"}]})"},
        JsonCase{"control_characters",
                 {"QR-Code", std::string("a\nb\tc\x01\x1f\0d", 9)},
                 R"({"Code":[{"QR-Code":"a\nb\tc\u0001\u001f\u0000d"}]})"},
        JsonCase{"utf8_kept",
                 {"QR-Code", "\xe6\x96\x87\xc3\xa9"},
                 "{\"Code\":[{\"QR-Code\":\"\xe6\x96\x87\xc3\xa9\"}]}"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BarcodesToJsonTest, NothingToWriteGivesZero) {
    QByteArray text = "kept";
    int length = 4;
    EXPECT_EQ(BarcodesToJson({}, &text, &length), 0);
    EXPECT_EQ(BarcodesToJson({"QR-Code", "ABC"}, nullptr, &length), 0);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(length, 4);
}

// From the page to the text file's contents: a real JSON parser reads back
// the data, quotation marks and backslashes included.
TEST(BarcodesToJsonTest, DecodedDataRoundTripsThroughAJsonParser) {
    const std::string data = R"(He said "C:\temp\x" {ok}, 文字)";
    CBarcodeReader reader;
    BarcodeResults results;
    ASSERT_TRUE(reader.Decode(Page({{QrCode(data), {250, 150}}}), results, false));
    ASSERT_EQ(results, (BarcodeResults{"QR-Code", data}));

    QByteArray text;
    ASSERT_EQ(BarcodesToJson({results[0], results[1], "t\"2", "d\\2"}, &text, nullptr), 1);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonArray codes = document.object().value("Code").toArray();
    ASSERT_EQ(codes.size(), 2);
    EXPECT_EQ(codes[0].toObject().value("QR-Code").toString(), QString::fromStdString(data));
    EXPECT_EQ(codes[1].toObject().value("t\"2").toString(), "d\\2");
}

}  // namespace
}  // namespace orbisk
