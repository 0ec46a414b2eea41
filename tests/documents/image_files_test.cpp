#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <jpeglib.h>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "documents/image_files.h"
#include "platform/jpeg_decode_limits.h"
#include "tests/support/colour_bands.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/progressive_jpeg.h"
#include "tests/support/temp_dir.h"

namespace orbisk {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// Blue left half, red right half, a green bar across the middle.
cv::Mat ColourPage(int cols = 64, int rows = 48) {
    cv::Mat page(rows, cols, CV_8UC3, cv::Scalar(255, 0, 0));
    page(cv::Rect(cols / 2, 0, cols - cols / 2, rows)).setTo(cv::Scalar(0, 0, 255));
    page(cv::Rect(0, rows / 3, cols, rows / 3)).setTo(cv::Scalar(0, 255, 0));
    return page;
}

cv::Mat GreyGradient(int cols = 64, int rows = 48) {
    cv::Mat page(rows, cols, CV_8UC1);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < cols; ++x) {
            page.at<uchar>(y, x) = static_cast<uchar>((x * 255) / (cols - 1));
        }
    }
    return page;
}

QByteArray Encode(const cv::Mat& image, const std::string& ext = ".jpg") {
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(cv::imencode(ext, image, bytes));
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

// Offset of the first marker FF <code> after SOI, walking the segments.
int FindMarker(const QByteArray& jpeg, unsigned char code) {
    int pos = 2;
    while (pos + 4 <= jpeg.size()) {
        if (static_cast<unsigned char>(jpeg[pos]) != 0xFF) {
            return -1;
        }
        const auto marker = static_cast<unsigned char>(jpeg[pos + 1]);
        if (marker == code) {
            return pos;
        }
        if (marker == 0xDA) {
            return -1;  // entropy data follows
        }
        const int length = (static_cast<unsigned char>(jpeg[pos + 2]) << 8) |
                           static_cast<unsigned char>(jpeg[pos + 3]);
        pos += 2 + length;
    }
    return -1;
}

int Be16(const QByteArray& bytes, int pos) {
    return (static_cast<unsigned char>(bytes[pos]) << 8) |
           static_cast<unsigned char>(bytes[pos + 1]);
}

cv::Mat Decode(const QByteArray& bytes) {
    return DecodeJpegFromMemory(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                static_cast<std::size_t>(bytes.size()));
}

// A CMYK JPEG straight from libjpeg (OpenCV writes none).
QByteArray CmykJpeg() {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = 16;
    cinfo.image_height = 16;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(16 * 4, 100);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    std::free(buffer);
    return bytes;
}

// A valid JPEG whose frame header claims another size.
QByteArray WithClaimedSize(QByteArray jpeg, int width, int height) {
    const int sof = FindMarker(jpeg, 0xC0);
    EXPECT_GT(sof, 0);
    jpeg[sof + 5] = static_cast<char>(height >> 8);
    jpeg[sof + 6] = static_cast<char>(height & 0xFF);
    jpeg[sof + 7] = static_cast<char>(width >> 8);
    jpeg[sof + 8] = static_cast<char>(width & 0xFF);
    return jpeg;
}

TEST(WriteJpegFileTest, ColourPageIsBaselineJfifWithDensityAndColourOrder) {
    TempDir dir;
    const QString path = dir.File("page.jpg");
    QByteArray written;
    ASSERT_TRUE(WriteJpegFile(path, ColourPage(), written, 300, 300, 80));
    EXPECT_EQ(written, QFile::encodeName(path));

    const QByteArray bytes = ReadBytes(path);
    ASSERT_GT(bytes.size(), 20);
    EXPECT_EQ(bytes.left(2), QByteArray("\xFF\xD8", 2));
    const int app0 = FindMarker(bytes, 0xE0);
    ASSERT_EQ(app0, 2);
    EXPECT_EQ(bytes.mid(app0 + 4, 5), QByteArray("JFIF\0", 5));
    EXPECT_EQ(bytes[app0 + 11], 1) << "density unit: dots per inch";
    EXPECT_EQ(Be16(bytes, app0 + 12), 300);
    EXPECT_EQ(Be16(bytes, app0 + 14), 300);
    const int sof = FindMarker(bytes, 0xC0);
    ASSERT_GT(sof, 0) << "baseline frame header";
    EXPECT_EQ(FindMarker(bytes, 0xC2), -1);
    EXPECT_EQ(bytes[sof + 9], 3) << "three components";

    const cv::Mat decoded = Decode(bytes);
    ASSERT_EQ(decoded.type(), CV_8UC3);
    test::ExpectColourBands(decoded, {.blue = {4, 4}, .green = {4, 24}, .red = {60, 4}}, 200, 60);
    // OpenCV's own decoder agrees about the channel order.
    const cv::Mat viaOpenCv = cv::imread(path.toStdString());
    EXPECT_LT(cv::norm(viaOpenCv, decoded, cv::NORM_INF), 3);
}

TEST(WriteJpegFileTest, GreyPageIsOneComponentJpegAndDensitiesMayDiffer) {
    TempDir dir;
    const QString path = dir.File("grey.jpg");
    QByteArray written;
    ASSERT_TRUE(WriteJpegFile(path, GreyGradient(), written, 200, 150, 90));
    const QByteArray bytes = ReadBytes(path);
    const int app0 = FindMarker(bytes, 0xE0);
    ASSERT_EQ(app0, 2);
    EXPECT_EQ(Be16(bytes, app0 + 12), 200);
    EXPECT_EQ(Be16(bytes, app0 + 14), 150);
    const int sof = FindMarker(bytes, 0xC0);
    ASSERT_GT(sof, 0);
    EXPECT_EQ(bytes[sof + 9], 1);
    const cv::Mat decoded = Decode(bytes);
    ASSERT_EQ(decoded.type(), CV_8UC1);
    EXPECT_LT(cv::norm(decoded, GreyGradient(), cv::NORM_INF), 8);
}

TEST(WriteJpegFileTest, RefusedImageLeavesExistingFileIntact) {
    TempDir dir;
    const QString path = dir.File("old.jpg");
    const QByteArray old = Encode(ColourPage());
    ASSERT_TRUE(WriteBytes(path, old));
    QByteArray written("untouched");
    const std::vector<cv::Mat> refused = {
        cv::Mat(16, 16, CV_8UC4, cv::Scalar::all(9)),
        cv::Mat(16, 16, CV_8UC2, cv::Scalar::all(9)),
        cv::Mat(16, 16, CV_16UC1, cv::Scalar::all(9)),
        cv::Mat(),
    };
    for (const cv::Mat& image : refused) {
        EXPECT_FALSE(WriteJpegFile(path, image, written, 300, 300, 80)) << image.type();
        EXPECT_EQ(ReadBytes(path), old);
    }
    EXPECT_EQ(written, "untouched");
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "no temporary file is left behind";
}

TEST(WriteJpegFileTest, ReplacesExistingFileAndFailsBelowARegularFile) {
    TempDir dir;
    const QString path = dir.File("page.jpg");
    ASSERT_TRUE(WriteBytes(path, "old contents"));
    QByteArray written;
    ASSERT_TRUE(WriteJpegFile(path, GreyGradient(), written, 96, 96, 90));
    EXPECT_EQ(Decode(ReadBytes(path)).type(), CV_8UC1);

    // CI runs as root, so an unwritable target is a folder that is a file.
    EXPECT_FALSE(WriteJpegFile(path + "/below.jpg", GreyGradient(), written, 96, 96, 90));
}

TEST(WriteJpegFileTest, WriteErrorLeavesExistingFileIntact) {
    TempDir dir;
    const QString path = dir.File("old.jpg");
    const QByteArray old = Encode(ColourPage());
    ASSERT_TRUE(WriteBytes(path, old));
    cv::Mat noise(512, 512, CV_8UC3);
    cv::randu(noise, 0, 256);  // encodes to far more than the limit below
    QByteArray written;
    {
        // The library's output buffer cannot be flushed: its error exit ends
        // the write instead of the process.
        test::FileSizeLimit full(2048);
        EXPECT_FALSE(WriteJpegFile(path, noise, written, 300, 300, 80));
    }
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_TRUE(written.isEmpty());
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

struct DecodeCase {
    const char* name;
    QByteArray (*make)();
    int expectedType;  // -1: empty
};

QByteArray RandomBytes() {
    std::mt19937 rng(4);
    QByteArray bytes(4096, '\0');
    for (auto& b : bytes) b = static_cast<char>(rng());
    return bytes;
}

QByteArray Progressive(int scans) {
    const std::vector<uint8_t> bytes = test::EncodeProgressiveJpeg(ColourPage(), scans);
    EXPECT_FALSE(bytes.empty());
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

const DecodeCase kDecodeCases[] = {
    {"grey", [] { return Encode(GreyGradient()); }, CV_8UC1},
    {"colour", [] { return Encode(ColourPage()); }, CV_8UC3},
    {"widest side", [] { return Encode(cv::Mat(8, kMaxDecodedJpegSide, CV_8UC1, 200)); }, CV_8UC1},
    {"cmyk", CmykJpeg, -1},
    {"truncated",
     [] {
         const QByteArray b = Encode(ColourPage(256, 256));
         return b.left(b.size() / 2);
     },
     -1},
    {"header only", [] { return Encode(ColourPage()).left(200); }, -1},
    {"random", RandomBytes, -1},
    {"random after SOI", [] { return QByteArray("\xFF\xD8", 2) + RandomBytes(); }, -1},
    {"empty", [] { return QByteArray(); }, -1},
    {"side too wide", [] { return Encode(cv::Mat(8, kMaxDecodedJpegSide + 1, CV_8UC1, 200)); }, -1},
    {"claims 20000 x 20000", [] { return WithClaimedSize(Encode(ColourPage()), 20000, 20000); },
     -1},
    {"claims 12000 x 9000 (108 MP)",
     [] { return WithClaimedSize(Encode(ColourPage()), 12000, 9000); }, -1},
    {"progressive, 10 scans", [] { return Progressive(10); }, CV_8UC3},
    {"progressive, as many scans as allowed", [] { return Progressive(platform::kMaxJpegScans); },
     CV_8UC3},
    {"progressive, one scan too many", [] { return Progressive(platform::kMaxJpegScans + 1); }, -1},
    {"progressive, 1000 scans", [] { return Progressive(1000); }, -1},
};

class DecodeJpegTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeJpegTest, GivesTheRightTypeOrEmpty) {
    const cv::Mat decoded = Decode(GetParam().make());
    if (GetParam().expectedType < 0) {
        EXPECT_TRUE(decoded.empty());
    } else {
        ASSERT_FALSE(decoded.empty());
        EXPECT_EQ(decoded.type(), GetParam().expectedType);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, DecodeJpegTest, testing::ValuesIn(kDecodeCases),
                         [](const auto& info) {
                             std::string name;
                             for (const char c : std::string(info.param.name)) {
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

TEST(DecodeJpegTest, NullDataIsEmpty) { EXPECT_TRUE(DecodeJpegFromMemory(nullptr, 100).empty()); }

// An APP1 Exif segment with orientation 6 (turn 90 degrees) after SOI.
QByteArray WithExifOrientation(const QByteArray& jpeg) {
    const char exif[] =
        "\xFF\xE1\x00\x22"
        "Exif\0\0"
        "II*\0\x08\0\0\0"
        "\x01\0"
        "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0"
        "\0\0\0\0";
    return jpeg.left(2) + QByteArray(exif, sizeof(exif) - 1) + jpeg.mid(2);
}

TEST(ReadImageFileTest, GivesThreeChannelsAndIgnoresExifOrientation) {
    TempDir dir;
    const QString grey = dir.File("grey.png");
    ASSERT_TRUE(WriteBytes(grey, Encode(GreyGradient(), ".png")));
    const cv::Mat read = ReadImageFile(grey);
    ASSERT_EQ(read.type(), CV_8UC3);
    std::vector<cv::Mat> planes;
    cv::split(read, planes);
    EXPECT_EQ(cv::norm(planes[0], GreyGradient(), cv::NORM_INF), 0);
    EXPECT_EQ(cv::norm(planes[1], planes[0], cv::NORM_INF), 0);
    EXPECT_EQ(cv::norm(planes[2], planes[0], cv::NORM_INF), 0);

    const QString turned = dir.File("turned.jpg");
    ASSERT_TRUE(WriteBytes(turned, WithExifOrientation(Encode(ColourPage(64, 48)))));
    const cv::Mat asStored = ReadImageFile(turned);
    EXPECT_EQ(asStored.cols, 64);
    EXPECT_EQ(asStored.rows, 48);

    EXPECT_TRUE(ReadImageFile(QString()).empty());
    EXPECT_TRUE(ReadImageFile(dir.File("missing.png")).empty());
}

struct FormatCase {
    const char* name;
    QByteArray magic;
    bool lossless;
};

class WriteImageFileTest : public testing::TestWithParam<FormatCase> {};

TEST_P(WriteImageFileTest, EncoderFollowsTheExtension) {
    TempDir dir;
    const QString path = dir.File(QString("page") + GetParam().name);
    ASSERT_TRUE(WriteImageFile(path, ColourPage()));
    EXPECT_TRUE(ReadBytes(path).startsWith(GetParam().magic));
    if (GetParam().lossless) {
        EXPECT_EQ(cv::norm(ReadImageFile(path), ColourPage(), cv::NORM_INF), 0);
    }
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Formats, WriteImageFileTest,
                         testing::Values(FormatCase{".BMP", "BM", true},
                                         FormatCase{".PNG", "\x89PNG", true},
                                         FormatCase{".TIF", QByteArray("II*\0", 4), true},
                                         FormatCase{".jpg", "\xFF\xD8", false}),
                         [](const auto& info) { return std::string(info.param.name + 1); });

TEST(WriteImageFileTest, FailuresReturnFalseAndKeepTheOldFile) {
    TempDir dir;
    const QString path = dir.File("page.GIF");
    ASSERT_TRUE(WriteBytes(path, "old"));
    EXPECT_FALSE(WriteImageFile(path, ColourPage())) << "no GIF encoder: refused, not thrown";
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_FALSE(WriteImageFile(dir.File("noextension"), ColourPage()));
    EXPECT_FALSE(WriteImageFile(QString(), ColourPage()));
    EXPECT_FALSE(WriteImageFile(dir.File("empty.png"), cv::Mat()));
    EXPECT_FALSE(WriteImageFile(path + "/below.png", ColourPage()));
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden), QStringList{"page.GIF"});
}

}  // namespace
}  // namespace orbisk
