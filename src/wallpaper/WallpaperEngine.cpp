// SPDX-License-Identifier: MIT
#include "WallpaperEngine.h"

#include "app/AppContext.h"
#include "app/Prompter.h"
#include "app/SettingsStore.h"
#include "app/SettingsValues.h"
#include "queue/FileAge.h"
#include "queue/FolderQueue.h"
#include "queue/PathSplit.h"
#include "queue/Queue.h"
#include "wallpaper/DesktopBackend.h"
#include "wallpaper/ImageMessages.h"
#include "wallpaper/QueueRows.h"
#include "wallpaper/SoundOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kNone = QStringLiteral("(None)");

std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Clears a flag on every way out of a scope.
class FlagReset {
public:
    explicit FlagReset(bool& flag) : m_flag(flag) {}
    ~FlagReset() { m_flag = false; }
    FlagReset(const FlagReset&) = delete;
    FlagReset& operator=(const FlagReset&) = delete;

private:
    bool& m_flag;
};

} // namespace

WallpaperEngine::WallpaperEngine(AppContext& app, Queue& queue, FolderQueue& folder, EngineServices services)
    : m_app(app), m_queue(queue), m_folder(folder), m_services(std::move(services)) {
    // Long imaging work keeps the window alive and stops when it closes.
    picknife1.setOnCallback([this](int) {
        pump();
        return !closing;
    });
}

WallpaperEngine::~WallpaperEngine() = default;

std::uint32_t WallpaperEngine::backgroundColour(SettingsStore& settings) {
    return settingsvalues::backgroundIsDesktop(settings.read(QStringLiteral("Background"), QStringLiteral("Desktop")))
               ? kDesktopColour
               : 0x000000;
}

void WallpaperEngine::pump() {
    if (m_services.processEvents) m_services.processEvents();
}

int WallpaperEngine::screenDepth() const {
    return m_services.colorDepth ? m_services.colorDepth() : 24;
}

// Whatever went wrong inside a change, the next change must be able to run.
void WallpaperEngine::recoverFromError() {
    changeInProgress = applyInProgress = wallpaperBusy = false;
    picknife1.setPaintSuppressed(false);
    picknife0.ReleaseImage(2);
    picknife1.ReleaseImage(2);
    picknife2.ReleaseImage(2);
}

void WallpaperEngine::reportFailure(const QString& text) {
    lastOutcome = Outcome::Failed;
    lastError = text;
    if (m_services.prompter) m_services.prompter->message(text, Prompter::Icon::Error);
}

// ---------------------------------------------------------------------------------
// The change

void WallpaperEngine::changeWallpaper() {
    if (changeInProgress || applyInProgress) return;
    lastOutcome = Outcome::None;
    lastError.clear();
    try {
        selectAndRender();
        applyWallpaper();
    } catch (const PicbufError& e) {
        recoverFromError();
        reportFailure(imagemessages::forCode(e.code(), splitPath(m_queue.entry().trimmedPath()).fileName));
    } catch (const std::exception& e) {
        recoverFromError();
        reportFailure(QString::fromLocal8Bit(e.what()));
    }
    if (m_services.resetCountdown) m_services.resetCountdown();
    const bool visible = m_services.windowVisible && m_services.windowVisible();
    if (visible && !shuttingDown && m_services.selectionReset) m_services.selectionReset();
}

bool WallpaperEngine::selectAndRender() {
    if (changeInProgress || m_queue.busy() || m_app.updating) return false;
    changeInProgress = true;
    FlagReset inProgress(changeInProgress);

    const bool folderMode = m_queue.isFolderQueue();
    int n = 0;
    if (folderMode) {
        n = m_folder.refreshBeforeChange(m_queue.workingImageFolder);
        if (n < 0) { // the folder is gone; the next change tries again
            lastOutcome = Outcome::NothingToShow;
            return false;
        }
    } else {
        n = m_queue.entryCount();
    }
    if (n < 1) {
        lastOutcome = Outcome::NothingToShow;
        return false;
    }

    m_app.updating = true;
    {
        FlagReset updating(m_app.updating);
        const int selected = (!folderMode && m_rows) ? m_rows->firstSelectedRow() : -1;
        if (selected >= 0 && selected < n) {
            m_queue.setPosition(selected + 1);
        } else if (m_queue.header().orderMode() == 1) {
            std::int32_t p = m_queue.position() + 1;
            if (p > n || p < 1) p = 1;
            m_queue.setPosition(p);
        } else {
            const auto r = static_cast<int>(m_app.rng.draw(static_cast<std::uint32_t>(n)));
            const auto d = m_app.rng.draw(2);
            int p = r + 1;
            while (m_queue.shown(p)) {
                p = d == 1 ? p + 1 : p - 1;
                if (p < 1) p = n;
                if (p > n) p = 1;
                if (p == r + 1) {
                    m_queue.clearShown();
                    p = static_cast<int>(m_app.rng.draw(static_cast<std::uint32_t>(n))) + 1;
                }
            }
            m_queue.setShown(p, true);
            m_queue.setPosition(p);
        }
    }

    int index = 0;
    if (folderMode) {
        index = m_queue.position();
    } else {
        const auto recordOfRow = [&](int row) {
            const int entry = m_rows ? m_rows->entryOfRow(row - 1) : row;
            return m_queue.recordOfEntry(entry);
        };
        index = recordOfRow(m_queue.position());
        bool readable = m_queue.readEntry(index);
        const std::int32_t start = m_queue.position();
        // Missing files are skipped forward, silently, in list order.
        while (!readable || !QFileInfo(m_queue.entry().trimmedPath()).isFile()) {
            std::int32_t p = m_queue.position() + 1;
            if (p > n) p = 1;
            m_queue.setPosition(p);
            if (p == start) {
                wallpaperBusy = false;
                picknife1.setPaintSuppressed(false);
                lastOutcome = Outcome::NothingToShow;
                return false;
            }
            index = recordOfRow(p);
            readable = m_queue.readEntry(index);
        }
    }

    const QSize screen = m_services.screenSize
                             ? m_services.screenSize()
                             : QSize(m_queue.environment().screenWidth, m_queue.environment().screenHeight);
    renderImage(index, screen.width(), screen.height());
    wallpaperBusy = false;
    picknife1.setPaintSuppressed(false);
    return picknife1.Contents() == 1;
}

// ---------------------------------------------------------------------------------
// Rendering

bool WallpaperEngine::loadImage(Picbuf& control, const QString& path) {
    if (shuttingDown || control.Contents() != 0) return false;
    if (closing) shuttingDown = true;
    control.setFileName(nativePath(path));
    control.setImageNumber(0);
    QString errorText;
    for (int code : imagemessages::kProbeOrder) {
        control.setImageFormat(code);
        try {
            control.Load();
            return control.Contents() == 1;
        } catch (const PicbufError& e) {
            errorText = QString::fromLocal8Bit(e.what());
            if (e.code() == PicbufCode::Aborted) break;
        }
    }
    control.ReleaseImage(2);
    if (showFileErrors && m_services.prompter)
        m_services.prompter->message(QStringLiteral("Unable to display file ") + path + QStringLiteral(" ") + errorText,
                                     Prompter::Icon::None, m_app.title);
    return false;
}

void WallpaperEngine::renderImage(int index, int screenWidth, int screenHeight) {
    if (m_queue.busy() || m_app.updating) return;
    QueueEntry& entry = m_queue.entry();
    const bool folderMode = m_queue.isFolderQueue();
    QString path;
    if (folderMode) {
        path = m_folder.imageOfPosition(index, m_queue.workingImageFolder);
        entry.setFileDate(1);
        entry.setFactsKnown(1);
        entry.setResizeMode(qu3::UseDefault);
        if (path.isEmpty()) return;
    } else {
        bool read = false;
        for (int i = 0; i < Queue::kAttempts && !read; ++i)
            read = m_queue.readEntry(index);
        if (!read) return;
        path = entry.trimmedPath();
        if (fileage::of(path) != entry.fileDate()) entry.setFileDate(0); // cached facts are stale
    }
    path = splitPath(path).fullPath;

    const int startupWidth = m_queue.environment().screenWidth;
    const int startupHeight = m_queue.environment().screenHeight;
    const auto targetFor = [&](int x, int y) -> std::optional<rendermath::ResizeRequest> {
        auto request = rendermath::resizeDecision(x, y, entry, m_queue.header(), startupWidth, startupHeight);
        if (request)
            *request = rendermath::scaleToScreen(*request, startupWidth, startupHeight, screenWidth, screenHeight);
        return request;
    };
    // Decode big files no larger than the picture they will become (and never
    // smaller than the thumbnail needs).
    picknife1.setLoadSizeHintFor([&](int fw, int fh) -> std::pair<int, int> {
        const auto request = targetFor(fw, fh);
        if (!request) return {0, 0};
        const rendermath::Size size = rendermath::resizedSize(fw, fh, *request);
        if (size.width >= fw || size.height >= fh || size.width < 152 || size.height < 114) return {0, 0};
        return {size.width, size.height};
    });

    closing = false;
    const bool loaded = loadImage(picknife1, path);
    picknife1.setLoadSizeHintFor({});
    if (!loaded || closing || shuttingDown) return;
    // The file's own size: a size hint may have decoded it smaller.
    const int x = picknife1.FileWidth();
    const int y = picknife1.FileHeight();

    if (entry.factsKnown() == 0 || entry.fileDate() == 0) {
        makeThumbnail(picknife1, picknife0, path);
        pump();
        if (closing || shuttingDown) return;
        entry.setWidth(static_cast<std::int16_t>(std::min(x, 32767)));
        entry.setHeight(static_cast<std::int16_t>(std::min(y, 32767)));
        picknife0.setAssignMode(0);
        picknife0.ReleaseImage(2);
    }

    if (const auto request = targetFor(x, y)) {
        resizeImage(picknife1, picknife0, request->width, request->stretch, request->height);
        if (closing || shuttingDown) return;
        picknife0.setAssignMode(0);
        picknife0.ReleaseImage(2);
    }

    if (m_queue.header().gammaOn() != 0 && gamma != 1.0f) {
        picknife1.GammaCorrect(rendermath::gammaControlValue(gamma));
        if (closing || shuttingDown) return;
    }

    if (picknife1.Contents() != 1 || shuttingDown) return;
    if (!previewOnly) {
        currentImageText = path;
        if (m_services.settings) m_services.settings->write(QStringLiteral("filealias"), path);
    }
    picknife1.setAssignMode(0);

    if (factsChanged && !previewOnly) {
        // A folder image has no record of its own to write back to.
        if (!folderMode && m_queue.writeEntryRetrying(index)) factsChanged = false;
        if (folderMode) factsChanged = false;
    }

    const int depth = screenDepth();
    if (picknife1.ColorDepth() > depth && depth < 15) {
        reduceToScreenColours(picknife1, depth);
        pump();
        if (picknife1.Contents() != 1 || closing || shuttingDown) return;
    }

    if (previewOnly) return;
    m_app.updating = true;
    m_queue.header().setCurrentPosition(static_cast<std::int16_t>(m_queue.position() & 0xFFFF));
    m_app.updating = false;
    m_queue.writeHeader();
}

void WallpaperEngine::resizeImage(Picbuf& source, Picbuf& work, int width, std::uint8_t stretch, int height) {
    if (source.Contents() == 0) return;
    const rendermath::Size size =
        rendermath::resizedSize(source.FileWidth(), source.FileHeight(), {width, height, stretch});
    if (size.width < 1 || size.height < 1) return;
    work.setAssignMode(0);
    work.CreateImage(source.ColorDepth(), size.width, size.height, 0);
    work.setAssignMode(3);
    work.setResizeMode(3);
    work.AssignFrom(false, source, false, 0);
    if (source.ColorDepth() < 9) work.CopyPalette(source);
    work.setAssignMode(0);
    source.setAssignMode(0);
    source.AssignFrom(false, work, false, 0);
}

void WallpaperEngine::reduceToScreenColours(Picbuf& control, int depth) {
    if (control.ColorDepth() > depth && depth < 15) {
        const int n = rendermath::reductionColours(depth);
        try {
            try {
                control.ReduceColors(n, n >= 236, true, true);
            } catch (const PicbufError& e) {
                if (e.code() != PicbufCode::ReduceRetry) throw;
                control.ReduceColors(n, true, true, true);
            }
            if (n == 236) control.CompletePalette();
        } catch (const PicbufError&) {
            return; // the picture stays unreduced
        }
    }
    if (control.Contents() == 1 && control.ColorDepth() < depth) control.RaiseColorDepth(depth);
}

void WallpaperEngine::makeThumbnail(Picbuf& source, Picbuf& work, const QString& imagePath) {
    if (m_queue.busy() || source.Contents() == 0) return;
    m_queue.setBusy(true);
    struct BusyOff {
        Queue& q;
        ~BusyOff() { q.setBusy(false); }
    } busyOff{m_queue};

    QueueEntry& entry = m_queue.entry();
    entry.setBitsPerPixel(static_cast<std::int8_t>(source.ColorDepth()));
    const int w = source.FileWidth() ? source.FileWidth() : source.Xresolution();
    const int h = source.FileHeight() ? source.FileHeight() : source.Yresolution();
    const rendermath::Size thumb = rendermath::thumbnailSize(w, h);
    source.setAssignMode(0);
    work.CreateImage(source.ColorDepth(), std::max(1, thumb.width), std::max(1, thumb.height), 0);
    work.setAssignMode(3);
    work.setResizeMode(3);
    work.AssignFrom(false, source, false, 0);

    const QString tmp = m_app.tempFolder + QStringLiteral("/~tempfil.tmp");
    work.setFileName(nativePath(tmp));
    work.setImageFormat(Picbuf::Jpeg);
    int q = 95;
    qint64 size = 0;
    do {
        work.setWriteCompression(q);
        work.Store();
        q -= 5;
        size = QFileInfo(tmp).size();
    } while (size > qint64(qu3::entry::kThumbnailSize) && q >= 5);

    entry.setWidth(static_cast<std::int16_t>(std::min(w, 32767)));
    entry.setHeight(static_cast<std::int16_t>(std::min(h, 32767)));
    entry.setFactsKnown(1);
    QFile file(tmp);
    if (file.open(QIODevice::ReadOnly)) entry.setThumbnail(file.read(qint64(qu3::entry::kThumbnailSize)));
    file.close();
    QFile::remove(tmp);
    entry.setFileDate(fileage::of(imagePath));
    factsChanged = true;
}

bool WallpaperEngine::showStoredThumbnail(Picbuf& control) {
    if (m_queue.busy()) return false;
    m_queue.setBusy(true);
    struct BusyOff {
        Queue& q;
        ~BusyOff() { q.setBusy(false); }
    } busyOff{m_queue};
    const QString tmp = m_app.tempFolder + QStringLiteral("/~tempfil.tmp");
    {
        QFile file(tmp);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        file.write(m_queue.entry().thumbnail());
    }
    control.setFileName(nativePath(tmp));
    control.setImageFormat(Picbuf::Jpeg);
    bool ok = true;
    try {
        control.Load();
    } catch (const PicbufError&) {
        ok = false;
    }
    QFile::remove(tmp);
    return ok && control.Contents() == 1;
}

// ---------------------------------------------------------------------------------
// The desktop

QString WallpaperEngine::alternateBitmapPath() const {
    const QFileInfo info(m_app.wallpaperBitmap);
    return info.path() + QStringLiteral("/") + info.completeBaseName() + QStringLiteral("-alt.bmp");
}

QString WallpaperEngine::bitmapPathForWrite() const {
    return m_useAlternate ? alternateBitmapPath() : m_app.wallpaperBitmap;
}

bool WallpaperEngine::isWallpaperBitmap(const QString& path) const {
    return path.compare(m_app.wallpaperBitmap, Qt::CaseInsensitive) == 0 ||
           path.compare(alternateBitmapPath(), Qt::CaseInsensitive) == 0;
}

void WallpaperEngine::applyWallpaper() {
    if (applyInProgress) return;
    applyInProgress = true;
    FlagReset inProgress(applyInProgress);
    if (picknife1.Contents() != 1) {
        m_app.updating = false;
        wallpaperBusy = false;
        picknife1.setPaintSuppressed(false);
        if (lastOutcome == Outcome::None) lastOutcome = Outcome::RenderFailed;
        return;
    }
    picknife1.setPaintSuppressed(true);
    const QueueHeader& header = m_queue.header();
    const QueueEntry& entry = m_queue.entry();
    const bool folderMode = header.folderQueue() != 0;
    m_tileChoice = folderMode ? header.tiled() : entry.tiled();

    picknife2.setAssignMode(0);
    picknife2.AssignFrom(false, picknife1, false, 0);

    QString sound;
    if (folderMode || entry.soundOption() == qu3::DefaultSound)
        sound = m_queue.workingDefaultSound;
    else if (entry.soundOption() == qu3::OwnSound)
        sound = entry.soundPath().trimmed();
    if (!sound.isEmpty() && m_services.sound) m_services.sound->play(sound);

    pump();
    if (closing) {
        picknife1.setPaintSuppressed(false);
        wallpaperBusy = false;
        return;
    }
    writeWallpaperBitmap();
    wallpaperBusy = false;
    picknife1.setPaintSuppressed(false);
    picknife1.ReleaseImage(2);
}

void WallpaperEngine::writeWallpaperBitmap() {
    if (picknife2.Contents() == 0) return;
    wallpaperBusy = true;
    const QString bitmap = bitmapPathForWrite();
    picknife2.setFileName(nativePath(bitmap));
    picknife2.setImageFormat(Picbuf::Bmp);
    picknife2.setWriteCompression(0);
    try {
        picknife2.Store();
    } catch (...) {
        picknife2.ReleaseImage(2);
        wallpaperBusy = false;
        throw;
    }
    picknife2.ReleaseImage(2);
    wallpaperBusy = false;

    if (!m_services.desktop) {
        reportFailure(QStringLiteral("No desktop to show the wallpaper on."));
        return;
    }
    QString error;
    if (!m_services.desktop->setWallpaper(bitmap, m_tileChoice != 0, m_services.background, &error)) {
        reportFailure(QStringLiteral("The desktop did not take the wallpaper: ") + error);
        return;
    }
    lastOutcome = Outcome::Applied;
    m_lastBitmap = bitmap;
    if (m_services.desktop->needsFreshPath()) m_useAlternate = !m_useAlternate;
}

void WallpaperEngine::clearScreen() {
    lastOutcome = Outcome::None;
    lastError.clear();
    currentImageText = kNone;
    if (m_services.settings) m_services.settings->write(QStringLiteral("filealias"), kNone);
    QFile::remove(m_app.wallpaperBitmap);
    QFile::remove(alternateBitmapPath());
    QString error;
    if (m_services.desktop && !m_services.desktop->clearWallpaper(m_services.background, &error))
        reportFailure(QStringLiteral("The desktop did not clear the wallpaper: ") + error);
    else if (!m_services.desktop)
        reportFailure(QStringLiteral("No desktop to clear."));
    else
        lastOutcome = Outcome::Applied;
    if (m_services.sound) m_services.sound->play(QString());
    const bool visible = m_services.windowVisible && m_services.windowVisible();
    if (visible && !shuttingDown && m_services.selectionReset) m_services.selectionReset();
    if (m_services.resetCountdown) m_services.resetCountdown();
}

QString WallpaperEngine::currentSourceImage() {
    QString wallpaper = m_services.desktop ? m_services.desktop->currentWallpaper() : QString();
    if (wallpaper.isEmpty() || !QFileInfo(wallpaper).isFile()) wallpaper = kNone;
    if (isWallpaperBitmap(wallpaper) && m_services.settings)
        return m_services.settings->read(QStringLiteral("FileAlias"), wallpaper);
    return wallpaper;
}
