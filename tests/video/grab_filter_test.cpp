#include "video/grab_filter.h"

#include "tests/support/message_log.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <opencv2/core.hpp>

#include <atomic>
#include <thread>
#include <vector>

namespace orbisk {
namespace {

using platform::FrameSample;
using platform::WM_CAMERA_SNAPSHOT;
using platform::WM_FRAME_READY;

constexpr uint8_t kPad = 0xEE;

// A 3x2 picture, pixels A B C over D E F, pixel n all bytes 10n; the rows
// `stride` bytes apart with padding, top-down or bottom-up in memory.
std::vector<uint8_t> Rows(bool topDown, int stride) {
    const int picture[2][3] = {{1, 2, 3}, {4, 5, 6}};
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 2; ++i) {
        const int y = topDown ? i : 1 - i;
        for (int x = 0; x < 3; ++x) bytes.insert(bytes.end(), 3, 10 * picture[y][x]);
        bytes.insert(bytes.end(), stride - 9, kPad);
    }
    return bytes;
}

// Top-down pixel ids of a matrix (first byte / 10).
std::vector<int> Ids(const cv::Mat& m) {
    std::vector<int> out;
    for (int y = 0; y < m.rows; ++y) {
        for (int x = 0; x < m.cols; ++x) out.push_back(m.at<cv::Vec3b>(y, x)[0] / 10);
    }
    return out;
}

struct SampleCase {
    const char* name;
    bool topDown;
    int stride;
    int lengthCut;  // bytes missing from stride x height
    int width;
    bool stored;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const SampleCase& c, std::ostream* os) { *os << c.name; }

class GrabFilterReceive : public testing::TestWithParam<SampleCase> {};

TEST_P(GrabFilterReceive, CopiesRowsWithTheirStrideOrRefuses) {
    const auto& c = GetParam();
    const auto bytes = Rows(c.topDown, std::max(c.stride, 9));
    FrameSample s;
    s.data = bytes.data();
    s.width = c.width;
    s.height = c.topDown ? -2 : 2;
    s.stride = c.stride;
    s.length = bytes.size() - c.lengthCut;

    test::MessageLog window;
    CGrabDataFilter filter;
    filter.SetNotify(&window, WM_FRAME_READY);
    EXPECT_EQ(filter.Receive(s), c.stored);
    cv::Mat frame;
    filter.GetFrameMat(frame);
    QCoreApplication::processEvents();
    if (!c.stored) {
        EXPECT_TRUE(frame.empty());
        EXPECT_TRUE(window.messages.empty());
        return;
    }
    EXPECT_EQ(Ids(frame), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(window.messages, std::vector<int>{WM_FRAME_READY});
}

INSTANTIATE_TEST_SUITE_P(Samples, GrabFilterReceive,
                         testing::Values(SampleCase{"TopDownPadded", true, 16, 0, 3, true},
                                         SampleCase{"BottomUpPadded", false, 16, 0, 3, true},
                                         SampleCase{"TopDownPacked", true, 9, 0, 3, true},
                                         SampleCase{"OneByteShort", true, 16, 1, 3, false},
                                         SampleCase{"StrideShorterThanARow", true, 8, 0, 3, false},
                                         SampleCase{"NoStride", true, 0, 0, 3, false},
                                         SampleCase{"NoWidth", true, 16, 0, 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GrabFilter, NoFrameYetLeavesTheTargetAlone) {
    CGrabDataFilter filter;
    CDPrgb24 target;
    const auto bytes = Rows(false, 9);
    ASSERT_TRUE(target.SetData(bytes.data(), 3, 2));
    EXPECT_FALSE(filter.GetFrame(&target));
    EXPECT_FALSE(filter.GetFrame(nullptr));
    int w = 0, h = 0;
    ASSERT_TRUE(target.GetSize(w, h));
    EXPECT_EQ(Ids(target.GetImage()), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    cv::Mat m(4, 4, CV_8UC3);
    EXPECT_TRUE(filter.GetFrameMat(m).empty());

    // Without a notify window frames are still stored.
    FrameSample s{bytes.data(), bytes.size(), 3, 2, 9};
    ASSERT_TRUE(filter.Receive(s));
    CDPrgb24 copy;
    ASSERT_TRUE(filter.GetFrame(&copy));
    EXPECT_EQ(Ids(copy.GetImage()), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST(SnapshotCallback, PostsOneMessagePerPressToItsTarget) {
    test::MessageLog window;
    CSampleGrabberCallback callback;
    callback.SampleCB();  // no target yet: nothing
    callback.SetTarget(&window);
    callback.SampleCB();
    callback.SampleCB();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.messages, (std::vector<int>{WM_CAMERA_SNAPSHOT, WM_CAMERA_SNAPSHOT}));
}

// Every byte of frame n is n; landscape frames have even n, portrait odd.
bool Consistent(const cv::Mat& m) {
    if (m.empty()) return true;
    if (!((m.cols == 640 && m.rows == 480) || (m.cols == 480 && m.rows == 640))) return false;
    double lo = 0, hi = 0;
    cv::minMaxLoc(m.reshape(1), &lo, &hi);
    return lo == hi && (static_cast<int>(lo) % 2 == 0) == (m.cols == 640);
}

// Run under ThreadSanitizer (ORBISK_SANITIZE=thread) this also shows that
// every access to the frame goes through the frame lock.
TEST(GrabFilter, ReadersNeverSeeAFrameBeingReplaced) {
    CGrabDataFilter filter;
    constexpr int kFrames = 120;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        std::vector<uint8_t> bytes(640 * 480 * 3);
        for (int n = 0; n < kFrames; ++n) {
            std::fill(bytes.begin(), bytes.end(), static_cast<uint8_t>(n));
            const bool landscape = n % 2 == 0;
            const int w = landscape ? 640 : 480, h = landscape ? 480 : 640;
            filter.Receive({bytes.data(), bytes.size(), w, -h, w * 3});
        }
        done = true;
    });
    int inconsistent = 0, copies = 0;
    CDPrgb24 target;
    cv::Mat m;
    while (!done || copies < 2) {
        if (!Consistent(filter.GetFrameMat(m))) ++inconsistent;
        if (filter.GetFrame(&target) && !Consistent(target.GetImage())) ++inconsistent;
        ++copies;
    }
    writer.join();
    EXPECT_EQ(inconsistent, 0) << "of " << copies << " copies";
    ASSERT_TRUE(Consistent(filter.GetFrameMat(m)));
    EXPECT_EQ(m.at<cv::Vec3b>(0, 0)[0], kFrames - 1);
}

}  // namespace
}  // namespace orbisk
