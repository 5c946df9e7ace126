// SPDX-License-Identifier: MIT
#pragma once

#include "imaging/Picbuf.h"
#include "wallpaper/RenderMath.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>

class DesktopBackend;
class FolderQueue;
class Prompter;
class Queue;
class QueueRows;
class SettingsStore;
class SoundOutput;
struct AppContext;

// What the engine needs from the program around it. Everything but settings,
// prompter and desktop may be left empty.
struct EngineServices {
    SettingsStore* settings = nullptr;
    Prompter* prompter = nullptr;
    DesktopBackend* desktop = nullptr;
    SoundOutput* sound = nullptr;
    // The primary screen as it is now.
    std::function<QSize()> screenSize;
    // The screen's colour depth class: 1, 2, 4, 8 or 24.
    std::function<int()> colorDepth;
    // Lets the window system breathe during long imaging work.
    std::function<void()> processEvents;
    std::function<bool()> windowVisible;
    // Restarts the change countdown and its display.
    std::function<void()> resetCountdown;
    // Clears the queue list's selection and shows the queue defaults in the panel.
    std::function<void()> selectionReset;
    // 0xRRGGBB shown around a single image and after a clear.
    std::uint32_t background = 0;
};

// Choosing the next image, rendering it and putting it on the desktop.
class WallpaperEngine {
public:
    enum class Outcome { None, Applied, NothingToShow, RenderFailed, Failed };

    // The desktop colour where the desktop names none of its own (the Background
    // setting "Desktop"); any other Background setting means black.
    static constexpr std::uint32_t kDesktopColour = 0x3A6EA5;
    static std::uint32_t backgroundColour(SettingsStore& settings);

    WallpaperEngine(AppContext& app, Queue& queue, FolderQueue& folder, EngineServices services);
    ~WallpaperEngine();

    // The order of the rows and the selection; without one, the queue's own order.
    void setRows(QueueRows* rows) { m_rows = rows; }
    EngineServices& services() { return m_services; }

    // The whole change: choose, render, apply, restart the countdown.
    void changeWallpaper();
    void clearScreen();
    // The image file the desktop shows now: our own bitmap is named by the image it
    // was made from; "(None)" when there is none.
    QString currentSourceImage();

    // The steps, for the callers that need them alone.
    bool selectAndRender();
    void renderImage(int index, int screenWidth, int screenHeight);
    bool loadImage(Picbuf& control, const QString& path);
    void applyWallpaper();
    void writeWallpaperBitmap();
    void resizeImage(Picbuf& source, Picbuf& work, int width, std::uint8_t stretch, int height);
    void reduceToScreenColours(Picbuf& control, int depth);
    // Facts and thumbnail of the image held by source, into the current entry.
    void makeThumbnail(Picbuf& source, Picbuf& work, const QString& imagePath);
    // Loads the current entry's stored thumbnail into the control.
    bool showStoredThumbnail(Picbuf& control);

    // The bitmap file the next write goes to (two names alternate on desktops that
    // reload only a changed path).
    QString bitmapPathForWrite() const;
    bool isWallpaperBitmap(const QString& path) const;

    Picbuf picknife0; // work surface
    Picbuf picknife1; // loads
    Picbuf picknife2; // writes the wallpaper bitmap

    bool changeInProgress = false;
    bool applyInProgress = false;
    bool wallpaperBusy = false;
    bool closing = false;
    bool shuttingDown = false;
    bool factsChanged = false;
    bool showFileErrors = false;
    // Renders without recording anything: no current image, no facts written back,
    // no position saved (a render to a file of the user's choosing).
    bool previewOnly = false;
    float gamma = 1.0f;
    QString currentImageText = QStringLiteral("(None)");
    // What the last change or clear did, and the message when it failed.
    Outcome lastOutcome = Outcome::None;
    QString lastError;

private:
    int screenDepth() const;
    void pump();
    void recoverFromError();
    void reportFailure(const QString& text);
    QString alternateBitmapPath() const;

    AppContext& m_app;
    Queue& m_queue;
    FolderQueue& m_folder;
    EngineServices m_services;
    QueueRows* m_rows = nullptr;
    std::uint8_t m_tileChoice = 0;
    bool m_useAlternate = false;
    QString m_lastBitmap;
};
