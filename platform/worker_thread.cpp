#include "platform/worker_thread.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace orbisk::platform {

struct WorkerThread::State {
    State() : wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~State() {
        if (wake >= 0) ::close(wake);
    }
    void Wake() const {
        if (wake < 0) return;
        const uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(wake, &one, sizeof(one));
    }

    std::mutex mutex;
    std::condition_variable_any cv;
    int wake;  // readable once a stop was requested; never drained
    // Our own stop source rather than the jthread's, so that the body may ask
    // for its stop before the jthread object is even assigned.
    std::stop_source source;
    std::atomic<std::thread::id> body_thread{};
    std::atomic<bool> finished{false};
};

WorkerThread::Context::Context(std::stop_token token, std::shared_ptr<State> state)
    : token_(std::move(token)), state_(std::move(state)) {}

bool WorkerThread::Context::WaitFor(std::chrono::milliseconds period) {
    std::unique_lock lock(state_->mutex);
    state_->cv.wait_for(lock, token_, period, [] { return false; });
    return !token_.stop_requested();
}

WorkerThread::Context::Wake WorkerThread::Context::WaitFd(int fd, int timeout_ms, short events,
                                                          short* revents) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
    for (;;) {
        if (token_.stop_requested()) return Wake::kStopped;
        int wait = -1;
        if (timeout_ms >= 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
        pollfd fds[2] = {{fd, events, 0}, {state_->wake, POLLIN, 0}};
        const int n = ::poll(fds, 2, wait);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Wake::kError;
        }
        if (fds[1].revents || token_.stop_requested()) return Wake::kStopped;
        if (fds[0].revents) {
            if (revents) *revents = fds[0].revents;
            return Wake::kReady;
        }
        if (n == 0 && timeout_ms >= 0 && Clock::now() >= deadline) return Wake::kTimeout;
    }
}

bool WorkerThread::Start(Body body) {
    if (thread_.joinable()) return false;
    state_ = std::make_shared<State>();
    auto state = state_;
    thread_ = std::jthread([state, body = std::move(body)] {
        state->body_thread = std::this_thread::get_id();
        const std::stop_token token = state->source.get_token();
        // Wakes a poll of the body; the condition variable wakes itself.
        std::stop_callback wake(token, [&state] { state->Wake(); });
        Context context(token, state);
        body(context);
        state->finished = true;
    });
    return true;
}

void WorkerThread::RequestStop() {
    if (state_) state_->source.request_stop();
}

void WorkerThread::Stop() {
    if (!state_) return;
    state_->source.request_stop();
    if (state_->body_thread.load() == std::this_thread::get_id()) return;
    if (thread_.joinable()) thread_.join();
}

bool WorkerThread::Running() const { return state_ && !state_->finished; }

}  // namespace orbisk::platform
