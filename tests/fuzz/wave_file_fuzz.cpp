// The shutter sound's WAV file, as the sound player reads it: a sound file
// can be replaced by anyone who can write the program's folder.

#include "platform/sound_player.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto clip = orbisk::platform::ParseWave(orbisk::fuzz::Bytes(data, size));
    if (!clip) return 0;
    // What the player hands to the device must be whole frames of a real format.
    const int frameBytes = clip->channels * (clip->bitsPerSample / 8);
    if (clip->channels <= 0 || clip->sampleRate <= 0 || frameBytes <= 0) {
        orbisk::fuzz::Fail("a clip without a usable format");
    }
    if (clip->bitsPerSample != 8 && clip->bitsPerSample != 16) {
        orbisk::fuzz::Fail("a clip of an unsupported sample size");
    }
    if (clip->samples.size() % frameBytes != 0) orbisk::fuzz::Fail("a part frame");
    if (clip->samples.size() > static_cast<qsizetype>(size))
        orbisk::fuzz::Fail("samples from nowhere");
    return 0;
}
