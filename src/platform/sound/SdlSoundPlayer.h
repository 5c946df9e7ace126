// SPDX-License-Identifier: MIT
#pragma once

#include "wallpaper/SoundOutput.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

struct Mix_Chunk;
struct _Mix_Music;

// Plays wallpaper sounds through SDL2_mixer: WAVE files on a mixer channel, MIDI (and
// RIFF-wrapped MIDI) through FluidSynth, MP3 files handed to an outside program.
// The audio device is opened on the first sound, once per process; without a device
// every call returns quietly. A wave file is read and converted on a thread of the player's
// own, so play() returns before a large file has loaded; it counts as playing meanwhile.
class SdlSoundPlayer : public SoundOutput {
public:
    // Hands a file to the program the desktop associates with it; true when started.
    using Opener = std::function<bool(const QString& path)>;

    enum class Kind { Other, Wave, Midi, Mp3 };

    explicit SdlSoundPlayer(Opener opener = {});
    ~SdlSoundPlayer() override;
    SdlSoundPlayer(const SdlSoundPlayer&) = delete;
    SdlSoundPlayer& operator=(const SdlSoundPlayer&) = delete;

    void play(const QString& path) override;

    // True while a wave or MIDI sound of this process is still sounding.
    bool isPlaying() const;
    // False once opening the audio device failed (then nothing will ever sound).
    bool audioAvailable() const;

    // The sound type, judged from the last characters of the path alone.
    static Kind kindOf(const QString& path);
    // The standard MIDI data inside a RIFF "RMID" file; other bytes come back unchanged,
    // and a RIFF file without a usable data chunk gives an empty result.
    static QByteArray unwrapRiffMidi(const QByteArray& bytes);
    // Starts xdg-open on the file, without a shell; true when the program started.
    static bool xdgOpen(const QString& path);

private:
    void stop();
    void playWave(const QString& path);
    void playMidi(const QString& path);

    class WaveLoader;

    Opener m_opener;
    std::unique_ptr<WaveLoader> m_waves;
    _Mix_Music* m_music = nullptr;
    // The MIDI bytes the music was loaded from; kept alive for as long as the music is.
    QByteArray m_midiBytes;
};
