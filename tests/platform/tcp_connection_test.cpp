#include "platform/tcp_connection.h"

#include "tests/support/fake_picture_server.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace orbisk::platform {
namespace {

using namespace std::chrono_literals;
using test::FakePictureServer;
using Connection = FakePictureServer::Connection;

void Stall(Connection& c) { c.WaitForClose(); }

TEST(TcpConnection, RefusesWhatIsNotAnIpv4AddressAndPort) {
    TcpConnection c;
    EXPECT_EQ(c.Connect("localhost", 6000, 100ms), NetResult::kFailed);
    EXPECT_EQ(c.Connect("", 6000, 100ms), NetResult::kFailed);
    EXPECT_EQ(c.Connect("127.0.0.1", 0, 100ms), NetResult::kFailed);
    EXPECT_EQ(c.Connect("127.0.0.1", 65536, 100ms), NetResult::kFailed);
    EXPECT_FALSE(c.IsOpen());
    int port = 0;
    {
        FakePictureServer gone(Stall);
        port = gone.Port();
    }
    EXPECT_EQ(c.Connect("127.0.0.1", port, 1000ms), NetResult::kFailed);  // refused
    uint8_t byte = 0;
    EXPECT_EQ(c.SendAll(&byte, 1, 100ms), NetResult::kFailed);
    EXPECT_EQ(c.ReceiveExact(&byte, 1, 100ms), NetResult::kFailed);
}

TEST(TcpConnection, ReceivesExactlyAcrossPieces) {
    FakePictureServer server([](Connection& c) {
        c.Send({'a', 'b', 'c'});
        c.Send({'d', 'e', 'f', 'g'});
        c.WaitForClose();
    });
    TcpConnection c;
    ASSERT_EQ(c.Connect("127.0.0.1", server.Port(), 1000ms), NetResult::kOk);
    std::vector<uint8_t> got(7);
    ASSERT_EQ(c.ReceiveExact(got.data(), got.size(), 1000ms), NetResult::kOk);
    EXPECT_EQ(test::Bytes(got), "abcdefg");
}

TEST(TcpConnection, SendingOnAClosedStreamFailsWithoutASignal) {
    FakePictureServer server(Stall);
    TcpConnection c;
    ASSERT_EQ(c.Connect("127.0.0.1", server.Port(), 1000ms), NetResult::kOk);
    c.ShutdownSend();
    // Without MSG_NOSIGNAL this would be SIGPIPE, which ends the process.
    const std::vector<uint8_t> bytes(100, 1);
    EXPECT_EQ(c.SendAll(bytes.data(), bytes.size(), 100ms), NetResult::kClosed);
}

TEST(TcpConnection, SilentPeerTimesOutAndAPeerThatClosesIsSeen) {
    FakePictureServer server([](Connection& c) {
        if (c.Index() == 0) {
            c.Send({'x'});
            c.WaitForClose();
        }
    });
    TcpConnection c;
    ASSERT_EQ(c.Connect("127.0.0.1", server.Port(), 1000ms), NetResult::kOk);
    uint8_t got[4];
    EXPECT_EQ(c.ReceiveExact(got, 4, 30ms), NetResult::kTimedOut);
    // A deadline already gone ends the wait however long the silence may be.
    EXPECT_EQ(c.ReceiveExact(got, 1, 10s, TcpConnection::Clock::now()), NetResult::kTimedOut);
    ASSERT_EQ(c.Connect("127.0.0.1", server.Port(), 1000ms), NetResult::kOk);
    EXPECT_EQ(c.ReceiveExact(got, 1, 10s), NetResult::kClosed);
}

TEST(TcpConnection, ShutdownFromAnotherThreadEndsAWaitingReceive) {
    FakePictureServer server(Stall);
    TcpConnection c;
    ASSERT_EQ(c.Connect("127.0.0.1", server.Port(), 1000ms), NetResult::kOk);
    std::thread other([&] { c.Shutdown(); });
    uint8_t got[4];
    EXPECT_EQ(c.ReceiveExact(got, 4, 10s), NetResult::kClosed);
    other.join();
}

TEST(TcpConnection, OwnersWaitStopsTheOperation) {
    FakePictureServer server(Stall);
    TcpConnection c;
    ASSERT_EQ(c.Connect("127.0.0.1", server.Port(), 1000ms), NetResult::kOk);
    int waits = 0;
    const SocketWait stopAtThird = [&](int, short, int timeoutMs) {
        EXPECT_LE(timeoutMs, 500);  // waits are slices
        return ++waits < 3 ? NetResult::kTimedOut : NetResult::kStopped;
    };
    uint8_t got[4];
    EXPECT_EQ(c.ReceiveExact(got, 4, 10s, TcpConnection::Clock::time_point::max(), stopAtThird),
              NetResult::kStopped);
    EXPECT_EQ(waits, 3);
}

}  // namespace
}  // namespace orbisk::platform
