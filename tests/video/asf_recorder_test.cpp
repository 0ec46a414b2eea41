#include "video/asf_recorder.h"

#include "tests/support/file_size_limit.h"
#include "tests/support/null_preview.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"
#include "tests/video/asf_probe.h"
#include "tests/video/preview_frames.h"
#include "video/show_video.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <opencv2/core.hpp>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <optional>
#include <string>
#include <thread>

namespace orbisk {
namespace {

using namespace std::chrono_literals;
using Duration = IRecordingClock::Duration;

// Time that passes only as the recording waits for it, up to a limit where
// the recording rests until it is stopped: seconds of recording without
// seconds of waiting.
class FakeClock : public IRecordingClock {
  public:
    explicit FakeClock(Duration limit) : limit_(limit) {}
    Duration Now() override { return now_.load(); }
    bool WaitUntil(Duration time, platform::WorkerThread::Context& context) override {
        if (time < limit_) {
            const auto late = wakesLate.find(time);
            const Duration wake = late != wakesLate.end() ? late->second : time;
            if (wake > now_.load()) now_ = wake;
            return !context.StopRequested();
        }
        now_ = limit_;
        reached_ = true;
        while (context.WaitFor(1000ms)) {
        }
        return false;
    }
    bool Reached() const { return reached_; }

    // A wait for one of these times wakes at the time it maps to: the
    // thread was held up.
    std::map<Duration, Duration> wakesLate;

  private:
    const Duration limit_;
    std::atomic<Duration> now_{Duration::zero()};
    std::atomic<bool> reached_{false};
};

// A sine tone at full pace with the clock: by any moment exactly the
// samples up to it have arrived.
class SineInput : public platform::IAudioInput {
  public:
    SineInput(IRecordingClock& clock, int rate) : clock_(clock), rate_(rate) {}
    int SampleRate() const override { return rate_; }
    int Channels() const override { return 1; }
    int Read(int16_t* samples, int maxFrames) override {
        const int64_t due = clock_.Now().count() * rate_ / 1'000'000'000;
        const int n = static_cast<int>(std::min<int64_t>(due - produced_, maxFrames));
        for (int i = 0; i < n; ++i, ++produced_) {
            samples[i] =
                static_cast<int16_t>(16384 * std::sin(2 * std::numbers::pi * 440.0 *
                                                      static_cast<double>(produced_) / rate_));
        }
        return std::max(n, 0);
    }

  private:
    IRecordingClock& clock_;
    int rate_;
    int64_t produced_ = 0;
};

// The preview as the recorder sees it: RenderFrame hands out what the test
// scripts for each call (an empty picture: none yet), maybe slowly.
class ScriptedPreview : public test::NullPreview {
  public:
    std::function<cv::Mat(int call)> script = [](int) { return cv::Mat(); };
    std::chrono::milliseconds delay{0};
    std::atomic<int> calls{0};
    std::atomic<bool> inside{false};

    void RenderFrame(cv::Mat& image) override {
        inside = true;
        if (delay.count() > 0) std::this_thread::sleep_for(delay);  // a slow preview
        image = script(calls++);
        inside = false;
    }
};

cv::Mat Grey(int value, int width = 1600, int height = 1200) {
    return cv::Mat(height, width, CV_8UC3, cv::Scalar::all(value));
}

class AsfRecording : public testing::Test {
  protected:
    CVideoRecorder::Seams VideoOnly() {
        CVideoRecorder::Seams seams;
        seams.clock = clock;
        seams.audio = nullptr;
        return seams;
    }
    // Every file a test keeps must read cleanly in FFmpeg's own programs.
    void ExpectPlaysCleanly(const QString& path) {
        EXPECT_EQ(test::FfmpegErrors(path), "") << path.toStdString();
    }

    test::TempDir dir;
    QString path = dir.File("clip.asf");
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>(2s);
    ScriptedPreview preview;
};

TEST_F(AsfRecording, TwoSecondsOfVideoBlackUntilThePreviewHasAPicture) {
    // No picture for the first three frames, one for the next three, then
    // none again: black first, then the last good picture repeated.
    preview.script = [](int call) { return call >= 3 && call < 6 ? Grey(200) : cv::Mat(); };
    CVideoRecorder recorder(VideoOnly());
    ASSERT_EQ(recorder.Start(&preview, path, 1280, 960, 10, 462500), kSOk);
    EXPECT_FALSE(recorder.HasAudio());
    ASSERT_TRUE(test::WaitUntil([&] { return clock->Reached(); }));
    EXPECT_EQ(recorder.Stop(), kSOk);
    EXPECT_EQ(recorder.Stop(), kSFalse);
    EXPECT_EQ(recorder.FramesWritten(), 20);
    EXPECT_EQ(recorder.FramesSkipped(), 0);

    const test::ReadBack back = test::ReadBackFile(path);
    ASSERT_TRUE(back.opened);
    EXPECT_EQ(back.format, "asf");
    ASSERT_EQ(back.streams.size(), 1u);
    const test::ReadBackStream& video = back.streams[0];
    EXPECT_EQ(video.type, AVMEDIA_TYPE_VIDEO);
    EXPECT_EQ(video.codec, AV_CODEC_ID_WMV2);
    EXPECT_EQ(video.width, 1280);
    EXPECT_EQ(video.height, 960);
    EXPECT_NEAR(static_cast<double>(video.times.size()), 20, 2);
    for (size_t i = 1; i < video.times.size(); ++i) {
        EXPECT_NEAR(video.times[i] - video.times[i - 1], 0.1, 0.002) << i;
    }
    // ASF keeps no frame durations: the last frame starts at 1.9 s.
    EXPECT_NEAR(video.times.back(), 1.9, 0.01);
    ASSERT_EQ(back.pictureLuma.size(), video.times.size());
    EXPECT_EQ(back.decodeErrors, 0);
    EXPECT_LT(back.pictureLuma.front(), 20);  // black is luma 16
    EXPECT_GT(back.pictureLuma[4], 150);      // grey 200 is luma 188
    EXPECT_NEAR(back.pictureLuma.back(), back.pictureLuma[4], 3);

    const test::Probed probed = test::Ffprobe(path);
    ASSERT_TRUE(probed.ran);
    EXPECT_EQ(probed.format, "asf");
    ASSERT_EQ(probed.streams.size(), 1u);
    EXPECT_EQ(probed.streams[0].type, "video");
    EXPECT_EQ(probed.streams[0].codec, "wmv2");
    EXPECT_EQ(probed.streams[0].width, 1280);
    EXPECT_EQ(probed.streams[0].height, 960);
    EXPECT_NEAR(static_cast<double>(probed.streams[0].frames), 20, 2);
    EXPECT_NEAR(probed.duration, 2.0, 0.15);
    ExpectPlaysCleanly(path);
}

TEST_F(AsfRecording, SoundFromTheInputRunsAsLongAsThePicture) {
    preview.script = [](int) { return Grey(120, 640, 480); };
    CVideoRecorder::Seams seams = VideoOnly();
    seams.audio = [this] { return std::make_unique<SineInput>(*clock, 44100); };
    CVideoRecorder recorder(std::move(seams));
    ASSERT_EQ(recorder.Start(&preview, path, 640, 480, 10, 462500), kSOk);
    EXPECT_TRUE(recorder.HasAudio());
    ASSERT_TRUE(test::WaitUntil([&] { return clock->Reached(); }));
    EXPECT_EQ(recorder.Stop(), kSOk);

    const test::ReadBack back = test::ReadBackFile(path);
    ASSERT_TRUE(back.opened);
    const test::ReadBackStream* audio = back.Stream(AVMEDIA_TYPE_AUDIO);
    const test::ReadBackStream* video = back.Stream(AVMEDIA_TYPE_VIDEO);
    ASSERT_NE(audio, nullptr);
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(audio->codec, AV_CODEC_ID_WMAV2);
    // The last frame of sound is filled up with silence: at most one more.
    EXPECT_NEAR(audio->end, 2.0, 0.1);
    EXPECT_NEAR(video->times.back(), 1.9, 0.01);
    // A sine of amplitude one half.
    EXPECT_NEAR(back.soundRms, 0.5 / std::sqrt(2.0), 0.05);

    const test::Probed probed = test::Ffprobe(path);
    ASSERT_TRUE(probed.ran);
    const test::ProbedStream* sound = probed.Stream("audio");
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->codec, "wmav2");
    EXPECT_NEAR(probed.duration, 2.0, 0.15);
    ASSERT_NE(probed.Stream("video"), nullptr);
    EXPECT_EQ(probed.Stream("video")->width, 640);
    ExpectPlaysCleanly(path);
}

TEST_F(AsfRecording, FramesKeepTheRequestedRateAndSkipOnlyWhenFarBehind) {
    clock = std::make_shared<FakeClock>(3s);
    // Held up 300 ms at 1 s: the frames catch up in their own periods.
    // Held up 800 ms at 2 s, more than the half second allowed: the
    // recording goes on at 2.8 s.
    clock->wakesLate = {{1s, 1300ms}, {2s, 2800ms}};
    preview.script = [](int) { return Grey(60, 320, 240); };
    CVideoRecorder recorder(VideoOnly());
    ASSERT_EQ(recorder.Start(&preview, path, 320, 240, 20, 200000), kSOk);
    ASSERT_TRUE(test::WaitUntil([&] { return clock->Reached(); }));
    EXPECT_EQ(recorder.Stop(), kSOk);
    EXPECT_EQ(recorder.FramesWritten(), 44);
    EXPECT_EQ(recorder.FramesSkipped(), 16);

    std::vector<double> expected;
    for (int i = 0; i < 40; ++i) expected.push_back(i * 0.05);
    for (int i = 56; i < 60; ++i) expected.push_back(i * 0.05);
    const test::ReadBack back = test::ReadBackFile(path);
    ASSERT_EQ(back.streams.size(), 1u);
    ASSERT_EQ(back.streams[0].times.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(back.streams[0].times[i], expected[i], 0.002) << i;
    }
    const test::Probed probed = test::Ffprobe(path);
    ASSERT_TRUE(probed.ran);
    ASSERT_EQ(probed.streams.size(), 1u);
    EXPECT_EQ(probed.streams[0].frames, 44);
    EXPECT_NEAR(probed.duration, 3.0, 0.1);
    ExpectPlaysCleanly(path);
}

TEST_F(AsfRecording, StopDuringASlowRenderFrameReturnsSoonWithACompleteFile) {
    clock = std::make_shared<FakeClock>(60s);
    preview.script = [](int) { return Grey(90, 640, 480); };
    preview.delay = 200ms;
    CVideoRecorder recorder(VideoOnly());
    ASSERT_EQ(recorder.Start(&preview, path, 640, 480, 10, 462500), kSOk);
    ASSERT_TRUE(test::WaitUntil([&] { return preview.inside.load(); }));
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(recorder.Stop(), kSOk);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    EXPECT_FALSE(preview.inside);

    const test::Probed probed = test::Ffprobe(path);
    ASSERT_TRUE(probed.ran);
    ASSERT_EQ(probed.streams.size(), 1u);
    EXPECT_GE(probed.streams[0].frames, 1);
    ExpectPlaysCleanly(path);
}

struct StartCase {
    std::string name;
    std::function<QString(const test::TempDir&)> path;
    int width, height, fps, bitRate;
    rlim_t sizeLimit;  // 0: none
    HResult expected;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class FailedStart : public AsfRecording, public testing::WithParamInterface<StartCase> {};

TEST_P(FailedStart, LeavesNoThreadAndNoFile) {
    const StartCase& c = GetParam();
    const QString target = c.path(dir);
    CVideoRecorder recorder(VideoOnly());
    HResult result;
    {
        std::optional<test::FileSizeLimit> limit;
        if (c.sizeLimit) limit.emplace(c.sizeLimit);
        result = recorder.Start(&preview, target, c.width, c.height, c.fps, c.bitRate);
    }
    EXPECT_EQ(result, c.expected);
    EXPECT_FALSE(recorder.IsBuilt());
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(preview.calls, 0);
    EXPECT_EQ(recorder.Stop(), kSFalse);
}

QString InMissingFolder(const test::TempDir& d) { return d.File("missing/clip.asf"); }
QString UnderAFile(const test::TempDir& d) {
    test::WriteBytes(d.File("file"), "x");
    return d.File("file/clip.asf");
}
QString Plain(const test::TempDir& d) { return d.File("clip.asf"); }

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedStart,
    testing::Values(StartCase{"MissingFolder", InMissingFolder, 1280, 960, 10, 462500, 0, kEFail},
                    StartCase{"FileWhereAFolderShouldBe", UnderAFile, 1280, 960, 10, 462500, 0,
                              kEFail},
                    StartCase{"DiskFullForTheHeader", Plain, 1280, 960, 10, 462500, 200, kEFail},
                    StartCase{"OddWidth", Plain, 1279, 960, 10, 462500, 0, kEInvalidArg},
                    StartCase{"NoFrameRate", Plain, 1280, 960, 0, 462500, 0, kEInvalidArg},
                    StartCase{"NoBitRate", Plain, 1280, 960, 10, 0, 0, kEInvalidArg}),
    [](const auto& info) { return info.param.name; });

TEST_F(AsfRecording, DiskThatFillsEndsTheRecordingAndKeepsWhatWasWritten) {
    clock = std::make_shared<FakeClock>(60s);
    preview.script = [](int call) { return test::CoordinateFrame(640, 480, call * 8); };
    CVideoRecorder recorder(VideoOnly());
    constexpr rlim_t kLimit = 120'000;
    {
        test::FileSizeLimit limit(kLimit);
        ASSERT_EQ(recorder.Start(&preview, path, 640, 480, 10, 462500), kSOk);
        // The recording ends by itself, its thread too.
        ASSERT_TRUE(test::WaitUntil([&] { return recorder.Status() != kSOk; }));
        ASSERT_TRUE(test::WaitUntil([&] { return !recorder.IsRunning(); }));
    }
    EXPECT_EQ(recorder.Status(), kEDiskFull);
    EXPECT_FALSE(clock->Reached());
    EXPECT_EQ(recorder.Stop(), kSTruncated);
    EXPECT_EQ(recorder.Stop(), kSFalse);

    const qint64 size = QFileInfo(path).size();
    EXPECT_GT(size, 0);
    EXPECT_LE(size, static_cast<qint64>(kLimit));
    const test::Probed probed = test::Ffprobe(path);
    ASSERT_TRUE(probed.ran);
    ASSERT_EQ(probed.streams.size(), 1u);
    EXPECT_EQ(probed.streams[0].codec, "wmv2");
    EXPECT_GE(probed.streams[0].frames, 1);
    EXPECT_LE(probed.streams[0].frames, recorder.FramesWritten());
    // The header tells how long the part kept lasts.
    EXPECT_NEAR(probed.duration, static_cast<double>(probed.streams[0].frames) / 10, 0.25);
    ExpectPlaysCleanly(path);
}

}  // namespace
}  // namespace orbisk
