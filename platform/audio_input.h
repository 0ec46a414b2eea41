#pragma once

#include <cstdint>
#include <memory>

namespace orbisk::platform {

// Sound from an input device as it arrives: interleaved signed 16-bit
// samples at the device's rate.
class IAudioInput {
  public:
    virtual ~IAudioInput() = default;
    virtual int SampleRate() const = 0;
    virtual int Channels() const = 0;
    // What has arrived since the last call, at most `maxFrames` sample
    // frames, without waiting: the frames read, 0 for none yet, -1 when the
    // device has failed for good.
    virtual int Read(int16_t* samples, int maxFrames) = 0;
};

// ALSA's default capture device, capturing from now on; none when it does
// not open (a machine without an audio input).
std::unique_ptr<IAudioInput> OpenDefaultAudioInput();

}  // namespace orbisk::platform
