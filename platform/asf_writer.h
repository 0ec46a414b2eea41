#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace orbisk::platform {

struct AsfVideoFormat {
    int width = 0;
    int height = 0;
    int framesPerSecond = 0;
    int bitRate = 0;
};

// Audio as it arrives: interleaved signed 16-bit samples.
struct AsfAudioFormat {
    int sampleRate = 0;
    int channels = 0;
    int bitRate = 0;
};

// An ASF file that ordinary players open: WMV2 video in yuv420p and, when
// asked for, WMA version 2 audio, written through FFmpeg. One thread at a
// time.
class AsfWriter {
  public:
    AsfWriter();
    // Finishes an open file.
    ~AsfWriter();
    AsfWriter(const AsfWriter&) = delete;
    AsfWriter& operator=(const AsfWriter&) = delete;

    // Creates the file and writes its header. On failure no file is left
    // behind and ErrorText() says why.
    bool Open(const QString& path, const AsfVideoFormat& video,
              const std::optional<AsfAudioFormat>& audio);
    bool IsOpen() const;
    bool HasAudio() const;
    // The audio as opened (also after Finish); zeros without audio.
    AsfAudioFormat AudioFormat() const;

    // One picture, 8-bit BGR top-down of the video size, shown `frameIndex`
    // frame periods after the start; indexes must grow. False once encoding
    // or writing failed (WriteFailed() tells which).
    bool WriteVideo(const uint8_t* bgr, int stride, int64_t frameIndex);
    // Audio continues where the last samples ended.
    bool WriteAudio(const int16_t* samples, int frames);
    // Sample frames handed to WriteAudio so far.
    int64_t AudioFramesWritten() const;

    enum class Outcome {
        kComplete,   // trailer and final header written
        kTruncated,  // a write failed: the file ends at its last whole packet
        kRemoved,    // nothing usable was written, or the file can't be closed: no file
    };
    // Flushes the encoders and writes the index and the final header. After
    // a failed write only what reached the disk in whole packets stays, so
    // that readers meet a clean end. Finishing twice answers the first outcome.
    Outcome Finish();

    // The last failure, for the log.
    QString ErrorText() const;
    // The file refused a write (a full disk, a size limit, a removed
    // medium); its errno is in WriteErrno().
    bool WriteFailed() const;
    int WriteErrno() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace orbisk::platform
