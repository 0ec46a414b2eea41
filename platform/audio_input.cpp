// Sound capture through ALSA's default device.

#include "platform/audio_input.h"

#include "platform/log_categories.h"

#include <QLoggingCategory>
#include <QString>

#include <alsa/asoundlib.h>

namespace orbisk::platform {
namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 1;
// Room for what arrives between two reads of the recording, with margin.
constexpr unsigned kLatencyUs = 500000;

// ALSA prints its own complaints to the standard error; ours is one log line.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

class AlsaInput : public IAudioInput {
  public:
    explicit AlsaInput(snd_pcm_t* pcm) : pcm_(pcm) {}
    ~AlsaInput() override { snd_pcm_close(pcm_); }
    AlsaInput(const AlsaInput&) = delete;
    AlsaInput& operator=(const AlsaInput&) = delete;

    int SampleRate() const override { return kRate; }
    int Channels() const override { return kChannels; }

    int Read(int16_t* samples, int maxFrames) override {
        if (failed_) {
            return -1;
        }
        const snd_pcm_sframes_t n =
            snd_pcm_readi(pcm_, samples, static_cast<snd_pcm_uframes_t>(maxFrames));
        if (n >= 0) {
            return static_cast<int>(n);
        }
        if (n == -EAGAIN) {
            return 0;
        }
        // An overrun loses what the buffer could not hold; the recording
        // fills the gap with silence.
        const int rc = snd_pcm_recover(pcm_, static_cast<int>(n), 1);
        // Prepared again; the next read starts it.
        if (rc >= 0) {
            return 0;
        }
        qCInfo(lcPlatform).noquote() << "audio input failed:" << snd_strerror(rc);
        failed_ = true;
        return -1;
    }

  private:
    snd_pcm_t* pcm_;
    bool failed_ = false;
};

}  // namespace

std::unique_ptr<IAudioInput> OpenDefaultAudioInput() {
    snd_lib_error_set_handler(QuietAlsa);
    snd_pcm_t* pcm = nullptr;
    int rc = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
    if (rc < 0) {
        qCInfo(lcPlatform).noquote() << "no audio input:" << snd_strerror(rc);
        return nullptr;
    }
    rc = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, kChannels,
                            kRate, 1, kLatencyUs);
    if (rc >= 0) {
        rc = snd_pcm_start(pcm);
    }
    if (rc < 0) {
        qCInfo(lcPlatform).noquote() << "no audio input:" << snd_strerror(rc);
        snd_pcm_close(pcm);
        return nullptr;
    }
    return std::make_unique<AlsaInput>(pcm);
}

}  // namespace orbisk::platform
