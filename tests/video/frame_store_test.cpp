#include "video/frame_store.h"

#include "tests/support/case_name.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace orbisk {
namespace {

// A 3x2 picture whose pixels are A B C over D E F; pixel n has the bytes
// (10n, 10n+1, 10n+2). Stored bottom-up: D E F first.
enum Pixel { A = 1, B, C, D, E, F };

std::vector<uint8_t> Stored3x2() {
    std::vector<uint8_t> bytes;
    for (int p : {D, E, F, A, B, C}) {
        for (int k = 0; k < 3; ++k) {
            bytes.push_back(static_cast<uint8_t>(10 * p + k));
        }
    }
    return bytes;
}

// The top-down picture of `rows` as pixel ids, read from a matrix.
std::vector<std::vector<int>> Ids(const cv::Mat& m) {
    std::vector<std::vector<int>> out(m.rows);
    for (int y = 0; y < m.rows; ++y) {
        for (int x = 0; x < m.cols; ++x) {
            const auto px = m.at<cv::Vec3b>(y, x);
            EXPECT_EQ(px[1], px[0] + 1);
            out[y].push_back(px[0] / 10);
        }
    }
    return out;
}

struct TurnCase {
    int rotation;
    std::vector<std::vector<int>> picture;  // expected, top-down
};

class FrameStoreTurn : public testing::TestWithParam<TurnCase> {};

TEST_P(FrameStoreTurn, TurnsTheFixtureClockwise) {
    const auto& c = GetParam();
    CDPrgb24 store;
    const auto src = Stored3x2();
    ASSERT_TRUE(store.SetData(src.data(), 3, 2, c.rotation));
    int w = 0, h = 0;
    ASSERT_TRUE(store.GetSize(w, h));
    EXPECT_EQ(w, static_cast<int>(c.picture[0].size()));
    EXPECT_EQ(h, static_cast<int>(c.picture.size()));
    EXPECT_EQ(Ids(store.GetImage()), c.picture);

    // The same turn into a caller's buffer gives the same bytes.
    std::vector<uint8_t> dst(src.size());
    ASSERT_TRUE(store.CopyRotated(src.data(), dst.data(), 3, 2, c.rotation));
    EXPECT_EQ(0, std::memcmp(dst.data(), store.GetData(), dst.size()));
}

INSTANTIATE_TEST_SUITE_P(
    QuarterTurns, FrameStoreTurn,
    testing::Values(TurnCase{0, {{A, B, C}, {D, E, F}}}, TurnCase{90, {{D, A}, {E, B}, {F, C}}},
                    TurnCase{180, {{F, E, D}, {C, B, A}}}, TurnCase{270, {{C, F}, {B, E}, {A, D}}},
                    TurnCase{-90, {{C, F}, {B, E}, {A, D}}},
                    TurnCase{-270, {{D, A}, {E, B}, {F, C}}},
                    TurnCase{450, {{D, A}, {E, B}, {F, C}}}),
    [](const auto& info) { return test::CaseName("rotation", info.param.rotation); });

TEST(FrameStore, RefusedInputLeavesTheStoreUnchanged) {
    CDPrgb24 store;
    const auto src = Stored3x2();
    ASSERT_TRUE(store.SetData(src.data(), 3, 2, 0));
    const uint8_t* before = store.GetData();
    const std::vector<uint8_t> other(64 * 64 * 3, 7);

    EXPECT_FALSE(store.SetData(other.data(), 64, 64, 45));
    EXPECT_FALSE(store.SetData(nullptr, 3, 2, 0));
    EXPECT_FALSE(store.SetData(other.data(), 0, 2, 0));
    EXPECT_FALSE(store.SetData(other.data(), 3, -2, 0));
    EXPECT_FALSE(store.SetData(other.data(), INT_MAX, INT_MAX, 0));
    EXPECT_FALSE(store.SetData(other.data(), 65536, 65536, 90));

    int w = 0, h = 0;
    ASSERT_TRUE(store.GetSize(w, h));
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(store.GetData(), before);
    EXPECT_EQ(Ids(store.GetImage()), (std::vector<std::vector<int>>{{A, B, C}, {D, E, F}}));
    EXPECT_FALSE(store.CopyRotated(src.data(), nullptr, 3, 2, 0));
    EXPECT_FALSE(store.CopyRotated(src.data(), std::vector<uint8_t>(18).data(), 3, 2, 45));
}

TEST(FrameStore, EmptyStoreAnswersNothing) {
    CDPrgb24 store;
    int w = -1, h = -1;
    EXPECT_FALSE(store.GetSize(w, h));
    EXPECT_EQ(w, -1);
    EXPECT_TRUE(store.GetImage().empty());
    EXPECT_EQ(store.GetData(), nullptr);
    test::TempDir dir;
    EXPECT_FALSE(store.SaveBitmap(dir.File("a.bmp")));
    EXPECT_FALSE(store.SaveBitmap(dir.File("b.bmp"), IntRect{0, 0, 1, 1}));
}

TEST(FrameStore, QuarterTurnedSizeReusesTheBuffer) {
    CDPrgb24 store;
    std::vector<uint8_t> frame(640 * 480 * 3);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 7);
    ASSERT_TRUE(store.SetData(frame.data(), 640, 480, 0));
    uint8_t* buffer = store.GetData();
    ASSERT_TRUE(store.SetData(frame.data(), 480, 640, 0));
    EXPECT_EQ(store.GetData(), buffer);
    ASSERT_TRUE(store.SetData(frame.data(), 640, 480, 90));
    EXPECT_EQ(store.GetData(), buffer);
    EXPECT_EQ(*store.GetDataAddress(), buffer);

    // 640x480 turned by 90: the top-left picture pixel is the source's
    // bottom-left one (stored first); by 270 the source's top-right one.
    const cv::Mat turned = store.GetImage();
    ASSERT_EQ(turned.cols, 480);
    ASSERT_EQ(turned.rows, 640);
    EXPECT_EQ(0, std::memcmp(turned.ptr(0, 0), frame.data(), 3));
    ASSERT_TRUE(store.SetData(frame.data(), 640, 480, 270));
    const size_t topRight = (479 * 640 + 639) * 3;
    EXPECT_EQ(0, std::memcmp(store.GetImage().ptr(0, 0), frame.data() + topRight, 3));
}

struct RectCase {
    IntRect rect;
    bool valid;
};

class FrameStoreRect : public testing::TestWithParam<RectCase> {};

TEST_P(FrameStoreRect, CutsOnlyRectanglesInsideTheFrame) {
    const auto& c = GetParam();
    CDPrgb24 store;
    const auto src = Stored3x2();
    ASSERT_TRUE(store.SetData(src.data(), 3, 2));
    const cv::Mat m = store.GetImage(c.rect);
    test::TempDir dir;
    const QString path = dir.File("cut.bmp");
    EXPECT_EQ(store.SaveBitmap(path, c.rect), c.valid);
    EXPECT_EQ(QFile::exists(path), c.valid);
    if (!c.valid) {
        EXPECT_TRUE(m.empty());
        return;
    }
    ASSERT_EQ(m.rows, c.rect.Height());
    ASSERT_EQ(m.cols, c.rect.Width());
    const std::vector<std::vector<int>> picture{{A, B, C}, {D, E, F}};
    const auto ids = Ids(m);
    for (int y = 0; y < m.rows; ++y) {
        for (int x = 0; x < m.cols; ++x) {
            EXPECT_EQ(ids[y][x], picture[c.rect.top + y][c.rect.left + x]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rectangles, FrameStoreRect,
    testing::Values(RectCase{{0, 0, 3, 2}, true}, RectCase{{1, 0, 3, 1}, true},
                    RectCase{{0, 1, 2, 2}, true}, RectCase{{0, 0, 4, 2}, false},
                    RectCase{{-1, 0, 2, 2}, false}, RectCase{{0, 0, 3, 3}, false},
                    RectCase{{2, 0, 1, 2}, false}, RectCase{{0, 1, 3, 1}, false}),
    [](const auto& info) {
        return test::CaseName(info.param.rect.left, info.param.rect.top, info.param.rect.right,
                              info.param.rect.bottom);
    });

uint32_t U32At(const QByteArray& b, int offset) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[offset + i]);
    return v;
}

TEST(FrameStoreBitmap, RectangleOfWidthFiveReadsBackEqual) {
    const int w = 8, h = 6;
    std::vector<uint8_t> frame(w * h * 3);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 13 + 5);
    CDPrgb24 store;
    ASSERT_TRUE(store.SetData(frame.data(), w, h));
    const IntRect rect{2, 1, 7, 5};
    test::TempDir dir;
    const QString path = dir.File("five.bmp");
    ASSERT_TRUE(store.SaveBitmap(path, rect));

    const QByteArray bytes = test::ReadBytes(path);
    ASSERT_EQ(bytes.size(), 16 * 4 + 54);
    EXPECT_EQ(U32At(bytes, 2), 16u * 4 + 54);
    EXPECT_EQ(U32At(bytes, 38), 3780u);
    EXPECT_EQ(U32At(bytes, 42), 3780u);
    const cv::Mat back = cv::imread(path.toStdString(), cv::IMREAD_UNCHANGED);
    ASSERT_EQ(back.type(), CV_8UC3);
    EXPECT_EQ(cv::norm(back, store.GetImage(rect), cv::NORM_INF), 0);

    const QString whole = dir.File("whole.bmp");
    ASSERT_TRUE(store.SaveBitmap(whole));
    EXPECT_EQ(test::ReadBytes(whole).size(), 24 * h + 54);
    EXPECT_EQ(cv::norm(cv::imread(whole.toStdString()), store.GetImage(), cv::NORM_INF), 0);
}

TEST(FrameStoreBitmap, UnwritablePathAnswersFalse) {
    CDPrgb24 store;
    const auto src = Stored3x2();
    ASSERT_TRUE(store.SetData(src.data(), 3, 2));
    test::TempDir dir;
    ASSERT_TRUE(test::WriteBytes(dir.File("plain"), "x"));
    EXPECT_FALSE(store.SaveBitmap(dir.File("plain/a.bmp")));
    EXPECT_FALSE(store.SaveBitmap(dir.File("plain/b.bmp"), IntRect{0, 0, 3, 2}));
    EXPECT_FALSE(store.SaveBitmap(QString()));
}

TEST(RotatePoint, RoundsHalfUpAndTurnsAboutTheCentre) {
    const RotatedBox flat{10, 10, 4, 4, 0};
    EXPECT_EQ(RotatePointAboutCenter(flat, {2.5f, 3.49f}), cv::Point(3, 3));
    const RotatedBox quarter{10, 10, 4, 4, 90};
    // (12, 10) is 2 right of the centre; a quarter turn puts it 2 below.
    EXPECT_EQ(RotatePointAboutCenter(quarter, {12, 10}), cv::Point(10, 12));
}

}  // namespace
}  // namespace orbisk

namespace orbisk {
namespace {

// A grey frame, optionally with a bright page; stored rows are the matrix rows.
std::vector<uint8_t> Desk(int w, int h, bool page) {
    cv::Mat m(h, w, CV_8UC3, cv::Scalar(60, 60, 60));
    if (page) {
        cv::rectangle(m, cv::Rect(w / 4, h / 5, w / 2, h / 2), cv::Scalar(240, 240, 240),
                      cv::FILLED);
    }
    return std::vector<uint8_t>(m.data, m.data + m.total() * 3);
}

TEST(FrameStoreBoxes, WithoutADocumentTheWholeFrameIsOutlined) {
    CDPrgb24 store;
    const auto frame = Desk(320, 240, false);
    ASSERT_TRUE(store.SetData(frame.data(), 320, 240));
    const RotatedBox box = store.DrawDetectedBox(true, {}, 0.1f);
    EXPECT_EQ(box.cx, 160);
    EXPECT_EQ(box.cy, 120);
    EXPECT_EQ(box.width, 320);
    EXPECT_EQ(box.height, 240);
    EXPECT_EQ(box.angle, 0);
    // The outline runs along the frame's edges in blue; the middle is untouched.
    const uint8_t* p = store.GetData();
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[2], 0);
    const size_t middle = (120 * 320 + 160) * 3;
    EXPECT_EQ(p[middle], 60);

    ASSERT_TRUE(store.SetData(frame.data(), 320, 240));  // without the drawn outline
    const auto boxes = store.DrawDetectedBoxes(0.1f);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].width, 320);
}

TEST(FrameStoreBoxes, FindsThePageInStoredRowOrder) {
    CDPrgb24 store;
    const int w = 640, h = 480;
    const auto frame = Desk(w, h, true);
    ASSERT_TRUE(store.SetData(frame.data(), w, h));
    const RotatedBox box = store.DrawDetectedBox(true, {}, 0.05f);
    // The page covers stored rows 96..335 and columns 160..479.
    EXPECT_NEAR(box.cx, 320, 6);
    EXPECT_NEAR(box.cy, 216, 6);
    EXPECT_NEAR(std::max(box.width, box.height), 320, 16);
    EXPECT_NEAR(std::min(box.width, box.height), 240, 16);
    ASSERT_TRUE(store.SetData(frame.data(), w, h));
    const auto boxes = store.DrawDetectedBoxes(0.05f);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NEAR(boxes[0].cx, 320, 6);
}

TEST(FrameStoreBoxes, EmptyStoreDrawsNothing) {
    CDPrgb24 store;
    const RotatedBox given{1, 2, 3, 4, 5};
    const RotatedBox box = store.DrawDetectedBox(true, given, 0.1f);
    EXPECT_EQ(box.cx, 1);
    EXPECT_EQ(box.angle, 5);
    EXPECT_TRUE(store.DrawDetectedBoxes(0.1f).empty());
}

}  // namespace
}  // namespace orbisk
