#include "core/branding_data.h"
#include "core/branding_writer.h"

#include <gtest/gtest.h>
#include <QtEndian>

#include <functional>

namespace orbisk {
namespace {

QImage Picture(int w, int h, int seed) {
    QImage image(w, h, QImage::Format_BGR888);
    for (int y = 0; y < h; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < w * 3; ++x) row[x] = uchar((x * 7 + y * 13 + seed) & 0xFF);
    }
    return image;
}

BrandingContents FullContents() {
    BrandingContents c;
    c.logo = Picture(3, 2, 1);  // 3 pixels wide: rows of 12 bytes with 3 of padding
    c.link = "https://example.org/";
    c.splash = Picture(5, 4, 2);
    c.deviceEntries = {"1d6b0c011d6b0c02", "046d085e046d0825"};
    c.labelFlag = false;
    c.reserved = QString();
    c.caption = QString::fromUtf8("Bürokamera 文件");
    c.labelText = "label line";
    return c;
}

qint32 IntAt(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<qint32>(bytes.constData() + at);
}

void SetIntAt(QByteArray& bytes, qsizetype at, qint32 value) {
    qToLittleEndian(value, bytes.data() + at);
}

TEST(BrandingDataTest, EveryFieldRoundTrips) {
    const BrandingContents c = FullContents();
    const QByteArray bytes = EncodeBrandingFile(c);
    EXPECT_EQ(IntAt(bytes, 0), 2);  // logo height, then width
    EXPECT_EQ(IntAt(bytes, 4), 3);
    EXPECT_EQ(IntAt(bytes, 8 + 2 * 12), c.link.size());  // rows of 12 bytes each

    CBrandingData data;
    ASSERT_EQ(data.LoadFromBytes(bytes), 0);
    EXPECT_EQ(data.logo, c.logo);
    EXPECT_EQ(data.link, c.link);
    EXPECT_EQ(data.splash, c.splash);
    EXPECT_EQ(data.DeviceEntries, c.deviceEntries);
    EXPECT_FALSE(data.labelFlag);
    EXPECT_EQ(data.caption, *c.caption);
    EXPECT_EQ(data.labelText, *c.labelText);
}

TEST(BrandingDataTest, EmptyTextIsFourBytesAndScrambled) {
    EXPECT_EQ(EncodeScrambledField(""), QByteArray(4, '\0'));
    const QByteArray field = EncodeScrambledField("secret");
    EXPECT_EQ(field.size(), 4 + 2 * 6 * 4);
    EXPECT_FALSE(field.contains("secret"));
}

TEST(BrandingDataTest, GbkTextOfOldFilesIsDecoded) {
    // "文件" in GB18030; not valid UTF-8.
    EXPECT_EQ(CBrandingData::DecodeText("\xCE\xC4\xBC\xFE"), QString::fromUtf8("文件"));
    EXPECT_EQ(CBrandingData::DecodeText("plain"), "plain");
}

// Files that end early: what is there is read, what is missing keeps its start value.
struct EndCase {
    const char* name;
    std::function<void(BrandingContents&)> cut;
    bool labelFlag;
    const char* caption;
    const char* label;
};

void PrintTo(const EndCase& c, std::ostream* os) { *os << c.name; }

class BrandingEndTest : public testing::TestWithParam<EndCase> {};

TEST_P(BrandingEndTest, MissingTrailingFieldsKeepTheirStartValues) {
    BrandingContents c = FullContents();
    GetParam().cut(c);
    CBrandingData data;
    ASSERT_EQ(data.LoadFromBytes(EncodeBrandingFile(c)), 0);
    EXPECT_EQ(data.DeviceEntries.size(), 2);
    EXPECT_EQ(data.labelFlag, GetParam().labelFlag);
    EXPECT_EQ(data.caption.toStdString(), GetParam().caption);
    EXPECT_EQ(data.labelText.toStdString(), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, BrandingEndTest,
    testing::Values(
        EndCase{"after_devices", [](BrandingContents& c) { c.labelFlag.reset(); }, true, "", ""},
        EndCase{"after_flag", [](BrandingContents& c) { c.reserved.reset(); }, false, "", ""},
        EndCase{"after_reserved", [](BrandingContents& c) { c.caption.reset(); }, false, "", ""},
        EndCase{"after_caption", [](BrandingContents& c) { c.labelText.reset(); }, false,
                "Bürokamera 文件", ""},
        EndCase{"flag_bytes_equal_hide", [](BrandingContents& c) { c.labelFlag = false; }, false,
                "Bürokamera 文件", "label line"},
        EndCase{"flag_bytes_differ_show", [](BrandingContents& c) { c.labelFlag = true; }, true,
                "Bürokamera 文件", "label line"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BrandingDataTest, DeviceListRules) {
    BrandingContents c = FullContents();
    c.splash = QImage();  // a splash height of 0 is followed by the device entries
    c.deviceEntries = {"aaaa", "", "bbbb"};  // an empty piece between two ";" counts
    CBrandingData data;
    ASSERT_EQ(data.LoadFromBytes(EncodeBrandingFile(c)), 0);
    EXPECT_TRUE(data.splash.isNull());
    EXPECT_EQ(data.DeviceEntries, QStringList({"aaaa", "", "bbbb"}));

    c.deviceEntries = {"aaaa", ""};  // "aaaa;" has no empty last entry
    CBrandingData trailing;
    ASSERT_EQ(trailing.LoadFromBytes(EncodeBrandingFile(c)), 0);
    EXPECT_EQ(trailing.DeviceEntries, QStringList({"aaaa"}));
}

TEST(BrandingDataTest, LongCaptionIsCutTo255Characters) {
    BrandingContents c = FullContents();
    c.caption = QString(300, QChar(0x6587));  // 文, three bytes each in UTF-8
    c.labelText = QString(256, 'x');
    CBrandingData data;
    ASSERT_EQ(data.LoadFromBytes(EncodeBrandingFile(c)), 0);
    EXPECT_EQ(data.caption, QString(255, QChar(0x6587)));
    EXPECT_EQ(data.labelText, QString(255, 'x'));
}

// Damaged files: a damaged required part rejects the file, a damaged optional
// part is absent; nothing reads out of bounds (run under AddressSanitizer).
struct CorruptCase {
    const char* name;
    std::function<void(QByteArray&)> damage;
    int result;
};

void PrintTo(const CorruptCase& c, std::ostream* os) { *os << c.name; }

class BrandingCorruptTest : public testing::TestWithParam<CorruptCase> {};

// Offsets in the file of FullContents(): logo rows end at 8 + 2*12 = 32.
constexpr qsizetype kLinkCount = 32;

TEST_P(BrandingCorruptTest, RejectsOrCutsWithoutReadingOutOfBounds) {
    QByteArray bytes = EncodeBrandingFile(FullContents());
    GetParam().damage(bytes);
    CBrandingData data;
    EXPECT_EQ(data.LoadFromBytes(bytes), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, BrandingCorruptTest,
    testing::Values(
        CorruptCase{"empty_file", [](QByteArray& b) { b.clear(); }, -1},
        CorruptCase{"three_bytes", [](QByteArray& b) { b.truncate(3); }, -1},
        CorruptCase{"negative_height", [](QByteArray& b) { SetIntAt(b, 0, -1); }, -1},
        CorruptCase{"negative_width", [](QByteArray& b) { SetIntAt(b, 4, -3); }, -1},
        CorruptCase{"oversized_logo", [](QByteArray& b) { SetIntAt(b, 0, 16385); }, -1},
        CorruptCase{"rows_past_end", [](QByteArray& b) { SetIntAt(b, 0, 5000); }, -1},
        CorruptCase{"huge_product",
                    [](QByteArray& b) {
                        SetIntAt(b, 0, 16384);
                        SetIntAt(b, 4, 16384);
                    },
                    -1},
        CorruptCase{"cut_inside_logo", [](QByteArray& b) { b.truncate(20); }, -1},
        CorruptCase{"negative_link_count", [](QByteArray& b) { SetIntAt(b, kLinkCount, -7); }, -1},
        CorruptCase{"link_count_past_end",
                    [](QByteArray& b) { SetIntAt(b, kLinkCount, 0x7FFFFFFF); }, -1},
        CorruptCase{"cut_inside_devices", [](QByteArray& b) { b.chop(b.size() / 3); }, -1},
        CorruptCase{"cut_inside_label", [](QByteArray& b) { b.chop(5); }, 0},
        CorruptCase{"cut_inside_flag",
                    [](QByteArray& b) {
                        BrandingContents c = FullContents();
                        c.labelFlag.reset();
                        b = EncodeBrandingFile(c) + "\x01\x02";
                    },
                    0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BrandingDataTest, RandomDamageNeverCrashes) {
    const QByteArray good = EncodeBrandingFile(FullContents());
    quint32 state = 12345;
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes = good;
        for (int k = 0; k < 4; ++k) {
            state = state * 1103515245u + 12345u;
            bytes[qsizetype(state >> 8) % bytes.size()] = char(state >> 24);
        }
        state = state * 1103515245u + 12345u;
        bytes.truncate(qsizetype(state >> 8) % (bytes.size() + 1));
        CBrandingData data;
        const int result = data.LoadFromBytes(bytes);
        EXPECT_TRUE(result == 0 || result == -1);
    }
}

TEST(BrandingDataTest, MissingFileIsMinusOne) {
    CBrandingData data;
    EXPECT_EQ(data.Load(""), -1);
    EXPECT_EQ(data.Load("/nonexistent/data.dat"), -1);
}

}  // namespace
}  // namespace orbisk
