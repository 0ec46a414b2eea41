// Playing the program's short sounds through ALSA.

#include "platform/sound_player.h"

#include "platform/log_categories.h"
#include "platform/regular_file.h"

#include <QLoggingCategory>
#include <QtEndian>

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace orbisk::platform {
namespace {

quint32 Le32(const char* p) { return qFromLittleEndian<quint32>(p); }
quint16 Le16(const char* p) { return qFromLittleEndian<quint16>(p); }

// ALSA prints its own complaints to the standard error; ours is one log line.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

std::atomic<bool> failureLogged{false};

void LogFailureOnce(const QString& what) {
    if (!failureLogged.exchange(true)) qCInfo(lcPlatform) << "no sound:" << what;
}

void Play(const WaveClip& clip, WorkerThread::Context& context) {
    snd_lib_error_set_handler(QuietAlsa);
    snd_pcm_t* pcm = nullptr;
    int rc = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0);
    if (rc < 0) {
        LogFailureOnce(QString::fromLocal8Bit(snd_strerror(rc)));
        return;
    }
    const snd_pcm_format_t format =
        clip.bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
    rc = snd_pcm_set_params(pcm, format, SND_PCM_ACCESS_RW_INTERLEAVED, clip.channels,
                            clip.sampleRate, 1, 200000);
    if (rc < 0) {
        LogFailureOnce(QString::fromLocal8Bit(snd_strerror(rc)));
        snd_pcm_close(pcm);
        return;
    }
    const int frameBytes = clip.channels * clip.bitsPerSample / 8;
    const snd_pcm_uframes_t total = clip.samples.size() / frameBytes;
    snd_pcm_uframes_t done = 0;
    while (done < total && !context.StopRequested()) {
        const snd_pcm_uframes_t chunk = std::min<snd_pcm_uframes_t>(total - done, 1024);
        snd_pcm_sframes_t n =
            snd_pcm_writei(pcm, clip.samples.constData() + done * frameBytes, chunk);
        if (n < 0) n = snd_pcm_recover(pcm, int(n), 1);
        if (n < 0) {
            LogFailureOnce(QString::fromLocal8Bit(snd_strerror(int(n))));
            break;
        }
        done += snd_pcm_uframes_t(n);
    }
    if (context.StopRequested()) {
        snd_pcm_drop(pcm);
    } else {
        snd_pcm_drain(pcm);
    }
    snd_pcm_close(pcm);
}

}  // namespace

std::optional<WaveClip> ParseWave(const QByteArray& file) {
    const char* d = file.constData();
    const qsizetype size = file.size();
    if (size < 12 || file.left(4) != "RIFF" || file.mid(8, 4) != "WAVE") return std::nullopt;
    bool haveFormat = false;
    WaveClip found;
    qsizetype at = 12;
    while (at + 8 <= size) {
        const QByteArray id = file.mid(at, 4);
        const qint64 length = Le32(d + at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt ") {
            if (length < 16 || body + 16 > size) return std::nullopt;
            if (Le16(d + body) != 1) return std::nullopt;  // PCM only
            found.channels = Le16(d + body + 2);
            found.sampleRate = int(Le32(d + body + 4));
            found.bitsPerSample = Le16(d + body + 14);
            if (found.channels < 1 || found.channels > 8 || found.sampleRate < 1000 ||
                found.sampleRate > 192000 ||
                (found.bitsPerSample != 8 && found.bitsPerSample != 16)) {
                return std::nullopt;
            }
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) return std::nullopt;
            const int frameBytes = found.channels * found.bitsPerSample / 8;
            const qint64 available = std::min<qint64>(length, size - body);
            const qint64 whole = available / frameBytes * frameBytes;
            if (whole <= 0) return std::nullopt;
            found.samples = file.mid(body, whole);
            return found;
        }
        // Chunks are padded to an even length.
        at = body + length + (length & 1);
    }
    return std::nullopt;
}

std::optional<QByteArray> ReadSoundFile(const QString& path, const std::stop_token& stop) {
    // Not blocking: opening a pipe would wait for a writer, and the exit
    // waits for this thread.
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_size > kMaxSoundFileBytes) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    constexpr qsizetype kChunk = 64 * 1024;
    while (done < bytes.size() && !stop.stop_requested()) {
        const ssize_t n =
            ::read(fd, bytes.data() + done, size_t(std::min(kChunk, bytes.size() - done)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // cut short meanwhile: what is there
        done += n;
    }
    ::close(fd);
    if (stop.stop_requested()) return std::nullopt;
    bytes.truncate(done);
    return bytes;
}

SoundPlayer::~SoundPlayer() { thread_.Stop(); }

void SoundPlayer::PlayAsync(const QString& path) {
    if (thread_.Running()) return;
    thread_.Stop();  // joins the thread of the last sound
    thread_.Start([path](WorkerThread::Context& context) {
        const std::optional<QByteArray> file = ReadSoundFile(path, context.Token());
        if (context.StopRequested()) return;
        if (!file) {
            LogFailureOnce(path + QStringLiteral(" cannot be read, or is no small file"));
            return;
        }
        const std::optional<WaveClip> clip = ParseWave(*file);
        if (!clip) {
            LogFailureOnce(path + QStringLiteral(" is no PCM WAV file"));
            return;
        }
        Play(*clip, context);
    });
}

}  // namespace orbisk::platform
