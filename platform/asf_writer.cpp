// ASF files through FFmpeg: libavformat's asf muxer over a file of our own,
// so that a write the disk refuses is seen at once and what was written
// before it can be kept.

#include "platform/asf_writer.h"

#include "platform/log_categories.h"

#include <QFile>
#include <QLoggingCategory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

namespace orbisk::platform {
namespace {

// The muxer's own default, set so that the whole packets on disk can be
// counted after a failed write.
constexpr int kPacketSize = 3200;
constexpr int kIoBufferSize = 64 * 1024;

QString AvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof(text));
    return QString::fromLocal8Bit(text);
}

// FFmpeg's complaints go to our log, its chatter nowhere.
void LogFromFfmpeg(void* context, int level, const char* format, va_list args) {
    if (level > AV_LOG_ERROR) {
        return;
    }
    char line[512];
    int prefix = 1;
    av_log_format_line2(context, level, format, args, line, sizeof(line), &prefix);
    qCWarning(lcPlatform).noquote() << "ffmpeg:" << QString::fromLocal8Bit(line).trimmed();
}

void RouteFfmpegLog() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_callback(LogFromFfmpeg); });
}

// The ASF objects the header patch below touches, as this muxer lays them
// out: the file properties first in the header, the data object last.
constexpr uint8_t kFilePropertiesGuid[16] = {0xa1, 0xdc, 0xab, 0x8c, 0x47, 0xa9, 0xcf, 0x11,
                                             0x8e, 0xe4, 0x00, 0xc0, 0x0c, 0x20, 0x53, 0x65};
constexpr uint8_t kDataGuid[16] = {0x36, 0x26, 0xb2, 0x75, 0x8e, 0x66, 0xcf, 0x11,
                                   0xa6, 0xd9, 0x00, 0xaa, 0x00, 0x62, 0xce, 0x6c};
constexpr int64_t kFileProperties = 30;
constexpr int kDataObjectSize = 50;

uint64_t Le(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | p[i];
    }
    return v;
}

void PutLe64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

// The end of what the packet says it holds, in milliseconds: its send time
// plus its duration. -1 for a packet this muxer would not have written.
int64_t PacketEnd(const uint8_t* packet, int size) {
    // Error correction: a flags byte announcing two bytes of data.
    if (size < 16 || packet[0] != 0x82) {
        return -1;
    }
    const uint8_t lengthFlags = packet[3];
    const auto fieldSize = [](int code) { return code == 3 ? 4 : code; };
    int at = 5;                               // after the length type and property flags
    at += fieldSize((lengthFlags >> 5) & 3);  // packet length
    at += fieldSize((lengthFlags >> 1) & 3);  // sequence
    at += fieldSize((lengthFlags >> 3) & 3);  // padding length
    if (at + 6 > size) {
        return -1;
    }
    return static_cast<int64_t>(Le(packet + at, 4) + Le(packet + at + 4, 2));
}

// The header that the trailer would have written, for a file cut after
// `packets` whole packets: its size, packet counts and duration. Best
// effort: a header of another layout is left as it is (readers then read the
// packets to the end without knowing the duration).
void PatchCutHeader(int fd, int64_t headerEnd, int64_t packets, int framesPerSecond) {
    uint8_t properties[104];
    uint8_t data[kDataObjectSize];
    const int64_t dataAt = headerEnd - kDataObjectSize;
    std::vector<uint8_t> last(kPacketSize);
    if (::pread(fd, properties, sizeof(properties), kFileProperties) != sizeof(properties) ||
        ::pread(fd, data, sizeof(data), dataAt) != sizeof(data) ||
        ::pread(fd, last.data(), last.size(), headerEnd + (packets - 1) * kPacketSize) !=
            kPacketSize ||
        std::memcmp(properties, kFilePropertiesGuid, 16) != 0 ||
        std::memcmp(data, kDataGuid, 16) != 0) {
        return;
    }
    const int64_t endMs = PacketEnd(last.data(), kPacketSize);
    if (endMs < 0) {
        return;
    }
    const uint64_t prerollMs = Le(properties + 80, 8);
    // In 100 ns units, to the end of the last frame begun.
    const uint64_t duration = static_cast<uint64_t>(endMs) * 10000 + 10'000'000 / framesPerSecond;
    PutLe64(properties + 40, static_cast<uint64_t>(headerEnd + packets * kPacketSize));
    PutLe64(properties + 56, static_cast<uint64_t>(packets));
    PutLe64(properties + 64, duration + prerollMs * 10000);
    PutLe64(properties + 72, duration);
    PutLe64(data + 16, static_cast<uint64_t>(kDataObjectSize + packets * kPacketSize));
    PutLe64(data + 40, static_cast<uint64_t>(packets));
    if (::pwrite(fd, properties, sizeof(properties), kFileProperties) != sizeof(properties) ||
        ::pwrite(fd, data, sizeof(data), dataAt) != sizeof(data)) {
        qCWarning(lcPlatform) << "ASF: the header of a cut file stays as it was";
    }
}

}  // namespace

// The file under the muxer: every write goes straight to the disk, and the
// first one refused ends all writing.
struct AsfFile {
    int fd = -1;
    int64_t position = 0;
    int64_t extent = 0;  // bytes that reached the file
    int error = 0;       // errno of the first refused write

    static int Write(void* opaque, uint8_t* data, int size) {
        auto* file = static_cast<AsfFile*>(opaque);
        if (file->error) {
            return AVERROR(file->error);
        }
        int done = 0;
        while (done < size) {
            const ssize_t n = ::write(file->fd, data + done, static_cast<size_t>(size - done));
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                file->error = errno;
                return AVERROR(file->error);
            }
            done += static_cast<int>(n);
            file->position += n;
            file->extent = std::max(file->extent, file->position);
        }
        return size;
    }

    static int64_t Seek(void* opaque, int64_t offset, int whence) {
        auto* file = static_cast<AsfFile*>(opaque);
        if (whence == AVSEEK_SIZE) {
            return file->extent;
        }
        const off_t at = ::lseek(file->fd, offset, whence & ~AVSEEK_FORCE);
        if (at < 0) {
            return AVERROR(errno);
        }
        file->position = at;
        return at;
    }
};

struct AsfWriter::Impl {
    QString path;
    QString errorText;
    AsfFile file;
    AVFormatContext* format = nullptr;
    AVIOContext* io = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    SwsContext* scaler = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* sound = nullptr;
    AVPacket* packet = nullptr;
    int64_t headerEnd = 0;
    int framesPerSecond = 0;
    bool failed = false;  // encoding or writing failed: nothing more is written
    std::optional<Outcome> outcome;

    int channels = 0;
    AsfAudioFormat audioFormat;
    std::vector<std::vector<float>> pending;  // per channel, not yet encoded
    int64_t audioPts = 0;
    int64_t audioIn = 0;

    bool Fail(const QString& text) {
        if (!failed) {
            errorText = text;
            qCWarning(lcPlatform).noquote() << "ASF" << path << ":" << text;
        }
        failed = true;
        return false;
    }
    bool FailAv(const char* what, int code) {
        return Fail(QStringLiteral("%1: %2").arg(QLatin1String(what), AvError(code)));
    }
    bool CheckFile() {
        return file.error ? Fail(QString::fromLocal8Bit(std::strerror(file.error))) : !failed;
    }

    bool OpenVideo(const AsfVideoFormat& v);
    bool OpenAudio(const AsfAudioFormat& a);
    bool Encode(AVCodecContext* codec, AVStream* stream, const AVFrame* frame);
    bool EncodePendingAudio(bool padLast);
    void Release();
};

bool AsfWriter::Impl::OpenVideo(const AsfVideoFormat& v) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMV2);
    if (!codec) {
        return Fail(QStringLiteral("no WMV2 encoder"));
    }
    video = avcodec_alloc_context3(codec);
    video->width = v.width;
    video->height = v.height;
    video->time_base = {1, v.framesPerSecond};
    video->framerate = {v.framesPerSecond, 1};
    video->pix_fmt = AV_PIX_FMT_YUV420P;
    video->bit_rate = v.bitRate;
    // A key frame every two seconds keeps seeking close.
    video->gop_size = 2 * v.framesPerSecond;
    video->max_b_frames = 0;
    // One core: the preview runs beside the recording.
    video->thread_count = 1;
    if (format->oformat->flags & AVFMT_GLOBALHEADER) {
        video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (const int rc = avcodec_open2(video, codec, nullptr); rc < 0) {
        return FailAv("WMV2 encoder", rc);
    }
    videoStream = avformat_new_stream(format, nullptr);
    if (!videoStream) {
        return Fail(QStringLiteral("no video stream"));
    }
    videoStream->time_base = video->time_base;
    avcodec_parameters_from_context(videoStream->codecpar, video);

    scaler = sws_getContext(v.width, v.height, AV_PIX_FMT_BGR24, v.width, v.height,
                            AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    picture = av_frame_alloc();
    picture->format = AV_PIX_FMT_YUV420P;
    picture->width = v.width;
    picture->height = v.height;
    if (!scaler || av_frame_get_buffer(picture, 0) < 0) {
        return Fail(QStringLiteral("no picture buffer"));
    }
    return true;
}

bool AsfWriter::Impl::OpenAudio(const AsfAudioFormat& a) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (!codec) {
        return Fail(QStringLiteral("no WMA encoder"));
    }
    audio = avcodec_alloc_context3(codec);
    audio->sample_fmt = AV_SAMPLE_FMT_FLTP;
    audio->sample_rate = a.sampleRate;
    av_channel_layout_default(&audio->ch_layout, a.channels);
    audio->bit_rate = a.bitRate;
    audio->time_base = {1, a.sampleRate};
    if (format->oformat->flags & AVFMT_GLOBALHEADER) {
        audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (const int rc = avcodec_open2(audio, codec, nullptr); rc < 0) {
        return FailAv("WMA encoder", rc);
    }
    audioStream = avformat_new_stream(format, nullptr);
    if (!audioStream) {
        return Fail(QStringLiteral("no audio stream"));
    }
    audioStream->time_base = audio->time_base;
    avcodec_parameters_from_context(audioStream->codecpar, audio);

    sound = av_frame_alloc();
    sound->format = audio->sample_fmt;
    sound->nb_samples = audio->frame_size;
    sound->sample_rate = audio->sample_rate;
    av_channel_layout_copy(&sound->ch_layout, &audio->ch_layout);
    if (audio->frame_size <= 0 || av_frame_get_buffer(sound, 0) < 0) {
        return Fail(QStringLiteral("no audio buffer"));
    }
    channels = a.channels;
    audioFormat = a;
    pending.assign(static_cast<size_t>(channels), {});
    return true;
}

bool AsfWriter::Impl::Encode(AVCodecContext* codec, AVStream* stream, const AVFrame* frame) {
    if (const int rc = avcodec_send_frame(codec, frame); rc < 0) {
        return FailAv("encoding", rc);
    }
    for (;;) {
        const int rc = avcodec_receive_packet(codec, packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) {
            return CheckFile();
        }
        if (rc < 0) {
            return FailAv("encoding", rc);
        }
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        if (const int w = av_interleaved_write_frame(format, packet); w < 0) {
            CheckFile();
            return FailAv("writing", w);
        }
        // The muxer may keep a refused write to itself.
        if (!CheckFile()) {
            return false;
        }
    }
}

bool AsfWriter::Impl::EncodePendingAudio(bool padLast) {
    const int size = audio->frame_size;
    while (!pending[0].empty() && (pending[0].size() >= static_cast<size_t>(size) || padLast)) {
        if (av_frame_make_writable(sound) < 0) {
            return Fail(QStringLiteral("no audio buffer"));
        }
        const int n = std::min<int>(size, static_cast<int>(pending[0].size()));
        for (int c = 0; c < channels; ++c) {
            auto* out = reinterpret_cast<float*>(sound->data[c]);
            std::copy_n(pending[c].begin(), n, out);
            // The last frame is filled up with silence.
            std::fill(out + n, out + size, 0.0f);
            pending[c].erase(pending[c].begin(), pending[c].begin() + n);
        }
        sound->pts = audioPts;
        audioPts += size;
        if (!Encode(audio, audioStream, sound)) {
            return false;
        }
    }
    return true;
}

void AsfWriter::Impl::Release() {
    avcodec_free_context(&video);
    avcodec_free_context(&audio);
    sws_freeContext(scaler);
    scaler = nullptr;
    av_frame_free(&picture);
    av_frame_free(&sound);
    av_packet_free(&packet);
    if (format) {
        format->pb = nullptr;
        avformat_free_context(format);
        format = nullptr;
    }
    if (io) {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
    videoStream = nullptr;
    audioStream = nullptr;
}

AsfWriter::AsfWriter() : impl_(std::make_unique<Impl>()) {}

AsfWriter::~AsfWriter() {
    if (IsOpen()) {
        Finish();
    }
}

bool AsfWriter::Open(const QString& path, const AsfVideoFormat& video,
                     const std::optional<AsfAudioFormat>& audio) {
    if (IsOpen()) {
        Finish();
    }
    RouteFfmpegLog();
    impl_ = std::make_unique<Impl>();
    Impl& d = *impl_;
    d.path = path;
    d.framesPerSecond = video.framesPerSecond;
    // yuv420p needs even sizes.
    if (video.width <= 0 || video.height <= 0 || video.width % 2 || video.height % 2 ||
        video.framesPerSecond <= 0 || video.framesPerSecond > 120 || video.bitRate <= 0) {
        d.errorText = QStringLiteral("unusable video format");
        return false;
    }
    if (audio && (audio->sampleRate <= 0 || audio->channels < 1 || audio->channels > 2 ||
                  audio->bitRate <= 0)) {
        d.errorText = QStringLiteral("unusable audio format");
        return false;
    }
    const QByteArray name = QFile::encodeName(path);
    d.file.fd = ::open(name.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (d.file.fd < 0) {
        d.errorText = QString::fromLocal8Bit(std::strerror(errno));
        qCWarning(lcPlatform).noquote() << "ASF" << path << ":" << d.errorText;
        return false;
    }
    bool ok = avformat_alloc_output_context2(&d.format, nullptr, "asf", nullptr) >= 0;
    ok = ok || d.Fail(QStringLiteral("no ASF muxer"));
    ok = ok && (av_opt_set_int(d.format->priv_data, "packet_size", kPacketSize, 0) >= 0 ||
                d.Fail(QStringLiteral("packet size refused")));
    d.packet = av_packet_alloc();
    ok = ok && d.OpenVideo(video);
    ok = ok && (!audio || d.OpenAudio(*audio));
    if (ok) {
        auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
        d.io = avio_alloc_context(buffer, kIoBufferSize, 1, &d.file, nullptr, &AsfFile::Write,
                                  &AsfFile::Seek);
        if (!d.io) {
            av_free(buffer);
            ok = d.Fail(QStringLiteral("no output buffer"));
        }
    }
    if (ok) {
        d.format->pb = d.io;
        d.format->flags |= AVFMT_FLAG_CUSTOM_IO;
        if (const int rc = avformat_write_header(d.format, nullptr); rc < 0) {
            ok = d.FailAv("header", rc);
        } else {
            avio_flush(d.io);
            ok = d.CheckFile();
            d.headerEnd = d.file.extent;
        }
    }
    if (!ok) {
        d.Release();
        ::close(d.file.fd);
        d.file.fd = -1;
        ::unlink(name.constData());
        return false;
    }
    return true;
}

bool AsfWriter::IsOpen() const { return impl_->file.fd >= 0; }

bool AsfWriter::HasAudio() const { return impl_->audioFormat.channels > 0; }

AsfAudioFormat AsfWriter::AudioFormat() const { return impl_->audioFormat; }

bool AsfWriter::WriteVideo(const uint8_t* bgr, int stride, int64_t frameIndex) {
    Impl& d = *impl_;
    if (!IsOpen() || d.failed) {
        return false;
    }
    if (av_frame_make_writable(d.picture) < 0) {
        return d.Fail(QStringLiteral("no picture buffer"));
    }
    const uint8_t* planes[1] = {bgr};
    const int strides[1] = {stride};
    sws_scale(d.scaler, planes, strides, 0, d.video->height, d.picture->data, d.picture->linesize);
    d.picture->pts = frameIndex;
    return d.Encode(d.video, d.videoStream, d.picture);
}

bool AsfWriter::WriteAudio(const int16_t* samples, int frames) {
    Impl& d = *impl_;
    if (!IsOpen() || d.failed || !d.audio) {
        return false;
    }
    for (int c = 0; c < d.channels; ++c) {
        std::vector<float>& out = d.pending[static_cast<size_t>(c)];
        for (int i = 0; i < frames; ++i) {
            out.push_back(samples[i * d.channels + c] / 32768.0f);
        }
    }
    d.audioIn += frames;
    return d.EncodePendingAudio(false);
}

int64_t AsfWriter::AudioFramesWritten() const { return impl_->audioIn; }

AsfWriter::Outcome AsfWriter::Finish() {
    Impl& d = *impl_;
    if (d.outcome) {
        return *d.outcome;
    }
    if (!IsOpen()) {
        return Outcome::kRemoved;
    }
    if (!d.failed) {
        bool ok = !d.audio || d.EncodePendingAudio(true);
        ok = ok && d.Encode(d.video, d.videoStream, nullptr);
        ok = ok && (!d.audio || d.Encode(d.audio, d.audioStream, nullptr));
        if (ok) {
            if (const int rc = av_write_trailer(d.format); rc < 0) {
                d.FailAv("trailer", rc);
            } else {
                avio_flush(d.io);
                d.CheckFile();
            }
        }
    }
    d.Release();
    Outcome outcome = Outcome::kComplete;
    if (d.failed) {
        // Packets follow the header back to back: whatever lies past the
        // last whole one is cut, so that readers meet a clean end.
        const int64_t packets = (d.file.extent - d.headerEnd) / kPacketSize;
        const int64_t keep = d.headerEnd + packets * kPacketSize;
        outcome = packets > 0 && d.headerEnd > 0 && ::ftruncate(d.file.fd, keep) == 0
                      ? Outcome::kTruncated
                      : Outcome::kRemoved;
        if (outcome == Outcome::kTruncated) {
            PatchCutHeader(d.file.fd, d.headerEnd, packets, d.framesPerSecond);
        }
    }
    if (::close(d.file.fd) != 0 && outcome == Outcome::kComplete) {
        d.file.error = errno;
        d.CheckFile();
        outcome = Outcome::kRemoved;
    }
    d.file.fd = -1;
    if (outcome == Outcome::kRemoved) {
        ::unlink(QFile::encodeName(d.path).constData());
    }
    d.outcome = outcome;
    return outcome;
}

QString AsfWriter::ErrorText() const { return impl_->errorText; }

bool AsfWriter::WriteFailed() const { return impl_->file.error != 0; }

int AsfWriter::WriteErrno() const { return impl_->file.error; }

}  // namespace orbisk::platform
