// SPDX-License-Identifier: MIT
#include "platform/sound/SdlSoundPlayer.h"

#include "../../imaging/FileBytes.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QThread>
#include <QtEndian>

#include <cstdlib>

namespace {

using filebytes::bigEndian;
using filebytes::littleEndian;

constexpr int kRate = 44100;

// A stereo 16-bit PCM WAVE file of `frames` frames of one sample value, so that its samples
// can be told apart from another file's in the mixed output.
QByteArray makeWave(int frames, qint16 value) {
    const QByteArray data = littleEndian(value, value).repeated(frames);
    return "RIFF" + littleEndian(quint32(36 + data.size())) + "WAVEfmt " +
           littleEndian(quint32(16), quint16(1), quint16(2), quint32(kRate), quint32(kRate * 4), quint16(4),
                        quint16(16)) +
           "data" + littleEndian(quint32(data.size())) + data;
}

// One track of three loud notes of 96 ticks each: 0.125 s at 384 ticks a beat and 120 bpm.
QByteArray makeMidi() {
    QByteArray track;
    for (const char note : {60, 64, 67})
        track += QByteArray("\x00\x90", 2) + note + "\x70\x60\x80" + note + "\x40";
    track += QByteArray("\x00\xFF\x2F\x00", 4); // end of track
    return "MThd" + bigEndian(quint32(6), quint16(0), quint16(1), quint16(384)) + "MTrk" +
           bigEndian(quint32(track.size())) + track;
}

QByteArray wrapRmid(const QByteArray& midi, const QByteArray& chunkBefore = {}) {
    const QByteArray body =
        "RMID" + chunkBefore + "data" + littleEndian(quint32(midi.size())) + midi + QByteArray(midi.size() & 1, '\0');
    return "RIFF" + littleEndian(quint32(body.size())) + body;
}

// Runs of one loud left-channel sample value in the output (value, frames). Silence is skipped, and
// so is the synthesiser's dither, which gives even its silence samples of one or two.
using SampleRun = std::pair<qint16, long>;
std::vector<SampleRun> loudRuns(const QByteArray& raw) {
    std::vector<SampleRun> runs;
    for (qsizetype i = 0; i + 4 <= raw.size(); i += 4) {
        const auto v = qFromLittleEndian<qint16>(raw.constData() + i);
        if (std::abs(v) <= 64) continue;
        if (!runs.empty() && runs.back().first == v)
            ++runs.back().second;
        else
            runs.emplace_back(v, 1);
    }
    return runs;
}

// SDL's disk driver writes what plays, so order and length can be checked, not wall-clock time.
class SoundPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_dir + "/out.raw"));
    }
    void TearDown() override {
        qunsetenv("SDL_AUDIODRIVER");
        qunsetenv("SDL_DISKAUDIOFILE");
    }
    QString file(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir + QLatin1Char('/') + name;
        EXPECT_TRUE(mtest::writeFile(path, bytes));
        return path;
    }
    // The disk driver plays at about real speed.
    static bool waitUntilSilent(const SdlSoundPlayer& player) {
        return mtest::waitUntil([&player] { return !player.isPlaying(); }, 10000);
    }
    // Complete only once the last player is gone.
    QByteArray output() const { return mtest::readFile(m_dir + "/out.raw"); }

    QString m_dir = mtest::freshDir("sound");
};

// One player through the sounds of many changes. A new sound cuts the one before short, and an
// empty path stops it. Only the last three characters of a name make a wave, in any letter case
// ("Ding.XWAV"). Missing or broken files play nothing. MIDI stops a wave; an MP3 stops both and
// goes to the outside player, which would only complain about a file that is not there.
TEST_F(SoundPlayerTest, EachSoundReplacesTheOneBefore) {
    const QString song = file("My Song (live).MP3", "ID3 not really");
    QStringList opened;
    {
        SdlSoundPlayer player([&](const QString& path) {
            opened << path;
            return true;
        });
        player.play(file("a.wav", makeWave(kRate * 3, 3000)));
        EXPECT_TRUE(player.isPlaying());
        QThread::msleep(400);
        player.play(file("Ding.XWAV", makeWave(kRate / 5, -7000)));
        ASSERT_TRUE(waitUntilSilent(player));
        for (const QString& path :
             {m_dir + "/missing.wav", m_dir + "/missing.mid", file("text.wav", "no sound"),
              file("text.mid", "MThd but no more"), file("empty.rmi", wrapRmid(QByteArray())), m_dir + "/other.ogg"}) {
            player.play(path);
            // A file the synthesiser takes may "play" for a moment, but must end by itself.
            EXPECT_TRUE(waitUntilSilent(player)) << path.toStdString();
        }
        // A wave still loading when the next request comes never sounds.
        player.play(file("stale.wav", makeWave(kRate * 3, 1234)));
        player.play(QString());
        QThread::msleep(300);
        EXPECT_FALSE(player.isPlaying());
        player.play(file("c.wav", makeWave(kRate * 3, 2500)));
        QThread::msleep(300);
        player.play(QString());
        EXPECT_FALSE(player.isPlaying());
        player.play(file("d.wav", makeWave(kRate * 3, 999)));
        QThread::msleep(200);
        player.play(file("tune.mid", makeMidi()));
        EXPECT_TRUE(player.isPlaying());
        player.play(song);
        EXPECT_FALSE(player.isPlaying());
        player.play(m_dir + "/gone.mp3");
    }
    EXPECT_EQ(opened, QStringList{song});
    const std::vector<SampleRun> runs = loudRuns(output());
    ASSERT_GE(runs.size(), 4u);
    EXPECT_EQ(std::vector({runs[0].first, runs[2].first, runs[3].first}), std::vector<qint16>({3000, 2500, 999}));
    EXPECT_LT(std::max({runs[0].second, runs[2].second, runs[3].second}), kRate * 3);
    EXPECT_EQ(runs[1], SampleRun(-7000, kRate / 5));
    EXPECT_EQ(std::count_if(runs.begin(), runs.end(), [](const SampleRun& r) { return r.first == 1234; }), 0);
}

class MidiPlayTest : public SoundPlayerTest, public ::testing::WithParamInterface<std::pair<const char*, bool>> {};

TEST_P(MidiPlayTest, PlaysAudibleMusic) {
    const auto [name, riffWrapped] = GetParam();
    // A LIST chunk before the data, as some RIFF MIDI writers put one there.
    const QByteArray list("LIST\x05\x00\x00\x00INFOx\x00", 14);
    {
        SdlSoundPlayer player;
        player.play(file(QLatin1String(name), riffWrapped ? wrapRmid(makeMidi(), list) : makeMidi()));
        EXPECT_TRUE(player.isPlaying());
        ASSERT_TRUE(waitUntilSilent(player));
    }
    // A fifth of a second of sound at least: the notes were heard, not just a click.
    long frames = 0;
    for (const auto& [value, length] : loudRuns(output()))
        frames += length;
    EXPECT_GT(frames, kRate / 5);
}

INSTANTIATE_TEST_SUITE_P(Files, MidiPlayTest,
                         ::testing::Values(std::pair{"tune.mid", false}, std::pair{"tune.RMI", true},
                                           std::pair{"wrapped.mid", true}));

TEST_F(SoundPlayerTest, NoAudioDeviceIsQuiet) {
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    const QString wave = file("a.wav", makeWave(kRate, 100));
    SdlSoundPlayer player;
    EXPECT_TRUE(player.audioAvailable());
    for (const QString& path : {wave, wave, QString()}) {
        player.play(path);
        EXPECT_FALSE(player.audioAvailable());
        EXPECT_FALSE(player.isPlaying());
    }
}

TEST(SoundKind, JudgedByTheLastCharacters) {
    using K = SdlSoundPlayer::Kind;
    for (const auto& [path, kind] :
         {std::pair{"/s/Ding.WAV", K::Wave}, std::pair{"/s/sound.xwav", K::Wave}, std::pair{"/s/wav", K::Wave},
          std::pair{"/s/tune.mid", K::Midi}, std::pair{"/s/tune.midi", K::Midi}, std::pair{"/s/tune.RMI", K::Midi},
          std::pair{"/s/tune.MiDi", K::Midi}, std::pair{"/s/song.mp3", K::Mp3}, std::pair{"/s/song.Mp3", K::Mp3},
          std::pair{"/s/clip.ogg", K::Other}, std::pair{"/s/a.wav.txt", K::Other}, std::pair{"/s/noext", K::Other},
          std::pair{"", K::Other}})
        EXPECT_EQ(SdlSoundPlayer::kindOf(QString::fromUtf8(path)), kind) << path;
}

TEST(RiffMidi, UnwrapsTheDataChunk) {
    const QByteArray midi = makeMidi();
    // A chunk of odd length, with its pad byte.
    const QByteArray oddChunk = "JUNK" + littleEndian(quint32(3)) + QByteArray("abc\0", 4);
    for (const auto& [label, file, unwrapped] :
         {std::tuple{"plain", midi, midi}, std::tuple{"wrapped", wrapRmid(midi), midi},
          std::tuple{"oddChunkFirst", wrapRmid(midi, oddChunk), midi},
          std::tuple{"truncatedData", wrapRmid(midi).chopped(10), midi.chopped(10)},
          std::tuple{"noDataChunk", QByteArray("RIFF\x04\x00\x00\x00RMID", 12), QByteArray()},
          std::tuple{"hugeChunkSize", QByteArray("RIFF\x10\x00\x00\x00RMIDJUNK\xFF\xFF\xFF\xFF", 20), QByteArray()},
          std::tuple{"riffWave", makeWave(4, 1), makeWave(4, 1)}})
        EXPECT_EQ(SdlSoundPlayer::unwrapRiffMidi(file), unwrapped) << label;
}

} // namespace
