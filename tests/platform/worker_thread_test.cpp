#include "platform/worker_thread.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>

namespace orbisk::platform {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;

// The waits below are far longer than any test run: a stop that failed to
// wake them shows as a wait that ran out (and a test that lasts a minute),
// never as a timing that happened to be slow.
constexpr auto kLongWait = 60s;

TEST(WorkerThreadTest, StopWakesALongWaitAtOnce) {
    WorkerThread worker;
    std::atomic<bool> waiting{false};
    std::atomic<bool> woke_early{false};
    ASSERT_TRUE(worker.Start([&](WorkerThread::Context& context) {
        waiting = true;
        woke_early =
            !context.WaitFor(std::chrono::duration_cast<std::chrono::milliseconds>(kLongWait));
    }));
    ASSERT_TRUE(WaitUntil([&] { return waiting.load(); }));
    worker.Stop();
    EXPECT_TRUE(woke_early);
    EXPECT_FALSE(worker.Running());
}

TEST(WorkerThreadTest, StopWakesAPollOnADescriptor) {
    int pipe_fds[2];
    ASSERT_EQ(::pipe(pipe_fds), 0);
    WorkerThread worker;
    std::atomic<int> wake{-1};
    std::atomic<bool> waiting{false};
    ASSERT_TRUE(worker.Start([&](WorkerThread::Context& context) {
        waiting = true;
        wake = static_cast<int>(context.WaitFd(
            pipe_fds[0], static_cast<int>(std::chrono::milliseconds(kLongWait).count())));
    }));
    ASSERT_TRUE(WaitUntil([&] { return waiting.load(); }));
    worker.Stop();
    EXPECT_EQ(wake, static_cast<int>(WorkerThread::Context::Wake::kStopped));
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
}

TEST(WorkerThreadTest, PollReportsDataAndTimeout) {
    int pipe_fds[2];
    ASSERT_EQ(::pipe(pipe_fds), 0);
    WorkerThread worker;
    std::atomic<int> first{-1}, second{-1};
    ASSERT_EQ(::write(pipe_fds[1], "x", 1), 1);
    ASSERT_TRUE(worker.Start([&](WorkerThread::Context& context) {
        first = static_cast<int>(context.WaitFd(pipe_fds[0], 1000));
        char c;
        [[maybe_unused]] auto n = ::read(pipe_fds[0], &c, 1);
        second = static_cast<int>(context.WaitFd(pipe_fds[0], 30));
    }));
    ASSERT_TRUE(WaitUntil([&] { return !worker.Running(); }));
    worker.Stop();
    EXPECT_EQ(first, static_cast<int>(WorkerThread::Context::Wake::kReady));
    EXPECT_EQ(second, static_cast<int>(WorkerThread::Context::Wake::kTimeout));
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
}

TEST(WorkerThreadTest, RestartsAfterStopAndRefusesASecondStart) {
    WorkerThread worker;
    std::atomic<int> runs{0};
    auto body = [&](WorkerThread::Context& context) {
        ++runs;
        while (context.WaitFor(5ms)) {
        }
    };
    ASSERT_TRUE(worker.Start(body));
    EXPECT_FALSE(worker.Start(body));
    worker.Stop();
    worker.Stop();
    ASSERT_TRUE(worker.Start(body));
    worker.Stop();
    EXPECT_EQ(runs, 2);
}

TEST(WorkerThreadTest, BodyMayStopItsOwnThread) {
    WorkerThread worker;
    std::atomic<bool> done{false};
    ASSERT_TRUE(worker.Start([&](WorkerThread::Context& context) {
        worker.Stop();
        done = context.StopRequested();
    }));
    ASSERT_TRUE(WaitUntil([&] { return !worker.Running(); }));
    worker.Stop();
    EXPECT_TRUE(done);
}

}  // namespace
}  // namespace orbisk::platform
