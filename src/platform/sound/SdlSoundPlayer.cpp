// SPDX-License-Identifier: MIT
#include "platform/sound/SdlSoundPlayer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// SDL_mixer has one mixer per process, so the device state is process-wide too. Only
// the user-interface thread touches these, except the two atomics below.
struct AudioDevice {
    bool tried = false;
    bool open = false;
    int livePlayers = 0;
};
AudioDevice g_device;

// Written by SDL's audio thread when a sound ends: nothing else may be touched there.
std::atomic<bool> g_waveSounding{false};
std::atomic<bool> g_musicSounding{false};

void onChannelFinished(int) {
    g_waveSounding.store(false);
}
void onMusicFinished() {
    g_musicSounding.store(false);
}

// CD-quality stereo, which every driver offers; the buffer keeps latency around 50 ms.
constexpr int kSampleRate = 44100;
constexpr int kStereo = 2;
constexpr int kBufferFrames = 2048;

// A MIDI file larger than this is not a MIDI file anyone meant as a wallpaper sound.

// Drivers SDL may try when the user chose none. ALSA prints a screenful of errors when
// it finds no card, so it is only tried when the machine has PCM devices at all.
QByteArray quietDriverList() {
    QByteArray list = "pipewire,pulseaudio";
    const QStringList pcm = QDir(QStringLiteral("/dev/snd")).entryList({QStringLiteral("pcmC*")}, QDir::System);
    if (!pcm.isEmpty()) list += ",alsa";
    return list;
}

// TimGM6mb loads in a few milliseconds; the larger General MIDI fonts take up to a second
// on every MIDI play, so the small one wins when present.
QString findSoundFont() {
    const QDir dir(QStringLiteral("/usr/share/sounds/sf2"));
    for (const char* preferred : {"TimGM6mb.sf2", "default-GM.sf2"}) {
        if (dir.exists(QLatin1String(preferred))) return dir.filePath(QLatin1String(preferred));
    }
    const QStringList fonts = dir.entryList({QStringLiteral("*.sf2")}, QDir::Files | QDir::Readable, QDir::Name);
    return fonts.isEmpty() ? QString() : dir.filePath(fonts.first());
}

bool openDevice() {
    // Without this hint SDL takes over SIGINT and SIGTERM from the application.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        SDL_SetHint(SDL_HINT_AUDIODRIVER, quietDriverList().constData());
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    // Loading the MIDI decoder once is enough; the device may be opened again later.
    static std::once_flag midiLoaded;
    std::call_once(midiLoaded, [] { Mix_Init(MIX_INIT_MID); });
    if (Mix_OpenAudio(kSampleRate, MIX_DEFAULT_FORMAT, kStereo, kBufferFrames) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_ChannelFinished(onChannelFinished);
    Mix_HookMusicFinished(onMusicFinished);
    // SDL_mixer ignores SDL_SOUNDFONTS unless forced; a user who set it meant it.
    if (qEnvironmentVariableIsEmpty("SDL_SOUNDFONTS")) {
        const QString font = findSoundFont();
        if (!font.isEmpty()) Mix_SetSoundFonts(QFile::encodeName(font).constData());
    }
    return true;
}

void closeDevice() {
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    Mix_ChannelFinished(nullptr);
    Mix_HookMusicFinished(nullptr);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    g_waveSounding.store(false);
    g_musicSounding.store(false);
}

// Opens the device on first use. A failed open is not retried while any player lives,
// so only the first sound pays for it.
bool deviceReady() {
    if (!g_device.tried) {
        g_device.tried = true;
        g_device.open = openDevice();
    }
    return g_device.open;
}

std::uint32_t readLe32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(u[0]) | std::uint32_t(u[1]) << 8 | std::uint32_t(u[2]) << 16 | std::uint32_t(u[3]) << 24;
}

} // namespace

// Loads wave files one at a time on its own thread and starts each once loaded, unless a later
// play or stop has come meanwhile. Only the newest request matters: one still waiting is
// replaced by the next. SDL_mixer locks the device itself for playing and freeing.
class SdlSoundPlayer::WaveLoader {
public:
    WaveLoader() : m_thread([this] { run(); }) {}
    ~WaveLoader() {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
            ++m_generation;
        }
        m_wake.notify_one();
        m_thread.join();
        freeChunk();
    }

    void request(const QString& path) {
        {
            std::lock_guard lock(m_mutex);
            m_pending = QFile::encodeName(path);
            ++m_generation;
            g_waveSounding.store(true);
        }
        m_wake.notify_one();
    }

    // Frees the sound (the player has halted every channel); a load under way is thrown away
    // when it ends.
    void stop() {
        std::lock_guard lock(m_mutex);
        ++m_generation;
        m_pending.clear();
        g_waveSounding.store(false);
        if (m_chunk) Mix_FreeChunk(m_chunk);
        m_chunk = nullptr;
    }

private:
    void run() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_quit || !m_pending.isEmpty(); });
            if (m_quit) return;
            const QByteArray path = std::exchange(m_pending, QByteArray());
            const std::uint64_t generation = m_generation;
            lock.unlock();
            Mix_Chunk* chunk = Mix_LoadWAV(path.constData());
            lock.lock();
            if (generation != m_generation) {
                if (chunk) Mix_FreeChunk(chunk);
                continue;
            }
            if (m_chunk) Mix_FreeChunk(m_chunk);
            m_chunk = chunk;
            if (!chunk || Mix_PlayChannel(-1, chunk, 0) < 0) g_waveSounding.store(false);
        }
    }
    void freeChunk() {
        if (m_chunk) Mix_FreeChunk(m_chunk);
        m_chunk = nullptr;
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    QByteArray m_pending;
    std::uint64_t m_generation = 0;
    bool m_quit = false;
    Mix_Chunk* m_chunk = nullptr;
    std::thread m_thread;
};

SdlSoundPlayer::SdlSoundPlayer(Opener opener) : m_opener(std::move(opener)) {
    ++g_device.livePlayers;
}

SdlSoundPlayer::~SdlSoundPlayer() {
    stop();
    // Its thread ends before the device may close.
    m_waves.reset();
    if (--g_device.livePlayers == 0) {
        if (g_device.open) closeDevice();
        g_device = AudioDevice{};
    }
}

SdlSoundPlayer::Kind SdlSoundPlayer::kindOf(const QString& path) {
    const QString lower = path.toLower();
    if (lower.endsWith(QLatin1String("wav"))) return Kind::Wave;
    if (lower.endsWith(QLatin1String("mid")) || lower.endsWith(QLatin1String("rmi")) ||
        lower.endsWith(QLatin1String("midi")))
        return Kind::Midi;
    if (lower.endsWith(QLatin1String("mp3"))) return Kind::Mp3;
    return Kind::Other;
}

QByteArray SdlSoundPlayer::unwrapRiffMidi(const QByteArray& bytes) {
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "RMID") return bytes;
    const qint64 end = bytes.size();
    qint64 pos = 12;
    while (pos + 8 <= end) {
        const QByteArray id = bytes.mid(pos, 4);
        const qint64 size = readLe32(bytes.constData() + pos + 4);
        const qint64 body = pos + 8;
        // A size running past the end is trusted only as far as the bytes go.
        if (id == "data") return bytes.mid(body, std::min(size, end - body));
        pos = body + size + (size & 1);
    }
    return {};
}

bool SdlSoundPlayer::xdgOpen(const QString& path) {
    // An absolute path can never be taken for an option of xdg-open.
    return QProcess::startDetached(QStringLiteral("xdg-open"), {QFileInfo(path).absoluteFilePath()});
}

bool SdlSoundPlayer::isPlaying() const {
    return g_waveSounding.load() || g_musicSounding.load();
}

bool SdlSoundPlayer::audioAvailable() const {
    return !g_device.tried || g_device.open;
}

void SdlSoundPlayer::play(const QString& path) {
    stop();
    if (path.isEmpty()) return;
    switch (kindOf(path)) {
    case Kind::Wave:
        playWave(path);
        break;
    case Kind::Midi:
        playMidi(path);
        break;
    case Kind::Mp3:
        // The outside player would only complain about a file that is not there.
        if (m_opener && QFileInfo(path).isFile()) m_opener(path);
        break;
    case Kind::Other:
        break;
    }
}

void SdlSoundPlayer::stop() {
    if (g_device.open) {
        // Any sound of this process, including one another player started: only one
        // sound plays at a time.
        Mix_HaltChannel(-1);
        Mix_HaltMusic();
        g_musicSounding.store(false);
    }
    if (m_waves) m_waves->stop();
    if (m_music) Mix_FreeMusic(m_music);
    m_music = nullptr;
    m_midiBytes.clear();
}

void SdlSoundPlayer::playWave(const QString& path) {
    if (!QFileInfo(path).isFile() || QFileInfo(path).size() > kMaxFileBytes || !deviceReady()) return;
    if (!m_waves) m_waves = std::make_unique<WaveLoader>();
    m_waves->request(path);
}

void SdlSoundPlayer::playMidi(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) return;
    // FluidSynth plays a RIFF-wrapped tune as silence: hand it the bare MIDI data.
    QByteArray bytes = unwrapRiffMidi(file.readAll());
    if (bytes.isEmpty() || !deviceReady()) return;
    m_midiBytes = std::move(bytes);
    SDL_RWops* rw = SDL_RWFromConstMem(m_midiBytes.constData(), int(m_midiBytes.size()));
    if (!rw) return;
    m_music = Mix_LoadMUSType_RW(rw, MUS_MID, 1);
    if (!m_music) return;
    g_musicSounding.store(true);
    if (Mix_PlayMusic(m_music, 0) != 0) g_musicSounding.store(false);
}
