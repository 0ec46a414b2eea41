#pragma once

#include "platform/asf_writer.h"
#include "platform/audio_input.h"
#include "platform/worker_thread.h"
#include "video/recording_clock.h"
#include "video/video_recorder.h"

#include <opencv2/core.hpp>

#include <atomic>
#include <functional>
#include <memory>

namespace orbisk {

// The recording of the preview into an ASF file. A thread of its own asks
// the preview for a frame (IShowHWnd::RenderFrame, which never waits for the
// UI thread) at the frame rate and encodes it. Frames are stamped with their
// period on the monotonic clock: a frame made late keeps its period and the
// next ones catch up, and the recording skips the periods it missed only
// when it falls more than half a second behind, so the sound, taken from the
// default audio input when there is one, stays in step. Until the preview
// has a picture the frames are black; afterwards a frame without a new
// picture repeats the last one.
//
// Start and Stop on one thread (the UI thread); Status on any.
class CVideoRecorder : public IVideoRecorder {
  public:
    // What the recorder uses of the machine. Tests replace them.
    struct Seams {
        // The steady clock when none.
        std::shared_ptr<IRecordingClock> clock;
        // None: video only.
        std::function<std::unique_ptr<platform::IAudioInput>()> audio =
            platform::OpenDefaultAudioInput;
    };

    CVideoRecorder();
    explicit CVideoRecorder(Seams seams);
    ~CVideoRecorder() override;
    CVideoRecorder(const CVideoRecorder&) = delete;
    CVideoRecorder& operator=(const CVideoRecorder&) = delete;

    // kEInvalidArg for a size, rate or bit rate the file can't take, kEFail
    // when the file can't be made; then no thread runs and no file is left.
    HResult Start(IShowHWnd* preview, const QString& path, int width, int height,
                  int framesPerSecond, int bitRate) override;
    // Ends the thread, which finishes the file: kSOk for a complete file,
    // kSTruncated when a write error had ended it early with the part before
    // kept, the write error when nothing could be kept; kSFalse when nothing
    // runs.
    HResult Stop() override;
    bool IsBuilt() const override { return built_; }
    HResult Status() const override { return status_; }

    // The recording's counts, for tests and the benchmark.
    long FramesWritten() const { return framesWritten_; }
    // Frame periods skipped because the recording fell too far behind.
    long FramesSkipped() const { return framesSkipped_; }
    bool HasAudio() const { return hasAudio_; }
    // The recording thread has not ended yet (a write error ends it early).
    bool IsRunning() const { return thread_.Running(); }

  private:
    void Record(platform::WorkerThread::Context& context);
    bool WriteFrame(int64_t index);
    // Takes the sound that has arrived; a gap the input lost is filled with
    // silence up to `elapsed`.
    bool TakeAudio(IRecordingClock::Duration elapsed, bool final);

    Seams seams_;
    IShowHWnd* provider_ = nullptr;
    int framesPerSecond_ = 0;
    bool built_ = false;
    std::atomic<HResult> status_{kSOk};
    std::atomic<long> framesWritten_{0};
    std::atomic<long> framesSkipped_{0};
    std::atomic<bool> hasAudio_{false};
    platform::AsfWriter::Outcome outcome_ = platform::AsfWriter::Outcome::kComplete;

    // The recording thread's own while it runs.
    platform::AsfWriter writer_;
    std::unique_ptr<platform::IAudioInput> audio_;
    cv::Mat sample_;
    cv::Mat picture_;

    platform::WorkerThread thread_;
};

}  // namespace orbisk
