#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <stop_token>

#include "platform/worker_thread.h"

namespace orbisk::platform {

// The PCM samples of a WAV file.
struct WaveClip {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;  // 8 (unsigned) or 16 (signed, little endian)
    QByteArray samples;     // interleaved frames, whole frames only
};

// The clip of a RIFF WAV file with uncompressed 8- or 16-bit PCM; nothing for
// anything else or a file cut short before its samples.
std::optional<WaveClip> ParseWave(const QByteArray& file);

// The longest sound file read: the shutter sound is a few kilobytes, and
// this is half a minute of CD-quality stereo.
inline constexpr qint64 kMaxSoundFileBytes = 6 * 1024 * 1024;

// The bytes of a regular file of at most kMaxSoundFileBytes; nothing for
// anything else (a pipe, a device, a folder, a larger file) or when `stop`
// is requested before the file is read whole. Never waits for a writer.
std::optional<QByteArray> ReadSoundFile(const QString& path, const std::stop_token& stop = {});

// Plays short sounds on the default sound device from a worker thread, so
// that the caller never waits for the device. A missing file or device is
// not an error: the first such failure is logged, later ones are quiet.
class SoundPlayer {
  public:
    SoundPlayer() = default;
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Starts playing the WAV file; a sound still playing keeps playing and
    // this one is skipped.
    void PlayAsync(const QString& path);

  private:
    WorkerThread thread_;
};

}  // namespace orbisk::platform
