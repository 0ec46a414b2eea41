// The hand-off of the last image's path to a client program: the client makes
// a shared-memory block and asks by a window message; we write the path into
// the block and tell the client's "Image" window.

#include "app/main_dlg/image_handoff.h"

#include "app/main_dlg/orbisk_dlg.h"
#include "app/main_dlg/thumbnail_strip.h"
#include "core/text_conversion.h"
#include "platform/shared_memory_block.h"
#include "platform/window_messages.h"
#include "ui/image_tile.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>

namespace orbisk {

namespace {

// How long a message from another program waits for the window; a little
// under the one second a sender waits for its answer.
constexpr auto kAnswerTimeout = std::chrono::milliseconds(900);

}  // namespace

QByteArray ImagePathBytes(const QString& path) {
    QByteArray bytes = WideToAnsi(path);
    if (static_cast<std::size_t>(bytes.size()) > kImagePathLimit) bytes.clear();
    return bytes;
}

QByteArray ImagePathBlock(std::size_t blockSize, const QByteArray& text) {
    if (blockSize == 0) return QByteArray();
    if (static_cast<std::size_t>(text.size()) + 1 > blockSize) return QByteArray(1, '\0');
    return text + '\0';
}

// What a message from another program and the window's exit share: the exit
// closes it, so that no message waits for a window that has stopped answering.
struct COrbiskDlg::MessageGate {
    std::mutex mutex;
    std::condition_variable answered;
    bool closing = false;
};

void COrbiskDlg::InitMessageGate() { m_messageGate = std::make_shared<MessageGate>(); }

void COrbiskDlg::CloseMessageGate() {
    if (!m_messageGate) return;
    std::lock_guard lock(m_messageGate->mutex);
    m_messageGate->closing = true;
    m_messageGate->answered.notify_all();
}

qintptr COrbiskDlg::AnswerNamedWindowMessage(int message, qintptr wParam, qintptr lParam) {
    // Of the private messages only the hand-off is open to other programs.
    const std::shared_ptr<MessageGate> gate = m_messageGate;
    if (!gate || message != platform::WM_IMAGE_PATH_REQUEST) return 0;
    auto answer = std::make_shared<std::optional<qintptr>>();
    {
        std::lock_guard lock(gate->mutex);
        if (gate->closing) return 0;
    }
    // The window is touched on the UI thread only; this thread waits for it.
    QMetaObject::invokeMethod(
        this,
        [this, gate, answer, message, wParam, lParam] {
            {
                std::lock_guard lock(gate->mutex);
                if (gate->closing) return;
            }
            qintptr result = 0;
            OnWindowMessage(message, wParam, lParam, result);
            std::lock_guard lock(gate->mutex);
            *answer = result;
            gate->answered.notify_all();
        },
        Qt::QueuedConnection);
    if (env_.foreignMessageQueued) env_.foreignMessageQueued();
    std::unique_lock lock(gate->mutex);
    gate->answered.wait_for(lock, kAnswerTimeout,
                            [&] { return answer->has_value() || gate->closing; });
    return answer->value_or(0);
}

QString COrbiskDlg::ImagePathForClient() const {
    // The strip's newest file sits in the tile the last thumbnail went to.
    if (m_nStripCount <= 0) return QString();
    const int newest = StripTarget(m_nStripCount - 1, static_cast<int>(m_tiles.size()));
    if (newest < 0 || !m_tiles[static_cast<std::size_t>(newest)]) return QString();
    return m_tiles[static_cast<std::size_t>(newest)]->GetPath();
}

qintptr COrbiskDlg::OnImagePathRequest(qintptr, qintptr) {
    const QByteArray text = ImagePathBytes(ImagePathForClient());
    const platform::SharedMemoryWrite written = platform::WriteSharedMemory(
        env_.imageMapName, [&](std::size_t size) { return ImagePathBlock(size, text); });
    if (written == platform::SharedMemoryWrite::kMissing) return 2;
    if (written == platform::SharedMemoryWrite::kNoView) return 0;
    // Posted, not sent: the client's window may be slow to take it, or never.
    m_imageReplies.Post(QString::fromLatin1(kImageWindowTitle), platform::WM_IMAGE_PATH_READY);
    return 0;
}

}  // namespace orbisk
