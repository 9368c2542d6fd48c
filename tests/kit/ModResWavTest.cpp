// The wave reader and the rules of PlaySound.
#include "kit/ModResWav.h"
#include "rules/GameState.h"

#include <QList>
#include <QtEndian>
#include <algorithm>
#include <gtest/gtest.h>

namespace corvane {
namespace {

QByteArray Chunk(const char* id, const QByteArray& body) {
    QByteArray c(id, 4);
    char size[4];
    qToLittleEndian<quint32>(quint32(body.size()), size);
    c.append(size, 4).append(body);
    if (body.size() % 2) c.append('\0');
    return c;
}

QByteArray Fmt(quint16 format, quint16 channels, quint32 rate, quint16 bits) {
    QByteArray b(16, '\0');
    qToLittleEndian<quint16>(format, b.data());
    qToLittleEndian<quint16>(channels, b.data() + 2);
    qToLittleEndian<quint32>(rate, b.data() + 4);
    qToLittleEndian<quint32>(rate * channels * bits / 8, b.data() + 8);
    qToLittleEndian<quint16>(quint16(channels * bits / 8), b.data() + 12);
    qToLittleEndian<quint16>(bits, b.data() + 14);
    return Chunk("fmt ", b);
}

QByteArray Riff(const QByteArray& chunks, const char* kind = "WAVE") {
    QByteArray r("RIFF");
    char size[4];
    qToLittleEndian<quint32>(quint32(chunks.size() + 4), size);
    return r.append(size, 4).append(kind, 4).append(chunks);
}

TEST(ModResWav, ParseWaveAcceptsPcmAndRefusesTheRest) {
    const QByteArray samples(2000, '\x10');
    const QByteArray good = Riff(Fmt(1, 1, 22050, 16) + Chunk("data", samples));
    struct Row {
        const char* what;
        QByteArray image;
        bool valid;
    };
    const Row rows[] = {
        {"plain PCM", good, true},
        {"extra chunk of odd length first",
         Riff(Chunk("LIST", "abc") + Fmt(1, 1, 22050, 16) + Chunk("data", samples)), true},
        {"not RIFF", QByteArray("RIFX") + good.mid(4), false},
        {"not WAVE", Riff(Fmt(1, 1, 22050, 16) + Chunk("data", samples), "AVI "), false},
        {"compressed", Riff(Fmt(2, 1, 22050, 16) + Chunk("data", samples)), false},

        {"absurd rate", Riff(Fmt(1, 1, 9000000, 16) + Chunk("data", samples)), false},
        {"no data", Riff(Fmt(1, 1, 22050, 16)), false},
        {"truncated data", good.left(good.size() - 10), false},

    };
    for (const Row& r : rows) {
        const WaveInfo info = ParseWave(r.image);
        EXPECT_EQ(info.valid, r.valid) << r.what;
        EXPECT_TRUE(!info.valid || r.image.mid(info.dataOffset, info.dataSize) == samples)
            << r.what;
    }
    EXPECT_NEAR(ParseWave(good).Seconds(), 1000.0 / 22050.0, 1e-9);
}

// Remembers the sound number of each wave it is given.
struct RecordingPlayer : SoundPlayer {
    RecordingPlayer() { SetSoundPlayer(this); }
    ~RecordingPlayer() override { SetSoundPlayer(nullptr); }
    void Play(const QByteArray& wave) override {
        played.append(int(std::find(Sounds.begin(), Sounds.end(), wave) - Sounds.begin()));
    }
    void Stop() override { ++stops; }
    QList<int> played;
    int stops = 0;
};

TEST(ModResWav, PlaySoundHonoursSoundOnAndItsNumbers) {
    LoadSounds();
    RecordingPlayer player;
    SoundOn = true;
    for (std::int16_t n : {SoundStep, SoundCapture, SoundStep, SoundStart}) PlaySound(n);
    EXPECT_EQ(player.played, (QList<int>{0, 9, 0, 10}));
    for (std::int16_t n : {-1, 11, -32768}) PlaySound(n);
    EXPECT_EQ(player.played.size(), 4);
    SoundOn = false;
    for (int n = 0; n < SoundCount; ++n) PlaySound(std::int16_t(n));
    EXPECT_EQ(player.played.size(), 4);
    StopSounds();
    EXPECT_EQ(player.stops, 1);
    SoundOn = true;
}

} // namespace
} // namespace corvane
