#include "video/draw_video.h"

#include "platform/window_messages.h"
#include "tests/support/case_name.h"
#include "tests/support/message_log.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace orbisk {
namespace {

constexpr VideoMediaType kRgb24{kMediaTypeVideo, kMediaSubtypeRgb24, 24, 0, 0};

VideoMediaType Rgb24(int width, int height) {
    VideoMediaType type = kRgb24;
    type.width = width;
    type.height = height;
    return type;
}

// A top-down BGR picture as a renderer's sample: the bottom row first, rows
// padded to a multiple of 4 bytes.
std::vector<uint8_t> Sample(const cv::Mat& picture) {
    const size_t row = static_cast<size_t>(picture.cols) * 3;
    const size_t stride = (row + 3) & ~size_t{3};
    std::vector<uint8_t> sample(stride * picture.rows, 0xEE);
    for (int y = 0; y < picture.rows; ++y) {
        std::memcpy(sample.data() + (picture.rows - 1 - y) * stride, picture.ptr(y), row);
    }
    return sample;
}

// A picture whose every pixel differs: (x, y, x + 10 y).
cv::Mat Numbered(int width, int height) {
    cv::Mat m(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            m.at<cv::Vec3b>(y, x) = cv::Vec3b(x, y, x + 10 * y);
        }
    }
    return m;
}

bool Same(const cv::Mat& a, const cv::Mat& b) {
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

cv::Mat Turned(const cv::Mat& picture, int rotation) {
    cv::Mat out;
    switch (rotation) {
        case 90:
            cv::rotate(picture, out, cv::ROTATE_90_CLOCKWISE);
            break;
        case 180:
            cv::rotate(picture, out, cv::ROTATE_180);
            break;
        case 270:
            cv::rotate(picture, out, cv::ROTATE_90_COUNTERCLOCKWISE);
            break;
        default:
            out = picture.clone();
    }
    return out;
}

cv::Rect ToCv(const IntRect& r) { return cv::Rect(r.left, r.top, r.Width(), r.Height()); }

// ---- The rectangle rules -------------------------------------------------------------

TEST(DrawVideoRects, TurnWithTheFrame) {
    const IntRect r{10, 20, 110, 70};
    EXPECT_EQ(RotateVideoRect(r, 640, 480, 0), r);
    EXPECT_EQ(RotateVideoRect(r, 640, 480, 90), (IntRect{410, 10, 460, 110}));
    EXPECT_EQ(RotateVideoRect(r, 640, 480, 180), (IntRect{530, 410, 630, 460}));
    EXPECT_EQ(RotateVideoRect(r, 640, 480, 270), (IntRect{20, 530, 70, 630}));
    EXPECT_EQ(RotateVideoRect(r, 640, 480, -90), RotateVideoRect(r, 640, 480, 270));
    EXPECT_EQ(RotateVideoRect(r, 640, 480, 45), r);
    EXPECT_EQ(RotateVideoRect({0, 0, 640, 480}, 640, 480, 90), (IntRect{0, 0, 480, 640}));
}

class TurnedRects : public testing::TestWithParam<int> {};

// A turned rectangle holds the same pixels of the turned frame as the
// rectangle of the frame.
TEST_P(TurnedRects, CoverTheSamePixels) {
    const int rotation = GetParam();
    const cv::Mat picture = Numbered(7, 5);
    const IntRect r{1, 2, 5, 4};
    const cv::Mat part = Turned(picture(ToCv(r)), rotation);
    const cv::Mat turned = Turned(picture, rotation);
    EXPECT_TRUE(Same(turned(ToCv(RotateVideoRect(r, 7, 5, rotation))), part));
}

INSTANTIATE_TEST_SUITE_P(DrawVideo, TurnedRects, testing::Values(0, 90, 180, 270),
                         [](const testing::TestParamInfo<int>& info) {
                             return test::CaseName("By", info.param);
                         });

// ---- The format -----------------------------------------------------------------------

TEST(DrawVideoFormat, Only24BitRgbVideoIsAccepted) {
    struct Case {
        const char* name;
        VideoMediaType type;
        bool accepted;
    };
    VideoMediaType audio = Rgb24(640, 480), yuyv = audio, rgb32 = audio, empty = audio,
                   topDown = audio;
    audio.majorType = platform::FourCc('a', 'u', 'd', 's');
    yuyv.subtype = platform::kFourCcYuyv;
    rgb32.bitCount = 32;
    empty.width = 0;
    topDown.height = -480;
    const Case cases[] = {
        {"Rgb24", Rgb24(640, 480), true}, {"Audio", audio, false},   {"Yuyv", yuyv, false},
        {"Rgb32", rgb32, false},          {"NoWidth", empty, false}, {"TopDown", topDown, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(CDrawVideo::CheckMediaType(c.type), c.accepted) << c.name;
        CDrawVideo video;
        EXPECT_EQ(video.SetMediaType(c.type), c.accepted) << c.name;
    }
}

TEST(DrawVideoFormat, ANewTypeStartsAnEmptyStoreARefusedOneChangesNothing) {
    CDrawVideo video;
    ASSERT_TRUE(video.SetMediaType(Rgb24(4, 2)));
    const auto sample = Sample(Numbered(4, 2));
    ASSERT_TRUE(video.DrawSample(sample.data(), sample.size()));
    VideoMediaType rgb32 = Rgb24(4, 2);
    rgb32.bitCount = 32;
    EXPECT_FALSE(video.SetMediaType(rgb32));
    EXPECT_TRUE(Same(video.StoredImage(), Numbered(4, 2)));
    ASSERT_TRUE(video.SetMediaType(Rgb24(8, 6)));
    EXPECT_TRUE(video.StoredImage().empty());
}

// ---- Samples ---------------------------------------------------------------------------

class StoredTurned : public testing::TestWithParam<int> {};

// A 5-pixel-wide frame has padded rows (15 bytes of pixels in 16).
TEST_P(StoredTurned, TheFrameIsStoredTurnedAndDrawnUnscaled) {
    const int rotation = GetParam();
    CDrawVideo video;
    ASSERT_TRUE(video.SetMediaType(Rgb24(5, 3)));
    ASSERT_TRUE(video.SetRotation(rotation));
    const cv::Mat picture = Numbered(5, 3);
    const auto sample = Sample(picture);
    ASSERT_TRUE(video.DrawSample(sample.data(), sample.size()));
    const cv::Mat expected = Turned(picture, rotation);
    EXPECT_TRUE(Same(video.StoredImage(), expected));
    const IntRect whole = RotateVideoRect({0, 0, 5, 3}, 5, 3, rotation);
    EXPECT_EQ(video.DrawnSourceRect(), whole);
    EXPECT_EQ(video.DrawnTargetRect(), whole);
    EXPECT_FALSE(video.IsStretched());

    QImage window(8, 8, QImage::Format_RGB888);
    window.fill(Qt::black);
    {
        QPainter painter(&window);
        video.Paint(painter);
    }
    for (int y = 0; y < expected.rows; ++y) {
        for (int x = 0; x < expected.cols; ++x) {
            const cv::Vec3b bgr = expected.at<cv::Vec3b>(y, x);
            ASSERT_EQ(window.pixelColor(x, y), QColor(bgr[2], bgr[1], bgr[0])) << x << "," << y;
        }
    }
    EXPECT_EQ(window.pixelColor(7, 7), QColor(Qt::black));
}

INSTANTIATE_TEST_SUITE_P(DrawVideo, StoredTurned, testing::Values(0, 90, 180, 270),
                         [](const testing::TestParamInfo<int>& info) {
                             return test::CaseName("By", info.param);
                         });

TEST(DrawVideoSamples, EachFrameIsPostedToTheNotifyWindow) {
    CDrawVideo video;
    test::MessageLog notify;
    video.SetNotifyWindow(&notify);
    ASSERT_TRUE(video.SetMediaType(Rgb24(4, 2)));
    const auto sample = Sample(Numbered(4, 2));
    ASSERT_TRUE(video.DrawSample(sample.data(), sample.size()));
    ASSERT_TRUE(video.DrawSample(sample.data(), sample.size()));
    using Posted = test::MessageLog::Posted;
    EXPECT_TRUE(test::WaitUntil([&] { return notify.posted.size() == 2; }));
    EXPECT_EQ(notify.posted[0], (Posted{platform::WM_SECOND_FRAME_READY, 0, 0}));
}

TEST(DrawVideoSamples, UnusableSamplesDrawAndPostNothing) {
    CDrawVideo video;
    test::MessageLog notify;
    video.SetNotifyWindow(&notify);
    const auto sample = Sample(Numbered(5, 3));  // 3 rows of 16 bytes
    EXPECT_FALSE(video.DrawSample(sample.data(), sample.size())) << "no type yet";
    ASSERT_TRUE(video.SetMediaType(Rgb24(5, 3)));
    EXPECT_FALSE(video.DrawSample(sample.data(), sample.size() - 1)) << "one byte short";
    EXPECT_FALSE(video.DrawSample(nullptr, sample.size()));
    EXPECT_FALSE(video.SetRotation(45));
    EXPECT_TRUE(video.StoredImage().empty());
    QCoreApplication::processEvents();
    EXPECT_TRUE(notify.posted.empty());
}

TEST(DrawVideoSamples, ATargetOfAnotherSizeIsStretched) {
    CDrawVideo video;
    ASSERT_TRUE(video.SetMediaType(Rgb24(5, 3)));
    video.SetTargetRect({2, 1, 12, 7});
    const cv::Mat picture(3, 5, CV_8UC3, cv::Scalar(30, 200, 10));
    const auto sample = Sample(picture);
    ASSERT_TRUE(video.DrawSample(sample.data(), sample.size()));
    EXPECT_TRUE(video.IsStretched());
    QImage window(14, 9, QImage::Format_RGB888);
    window.fill(Qt::black);
    {
        QPainter painter(&window);
        video.Paint(painter);
    }
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 14; ++x) {
            const bool inside = x >= 2 && x < 12 && y >= 1 && y < 7;
            ASSERT_EQ(window.pixelColor(x, y), inside ? QColor(10, 200, 30) : QColor(Qt::black))
                << x << "," << y;
        }
    }
}

// ---- The outline -------------------------------------------------------------------------

// A grey desk with one white page.
cv::Mat Desk(cv::Rect page) {
    cv::Mat m(240, 320, CV_8UC3, cv::Scalar(60, 60, 60));
    cv::rectangle(m, page, cv::Scalar(240, 240, 240), cv::FILLED);
    return m;
}

TEST(DrawVideoOutline, DetectsOncePerTick) {
    CDrawVideo video;
    uint32_t tick = 1000;
    video.SetTickSource([&] { return tick; });
    video.SetAutoDetect(true);
    ASSERT_TRUE(video.SetMediaType(Rgb24(320, 240)));
    EXPECT_FALSE(video.LastBox());

    const cv::Mat pageA = Desk({40, 40, 120, 100});
    const cv::Mat pageB = Desk({170, 110, 120, 100});
    auto draw = [&](const cv::Mat& picture) {
        const auto sample = Sample(picture);
        ASSERT_TRUE(video.DrawSample(sample.data(), sample.size()));
    };
    // Boxes are in the store's row order: row 0 is the bottom row.
    draw(pageA);
    ASSERT_TRUE(video.LastBox());
    const RotatedBox boxA = *video.LastBox();
    EXPECT_NEAR(boxA.cx, 100, 4);
    EXPECT_NEAR(boxA.cy, 239 - 90, 4);

    // The same tick: no detection, the remembered outline is drawn on the new
    // frame.
    draw(pageB);
    const RotatedBox same = *video.LastBox();
    EXPECT_EQ(same.cx, boxA.cx);
    EXPECT_EQ(same.cy, boxA.cy);
    EXPECT_EQ(same.width, boxA.width);
    CDPrgb24 expected;
    cv::Mat bottomUp;
    cv::flip(pageB, bottomUp, 0);
    ASSERT_TRUE(expected.SetData(bottomUp.data, 320, 240));
    expected.DrawDetectedBox(false, boxA, kDrawVideoDetectThreshold);
    EXPECT_TRUE(Same(video.StoredImage(), expected.GetImage()));

    // A new tick detects again.
    ++tick;
    draw(pageB);
    const RotatedBox boxB = *video.LastBox();
    EXPECT_NEAR(boxB.cx, 230, 4);
    EXPECT_NEAR(boxB.cy, 239 - 160, 4);
}

TEST(DrawVideoOutline, OffDrawsNoOutline) {
    CDrawVideo video;
    ASSERT_TRUE(video.SetMediaType(Rgb24(320, 240)));
    const cv::Mat page = Desk({40, 40, 120, 100});
    const auto sample = Sample(page);
    ASSERT_TRUE(video.DrawSample(sample.data(), sample.size()));
    EXPECT_TRUE(Same(video.StoredImage(), page));
    EXPECT_FALSE(video.LastBox());
}

// ---- Fed from a streaming thread, shown in a widget ----------------------------------------

// A window that repaints with the drawing's picture on each notification.
class VideoWindow : public QWidget {
  public:
    explicit VideoWindow(CDrawVideo& video) : video_(video) { resize(40, 30); }
    int frames = 0;

  protected:
    bool event(QEvent* e) override {
        if (e->type() == platform::WindowMessageEvent::Type()) {
            ++frames;
            update();
            return true;
        }
        return QWidget::event(e);
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        video_.Paint(painter);
    }

  private:
    CDrawVideo& video_;
};

TEST(DrawVideoWindow, FramesFromAStreamingThreadReachTheWidget) {
    CDrawVideo video;
    VideoWindow window(video);
    video.SetNotifyWindow(&window);
    ASSERT_TRUE(video.SetMediaType(Rgb24(20, 10)));
    ASSERT_TRUE(video.SetRotation(90));
    video.SetTargetRect({0, 0, 40, 20});
    constexpr int kFrames = 20;
    std::thread streaming([&] {
        for (int i = 0; i < kFrames; ++i) {
            const cv::Mat picture(10, 20, CV_8UC3, cv::Scalar(i * 10, 100, 200));
            const auto sample = Sample(picture);
            video.DrawSample(sample.data(), sample.size());
        }
    });
    // The widget paints while frames still arrive; the drawing's lock keeps
    // the two apart.
    int seen = 0;
    while (seen < kFrames && test::WaitUntil([&] { return window.frames > seen; })) {
        seen = window.frames;
        window.grab();
    }
    streaming.join();
    ASSERT_TRUE(test::WaitUntil([&] { return window.frames == kFrames; }));
    // The target (0, 0, 40, 20) of a 20 x 10 frame turns to (-10, 0, 10, 40):
    // the 10 x 20 turned frame stretched to 20 x 40, half of it in the window.
    EXPECT_EQ(video.DrawnTargetRect(), (IntRect{-10, 0, 10, 40}));
    EXPECT_TRUE(video.IsStretched());
    const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shot.pixel(5, 15), qRgb(200, 100, (kFrames - 1) * 10));
    EXPECT_EQ(shot.pixel(15, 15), qRgb(0, 0, 0));
}

}  // namespace
}  // namespace orbisk
