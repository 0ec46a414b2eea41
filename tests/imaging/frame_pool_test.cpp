#include <gtest/gtest.h>

#include <opencv2/core.hpp>

#include <string>
#include <thread>
#include <vector>

#include "imaging/frame_pool.h"

namespace orbisk {
namespace {

const cv::Size kFrame(3264, 2448);

TEST(FramePoolTest, FreedFrameBufferIsHandedOutAgainForTheSameSize) {
    ReleaseIdleFrameBuffers();
    EXPECT_EQ(FramePoolIdleBytes(), 0u);
    const uchar* first = nullptr;
    {
        cv::Mat frame = PooledMat(kFrame, CV_8UC3);
        first = frame.data;
        frame.setTo(cv::Scalar(1, 2, 3));
    }
    EXPECT_GE(FramePoolIdleBytes(), kFrame.area() * 3u);
    const cv::Mat again = PooledMat(kFrame, CV_8UC3);
    EXPECT_EQ(again.data, first);
    // A buffer in use is never handed out twice.
    const cv::Mat other = PooledMat(kFrame, CV_8UC3);
    EXPECT_NE(other.data, again.data);
}

TEST(FramePoolTest, CloneIsADeepContinuousCopy) {
    cv::Mat source(kFrame, CV_8UC3);
    cv::randu(source, 0, 256);
    // A part of the frame: rows that are not contiguous.
    const cv::Mat part = source(cv::Rect(100, 50, 2000, 1500));
    cv::Mat copy = PooledClone(part);
    ASSERT_EQ(copy.size(), part.size());
    ASSERT_EQ(copy.type(), part.type());
    EXPECT_TRUE(copy.isContinuous());
    EXPECT_EQ(cv::norm(copy, part, cv::NORM_INF), 0);
    copy.setTo(cv::Scalar::all(0));
    EXPECT_NE(cv::norm(part, cv::NORM_INF), 0) << "the source is not shared";
    EXPECT_TRUE(PooledClone(cv::Mat()).empty());
}

TEST(FramePoolTest, SmallMatricesAndRecreatedOnesWork) {
    cv::Mat small = PooledMat({16, 8}, CV_8UC1);
    small.setTo(7);
    EXPECT_EQ(cv::countNonZero(small == 7), 16 * 8);
    // A pooled matrix keeps the pool when OpenCV re-creates it at another size.
    cv::Mat m = PooledMat(kFrame, CV_8UC1);
    m.create(kFrame, CV_8UC3);
    m.setTo(cv::Scalar(9, 9, 9));
    EXPECT_EQ(m.allocator, FramePool());
    EXPECT_EQ(cv::norm(m, cv::NORM_INF), 9);
}

TEST(FramePoolTest, BuffersGoBackFromAnyThreadAndIdleBytesStayBounded) {
    std::vector<cv::Mat> held;
    for (int i = 0; i < 12; ++i) {
        held.push_back(PooledMat(kFrame, CV_8UC3));
    }
    // Released on other threads, as captures on the UI thread release what
    // the preview's frame thread made.
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        std::vector<cv::Mat> share(held.begin() + t * 3, held.begin() + t * 3 + 3);
        threads.emplace_back([share = std::move(share)]() mutable {
            for (cv::Mat& m : share) {
                m.setTo(cv::Scalar::all(1));
                m.release();
            }
        });
    }
    held.clear();
    for (std::thread& t : threads) t.join();
    EXPECT_GT(FramePoolIdleBytes(), 0u);
    EXPECT_LE(FramePoolIdleBytes(), kMaxIdleBytes);
}

}  // namespace
}  // namespace orbisk
