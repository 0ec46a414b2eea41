#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace orbisk::platform {

// What a socket operation came to.
enum class NetResult {
    kOk,
    kClosed,    // the peer closed the connection
    kTimedOut,  // no progress within the time allowed
    kStopped,   // the owner asked the operation to end
    kFailed,    // any other socket error, or an address that is not IPv4
};

const char* NetResultText(NetResult result);

// How an operation waits for its socket: until `fd` has one of `events`,
// `timeoutMs` passes (kTimedOut) or the owner wants it to end (kStopped).
// A worker thread passes one that its stop request wakes; without one the
// waits are plain polls.
using SocketWait = std::function<NetResult(int fd, short events, int timeoutMs)>;

// One client TCP connection over IPv4, non-blocking underneath: every wait
// is a poll of at most kPollSlice, so no operation blocks beyond its time
// limit, and a closed peer never raises SIGPIPE (sends use MSG_NOSIGNAL).
//
// One thread uses a connection; another may only call Shutdown, which wakes
// the user's waits (its receives then see the connection closed).
class TcpConnection {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kPollSlice{500};

    TcpConnection() = default;
    ~TcpConnection();
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    // Connects to `host` (dotted IPv4) and `port` (1-65535) within `timeout`.
    // Any connection held before is closed first.
    NetResult Connect(const std::string& host, int port, std::chrono::milliseconds timeout,
                      const SocketWait& wait = {});
    // Sends every byte; `idle` is the longest wait for the peer to take more.
    NetResult SendAll(const uint8_t* data, size_t length, std::chrono::milliseconds idle,
                      const SocketWait& wait = {});
    // Receives exactly `length` bytes. `idle` is the longest silence between
    // bytes; everything must have arrived by `deadline`.
    NetResult ReceiveExact(uint8_t* data, size_t length, std::chrono::milliseconds idle,
                           Clock::time_point deadline = Clock::time_point::max(),
                           const SocketWait& wait = {});

    // Ends the sending side: the peer reads the end of the stream.
    void ShutdownSend();
    // Ends both sides; any thread. Waits of the user wake at once.
    void Shutdown();
    void Close();
    bool IsOpen() const;

  private:
    // Waits for `events` up to `until`, in slices.
    NetResult WaitFor(short events, Clock::time_point until, const SocketWait& wait);

    mutable std::mutex fdLock_;  // the descriptor against a Shutdown from another thread
    int fd_ = -1;
};

}  // namespace orbisk::platform
