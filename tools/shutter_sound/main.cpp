// Writes the shutter sound "paizhao.wav": a short mechanical click made of two
// decaying noise bursts (the shutter opening and closing), 16-bit mono PCM.
//   orbisk-shutter-sound <output.wav>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <vector>

namespace {

constexpr int kRate = 22050;

void PutLe(std::ofstream& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A burst of filtered noise starting at `start` seconds that fades with `decay`.
void AddBurst(std::vector<double>& samples, double start, double decay, double gain,
              std::mt19937& random) {
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    double low = 0.0;
    const size_t first = static_cast<size_t>(start * kRate);
    for (size_t i = first; i < samples.size(); ++i) {
        const double t = static_cast<double>(i - first) / kRate;
        low = 0.6 * low + 0.4 * noise(random);  // takes off the hiss
        samples[i] += gain * low * std::exp(-t / decay);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.wav>\n", argv[0]);
        return 2;
    }
    std::vector<double> samples(static_cast<size_t>(0.18 * kRate), 0.0);
    std::mt19937 random(20261210);  // fixed, so that every build writes the same file
    AddBurst(samples, 0.000, 0.006, 0.9, random);
    AddBurst(samples, 0.070, 0.010, 0.7, random);

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    PutLe(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    PutLe(out, 16, 4);         // format chunk size
    PutLe(out, 1, 2);          // PCM
    PutLe(out, 1, 2);          // mono
    PutLe(out, kRate, 4);      // sample rate
    PutLe(out, kRate * 2, 4);  // bytes per second
    PutLe(out, 2, 2);          // block align
    PutLe(out, 16, 2);         // bits per sample
    out.write("data", 4);
    PutLe(out, dataBytes, 4);
    for (double s : samples) {
        const double clipped = std::fmax(-1.0, std::fmin(1.0, s));
        PutLe(out, static_cast<uint32_t>(static_cast<int16_t>(std::lround(clipped * 32000))), 2);
    }
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
