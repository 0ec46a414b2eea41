#include "video/tcp_remote_data.h"

#include "platform/window_messages.h"
#include "tests/support/fake_picture_server.h"
#include "tests/support/message_log.h"
#include "tests/support/wait_until.h"
#include "video/camera_controller.h"
#include "video/frame_store.h"
#include "video/tcp_protocol.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orbisk {
namespace {

using Connection = test::FakePictureServer::Connection;
using test::FakePictureServer;
using test::Reply;
using test::ReplyItem;
using test::WaitUntil;

constexpr int kNotify = platform::WM_FRAME_READY;

// Short limits, so that the failure cases end quickly.
constexpr TcpTimeouts kQuick{std::chrono::milliseconds(1000), std::chrono::milliseconds(300),
                             std::chrono::milliseconds(300), std::chrono::milliseconds(10)};

std::string Jpeg(const cv::Mat& picture) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(cv::imencode(".jpg", picture, bytes, {cv::IMWRITE_JPEG_QUALITY, 95}));
    return {bytes.begin(), bytes.end()};
}

// Four flat quadrants: top-left blue, top-right green, bottom-left red,
// bottom-right white (BGR).
cv::Mat Quadrants(int width, int height) {
    cv::Mat m(height, width, CV_8UC3);
    const int w = width / 2, h = height / 2;
    m(cv::Rect(0, 0, w, h)).setTo(cv::Scalar(255, 0, 0));
    m(cv::Rect(w, 0, width - w, h)).setTo(cv::Scalar(0, 255, 0));
    m(cv::Rect(0, h, w, height - h)).setTo(cv::Scalar(0, 0, 255));
    m(cv::Rect(w, h, width - w, height - h)).setTo(cv::Scalar(255, 255, 255));
    return m;
}

bool Near(const cv::Vec3b& a, const cv::Vec3b& b) { return cv::norm(a, b, cv::NORM_INF) <= 12; }

// The type of the command item of a client message.
int32_t TypeOf(const std::vector<uint8_t>& message) {
    return message.size() >= 8 ? tcp::GetInt32(message.data() + 4) : -1;
}

// Answers size-list requests with `sizes` and every other command with an
// empty body.
FakePictureServer::Script SizeServer(std::vector<std::string> sizes) {
    return [sizes](Connection& c) {
        std::vector<uint8_t> message;
        if (!c.ReadMessage(message)) return;
        std::vector<ReplyItem> items;
        if (TypeOf(message) == tcp::kItemSizeList) {
            for (const std::string& s : sizes) items.push_back({tcp::kItemSize, s});
        }
        c.Send(Reply(items));
    };
}

QString AddressOf(const FakePictureServer& server) {
    return QStringLiteral("127.0.0.1:%1").arg(server.Port());
}

// ---- Opening --------------------------------------------------------------

TEST(TcpRemoteData, BadModeFailsBeforeAnyConnectionAndModeZeroIsTen) {
    FakePictureServer server([](Connection& c) { c.WaitForClose(); });
    CTcpRemoteData source(kQuick);
    EXPECT_EQ(source.Open(AddressOf(server), "d", {}, nullptr, false, 0), kEFail);
    EXPECT_EQ(source.GetState(), kStateClosed);
    // Host and port are taken all the same.
    EXPECT_EQ(source.Port(), server.Port());
    EXPECT_EQ(source.Host(), "127.0.0.1");
    EXPECT_EQ(source.Open(":7000", "d", {}, nullptr, false, 0), kEFail);
    EXPECT_EQ(source.Port(), 7000);
    EXPECT_EQ(server.Accepted(), 0);

    EXPECT_EQ(source.Open(AddressOf(server), "0", {}, nullptr, false, 0), kSOk);
    EXPECT_EQ(source.Mode(), 10);
    EXPECT_EQ(source.GetState(), kStateStopped);
    // The probe, closed again.
    EXPECT_TRUE(WaitUntil([&] { return server.Finished() == 1; }));
    EXPECT_EQ(server.Accepted(), 1);
    EXPECT_TRUE(server.Messages().empty());
}

TEST(TcpRemoteData, AddressWithoutPortUsesSixThousandAndBadPortsFail) {
    CTcpRemoteData source(kQuick);
    EXPECT_EQ(source.Port(), 6000);
    source.Open("127.0.0.1", "0", {}, nullptr, false, 0);  // whatever listens there
    EXPECT_EQ(source.Port(), 6000);
    for (const char* address : {"127.0.0.1:0", "127.0.0.1:65536", "127.0.0.1:7x"}) {
        EXPECT_EQ(source.Open(address, "0", {}, nullptr, false, 0), kEFail) << address;
        EXPECT_EQ(source.Port(), 6000) << address;
    }
    // Not an IPv4 address; nothing listening.
    EXPECT_EQ(source.Open("localhost:6001", "0", {}, nullptr, false, 0), kEFail);
    QString closed;
    {
        FakePictureServer gone([](Connection&) {});
        closed = AddressOf(gone);
    }
    EXPECT_EQ(source.Open(closed, "0", {}, nullptr, false, 0), kEFail);
    EXPECT_EQ(source.GetState(), kStateClosed);
    EXPECT_FALSE(source.Run());
}

TEST(TcpRemoteData, SizeAskedForBeforeTheOpenIsSentRightAfterIt) {
    FakePictureServer server(SizeServer({}));
    CTcpRemoteData source(kQuick);
    EXPECT_EQ(source.SetResolution(0, 720), kEFail);
    EXPECT_EQ(source.SetResolution(1280, -1), kEFail);
    EXPECT_EQ(source.SetResolution(1280, 720), 1);
    ASSERT_EQ(source.Open(AddressOf(server), "21", {}, nullptr, false, 0), kSOk);
    // The probe, then the command on a connection of its own.
    EXPECT_EQ(server.Accepted(), 2);
    const std::vector<std::vector<uint8_t>> messages = server.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(test::Bytes(messages[0]), test::Bytes(tcp::BuildRequest(2, "1280*720", 21)));
    EXPECT_EQ(test::Bytes(messages[0]).substr(0, 4), std::string("28\0\0", 4));
    EXPECT_EQ(test::Bytes(messages[0]).substr(12, 8), "1280*720");
    // Applied once only.
    source.Stop();
    ASSERT_EQ(source.Open(AddressOf(server), "21", {}, nullptr, false, 0), kSOk);
    EXPECT_EQ(server.Messages().size(), 1u);
    // Once open, the command goes at once.
    EXPECT_EQ(source.SetResolution(640, 480), kSOk);
    ASSERT_EQ(server.Messages().size(), 2u);
    EXPECT_EQ(test::Bytes(server.Messages()[1]).substr(12, 7), "640*480");
}

TEST(TcpRemoteData, PendingSizeIndexZeroIsKeptAndSetAfterTheOpen) {
    FakePictureServer server(SizeServer({"1920*1080", "640*480"}));
    CTcpRemoteData source(kQuick);
    EXPECT_EQ(source.SetResolutionIndex(-1), kEFail);
    EXPECT_EQ(source.SetResolutionIndex(0), 1);
    ASSERT_EQ(source.Open(AddressOf(server), "0", {}, nullptr, false, 0), kSOk);
    const auto messages = server.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(TypeOf(messages[0]), tcp::kItemSizeList);
    EXPECT_EQ(test::Bytes(messages[1]).substr(12, 9), "1920*1080");
    EXPECT_EQ(source.SetResolutionIndex(2), kEFail);
}

// ---- Size queries ---------------------------------------------------------

TEST(TcpRemoteData, SizeListInServerOrderIsCachedPerHostAndLastModeDigit) {
    FakePictureServer server(SizeServer({"1920*1080", "640*480"}));
    CTcpRemoteData source(kQuick);
    const QString address = AddressOf(server);
    EXPECT_EQ(source.GetResolutionCount(), -1);  // before an open
    EXPECT_EQ(source.GetDeviceResolutionCount(address, "10", 0), 2);
    EXPECT_EQ(source.Sizes(), (std::vector<cv::Size>{{1920, 1080}, {640, 480}}));
    int w = 0, h = 0;
    EXPECT_EQ(source.GetDeviceResolutionAt(address, "20", 0, 1, w, h), 0);
    EXPECT_EQ(cv::Size(w, h), cv::Size(640, 480));
    EXPECT_EQ(source.GetDeviceResolutionAt(address, "0", 0, 2, w, h), -1);
    EXPECT_EQ(source.CountDevices(address, "10"), 1);
    // Nor does the port count: nothing listens on port 1.
    EXPECT_EQ(source.GetDeviceResolutionCount("127.0.0.1:1", "20", 0), 2);
    // Modes 10 and 20 share the cache: one connection only.
    EXPECT_EQ(server.Accepted(), 1);
    // Mode 11 asks again.
    EXPECT_EQ(source.GetDeviceResolutionCount(address, "1", 0), 2);
    EXPECT_EQ(server.Accepted(), 2);
    ASSERT_EQ(server.Messages().size(), 2u);
    EXPECT_EQ(tcp::GetInt32(server.Messages()[1].data() + 16), 11);
    EXPECT_FALSE(source.QueryResolutions(address, ""));
    // Another host is asked (and refuses here).
    EXPECT_EQ(source.CountDevices("127.0.0.2:1", "10"), 0);
    EXPECT_TRUE(source.Sizes().empty());
}

struct BadAnswer {
    const char* name;
    std::function<void(Connection&)> answer;  // after the request was read
};

class CommandAnswers : public testing::TestWithParam<BadAnswer> {};

TEST_P(CommandAnswers, FailTheQueryCleanlyAndLeaveNoSizes) {
    FakePictureServer server([](Connection& c) {
        std::vector<uint8_t> message;
        if (c.ReadMessage(message)) GetParam().answer(c);
    });
    CTcpRemoteData source(kQuick);
    EXPECT_EQ(source.GetDeviceResolutionCount(AddressOf(server), "10", 0), -1);
    EXPECT_TRUE(source.Sizes().empty());
}

std::vector<uint8_t> Raw(const std::string& field, const std::vector<uint8_t>& body) {
    return Reply(field, body);
}

const std::vector<uint8_t> kGoodSizes =
    test::ReplyBody({ReplyItem{0, "1920*1080"}, ReplyItem{0, "640*480"}});

INSTANTIATE_TEST_SUITE_P(
    TcpRemoteData, CommandAnswers,
    testing::Values(
        BadAnswer{"Oversize", [](Connection& c) { c.Send(Raw("1025", kGoodSizes)); }},
        BadAnswer{"HugeLength", [](Connection& c) { c.Send(Raw("999999999999", kGoodSizes)); }},
        BadAnswer{"NegativeLength", [](Connection& c) { c.Send(Raw("-24", kGoodSizes)); }},
        BadAnswer{"LettersForLength", [](Connection& c) { c.Send(Raw("abc", kGoodSizes)); }},
        BadAnswer{"TruncatedItem",
                  [](Connection& c) {
                      std::vector<uint8_t> body = kGoodSizes;
                      body.resize(body.size() - 3);
                      c.Send(Reply(body));
                  }},
        BadAnswer{"NegativeItemLength",
                  [](Connection& c) {
                      std::vector<uint8_t> body;
                      tcp::PutInt32(body, 0);
                      tcp::PutInt32(body, -8);
                      c.Send(Reply(body));
                  }},
        BadAnswer{"LongSizeText",
                  [](Connection& c) {
                      c.Send(Reply({ReplyItem{0, "123456*123456"}}));
                  }},
        BadAnswer{"ShortBody",  // fewer bytes than announced, then the end
                  [](Connection& c) { c.Send(Raw("100", kGoodSizes)); }},
        BadAnswer{"Closed", [](Connection&) {}},
        BadAnswer{"Stalled", [](Connection& c) { c.WaitForClose(); }},
        BadAnswer{"StalledMidAnswer",
                  [](Connection& c) {
                      c.Send(Raw("100", kGoodSizes));
                      c.WaitForClose();
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Frames ---------------------------------------------------------------

// An open, running source on a server that runs `script`.
class TcpFrames : public testing::Test {
  protected:
    void Start(FakePictureServer::Script script, TcpTimeouts timeouts = kQuick) {
        server_ = std::make_unique<FakePictureServer>(std::move(script));
        source_ = std::make_unique<CTcpRemoteData>(timeouts);
        source_->SetNotify(&log_, kNotify);
        ASSERT_EQ(source_->Open(AddressOf(*server_), "0", {}, nullptr, false, 0), kSOk);
        ASSERT_TRUE(source_->Run());
        EXPECT_EQ(source_->GetState(), kStateRunning);
    }
    void TearDown() override {
        if (source_) {
            source_->Stop();
            source_->SetNotify(nullptr, 0);
        }
        source_.reset();
        server_.reset();
    }
    bool WaitForNotify(long count = 1) {
        return WaitUntil([&] { return log_.Count(kNotify) >= count; });
    }

    test::MessageLog log_;
    std::unique_ptr<FakePictureServer> server_;
    std::unique_ptr<CTcpRemoteData> source_;
};

std::vector<uint8_t> JpegBytes(const cv::Mat& picture) {
    const std::string jpeg = Jpeg(picture);
    return {jpeg.begin(), jpeg.end()};
}

TEST_F(TcpFrames, ColourFrameReachesTheStoreBottomUpAsBgr) {
    const cv::Mat picture = Quadrants(64, 48);
    Start(test::ServeFrames(JpegBytes(picture)));
    ASSERT_TRUE(WaitForNotify());
    CDPrgb24 store;
    ASSERT_TRUE(source_->GetFrame(&store));
    int w = 0, h = 0;
    ASSERT_TRUE(store.GetSize(w, h));
    EXPECT_EQ(cv::Size(w, h), cv::Size(64, 48));
    // Stored row 0 is the picture's bottom row: red, then white.
    const uint8_t* bottom = store.GetData();
    EXPECT_TRUE(Near({bottom[0], bottom[1], bottom[2]}, {0, 0, 255}));
    EXPECT_TRUE(Near({bottom[3 * 63], bottom[3 * 63 + 1], bottom[3 * 63 + 2]}, {255, 255, 255}));
    const cv::Mat top = store.GetImage();
    EXPECT_TRUE(Near(top.at<cv::Vec3b>(0, 0), {255, 0, 0}));
    EXPECT_TRUE(Near(top.at<cv::Vec3b>(0, 63), {0, 255, 0}));
    cv::Mat mat;
    source_->GetFrameMat(mat);
    EXPECT_EQ(cv::norm(mat, top, cv::NORM_INF), 0);
    source_->GetResolution(w, h);
    EXPECT_EQ(cv::Size(w, h), cv::Size(64, 48));
    // Every request is the frame request with the open mode.
    const auto messages = server_->Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0], tcp::BuildRequest(tcp::kItemFrame, "    ", 10));
    EXPECT_EQ(log_.posted[0], (test::MessageLog::Posted{kNotify, 0, 0}));
}

TEST_F(TcpFrames, GreyFrameReachesTheStoreAsThreeEqualChannels) {
    cv::Mat grey(48, 64, CV_8UC1);
    cv::randu(grey, 0, 256);
    cv::GaussianBlur(grey, grey, {9, 9}, 3);
    Start(test::ServeFrames(JpegBytes(grey)));
    ASSERT_TRUE(WaitForNotify());
    cv::Mat decoded;
    source_->GetFrameMat(decoded);
    ASSERT_EQ(decoded.type(), CV_8UC1);
    CDPrgb24 store;
    ASSERT_TRUE(source_->GetFrame(&store));
    const cv::Mat stored = store.GetImage();
    ASSERT_EQ(stored.size(), decoded.size());
    cv::Mat channels[3];
    cv::split(stored, channels);
    for (const cv::Mat& c : channels) {
        EXPECT_EQ(cv::norm(c, decoded, cv::NORM_INF), 0);
    }
}

TEST_F(TcpFrames, CorruptFrameLeavesNoFrameButStillNotifies) {
    std::vector<uint8_t> jpeg = JpegBytes(Quadrants(64, 48));
    jpeg.resize(jpeg.size() / 2);
    Start(test::ServeFrames(jpeg));
    ASSERT_TRUE(WaitForNotify(2));
    CDPrgb24 store;
    EXPECT_FALSE(source_->GetFrame(&store));
    EXPECT_FALSE(source_->GetFrame(nullptr));
    cv::Mat mat(2, 2, CV_8UC3);
    EXPECT_TRUE(source_->GetFrameMat(mat).empty());
    int w = -7, h = -7;
    source_->GetResolution(w, h);
    EXPECT_EQ(w, -7);
    EXPECT_EQ(h, -7);
}

TEST_F(TcpFrames, FrameConnectionClosedByTheServerIsOpenedAgain) {
    const std::vector<uint8_t> jpeg = JpegBytes(Quadrants(32, 32));
    Start([jpeg](Connection& c) {
        std::vector<uint8_t> message;
        // The probe is connection 0; the first frame connection ends after
        // one request without an answer.
        if (c.Index() == 1) {
            c.ReadMessage(message);
            return;
        }
        test::ServeFrames(jpeg)(c);
    });
    ASSERT_TRUE(WaitForNotify());
    EXPECT_GE(server_->Accepted(), 3);
}

struct BrokenFrameAnswer {
    const char* name;
    std::function<void(Connection&)> answer;
};

class BrokenFrameAnswers : public TcpFrames,
                           public testing::WithParamInterface<BrokenFrameAnswer> {};

TEST_P(BrokenFrameAnswers, DropTheConnectionAndTheNextOneServes) {
    const std::vector<uint8_t> jpeg = JpegBytes(Quadrants(32, 32));
    Start([jpeg](Connection& c) {
        std::vector<uint8_t> message;
        if (c.Index() == 1 && c.ReadMessage(message)) {
            GetParam().answer(c);
            c.WaitForClose();  // the client must give up by itself
            return;
        }
        test::ServeFrames(jpeg)(c);
    });
    ASSERT_TRUE(WaitForNotify());
    CDPrgb24 store;
    EXPECT_TRUE(source_->GetFrame(&store));
    EXPECT_GE(server_->Accepted(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    TcpRemoteData, BrokenFrameAnswers,
    testing::Values(
        BrokenFrameAnswer{
            "Oversize",
            [](Connection& c) { c.Send(Reply(std::to_string(tcp::kMaxFrameReply + 1), {})); }},
        BrokenFrameAnswer{"NegativeLength", [](Connection& c) { c.Send(Reply("-1", {})); }},
        BrokenFrameAnswer{"Malformed", [](Connection& c) { c.Send(Reply("12x", {})); }},
        BrokenFrameAnswer{"Silent", [](Connection&) {}},
        BrokenFrameAnswer{"HalfABody",
                          [](Connection& c) {
                              c.Send(Reply("5000", {1, 2, 3}));
                          }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TcpFrames, MalformedItemsInAFrameAnswerAreSkippedAndTheConnectionStays) {
    const std::string jpeg = Jpeg(Quadrants(32, 32));
    Start([jpeg](Connection& c) {
        std::vector<uint8_t> message;
        while (c.ReadMessage(message)) {
            // A size text (not taken here), the frame, then an item that
            // claims more than is left.
            std::vector<uint8_t> body =
                test::ReplyBody({ReplyItem{0, "640*480"}, ReplyItem{1, jpeg}});
            tcp::PutInt32(body, 1);
            tcp::PutInt32(body, 1000);
            if (!c.Send(Reply(body))) return;
        }
    });
    ASSERT_TRUE(WaitForNotify(3));
    EXPECT_EQ(server_->Accepted(), 2);
    EXPECT_TRUE(source_->Sizes().empty());
}

TEST_F(TcpFrames, StopReturnsAtOnceFromAStalledServer) {
    // The real limits: a stop must not wait for the ten seconds of silence.
    Start([](Connection& c) { c.WaitForClose(); }, TcpTimeouts{});
    ASSERT_TRUE(WaitUntil([&] { return server_->Accepted() == 2; }));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(source_->Stop());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(source_->GetState(), kStateStopped);
    // The server sees the connection end.
    EXPECT_TRUE(WaitUntil([&] { return server_->Finished() == 2; }));
    // And it runs again.
    EXPECT_TRUE(source_->Run());
    EXPECT_TRUE(source_->Run());
    EXPECT_TRUE(WaitUntil([&] { return server_->Accepted() == 3; }));
}

TEST(TcpRemoteData, FactoryMakesItForEveryKindButTheCamera) {
    EXPECT_NE(dynamic_cast<CTcpRemoteData*>(CreateVideoSource(1).get()), nullptr);
    EXPECT_NE(dynamic_cast<CTcpRemoteData*>(CreateVideoSource(-3).get()), nullptr);
    EXPECT_EQ(dynamic_cast<CTcpRemoteData*>(CreateVideoSource(0).get()), nullptr);
}

}  // namespace
}  // namespace orbisk
