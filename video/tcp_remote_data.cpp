#include "video/tcp_remote_data.h"

#include "video/log_categories.h"

#include "platform/mjpeg_decoder.h"
#include "platform/window_messages.h"
#include "video/tcp_protocol.h"

#include <opencv2/core.hpp>

#include <future>
#include <utility>

namespace orbisk {
namespace {

using platform::NetResult;
using platform::TcpConnection;
using platform::WorkerThread;
using Clock = TcpConnection::Clock;

// The socket waits of a worker thread: its stop request ends them.
platform::SocketWait WaitOf(WorkerThread::Context& context) {
    return [&context](int fd, short events, int timeoutMs) {
        switch (context.WaitFd(fd, timeoutMs, events)) {
            case WorkerThread::Context::Wake::kReady:
                return NetResult::kOk;
            case WorkerThread::Context::Wake::kTimeout:
                return NetResult::kTimedOut;
            case WorkerThread::Context::Wake::kStopped:
                return NetResult::kStopped;
            case WorkerThread::Context::Wake::kError:
                break;
        }
        return NetResult::kFailed;
    };
}

std::string Blank() { return std::string(tcp::kBlankData, 4); }

}  // namespace

CTcpRemoteData::CTcpRemoteData(TcpTimeouts timeouts) : timeouts_(timeouts) {}

CTcpRemoteData::~CTcpRemoteData() { Stop(); }

QString CTcpRemoteData::OpenAddress() const {
    return QStringLiteral("%1:%2").arg(QString::fromStdString(host_)).arg(port_);
}

HResult CTcpRemoteData::Open(const QString& address, const QString& mode, const QString& /*serial*/,
                             QObject* /*owner*/, bool /*stillPin*/, int /*deviceIndex*/) {
    Stop();
    host_ = tcp::HostOf(address);
    const std::optional<tcp::Address> parsed = tcp::ParseAddress(address, port_);
    if (!parsed) {
        qCWarning(lcVideo, "picture server: no port in \"%s\"", qPrintable(address));
        return kEFail;
    }
    port_ = parsed->port;
    const std::optional<int> code = tcp::ModeCode(mode);
    if (!code) {
        qCWarning(lcVideo, "picture server: no mode \"%s\"", qPrintable(mode));
        return kEFail;
    }
    mode_ = *code;
    stop_ = false;
    // The connection only shows that the server can be reached.
    TcpConnection probe;
    const NetResult r = probe.Connect(host_, port_, timeouts_.connect);
    if (r != NetResult::kOk) {
        qCWarning(lcVideo, "picture server %s:%d: connect %s", host_.c_str(), port_,
                  platform::NetResultText(r));
        return kEFail;
    }
    probe.ShutdownSend();
    probe.Close();
    state_ = kStateStopped;
    if (pending_.set) {
        const Pending pending = std::exchange(pending_, Pending{});
        if (pending.width >= 1 && pending.height >= 1) {
            SetResolution(pending.width, pending.height);
        } else if (pending.index >= 0) {
            SetResolutionIndex(pending.index);
        }
    }
    return kSOk;
}

void CTcpRemoteData::SetNotify(QObject* window, int message) {
    std::lock_guard lock(frameLock_);
    notifyWindow_ = window;
    notifyMessage_ = message;
}

bool CTcpRemoteData::Run() {
    if (receiveThread_.Running()) {
        return state_ == kStateRunning;
    }
    if (state_ != kStateStopped) {
        return false;
    }
    const NetResult r = frameSocket_.Connect(host_, port_, timeouts_.connect);
    if (r != NetResult::kOk) {
        qCWarning(lcVideo, "picture server %s:%d: connect %s", host_.c_str(), port_,
                  platform::NetResultText(r));
        return false;
    }
    stop_ = false;
    receiveThread_.Start([this](WorkerThread::Context& context) { ReceiveThreadProc(context); });
    state_ = kStateRunning;
    return true;
}

bool CTcpRemoteData::Stop() {
    if (receiveThread_.Joinable() && state_ == kStateRunning) {
        stop_ = true;
        // Wakes a receive that waits for a stalled server at once.
        frameSocket_.Shutdown();
        receiveThread_.Stop();
        frameSocket_.ShutdownSend();
        frameSocket_.Close();
        state_ = kStateStopped;
    } else {
        // A command of another thread runs to its end (its time limits bound it).
        std::lock_guard wait(commandLock_);
    }
    return true;
}

bool CTcpRemoteData::Stopping(const WorkerThread::Context& context) const {
    return stop_ || context.StopRequested();
}

void CTcpRemoteData::ReceiveThreadProc(WorkerThread::Context& context) {
    const platform::SocketWait wait = WaitOf(context);
    // Allocated once and reused for every frame.
    std::vector<uint8_t> buffer(tcp::kMaxFrameReply);
    platform::MjpegDecoder decoder;
    bool connected = true;  // Run connected the first time
    while (!Stopping(context)) {
        if (!connected) {
            const NetResult r = frameSocket_.Connect(host_, port_, timeouts_.connect, wait);
            connected = r == NetResult::kOk;
            if (!connected) {
                context.WaitFor(timeouts_.reconnectWait);
                continue;
            }
        }
        RunFrameExchanges(wait, buffer, decoder);
        if (Stopping(context)) {
            break;
        }
        // Broken: a new connection.
        frameSocket_.Close();
        connected = false;
    }
}

void CTcpRemoteData::RunFrameExchanges(const platform::SocketWait& wait,
                                       std::vector<uint8_t>& buffer,
                                       platform::MjpegDecoder& decoder) {
    const std::vector<uint8_t> request = tcp::BuildRequest(tcp::kItemFrame, Blank(), mode_);
    const auto silence = timeouts_.silence;
    cv::Mat scratch;
    for (;;) {
        NetResult r = frameSocket_.SendAll(request.data(), request.size(), silence, wait);
        uint8_t field[tcp::kReplyLengthField];
        if (r == NetResult::kOk) {
            r = frameSocket_.ReceiveExact(field, sizeof(field), silence, Clock::time_point::max(),
                                          wait);
        }
        if (r != NetResult::kOk) {
            qCDebug(lcVideo, "picture server: frame exchange %s", platform::NetResultText(r));
            return;
        }
        const std::optional<int64_t> length = tcp::ParseReplyLength(field);
        if (!length || *length > static_cast<int64_t>(buffer.size())) {
            qCWarning(lcVideo, "picture server: frame reply of a bad length, connection dropped");
            return;
        }
        const auto n = static_cast<size_t>(*length);
        r = frameSocket_.ReceiveExact(buffer.data(), n, silence, Clock::time_point::max(), wait);
        if (r != NetResult::kOk) {
            qCDebug(lcVideo, "picture server: frame body %s", platform::NetResultText(r));
            return;
        }
        // Size texts belong to command answers; on this connection they are
        // not taken (the size list is the UI thread's).
        const tcp::ReplyItems items = tcp::ParseReplyItems(buffer.data(), n);
        for (const auto& [offset, size] : items.frames) {
            TakeFrame(decoder, buffer.data() + offset, size, scratch);
        }
    }
}

void CTcpRemoteData::TakeFrame(platform::MjpegDecoder& decoder, const uint8_t* data, size_t length,
                               cv::Mat& scratch) {
    if (!tcp::DecodeFrame(decoder, data, length, scratch)) {
        qCDebug(lcVideo, "picture server: frame not decoded: %s", decoder.Problem());
    }
    QObject* window = nullptr;
    int message = 0;
    {
        std::lock_guard lock(frameLock_);
        std::swap(newest_, scratch);
        window = notifyWindow_;
        message = notifyMessage_;
    }
    platform::PostWindowMessage(window, message);
}

bool CTcpRemoteData::SendCommand(int32_t type, const std::string& text, const std::string& host,
                                 int mode, int port) {
    std::unique_lock busy(commandLock_, std::try_to_lock);
    if (!busy.owns_lock()) {
        return false;  // one command at a time
    }
    TcpConnection connection;
    bool completed = false;
    const NetResult r = connection.Connect(host, port, timeouts_.connect);
    if (r == NetResult::kOk) {
        std::promise<bool> done;
        std::future<bool> result = done.get_future();
        if (commandThread_.Start([&](WorkerThread::Context& context) {
                done.set_value(RunCommand(WaitOf(context), connection, type, text, mode));
            })) {
            completed = result.get();
        }
        commandThread_.Stop();  // it has ended: only joined
    } else {
        qCWarning(lcVideo, "picture server %s:%d: command connect %s", host.c_str(), port,
                  platform::NetResultText(r));
    }
    connection.ShutdownSend();
    connection.Close();
    return completed;
}

bool CTcpRemoteData::RunCommand(const platform::SocketWait& wait, TcpConnection& connection,
                                int32_t type, const std::string& text, int mode) {
    const std::vector<uint8_t> request =
        tcp::BuildRequest(type, type == tcp::kItemSetSize ? text : Blank(), mode);
    if (request.empty()) {
        return false;
    }
    const Clock::time_point deadline = Clock::now() + timeouts_.reply;
    const auto idle = timeouts_.reply;
    NetResult r = connection.SendAll(request.data(), request.size(), idle, wait);
    uint8_t field[tcp::kReplyLengthField];
    if (r == NetResult::kOk) {
        r = connection.ReceiveExact(field, sizeof(field), idle, deadline, wait);
    }
    if (r != NetResult::kOk) {
        qCWarning(lcVideo, "picture server: command %d %s", type, platform::NetResultText(r));
        return false;
    }
    const std::optional<int64_t> length = tcp::ParseReplyLength(field);
    if (!length || *length > static_cast<int64_t>(tcp::kMaxCommandReply)) {
        qCWarning(lcVideo, "picture server: command %d answered with a bad length", type);
        return false;
    }
    uint8_t body[tcp::kMaxCommandReply];
    const auto n = static_cast<size_t>(*length);
    r = connection.ReceiveExact(body, n, idle, deadline, wait);
    if (r != NetResult::kOk) {
        qCWarning(lcVideo, "picture server: command %d answer %s", type,
                  platform::NetResultText(r));
        return false;
    }
    const tcp::ReplyItems items = tcp::ParseReplyItems(body, n);
    if (!items.wellFormed) {
        qCWarning(lcVideo, "picture server: command %d answer malformed", type);
        return false;
    }
    // The caller waits meanwhile and reads the list only afterwards.
    sizes_.insert(sizes_.end(), items.sizes.begin(), items.sizes.end());
    if (!items.frames.empty()) {
        platform::MjpegDecoder decoder;
        cv::Mat scratch;
        for (const auto& [offset, size] : items.frames) {
            TakeFrame(decoder, body + offset, size, scratch);
        }
    }
    return true;
}

bool CTcpRemoteData::QueryResolutions(const QString& address, const QString& modeText) {
    const QString mode = modeText.size() == 1 ? QStringLiteral("1") + modeText : modeText;
    if (mode.isEmpty()) {
        return false;
    }
    if (!sizes_.empty() && tcp::HostOf(address) == cacheHost_ &&
        mode.back() == QString::number(cacheMode_).back()) {
        return true;
    }
    const std::optional<tcp::Address> parsed = tcp::ParseAddress(address, port_);
    if (!parsed) {
        return false;
    }
    cacheHost_ = parsed->host;
    cacheMode_ = tcp::ModeCode(mode).value_or(10);
    sizes_.clear();
    const bool answered =
        SendCommand(tcp::kItemSizeList, Blank(), parsed->host, cacheMode_, parsed->port);
    if (!answered) {
        sizes_.clear();  // a partial list must not answer later queries
    }
    return answered;
}

int CTcpRemoteData::GetResolutionCount() {
    if (state_ == kStateClosed) {
        return -1;
    }
    return QueryResolutions(OpenAddress(), QString::number(mode_)) ? static_cast<int>(sizes_.size())
                                                                   : -1;
}

int CTcpRemoteData::GetDeviceResolutionCount(const QString& address, const QString& mode,
                                             int /*deviceIndex*/) {
    return QueryResolutions(address, mode) ? static_cast<int>(sizes_.size()) : -1;
}

int CTcpRemoteData::GetResolutionAt(int index, int& width, int& height) {
    if (GetResolutionCount() < 0 || index < 0 || index >= static_cast<int>(sizes_.size())) {
        return -1;
    }
    width = sizes_[index].width;
    height = sizes_[index].height;
    return 0;
}

int CTcpRemoteData::GetDeviceResolutionAt(const QString& address, const QString& mode,
                                          int deviceIndex, int index, int& width, int& height) {
    if (GetDeviceResolutionCount(address, mode, deviceIndex) < 0 || index < 0 ||
        index >= static_cast<int>(sizes_.size())) {
        return -1;
    }
    width = sizes_[index].width;
    height = sizes_[index].height;
    return 0;
}

int CTcpRemoteData::CountDevices(const QString& address, const QString& mode) {
    return QueryResolutions(address, mode) ? 1 : 0;
}

HResult CTcpRemoteData::SetResolution(int width, int height) {
    if (width <= 0 || height <= 0) {
        return kEFail;
    }
    if (host_.empty()) {
        pending_ = {-1, width, height, true};
        return 1;
    }
    return SendCommand(tcp::kItemSetSize, tcp::SizeText(width, height), host_, mode_, port_)
               ? kSOk
               : kEFail;
}

HResult CTcpRemoteData::SetResolutionIndex(int index) {
    if (index < 0) {
        return kEFail;
    }
    if (host_.empty()) {
        pending_ = {index, -1, -1, true};
        return 1;
    }
    int width = 0, height = 0;
    if (GetResolutionAt(index, width, height) != 0) {
        return kEFail;
    }
    return SetResolution(width, height);
}

void CTcpRemoteData::GetResolution(int& width, int& height) {
    std::lock_guard lock(frameLock_);
    if (!newest_.empty()) {
        width = newest_.cols;
        height = newest_.rows;
    }
}

bool CTcpRemoteData::GetFrame(CBasePR* target) {
    if (target == nullptr) {
        return false;
    }
    std::lock_guard lock(frameLock_);
    return tcp::StoreFrame(newest_, *target, greyAsBgr_, flipped_);
}

cv::Mat& CTcpRemoteData::GetFrameMat(cv::Mat& image) {
    std::lock_guard lock(frameLock_);
    if (newest_.empty()) {
        image.release();
    } else {
        newest_.copyTo(image);
    }
    return image;
}

}  // namespace orbisk
