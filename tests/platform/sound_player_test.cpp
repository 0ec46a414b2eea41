#include "platform/sound_player.h"

#include "platform/program_folders.h"
#include "tests/support/case_name.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QtEndian>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <optional>

namespace orbisk::platform {
namespace {

QByteArray Le32(quint32 v) {
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray Le16(quint16 v) {
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray Chunk(const char* id, const QByteArray& body, std::optional<quint32> length = {}) {
    QByteArray c = QByteArray(id, 4) + Le32(length.value_or(body.size())) + body;
    if (body.size() % 2) c += '\0';
    return c;
}
QByteArray Format(quint16 code, quint16 channels, quint32 rate, quint16 bits) {
    return Le16(code) + Le16(channels) + Le32(rate) + Le32(rate * channels * bits / 8) +
           Le16(channels * bits / 8) + Le16(bits);
}
QByteArray Riff(const QByteArray& chunks) {
    return "RIFF" + Le32(4 + chunks.size()) + "WAVE" + chunks;
}

struct WaveCase {
    const char* name;
    QByteArray file;
    int samplesBytes;  // -1: refused
    int channels = 0;
    int bits = 0;
};

class ParseWaveTest : public testing::TestWithParam<WaveCase> {};

TEST_P(ParseWaveTest, ReadsPcmAndRefusesTheRest) {
    const WaveCase& c = GetParam();
    const auto clip = ParseWave(c.file);
    if (c.samplesBytes < 0) {
        EXPECT_FALSE(clip);
        return;
    }
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->samples.size(), c.samplesBytes);
    EXPECT_EQ(clip->channels, c.channels);
    EXPECT_EQ(clip->bitsPerSample, c.bits);
    EXPECT_EQ(clip->sampleRate, 22050);
}

const QByteArray kSamples(400, '\x10');

INSTANTIATE_TEST_SUITE_P(
    Files, ParseWaveTest,
    testing::Values(
        WaveCase{"mono_16", Riff(Chunk("fmt ", Format(1, 1, 22050, 16)) + Chunk("data", kSamples)),
                 400, 1, 16},
        WaveCase{"stereo_8_after_an_odd_chunk",
                 Riff(Chunk("LIST", "abc") + Chunk("fmt ", Format(1, 2, 22050, 8)) +
                      Chunk("data", kSamples)),
                 400, 2, 8},
        // A data length past the end: only the whole frames that are there.
        WaveCase{"data_cut_short",
                 Riff(Chunk("fmt ", Format(1, 2, 22050, 16)) +
                      Chunk("data", kSamples.left(398), 100000)),
                 396, 2, 16},
        WaveCase{"not_riff", QByteArray("RIFX") + QByteArray(40, '\0'), -1},
        WaveCase{"float_samples",
                 Riff(Chunk("fmt ", Format(3, 1, 22050, 32)) + Chunk("data", kSamples)), -1},
        WaveCase{"data_before_format",
                 Riff(Chunk("data", kSamples) + Chunk("fmt ", Format(1, 1, 22050, 16))), -1},
        WaveCase{"format_cut_short", Riff(Chunk("fmt ", Format(1, 1, 22050, 16).left(10))), -1},
        WaveCase{"no_channels",
                 Riff(Chunk("fmt ", Format(1, 0, 22050, 16)) + Chunk("data", kSamples)), -1},
        WaveCase{"empty_data", Riff(Chunk("fmt ", Format(1, 1, 22050, 16)) + Chunk("data", {})),
                 -1},
        WaveCase{"empty_file", QByteArray(), -1}),
    [](const auto& info) { return test::CaseName(info.param.name); });

TEST(SoundPlayer, TheShippedShutterSoundIsReadable) {
    QFile file(ResourcePath(QStringLiteral("paizhao.wav")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    const auto clip = ParseWave(file.readAll());
    ASSERT_TRUE(clip);
    EXPECT_GT(clip->samples.size(), 0);
}

TEST(SoundPlayer, PlayingReturnsAtOnceWithOrWithoutAFileOrDevice) {
    const auto start = std::chrono::steady_clock::now();
    {
        SoundPlayer player;
        player.PlayAsync(QStringLiteral("/nonexistent/paizhao.wav"));
        player.PlayAsync(ResourcePath(QStringLiteral("paizhao.wav")));
    }
    // Only a sanity bound: the player's end stops a sound that still plays.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// The sound file lies in a folder that other programs can write to.
class SoundFileTest : public testing::Test {
  protected:
    QString Fifo() {
        const QString path = dir_.File("paizhao.wav");
        EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        return path;
    }
    test::TempDir dir_;
};

TEST_F(SoundFileTest, OnlyASmallRegularFileIsRead) {
    const QString wav = dir_.File("small.wav");
    ASSERT_TRUE(test::WriteBytes(wav, "RIFF...."));
    EXPECT_EQ(ReadSoundFile(wav), QByteArray("RIFF...."));

    const QString large = dir_.File("large.wav");
    ASSERT_TRUE(test::WriteBytes(large, ""));
    ASSERT_TRUE(QFile::resize(large, kMaxSoundFileBytes + 1));
    EXPECT_FALSE(ReadSoundFile(large));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir_.File("zero.wav")));
    EXPECT_FALSE(ReadSoundFile(dir_.File("zero.wav")));
    EXPECT_FALSE(ReadSoundFile(dir_.Path()));
    EXPECT_FALSE(ReadSoundFile(dir_.File("missing.wav")));
    // A pipe nobody writes to: no waiting for a writer.
    EXPECT_FALSE(ReadSoundFile(Fifo()));
}

// Its end waits for its thread: a sound file that never ends must not hold it.
TEST_F(SoundFileTest, APipeOrADeviceAsTheSoundFileHoldsNothingUp) {
    const QString fifo = Fifo();
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir_.File("zero.wav")));
    for (const QString& path : {fifo, dir_.File("zero.wav")}) {
        auto ended = std::async(std::launch::async, [&] {
            SoundPlayer player;
            player.PlayAsync(path);
        });
        const bool prompt = ended.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
        if (!prompt) {
            // A reader stuck in the pipe's open goes on once a writer comes
            // and goes: the test fails instead of hanging.
            const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) ::close(writer);
        }
        ended.wait();
        EXPECT_TRUE(prompt) << path.toStdString();
    }
}

}  // namespace
}  // namespace orbisk::platform
