#pragma once

#include "platform/tcp_connection.h"
#include "platform/worker_thread.h"
#include "video/grab_filter.h"
#include "video/video_source.h"

#include <QString>
#include <opencv2/core.hpp>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace orbisk {

namespace platform {
class MjpegDecoder;
}

// How long the TCP picture source waits. Tests shorten them.
struct TcpTimeouts {
    std::chrono::milliseconds connect{3000};
    // A command's whole answer.
    std::chrono::milliseconds reply{5000};
    // The frame connection counts as broken after this long without a byte.
    std::chrono::milliseconds silence{10000};
    // Between attempts to connect again.
    std::chrono::milliseconds reconnectWait{100};
};

// A video source whose frames come from a picture server over TCP: a
// receive thread asks for one JPEG frame after another on a connection of
// its own, keeps the newest decoded frame and posts the notify message for
// each, as a camera does. Capture sizes are asked for and set with short
// exchanges on connections of their own, run on a command thread while the
// caller waits. The address ("host" or "host:port", dotted IPv4) and the
// server mode ("10", "11", "20", "21"; "c" is "1c") take the place of the
// camera's VID and PID texts.
//
// Every operation runs on the UI thread; the receive thread only replaces
// the newest frame (under the frame lock) and posts. No wait lasts longer
// than its time limit, and Stop returns at once whatever the server does.
class CTcpRemoteData : public CVideoBaseClass, public IGrabData {
  public:
    static constexpr int kDefaultPort = 6000;

    explicit CTcpRemoteData(TcpTimeouts timeouts = {});
    ~CTcpRemoteData() override;
    CTcpRemoteData(const CTcpRemoteData&) = delete;
    CTcpRemoteData& operator=(const CTcpRemoteData&) = delete;

    // Stops, takes the address and mode, and checks that the server can be
    // reached (a connection opened and closed again). 0, or kEFail for a bad
    // port or mode (no connection is tried) or an unreachable server. A size
    // asked for while closed is set now.
    HResult Open(const QString& address, const QString& mode, const QString& serial, QObject* owner,
                 bool stillPin, int deviceIndex) override;
    void SetNotify(QObject* window, int message) override;
    IGrabData* GetGrabData() override { return this; }
    // Connects the frame connection and starts the receive thread; true
    // while it runs. False unless open.
    bool Run() override;
    // Ends the receive thread at once (the frame connection is shut down
    // under it) and waits for a command in progress. Always true.
    bool Stop() override;
    // The server's sizes for the open address and mode; -1 before an open
    // or when the server can't say.
    int GetResolutionCount() override;
    int GetDeviceResolutionCount(const QString& address, const QString& mode,
                                 int deviceIndex) override;
    int GetResolutionAt(int index, int& width, int& height) override;
    int GetDeviceResolutionAt(const QString& address, const QString& mode, int deviceIndex,
                              int index, int& width, int& height) override;
    // 1 when the server answers the size query, else 0.
    int CountDevices(const QString& address, const QString& mode) override;
    // Tells the server the size; before an open the size is kept for it
    // (result 1). kEFail for a size that is not positive or a command that
    // fails.
    HResult SetResolution(int width, int height) override;
    // The newest frame's size; unchanged outputs without one.
    void GetResolution(int& width, int& height) override;
    HResult SetResolutionIndex(int index) override;
    int GetState() override { return state_; }

    // The newest frame into the store as 24-bit BGR, bottom-up (a grey one
    // as three equal channels); false without one.
    bool GetFrame(CBasePR* target) override;
    // A copy of the newest frame as decoded (BGR, or one channel for grey).
    cv::Mat& GetFrameMat(cv::Mat& image) override;

    // The server's sizes, cached per host and last digit of the mode (the
    // port takes no part); true when the server answered or the cache did.
    bool QueryResolutions(const QString& address, const QString& mode);

    // For tests.
    int Mode() const { return mode_; }
    const std::string& Host() const { return host_; }
    int Port() const { return port_; }
    const std::vector<cv::Size>& Sizes() const { return sizes_; }

  private:
    using SocketWait = platform::SocketWait;

    void ReceiveThreadProc(platform::WorkerThread::Context& context);
    // One request-and-answer after another on the frame connection, until
    // it breaks or the source stops.
    void RunFrameExchanges(const SocketWait& wait, std::vector<uint8_t>& buffer,
                           platform::MjpegDecoder& decoder);
    // One exchange on its own connection, on the command thread. True when
    // the server's whole, well-formed answer was taken.
    bool SendCommand(int32_t type, const std::string& text, const std::string& host, int mode,
                     int port);
    bool RunCommand(const SocketWait& wait, platform::TcpConnection& connection, int32_t type,
                    const std::string& text, int mode);
    // Replaces the newest frame with `data` decoded (possibly empty) and
    // tells the notify target.
    void TakeFrame(platform::MjpegDecoder& decoder, const uint8_t* data, size_t length,
                   cv::Mat& scratch);
    bool Stopping(const platform::WorkerThread::Context& context) const;
    QString OpenAddress() const;

    const TcpTimeouts timeouts_;

    int mode_ = 10;
    // The size cache.
    std::string cacheHost_;
    int cacheMode_ = 0;
    std::vector<cv::Size> sizes_;

    std::atomic<int> state_{kStateClosed};
    std::string host_;
    int port_ = kDefaultPort;
    std::atomic<bool> stop_{false};

    // The pending size request.
    struct Pending {
        int index = -1;
        int width = -1;
        int height = -1;
        bool set = false;
    } pending_;

    // The frame lock and what it guards.
    std::mutex frameLock_;
    QObject* notifyWindow_ = nullptr;
    int notifyMessage_ = 0;
    cv::Mat newest_;
    cv::Mat greyAsBgr_;  // GetFrame's conversion of a grey frame
    cv::Mat flipped_;    // GetFrame's bottom-up copy

    platform::TcpConnection frameSocket_;
    platform::WorkerThread receiveThread_;
    // Held while a command runs: a second one is refused, Stop waits.
    std::mutex commandLock_;
    platform::WorkerThread commandThread_;
};

}  // namespace orbisk
