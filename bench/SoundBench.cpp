// SPDX-License-Identifier: MIT
// What a wallpaper change waits for when its sound is a large wave file: play() only hands the
// file to the player's loading thread.
#include "platform/sound/SdlSoundPlayer.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <benchmark/benchmark.h>

namespace {

// A 16-bit stereo wave of about the given size, all silence.
QByteArray silentWave(qint64 bytes) {
    const quint32 data = static_cast<quint32>(bytes - 44) & ~3u;
    QByteArray out("RIFF\0\0\0\0WAVEfmt ", 16);
    auto le32 = [&out](quint32 v) { out.append(reinterpret_cast<const char*>(&(v = qToLittleEndian(v))), 4); };
    auto le16 = [&out](quint16 v) { out.append(reinterpret_cast<const char*>(&(v = qToLittleEndian(v))), 2); };
    le32(16);
    le16(1);
    le16(2);
    le32(44100);
    le32(44100 * 4);
    le16(4);
    le16(16);
    out.append("data", 4);
    le32(data);
    out.append(QByteArray(data, '\0'));
    qToLittleEndian<quint32>(static_cast<quint32>(out.size() - 8), out.data() + 4);
    return out;
}

void BM_PlayLargeWave(benchmark::State& state) {
    qputenv("SDL_AUDIODRIVER", "dummy");
    QTemporaryDir dir;
    const QString path = dir.path() + "/large.wav";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(silentWave(state.range(0) << 20)) < 0) {
        state.SkipWithError("cannot write the wave file");
        return;
    }
    file.close();
    SdlSoundPlayer player;
    player.play(path); // opens the device outside the measurement
    for (auto _ : state) {
        player.play(path);
        benchmark::DoNotOptimize(player.isPlaying());
    }
}
BENCHMARK(BM_PlayLargeWave)->Arg(60)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
