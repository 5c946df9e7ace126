// SPDX-License-Identifier: MIT
#include "platform/sound/SdlSoundPlayer.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kRate = 44100;

void putLe16(QByteArray& b, std::uint16_t v) {
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}
void putLe32(QByteArray& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
void putBe16(QByteArray& b, std::uint16_t v) {
    b.append(char(v >> 8));
    b.append(char(v & 0xFF));
}
void putBe32(QByteArray& b, std::uint32_t v) {
    for (int i = 3; i >= 0; --i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

// A stereo 16-bit PCM WAVE file holding `frames` frames of one constant sample value,
// so that its samples can be told apart from another file's in the mixed output.
QByteArray makeWave(int frames, std::int16_t value) {
    QByteArray data;
    for (int i = 0; i < frames; ++i) {
        putLe16(data, std::uint16_t(value));
        putLe16(data, std::uint16_t(value));
    }
    QByteArray b("RIFF");
    putLe32(b, 36 + data.size());
    b.append("WAVEfmt ");
    putLe32(b, 16);
    putLe16(b, 1); // PCM
    putLe16(b, 2);
    putLe32(b, kRate);
    putLe32(b, kRate * 4);
    putLe16(b, 4);
    putLe16(b, 16);
    b.append("data");
    putLe32(b, data.size());
    return b + data;
}

// A one-track MIDI file: a few loud piano notes, about half a second in all.
QByteArray makeMidi() {
    QByteArray track;
    const char notes[] = {60, 64, 67};
    for (char note : notes) {
        track.append('\x00');
        track.append('\x90').append(note).append('\x70'); // note on, velocity 112
        track.append('\x60');                             // 96 ticks later
        track.append('\x80').append(note).append('\x40'); // note off
    }
    track.append(QByteArray("\x00\xFF\x2F\x00", 4)); // end of track
    QByteArray b("MThd");
    putBe32(b, 6);
    putBe16(b, 0);   // format 0
    putBe16(b, 1);   // one track
    putBe16(b, 384); // ticks per quarter note at 120 bpm: 96 ticks = 0.125 s
    b.append("MTrk");
    putBe32(b, track.size());
    return b + track;
}

QByteArray wrapRmid(const QByteArray& midi, const QByteArray& chunkBefore = {}) {
    QByteArray body("RMID");
    body += chunkBefore;
    body.append("data");
    putLe32(body, midi.size());
    body += midi;
    if (midi.size() & 1) body.append('\0');
    QByteArray b("RIFF");
    putLe32(b, body.size());
    return b + body;
}

// Runs of one non-zero left-channel sample value in the output, silence skipped.
struct SampleRun {
    std::int16_t value;
    long frames;
};
std::vector<SampleRun> runsOf(const QByteArray& raw) {
    std::vector<SampleRun> runs;
    const auto* s = reinterpret_cast<const unsigned char*>(raw.constData());
    for (qsizetype i = 0; i + 4 <= raw.size(); i += 4) {
        const auto v = std::int16_t(std::uint16_t(s[i] | (s[i + 1] << 8)));
        if (v == 0) continue;
        if (!runs.empty() && runs.back().value == v)
            ++runs.back().frames;
        else
            runs.push_back({v, 1});
    }
    return runs;
}

// Frames loud enough to hear. The synthesiser dithers its output, so even its silence
// has samples of one or two.
long audibleFrames(const QByteArray& raw) {
    long n = 0;
    const auto* s = reinterpret_cast<const unsigned char*>(raw.constData());
    for (qsizetype i = 0; i + 4 <= raw.size(); i += 4) {
        const int v = std::int16_t(std::uint16_t(s[i] | (s[i + 1] << 8)));
        if (v > 64 || v < -64) ++n;
    }
    return n;
}

class SoundPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = mtest::freshDir(QStringLiteral("sound"));
        m_output = m_dir + QStringLiteral("/out.raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_output).constData(), 1);
    }
    void TearDown() override {
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
    }

    QString file(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir + QLatin1Char('/') + name;
        EXPECT_TRUE(mtest::writeFile(path, bytes));
        return path;
    }

    // Waits until the player falls silent; the disk driver plays at about real speed.
    static bool waitUntilSilent(const SdlSoundPlayer& player, int timeoutMs = 10000) {
        QElapsedTimer t;
        t.start();
        while (player.isPlaying()) {
            if (t.elapsed() > timeoutMs) return false;
            QThread::msleep(20);
        }
        return true;
    }

    // The output written so far; only complete once the last player is gone.
    QByteArray output() const { return QFile::exists(m_output) ? mtest::readFile(m_output) : QByteArray(); }

    QString m_dir;
    QString m_output;
};

TEST_F(SoundPlayerTest, SecondWaveReplacesTheFirstAndPlaysToItsEnd) {
    const int longFrames = kRate * 3;
    const int shortFrames = kRate / 5;
    const QString a = file(QStringLiteral("a.wav"), makeWave(longFrames, 3000));
    const QString b = file(QStringLiteral("Ding.WAV"), makeWave(shortFrames, -7000));
    {
        SdlSoundPlayer player;
        player.play(a);
        EXPECT_TRUE(player.isPlaying());
        QThread::msleep(400);
        player.play(b);
        ASSERT_TRUE(waitUntilSilent(player));
    }
    const std::vector<SampleRun> runs = runsOf(output());
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].value, 3000);
    EXPECT_GT(runs[0].frames, 0);
    EXPECT_LT(runs[0].frames, longFrames);
    EXPECT_EQ(runs[1].value, -7000);
    EXPECT_EQ(runs[1].frames, shortFrames);
}

TEST_F(SoundPlayerTest, EmptyPathStopsTheWave) {
    const int longFrames = kRate * 3;
    const QString a = file(QStringLiteral("a.wav"), makeWave(longFrames, 2500));
    {
        SdlSoundPlayer player;
        player.play(a);
        QThread::msleep(300);
        player.play(QString());
        EXPECT_FALSE(player.isPlaying());
        QThread::msleep(300);
    }
    const std::vector<SampleRun> runs = runsOf(output());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_LT(runs[0].frames, longFrames);
}

TEST_F(SoundPlayerTest, OnlyTheLastThreeCharactersMakeAWave) {
    const int frames = kRate / 10;
    const QString x = file(QStringLiteral("sound.xwav"), makeWave(frames, 1234));
    {
        SdlSoundPlayer player;
        player.play(x);
        ASSERT_TRUE(waitUntilSilent(player));
    }
    const std::vector<SampleRun> runs = runsOf(output());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].value, 1234);
    EXPECT_EQ(runs[0].frames, frames);
}

TEST_F(SoundPlayerTest, MissingOrBrokenFilesPlayNothing) {
    const QString notWave = file(QStringLiteral("text.wav"), QByteArray("this is no sound"));
    const QString notMidi = file(QStringLiteral("text.mid"), QByteArray("MThd but nothing else"));
    const QString emptyRmi = file(QStringLiteral("empty.rmi"), wrapRmid(QByteArray()));
    {
        SdlSoundPlayer player;
        for (const QString& path : {m_dir + QStringLiteral("/missing.wav"), m_dir + QStringLiteral("/missing.mid"),
                                    notWave, notMidi, emptyRmi, m_dir + QStringLiteral("/other.ogg")}) {
            player.play(path);
            // A file the synthesiser takes may "play" for a moment, but must end by itself.
            EXPECT_TRUE(waitUntilSilent(player)) << path.toStdString();
        }
    }
    EXPECT_EQ(audibleFrames(output()), 0);
}

struct MidiCase {
    const char* name;
    bool riffWrapped;
};

class MidiPlayTest : public SoundPlayerTest, public ::testing::WithParamInterface<MidiCase> {};

TEST_P(MidiPlayTest, PlaysAudibleMusic) {
    const QByteArray midi = makeMidi();
    // A LIST chunk before the data, as some RIFF MIDI writers put one there.
    const QByteArray list = QByteArray("LIST\x05\x00\x00\x00INFOx\x00", 14);
    const QString path = file(QLatin1String(GetParam().name), GetParam().riffWrapped ? wrapRmid(midi, list) : midi);
    {
        SdlSoundPlayer player;
        player.play(path);
        EXPECT_TRUE(player.isPlaying());
        ASSERT_TRUE(waitUntilSilent(player));
    }
    // A fifth of a second of sound at least: the notes were heard, not just a click.
    EXPECT_GT(audibleFrames(output()), kRate / 5);
}

INSTANTIATE_TEST_SUITE_P(Files, MidiPlayTest,
                         ::testing::Values(MidiCase{"tune.mid", false}, MidiCase{"tune.midi", false},
                                           MidiCase{"tune.RMI", true}, MidiCase{"wrapped.mid", true}),
                         [](const auto& info) {
                             return std::string(info.param.riffWrapped ? "riff" : "plain") + std::to_string(info.index);
                         });

TEST_F(SoundPlayerTest, MidiStopsAWaveAndAnEmptyPathStopsTheMidi) {
    const QString a = file(QStringLiteral("a.wav"), makeWave(kRate * 3, 4321));
    const QString tune = file(QStringLiteral("tune.mid"), makeMidi());
    SdlSoundPlayer player;
    player.play(a);
    QThread::msleep(200);
    player.play(tune);
    EXPECT_TRUE(player.isPlaying());
    player.play(QString());
    EXPECT_FALSE(player.isPlaying());
}

TEST_F(SoundPlayerTest, Mp3GoesToTheOpenerWithTheExactPath) {
    const QString song = file(QStringLiteral("My Song (live).MP3"), QByteArray("ID3 not really"));
    const QString a = file(QStringLiteral("a.wav"), makeWave(kRate * 3, 999));
    QStringList opened;
    {
        SdlSoundPlayer player([&](const QString& path) {
            opened << path;
            return true;
        });
        player.play(a);
        QThread::msleep(200);
        player.play(song);
        // The wave does not go on under the outside player.
        EXPECT_FALSE(player.isPlaying());
        player.play(m_dir + QStringLiteral("/gone.mp3"));
    }
    EXPECT_EQ(opened, QStringList{song});
}

TEST_F(SoundPlayerTest, NoAudioDeviceIsQuiet) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const QString a = file(QStringLiteral("a.wav"), makeWave(kRate, 100));
    SdlSoundPlayer player;
    EXPECT_TRUE(player.audioAvailable());
    player.play(a);
    EXPECT_FALSE(player.audioAvailable());
    EXPECT_FALSE(player.isPlaying());
    player.play(a);
    player.play(QString());
    EXPECT_FALSE(player.isPlaying());
}

struct KindCase {
    const char* path;
    SdlSoundPlayer::Kind kind;
};

class SoundKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(SoundKindTest, JudgedByTheLastCharacters) {
    EXPECT_EQ(SdlSoundPlayer::kindOf(QString::fromUtf8(GetParam().path)), GetParam().kind) << GetParam().path;
}

using K = SdlSoundPlayer::Kind;
INSTANTIATE_TEST_SUITE_P(Table, SoundKindTest,
                         ::testing::Values(KindCase{"/s/Ding.WAV", K::Wave}, KindCase{"/s/sound.xwav", K::Wave},
                                           KindCase{"/s/wav", K::Wave}, KindCase{"/s/tune.mid", K::Midi},
                                           KindCase{"/s/tune.midi", K::Midi}, KindCase{"/s/tune.RMI", K::Midi},
                                           KindCase{"/s/tune.MiDi", K::Midi}, KindCase{"/s/song.mp3", K::Mp3},
                                           KindCase{"/s/song.Mp3", K::Mp3}, KindCase{"/s/clip.ogg", K::Other},
                                           KindCase{"/s/a.wav.txt", K::Other}, KindCase{"/s/noext", K::Other},
                                           KindCase{"", K::Other}));

struct UnwrapCase {
    const char* label;
    QByteArray input;
    QByteArray expected;
};

class RiffMidiTest : public ::testing::TestWithParam<UnwrapCase> {};

TEST_P(RiffMidiTest, Unwraps) {
    EXPECT_EQ(SdlSoundPlayer::unwrapRiffMidi(GetParam().input), GetParam().expected);
}

QByteArray truncatedRmid() {
    QByteArray b = wrapRmid(makeMidi());
    return b.left(b.size() - 10);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RiffMidiTest,
    ::testing::Values(UnwrapCase{"plain", makeMidi(), makeMidi()},
                      UnwrapCase{"wrapped", wrapRmid(makeMidi()), makeMidi()},
                      UnwrapCase{"oddChunkFirst",
                                 wrapRmid(makeMidi(), QByteArray("JUNK\x03\x00\x00\x00"
                                                                 "abc\x00",
                                                                 12)),
                                 makeMidi()},
                      UnwrapCase{"truncatedData", truncatedRmid(), makeMidi().left(makeMidi().size() - 10)},
                      UnwrapCase{"noDataChunk", QByteArray("RIFF\x04\x00\x00\x00RMID", 12), QByteArray()},
                      UnwrapCase{"hugeChunkSize", QByteArray("RIFF\x10\x00\x00\x00RMIDJUNK\xFF\xFF\xFF\xFF", 20),
                                 QByteArray()},
                      UnwrapCase{"riffWave", makeWave(4, 1), makeWave(4, 1)}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
