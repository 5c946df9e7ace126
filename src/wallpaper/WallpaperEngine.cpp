// SPDX-License-Identifier: MIT
#include "WallpaperEngine.h"

#include "queue/FileAge.h"
#include "queue/FolderQueue.h"
#include "queue/PathSplit.h"
#include "queue/Queue.h"
#include "queue/QueueRows.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"
#include "wallpaper/DesktopBackend.h"
#include "wallpaper/ImageMessages.h"
#include "wallpaper/Prompter.h"
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
    : m_app(app), m_queue(queue), m_folder(folder), m_services(std::move(services)), m_random(app.randomSeed) {
    // Long imaging work keeps the window alive and stops when it closes.
    m_loader.setProgressCallback([this](int) {
        pump();
        return !m_closing;
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
    m_changeInProgress = m_applyInProgress = m_wallpaperBusy = false;
    m_loader.setPaintSuppressed(false);
    m_work.release();
    m_loader.release();
    m_writer.release();
}

void WallpaperEngine::reportFailure(const QString& text) {
    m_lastOutcome = Outcome::Failed;
    m_lastError = text;
    if (m_services.prompter) m_services.prompter->message(text, Prompter::Icon::Error);
}

// ---------------------------------------------------------------------------------
// The change

void WallpaperEngine::changeWallpaper() {
    if (m_changeInProgress || m_applyInProgress) return;
    m_lastOutcome = Outcome::None;
    m_lastError.clear();
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
    if (visible && !m_shuttingDown && m_services.selectionReset) m_services.selectionReset();
}

bool WallpaperEngine::selectAndRender() {
    if (m_changeInProgress || m_queue.busy() || m_app.updating) return false;
    m_changeInProgress = true;
    FlagReset inProgress(m_changeInProgress);

    const bool folderMode = m_queue.isFolderQueue();
    int n = 0;
    if (folderMode) {
        n = m_folder.refreshBeforeChange(m_queue.workingImageFolder);
        if (n < 0) { // the folder is gone; the next change tries again
            m_lastOutcome = Outcome::NothingToShow;
            return false;
        }
    } else {
        n = m_queue.entryCount();
    }
    if (n < 1) {
        m_lastOutcome = Outcome::NothingToShow;
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
            const auto r = static_cast<int>(m_random.draw(static_cast<std::uint32_t>(n)));
            const auto d = m_random.draw(2);
            int p = r + 1;
            while (m_queue.shown(p)) {
                p = d == 1 ? p + 1 : p - 1;
                if (p < 1) p = n;
                if (p > n) p = 1;
                if (p == r + 1) {
                    m_queue.clearShown();
                    p = static_cast<int>(m_random.draw(static_cast<std::uint32_t>(n))) + 1;
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
                m_wallpaperBusy = false;
                m_loader.setPaintSuppressed(false);
                m_lastOutcome = Outcome::NothingToShow;
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
    m_wallpaperBusy = false;
    m_loader.setPaintSuppressed(false);
    return m_loader.hasImage();
}

// ---------------------------------------------------------------------------------
// Rendering

bool WallpaperEngine::loadImage(Picbuf& control, const QString& path) {
    if (m_shuttingDown || control.hasImage()) return false;
    if (m_closing) m_shuttingDown = true;
    control.setFileName(nativePath(path));
    control.setImageNumber(0);
    QString errorText;
    for (int code : imagemessages::kProbeOrder) {
        control.setImageFormat(code);
        try {
            control.load();
            return control.hasImage();
        } catch (const PicbufError& e) {
            errorText = QString::fromLocal8Bit(e.what());
            if (e.code() == PicbufCode::Aborted) break;
        }
    }
    control.release();
    if (m_showFileErrors && m_services.prompter)
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
    m_loader.setLoadSizeHintFor([&](int fw, int fh) -> std::pair<int, int> {
        const auto request = targetFor(fw, fh);
        if (!request) return {0, 0};
        const rendermath::Size size = rendermath::resizedSize(fw, fh, *request);
        if (size.width >= fw || size.height >= fh || size.width < 152 || size.height < 114) return {0, 0};
        return {size.width, size.height};
    });

    m_closing = false;
    const bool loaded = loadImage(m_loader, path);
    m_loader.setLoadSizeHintFor({});
    if (!loaded || m_closing || m_shuttingDown) return;
    // The file's own size: a size hint may have decoded it smaller.
    const int x = m_loader.fileWidth();
    const int y = m_loader.fileHeight();

    if (entry.factsKnown() == 0 || entry.fileDate() == 0) {
        makeThumbnail(m_loader, m_work, path);
        pump();
        if (m_closing || m_shuttingDown) return;
        entry.setWidth(static_cast<std::int16_t>(std::min(x, 32767)));
        entry.setHeight(static_cast<std::int16_t>(std::min(y, 32767)));
        m_work.setAssignMode(Picbuf::AssignMode::Copy);
        m_work.release();
    }

    if (const auto request = targetFor(x, y)) {
        resizeImage(m_loader, m_work, request->width, request->stretch, request->height);
        if (m_closing || m_shuttingDown) return;
        m_work.setAssignMode(Picbuf::AssignMode::Copy);
        m_work.release();
    }

    if (m_queue.header().gammaOn() != 0 && m_gamma != 1.0f) {
        m_loader.gammaCorrect(rendermath::gammaControlValue(m_gamma));
        if (m_closing || m_shuttingDown) return;
    }

    if (!m_loader.hasImage() || m_shuttingDown) return;
    if (!m_previewOnly) {
        m_currentImageText = path;
        if (m_services.settings) m_services.settings->write(QStringLiteral("filealias"), path);
    }
    m_loader.setAssignMode(Picbuf::AssignMode::Copy);

    if (m_factsChanged && !m_previewOnly) {
        // A folder image has no record of its own to write back to.
        if (!folderMode && m_queue.writeEntryRetrying(index)) m_factsChanged = false;
        if (folderMode) m_factsChanged = false;
    }

    const int depth = screenDepth();
    if (m_loader.colorDepth() > depth && depth < 15) {
        reduceToScreenColours(m_loader, depth);
        pump();
        if (!m_loader.hasImage() || m_closing || m_shuttingDown) return;
    }

    if (m_previewOnly) return;
    m_app.updating = true;
    m_queue.header().setCurrentPosition(static_cast<std::int16_t>(m_queue.position() & 0xFFFF));
    m_app.updating = false;
    m_queue.writeHeader();
}

void WallpaperEngine::resizeImage(Picbuf& source, Picbuf& work, int width, std::uint8_t stretch, int height) {
    if (!source.hasImage()) return;
    const rendermath::Size size =
        rendermath::resizedSize(source.fileWidth(), source.fileHeight(), {width, height, stretch});
    if (size.width < 1 || size.height < 1) return;
    work.setAssignMode(Picbuf::AssignMode::Copy);
    work.createImage(source.colorDepth(), size.width, size.height);
    work.setAssignMode(Picbuf::AssignMode::ScaleToSize);
    work.setResizeMode(3);
    work.assignFrom(source);
    if (source.colorDepth() < 9) work.copyPalette(source);
    work.setAssignMode(Picbuf::AssignMode::Copy);
    source.setAssignMode(Picbuf::AssignMode::Copy);
    source.assignFrom(work);
}

void WallpaperEngine::reduceToScreenColours(Picbuf& control, int depth) {
    if (control.colorDepth() > depth && depth < 15) {
        const int n = rendermath::reductionColours(depth);
        try {
            try {
                control.reduceColors(n, n >= 236);
            } catch (const PicbufError& e) {
                if (e.code() != PicbufCode::ReduceRetry) throw;
                control.reduceColors(n, true);
            }
            if (n == 236) control.completePalette();
        } catch (const PicbufError&) {
            return; // the picture stays unreduced
        }
    }
    if (control.hasImage() && control.colorDepth() < depth) control.raiseColorDepth(depth);
}

void WallpaperEngine::makeThumbnail(Picbuf& source, Picbuf& work, const QString& imagePath) {
    if (m_queue.busy() || !source.hasImage()) return;
    m_queue.setBusy(true);
    struct BusyOff {
        Queue& q;
        ~BusyOff() { q.setBusy(false); }
    } busyOff{m_queue};

    QueueEntry& entry = m_queue.entry();
    entry.setBitsPerPixel(static_cast<std::int8_t>(source.colorDepth()));
    const int w = source.fileWidth() ? source.fileWidth() : source.width();
    const int h = source.fileHeight() ? source.fileHeight() : source.height();
    const rendermath::Size thumb = rendermath::thumbnailSize(w, h);
    source.setAssignMode(Picbuf::AssignMode::Copy);
    work.createImage(source.colorDepth(), std::max(1, thumb.width), std::max(1, thumb.height));
    work.setAssignMode(Picbuf::AssignMode::ScaleToSize);
    work.setResizeMode(3);
    work.assignFrom(source);

    const QString tmp = m_app.tempFolder + QStringLiteral("/~tempfil.tmp");
    work.setFileName(nativePath(tmp));
    work.setImageFormat(Picbuf::Jpeg);
    int q = 95;
    qint64 size = 0;
    do {
        work.setWriteCompression(q);
        work.store();
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
    m_factsChanged = true;
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
        control.load();
    } catch (const PicbufError&) {
        ok = false;
    }
    QFile::remove(tmp);
    return ok && control.hasImage();
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
    if (m_applyInProgress) return;
    m_applyInProgress = true;
    FlagReset inProgress(m_applyInProgress);
    if (!m_loader.hasImage()) {
        m_app.updating = false;
        m_wallpaperBusy = false;
        m_loader.setPaintSuppressed(false);
        if (m_lastOutcome == Outcome::None) m_lastOutcome = Outcome::RenderFailed;
        return;
    }
    m_loader.setPaintSuppressed(true);
    const QueueHeader& header = m_queue.header();
    const QueueEntry& entry = m_queue.entry();
    const bool folderMode = header.folderQueue() != 0;
    m_tileChoice = folderMode ? header.tiled() : entry.tiled();

    m_writer.setAssignMode(Picbuf::AssignMode::Copy);
    m_writer.assignFrom(m_loader);

    QString sound;
    if (folderMode || entry.soundOption() == qu3::DefaultSound)
        sound = m_queue.workingDefaultSound;
    else if (entry.soundOption() == qu3::OwnSound)
        sound = entry.soundPath().trimmed();
    if (!sound.isEmpty() && m_services.sound) m_services.sound->play(sound);

    pump();
    if (m_closing) {
        m_loader.setPaintSuppressed(false);
        m_wallpaperBusy = false;
        return;
    }
    writeWallpaperBitmap();
    m_wallpaperBusy = false;
    m_loader.setPaintSuppressed(false);
    m_loader.release();
}

void WallpaperEngine::writeWallpaperBitmap() {
    if (!m_writer.hasImage()) return;
    m_wallpaperBusy = true;
    const QString bitmap = bitmapPathForWrite();
    m_writer.setFileName(nativePath(bitmap));
    m_writer.setImageFormat(Picbuf::Bmp);
    m_writer.setWriteCompression(0);
    try {
        m_writer.store();
    } catch (...) {
        m_writer.release();
        m_wallpaperBusy = false;
        throw;
    }
    m_writer.release();
    m_wallpaperBusy = false;

    if (!m_services.desktop) {
        reportFailure(QStringLiteral("No desktop to show the wallpaper on."));
        return;
    }
    QString error;
    if (!m_services.desktop->setWallpaper(bitmap, m_tileChoice != 0, m_services.background, &error)) {
        reportFailure(QStringLiteral("The desktop did not take the wallpaper: ") + error);
        return;
    }
    m_lastOutcome = Outcome::Applied;
    m_lastBitmap = bitmap;
    if (m_services.desktop->needsFreshPath()) m_useAlternate = !m_useAlternate;
}

void WallpaperEngine::clearScreen() {
    m_lastOutcome = Outcome::None;
    m_lastError.clear();
    m_currentImageText = kNone;
    if (m_services.settings) m_services.settings->write(QStringLiteral("filealias"), kNone);
    QFile::remove(m_app.wallpaperBitmap);
    QFile::remove(alternateBitmapPath());
    QString error;
    if (m_services.desktop && !m_services.desktop->clearWallpaper(m_services.background, &error))
        reportFailure(QStringLiteral("The desktop did not clear the wallpaper: ") + error);
    else if (!m_services.desktop)
        reportFailure(QStringLiteral("No desktop to clear."));
    else
        m_lastOutcome = Outcome::Applied;
    if (m_services.sound) m_services.sound->play(QString());
    const bool visible = m_services.windowVisible && m_services.windowVisible();
    if (visible && !m_shuttingDown && m_services.selectionReset) m_services.selectionReset();
    if (m_services.resetCountdown) m_services.resetCountdown();
}

QString WallpaperEngine::currentSourceImage() {
    QString wallpaper = m_services.desktop ? m_services.desktop->currentWallpaper() : QString();
    if (wallpaper.isEmpty() || !QFileInfo(wallpaper).isFile()) wallpaper = kNone;
    if (isWallpaperBitmap(wallpaper) && m_services.settings)
        return m_services.settings->read(QStringLiteral("FileAlias"), wallpaper);
    return wallpaper;
}

void WallpaperEngine::beginClose() {
    m_closing = true;
    m_shuttingDown = true;
}

PicbufBitmap WallpaperEngine::desktopThumbnail(const PicbufBitmap* screenGrab) {
    PicbufBitmap result;
    try {
        if (screenGrab) {
            m_loader.loadBitmap(*screenGrab);
        } else {
            // Where the screen cannot be read back, the wallpaper image itself stands in for it.
            const QString current = currentSourceImage();
            if (QFileInfo(current).isFile()) {
                m_loader.setFileName(current.toStdString());
                m_loader.setImageFormat(Picbuf::AnyFormat);
                m_loader.setLoadSizeHint(152, 114);
                m_loader.load();
                m_loader.setLoadSizeHint(0, 0);
            }
        }
        if (m_loader.hasImage()) {
            m_work.createImage(24, 152, 114);
            m_work.setAssignMode(Picbuf::AssignMode::ScaleToSize);
            m_work.setResizeMode(3);
            m_work.assignFrom(m_loader);
            result = m_work.makeBitmap();
        }
    } catch (const std::exception&) {
        result = PicbufBitmap();
    }
    m_loader.setLoadSizeHint(0, 0);
    m_work.setAssignMode(Picbuf::AssignMode::Copy);
    m_loader.release();
    m_work.release();
    return result;
}
