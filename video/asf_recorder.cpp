#include "video/asf_recorder.h"

#include "video/log_categories.h"
#include "video/recording_frame.h"
#include "video/show_video.h"

#include <QtDebug>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace orbisk {
namespace {

constexpr int kAudioBitRate = 64000;
constexpr int kAudioChunk = 4096;  // sample frames per read
constexpr int64_t kNanosPerSecond = 1'000'000'000;

HResult WriteFailure(int error) {
    switch (error) {
        case ENOSPC:
        case EFBIG:
        case EDQUOT:
            return kEDiskFull;
        default:
            return kEWriteFault;
    }
}

}  // namespace

CVideoRecorder::CVideoRecorder() : CVideoRecorder(Seams{}) {}

CVideoRecorder::CVideoRecorder(Seams seams) : seams_(std::move(seams)) {
    if (!seams_.clock) {
        seams_.clock = std::make_shared<SteadyRecordingClock>();
    }
}

CVideoRecorder::~CVideoRecorder() { Stop(); }

HResult CVideoRecorder::Start(IShowHWnd* preview, const QString& path, int width, int height,
                              int framesPerSecond, int bitRate) {
    if (built_) {
        Stop();
    }
    status_ = kSOk;
    framesWritten_ = 0;
    framesSkipped_ = 0;
    hasAudio_ = false;
    // yuv420p needs even sizes.
    if (width <= 0 || height <= 0 || width % 2 != 0 || height % 2 != 0 || framesPerSecond <= 0 ||
        framesPerSecond > 120 || bitRate <= 0) {
        return kEInvalidArg;
    }
    const platform::AsfVideoFormat video{width, height, framesPerSecond, bitRate};
    audio_ = seams_.audio ? seams_.audio() : nullptr;
    std::optional<platform::AsfAudioFormat> sound;
    if (audio_) {
        sound = platform::AsfAudioFormat{audio_->SampleRate(), audio_->Channels(), kAudioBitRate};
    }
    if (!writer_.Open(path, video, sound)) {
        // Sound the encoder refuses still leaves the picture.
        if (!sound || !writer_.Open(path, video, std::nullopt)) {
            audio_.reset();
            return kEFail;
        }
        qCInfo(lcVideo) << "recording without sound:" << writer_.ErrorText();
        audio_.reset();
    }
    hasAudio_ = writer_.HasAudio();
    sample_ = cv::Mat::zeros(height, width, CV_8UC3);
    picture_.release();
    provider_ = preview;
    framesPerSecond_ = framesPerSecond;
    outcome_ = platform::AsfWriter::Outcome::kComplete;
    thread_.Start([this](platform::WorkerThread::Context& context) { Record(context); });
    built_ = true;
    return kSOk;
}

HResult CVideoRecorder::Stop() {
    if (!built_) {
        return kSFalse;
    }
    // The thread finishes the file before it ends.
    thread_.Stop();
    built_ = false;
    provider_ = nullptr;
    const HResult status = status_;
    switch (outcome_) {
        case platform::AsfWriter::Outcome::kComplete:
            return kSOk;
        case platform::AsfWriter::Outcome::kTruncated:
            return kSTruncated;
        case platform::AsfWriter::Outcome::kRemoved:
            break;
    }
    return status < 0 ? status : kEFail;
}

void CVideoRecorder::Record(platform::WorkerThread::Context& context) {
    IRecordingClock& clock = *seams_.clock;
    const IRecordingClock::Duration start = clock.Now();
    // What the input caught before the first frame belongs to no frame.
    if (audio_) {
        std::vector<int16_t> discard(static_cast<size_t>(kAudioChunk * audio_->Channels()));
        while (audio_->Read(discard.data(), kAudioChunk) == kAudioChunk) {
        }
    }
    const auto frameTime = [this](int64_t index) {
        return IRecordingClock::Duration(index * kNanosPerSecond / framesPerSecond_);
    };
    // Half a second of lag at most.
    const int64_t maxLag = std::max(1, framesPerSecond_ / 2);
    int64_t next = 0;
    bool ok = true;
    while (ok && clock.WaitUntil(start + frameTime(next), context)) {
        const IRecordingClock::Duration elapsed = clock.Now() - start;
        // A frame a little late keeps its period and the next ones catch up;
        // one further behind than the sound may drift skips to the period
        // it is made in.
        const int64_t due = elapsed.count() * framesPerSecond_ / kNanosPerSecond;
        const int64_t index = due - next > maxLag ? due : next;
        framesSkipped_ += static_cast<long>(index - next);
        ok = WriteFrame(index) && TakeAudio(elapsed, false);
        next = index + 1;
    }
    if (ok) {
        TakeAudio(clock.Now() - start, true);
    }
    outcome_ = writer_.Finish();
    audio_.reset();
    if (writer_.WriteFailed()) {
        status_ = WriteFailure(writer_.WriteErrno());
    } else if (outcome_ != platform::AsfWriter::Outcome::kComplete) {
        status_ = kEFail;
    }
    if (status_ < 0) {
        qCWarning(lcVideo).noquote() << "recording ended:" << writer_.ErrorText();
    }
}

bool CVideoRecorder::WriteFrame(int64_t index) {
    if (provider_) {
        // Leaves the picture as it was when the preview has none.
        provider_->RenderFrame(picture_);
        if (!picture_.empty()) {
            ScaleIntoSample(picture_, sample_);
        }
    }
    if (!writer_.WriteVideo(sample_.data, static_cast<int>(sample_.step), index)) {
        return false;
    }
    ++framesWritten_;
    return true;
}

bool CVideoRecorder::TakeAudio(IRecordingClock::Duration elapsed, bool final) {
    if (!hasAudio_) {
        return true;
    }
    if (audio_) {
        std::vector<int16_t> buffer(static_cast<size_t>(kAudioChunk * audio_->Channels()));
        for (;;) {
            const int n = audio_->Read(buffer.data(), kAudioChunk);
            if (n < 0) {
                qCInfo(lcVideo) << "the audio input is gone; silence follows";
                audio_.reset();
                break;
            }
            if (n > 0 && !writer_.WriteAudio(buffer.data(), n)) {
                return false;
            }
            if (n < kAudioChunk) {
                break;
            }
        }
    }
    // The sound follows the elapsed time: what the input lost (an overrun,
    // an input gone) becomes silence. A live input lags by what it buffers.
    const platform::AsfAudioFormat format = writer_.AudioFormat();
    const int64_t rate = format.sampleRate;
    const int64_t due = elapsed.count() * rate / kNanosPerSecond;
    const int64_t behind = due - writer_.AudioFramesWritten();
    const bool live = audio_ && !final;
    const int64_t slack = live ? rate * 3 / 10 : 0;
    if (behind <= slack) {
        return true;
    }
    int64_t silence = live ? behind - rate / 10 : behind;
    const std::vector<int16_t> zeros(static_cast<size_t>(kAudioChunk * format.channels), 0);
    while (silence > 0) {
        const int n = static_cast<int>(std::min<int64_t>(silence, kAudioChunk));
        if (!writer_.WriteAudio(zeros.data(), n)) {
            return false;
        }
        silence -= n;
    }
    return true;
}

}  // namespace orbisk
