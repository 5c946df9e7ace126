// SPDX-License-Identifier: MIT
#pragma once

#include "imaging/Picbuf.h"
#include "queue/QueueEntry.h"
#include "wallpaper/RandomGenerator.h"
#include "wallpaper/RenderMath.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

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
    // For a picture deeper than a screen of fewer than 15 bits per pixel: the screen's
    // colours (236 of them on an 8-bit screen, the system keeping twenty).
    static void reduceToScreenColours(Picbuf& control, int depth);

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

    // Parts of a change, for the callers that need one alone: murctl renders to a file
    // of the user's choosing, the benchmarks time the render.
    // Chooses the next image and renders it; false when there was nothing to render.
    bool selectAndRender();
    // Renders queue record `index` (a position of the image folder in a folder queue)
    // into renderedPicture().
    void renderImage(int index, int screenWidth, int screenHeight);
    bool loadImage(Picbuf& control, const QString& path);
    void applyWallpaper();
    void writeWallpaperBitmap();
    // Facts and thumbnail of the image held by source, into entry.
    void makeThumbnail(Picbuf& source, Picbuf& work, const QString& imagePath, QueueEntry& entry);
    // Loads the current entry's stored thumbnail into the control.
    bool showStoredThumbnail(Picbuf& control);

    // The bitmap file the next write goes to (two names alternate on desktops that
    // reload only a changed path).
    QString bitmapPathForWrite() const;
    bool isWallpaperBitmap(const QString& path) const;

    // The image the last render produced (what a change puts on the desktop).
    Picbuf& renderedPicture() { return m_loader; }
    // A 152 x 114 picture of the desktop: of the screen grab given, else of the image the
    // desktop shows. Empty when neither can be had.
    PicbufBitmap desktopThumbnail(const PicbufBitmap* screenGrab);

    // True from the start of a change until it has finished or failed.
    bool isChanging() const { return m_changeInProgress; }
    // A change, an apply or a bitmap write is under way.
    bool isBusy() const { return m_changeInProgress || m_applyInProgress || m_wallpaperBusy || m_telling; }
    // Facts read during the last render that were not yet written to the queue.
    bool hasUnsavedFacts() const { return m_factsChanged; }
    // The window is closing: a render under way stops, and nothing new starts.
    void beginClose();
    bool isShuttingDown() const { return m_shuttingDown; }
    bool showFileErrors() const { return m_showFileErrors; }
    void setShowFileErrors(bool on) { m_showFileErrors = on; }
    void setGamma(float gamma) { m_gamma = gamma; }
    float gamma() const { return m_gamma; }
    // Renders without recording anything: no current image, no facts written back,
    // no position saved (a render to a file of the user's choosing).
    void setPreviewOnly(bool on) { m_previewOnly = on; }
    // The image text the window shows: set by each change and clear.
    const QString& currentImageText() const { return m_currentImageText; }
    void setCurrentImageText(const QString& text) { m_currentImageText = text; }
    // What the last change or clear did, and the message when it failed.
    Outcome lastOutcome() const { return m_lastOutcome; }
    const QString& lastError() const { return m_lastError; }
    // The image file the last change or render worked on.
    const QString& imagePath() const { return m_imagePath; }
    void resetOutcome() { m_lastOutcome = Outcome::None; }

private:
    static std::string nativePath(const QString& path);
    int screenDepth() const;
    QSize screenSizeNow() const;
    void pump();
    // A render stops once the window starts closing.
    bool stopRequested() const { return m_closing || m_shuttingDown; }
    void recoverFromError();
    static void releaseFreedMemory();
    void reportFailure(const QString& text);
    void tellOutcome();
    void resetSelectionIfShown();
    QString alternateBitmapPath() const;

    // Choosing the image.
    int imagesToChooseFrom();
    void choosePosition(int count);
    int randomPosition(int count);
    std::optional<int> recordToShow(int count);

    // Rendering it.
    std::optional<QString> imageToRender(int index);
    std::optional<rendermath::ResizeRequest> resizeTarget(int x, int y, QSize screen) const;
    bool loadForScreen(const QString& path, QSize screen);
    void refuseWhatTheDesktopCannotShow(const QString& path, const rendermath::Size& size) const;
    bool refreshFacts(const QString& path);
    bool resizeForScreen(QSize screen);
    void resizeImage(Picbuf& picture, const rendermath::ResizeRequest& request);
    bool correctGamma();
    void recordRenderedImage(int index, const QString& path);
    bool reduceForScreen();
    void savePosition();
    void failChange(int code);
    void playChangeSound();

    AppContext& m_app;
    Queue& m_queue;
    FolderQueue& m_folder;
    EngineServices m_services;
    QueueRows* m_rows = nullptr;
    RandomGenerator m_random;
    // The entry a change renders: its own copy, read from its record and written back to
    // that record only, whatever the window does with the queue's buffer meanwhile.
    QueueEntry m_entry;
    // The image file the change is rendering, for messages about it.
    QString m_imagePath;
    // Set while a failure is being told (a message box is open).
    bool m_telling = false;
    // The last failure told; the same one is not told again until a change succeeds.
    QString m_lastTold;
    // Something the user should hear of once the change has finished (not a failure).
    QString m_notice;
    std::uint8_t m_tileChoice = 0;
    bool m_useAlternate = false;

    Picbuf m_work;   // work surface
    Picbuf m_loader; // loads and holds the rendered image
    Picbuf m_writer; // writes the wallpaper bitmap

    bool m_changeInProgress = false;
    bool m_applyInProgress = false;
    bool m_wallpaperBusy = false;
    bool m_closing = false;
    bool m_shuttingDown = false;
    bool m_factsChanged = false;
    bool m_showFileErrors = false;
    bool m_previewOnly = false;
    float m_gamma = 1.0f;
    QString m_currentImageText = QStringLiteral("(None)");
    Outcome m_lastOutcome = Outcome::None;
    QString m_lastError;
};
