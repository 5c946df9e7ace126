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
#include "wallpaper/ScopedFlag.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>
#include <utility>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Thrown from inside a load, once the file's size is known, when the desktop could not show
// the picture it would make: nothing is decoded.
class PictureRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The queue header's order mode for showing the rows in turn (2 is random order).
constexpr std::uint8_t kSequentialOrder = 1;
// Screens of at least this many bits per pixel show any colour; below it the picture
// is reduced to what the screen can show.
constexpr int kTrueColourDepth = 15;

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

std::string WallpaperEngine::nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

void WallpaperEngine::pump() {
    if (m_services.processEvents) m_services.processEvents();
}

int WallpaperEngine::screenDepth() const {
    return m_services.colorDepth ? m_services.colorDepth() : 24;
}

QSize WallpaperEngine::screenSizeNow() const {
    if (m_services.screenSize) return m_services.screenSize();
    return QSize(m_queue.environment().screenWidth, m_queue.environment().screenHeight);
}

// Whatever went wrong inside a change, the next change must be able to run.
void WallpaperEngine::recoverFromError() {
    m_changeInProgress = m_applyInProgress = m_wallpaperBusy = false;
    m_work.release();
    m_loader.release();
    m_writer.release();
}

// Failures are told once the change or clear has finished and the countdown runs again.
void WallpaperEngine::reportFailure(const QString& text) {
    m_lastOutcome = Outcome::Failed;
    m_lastError = text;
}

// A message box keeps the event loop turning; while it is open no change may start, and a
// fault that lasts (a full disk, a folder gone) is told once, not at every change it spoils.
void WallpaperEngine::tellOutcome() {
    if (!m_notice.isEmpty() && m_services.prompter) {
        const QString notice = std::exchange(m_notice, QString());
        ScopedFlag telling(m_telling);
        m_services.prompter->message(notice, Prompter::Icon::Warning);
    }
    if (m_lastOutcome == Outcome::Applied) m_lastTold.clear();
    if (m_lastOutcome != Outcome::Failed || m_lastError == m_lastTold || !m_services.prompter) return;
    m_lastTold = m_lastError;
    ScopedFlag telling(m_telling);
    m_services.prompter->message(m_lastError, Prompter::Icon::Error);
}

void WallpaperEngine::failChange(int code) {
    // A render stopped because the window is closing simply ends.
    if (code == PicbufCode::Aborted && stopRequested()) return;
    // Name the file the change was rendering (in a folder queue it has no record).
    reportFailure(imagemessages::forCode(code, splitPath(m_imagePath).fileName));
}

// The list shows the queue's defaults again once the desktop has changed, unless the
// user cannot see it or the window is going away.
void WallpaperEngine::resetSelectionIfShown() {
    const bool visible = m_services.windowVisible && m_services.windowVisible();
    if (visible && !m_shuttingDown && m_services.selectionReset) m_services.selectionReset();
}

void WallpaperEngine::beginClose() {
    m_closing = true;
    m_shuttingDown = true;
}

// ---------------------------------------------------------------------------------
// The change

void WallpaperEngine::changeWallpaper() {
    if (m_changeInProgress || m_applyInProgress || m_telling) return;
    m_lastOutcome = Outcome::None;
    m_lastError.clear();
    m_imagePath.clear();
    try {
        selectAndRender();
        applyWallpaper();
    } catch (const PicbufError& e) {
        recoverFromError();
        failChange(e.code());
    } catch (const std::exception& e) {
        recoverFromError();
        reportFailure(QString::fromLocal8Bit(e.what()));
    }
    if (m_services.resetCountdown) m_services.resetCountdown();
    releaseFreedMemory();
    tellOutcome();
    resetSelectionIfShown();
}

// A change takes tens of megabytes for a few moments; a program that runs for months gives
// them back to the system instead of keeping them in the allocator's free lists.
void WallpaperEngine::releaseFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

bool WallpaperEngine::selectAndRender() {
    if (m_changeInProgress || m_queue.busy() || m_app.updating) return false;
    ScopedFlag inProgress(m_changeInProgress);
    const int count = imagesToChooseFrom();
    if (count < 1) {
        m_lastOutcome = Outcome::NothingToShow;
        return false;
    }
    {
        // The position changes under the list's feet; its handlers must not answer.
        ScopedFlag updating(m_app.updating);
        choosePosition(count);
    }
    const std::optional<int> index = recordToShow(count);
    if (!index) {
        m_lastOutcome = Outcome::NothingToShow;
        return false;
    }
    const QSize screen = screenSizeNow();
    renderImage(*index, screen.width(), screen.height());
    return m_loader.hasImage();
}

// The rows of the queue, or the images in a folder queue's folder; -1 when that folder is gone.
int WallpaperEngine::imagesToChooseFrom() {
    if (m_queue.isFolderQueue()) return m_folder.refreshBeforeChange(m_queue.workingImageFolder);
    return m_queue.entryCount();
}

// A selected row wins over either order, so the user can pick the next wallpaper.
void WallpaperEngine::choosePosition(int count) {
    const int selected = (!m_queue.isFolderQueue() && m_rows) ? m_rows->firstSelectedRow() : -1;
    if (selected >= 0 && selected < count) {
        m_queue.setPosition(selected + 1);
    } else if (m_queue.header().orderMode() == kSequentialOrder) {
        std::int32_t next = m_queue.position() + 1;
        if (next > count || next < 1) next = 1;
        m_queue.setPosition(next);
    } else {
        m_queue.setPosition(randomPosition(count));
    }
}

// Random order shows every row once before any repeats: a drawn row already shown
// gives way to the next unshown one in a drawn direction. Once every row has been
// shown a new round starts from a fresh draw, not from the row the walk came back
// to, which may be the one just shown.
int WallpaperEngine::randomPosition(int count) {
    const auto drawRow = [&] { return static_cast<int>(m_random.draw(static_cast<std::uint32_t>(count))) + 1; };
    const int start = drawRow();
    const bool forward = m_random.draw(2) == 1;
    int row = start;
    while (m_queue.shown(row)) {
        row = forward ? row + 1 : row - 1;
        if (row < 1) row = count;
        if (row > count) row = 1;
        if (row == start) {
            m_queue.clearShown();
            row = drawRow();
        }
    }
    m_queue.setShown(row, true);
    return row;
}

// The record to render for the chosen position. Missing files are passed over in list
// order without a word: a queue often outlives some of its pictures.
std::optional<int> WallpaperEngine::recordToShow(int count) {
    if (m_queue.isFolderQueue()) return m_queue.position();
    const auto recordOfRow = [&](int row) {
        const int entry = m_rows ? m_rows->entryOfRow(row - 1) : row;
        return m_queue.recordOfEntry(entry);
    };
    int index = recordOfRow(m_queue.position());
    bool readable = m_queue.readEntryInto(index, m_entry);
    const std::int32_t start = m_queue.position();
    while (!readable || !QFileInfo(m_entry.trimmedPath()).isFile()) {
        std::int32_t next = m_queue.position() + 1;
        if (next > count) next = 1;
        m_queue.setPosition(next);
        if (next == start) return std::nullopt;
        index = recordOfRow(next);
        readable = m_queue.readEntryInto(index, m_entry);
    }
    return index;
}

// ---------------------------------------------------------------------------------
// Rendering

bool WallpaperEngine::loadImage(Picbuf& control, const QString& path) {
    if (m_shuttingDown || control.hasImage()) return false;
    // Only regular files are read: a fifo or device named like an image could block for good.
    if (!QFileInfo(path).isFile()) return false;
    if (m_closing) m_shuttingDown = true;
    control.setFileName(nativePath(path));
    control.setImageNumber(0);
    // One read: the format comes from the content (TGA, which has none, from the name), so
    // trying other format codes would only decode a broken file again.
    control.setImageFormat(Picbuf::AnyFormat);
    QString errorText;
    try {
        control.load();
        return control.hasImage();
    } catch (const PicbufError& e) {
        errorText = QString::fromLocal8Bit(e.what());
    } catch (const PictureRefused& e) {
        control.release();
        reportFailure(QString::fromLocal8Bit(e.what()));
        return false;
    }
    control.release();
    // A load the closing window stopped is not a failure to tell.
    if (m_showFileErrors && m_services.prompter && !stopRequested())
        m_services.prompter->message(QStringLiteral("Unable to display file ") + path + QStringLiteral(" ") + errorText,
                                     Prompter::Icon::None, m_app.title);
    return false;
}

void WallpaperEngine::renderImage(int index, int screenWidth, int screenHeight) {
    if (m_queue.busy() || m_app.updating) return;
    const std::optional<QString> path = imageToRender(index);
    if (!path) return;
    const QSize screen(screenWidth, screenHeight);
    if (!loadForScreen(*path, screen) || !refreshFacts(*path) || !resizeForScreen(screen) || !correctGamma()) return;
    if (!m_loader.hasImage() || m_shuttingDown) return;
    recordRenderedImage(index, *path);
    if (!reduceForScreen() || m_previewOnly) return;
    savePosition();
}

// The image file behind the record or folder position; no value when there is none.
std::optional<QString> WallpaperEngine::imageToRender(int index) {
    QueueEntry& entry = m_entry;
    QString path;
    if (m_queue.isFolderQueue()) {
        entry = QueueEntry();
        // A folder image has no record: it follows the queue's rules, and no facts or
        // thumbnail are taken for it.
        path = m_folder.imageOfPosition(index, m_queue.workingImageFolder);
        entry.setFileDate(1);
        entry.setFactsKnown(1);
        entry.setResizeMode(qu3::UseDefault);
        if (path.isEmpty()) return std::nullopt;
    } else {
        bool read = false;
        for (int i = 0; i < Queue::kAttempts && !read; ++i)
            read = m_queue.readEntryInto(index, entry);
        if (!read) return std::nullopt;
        path = entry.trimmedPath();
        // A file changed since its facts were taken needs them taken again.
        if (fileage::of(path) != entry.fileDate()) entry.setFileDate(0);
    }
    m_imagePath = splitPath(path).fullPath;
    return m_imagePath;
}

// The size rules are set for the start-up screen; the picture is made for the screen as it is now.
std::optional<rendermath::ResizeRequest> WallpaperEngine::resizeTarget(int x, int y, QSize screen) const {
    const int startupWidth = m_queue.environment().screenWidth;
    const int startupHeight = m_queue.environment().screenHeight;
    auto request = rendermath::resizeDecision(x, y, m_entry, m_queue.header(), startupWidth, startupHeight);
    if (request)
        *request = rendermath::scaleToScreen(*request, startupWidth, startupHeight, screen.width(), screen.height());
    return request;
}

bool WallpaperEngine::loadForScreen(const QString& path, QSize screen) {
    // Big files decode no larger than the picture they will become, and never
    // smaller than the thumbnail needs: a photograph then costs a fraction of the memory.
    m_loader.setLoadSizeHintFor([&](int fileWidth, int fileHeight) -> std::pair<int, int> {
        const auto request = resizeTarget(fileWidth, fileHeight, screen);
        const rendermath::Size size = request ? rendermath::resizedSize(fileWidth, fileHeight, *request)
                                              : rendermath::Size{fileWidth, fileHeight};
        refuseWhatTheDesktopCannotShow(path, size);
        if (!request) return {0, 0};
        if (size.width >= fileWidth || size.height >= fileHeight || size.width < rendermath::kThumbnailWidth ||
            size.height < rendermath::kThumbnailHeight)
            return {0, 0};
        return {size.width, size.height};
    });
    m_closing = false;
    const bool loaded = loadImage(m_loader, path);
    m_loader.setLoadSizeHintFor({});
    return loaded && !stopRequested();
}

void WallpaperEngine::refuseWhatTheDesktopCannotShow(const QString& path, const rendermath::Size& size) const {
    if (m_previewOnly || !m_services.desktop || m_services.desktop->acceptsPicture(size.width, size.height)) return;
    throw PictureRefused(QStringLiteral("%1 cannot be shown: as a wallpaper it would be %2 x %3 pixels, more than "
                                        "the desktop takes.")
                             .arg(path)
                             .arg(size.width)
                             .arg(size.height)
                             .toLocal8Bit()
                             .toStdString());
}

// Size, depth and thumbnail are read once per file version and kept in the queue, so
// the list can show them without opening every image.
bool WallpaperEngine::refreshFacts(const QString& path) {
    if (m_entry.factsKnown() != 0 && m_entry.fileDate() != 0) return true;
    makeThumbnail(m_loader, m_work, path, m_entry);
    pump();
    if (stopRequested()) return false;
    m_work.setAssignMode(Picbuf::AssignMode::Copy);
    m_work.release();
    return true;
}

bool WallpaperEngine::resizeForScreen(QSize screen) {
    // The file's own size: a size hint may have decoded it smaller.
    const auto request = resizeTarget(m_loader.fileWidth(), m_loader.fileHeight(), screen);
    if (!request) return true;
    resizeImage(m_loader, *request);
    return !stopRequested();
}

bool WallpaperEngine::correctGamma() {
    if (m_queue.header().gammaOn() == 0 || m_gamma == 1.0f) return true;
    m_loader.gammaCorrect(rendermath::gammaControlValue(m_gamma));
    return !stopRequested();
}

void WallpaperEngine::recordRenderedImage(int index, const QString& path) {
    if (!m_previewOnly) {
        m_currentImageText = path;
        if (m_services.settings) m_services.settings->write(QStringLiteral("filealias"), path);
    }
    m_loader.setAssignMode(Picbuf::AssignMode::Copy);
    if (!m_factsChanged || m_previewOnly) return;
    // A folder image has no record of its own to write back to.
    if (m_queue.isFolderQueue() || m_queue.writeEntryFromRetrying(index, m_entry)) m_factsChanged = false;
}

bool WallpaperEngine::reduceForScreen() {
    const int depth = screenDepth();
    if (m_loader.colorDepth() <= depth || depth >= kTrueColourDepth) return true;
    reduceToScreenColours(m_loader, depth);
    pump();
    return m_loader.hasImage() && !stopRequested();
}

// The queue file remembers where the order stands, for the next start.
void WallpaperEngine::savePosition() {
    {
        ScopedFlag updating(m_app.updating);
        m_queue.header().setCurrentPosition(static_cast<std::int16_t>(m_queue.position() & 0xFFFF));
    }
    m_queue.writeHeader();
}

// A picture decoded at its target size already (a large JPEG) is left as it is.
void WallpaperEngine::resizeImage(Picbuf& picture, const rendermath::ResizeRequest& request) {
    if (!picture.hasImage()) return;
    const rendermath::Size size = rendermath::resizedSize(picture.fileWidth(), picture.fileHeight(), request);
    if (size.width < 1 || size.height < 1) return;
    picture.setResizeFilter(Picbuf::ResizeFilter::Lanczos);
    picture.resizeTo(size.width, size.height);
}

void WallpaperEngine::reduceToScreenColours(Picbuf& control, int depth) {
    const int colours = rendermath::reductionColours(depth);
    try {
        try {
            control.reduceColors(colours, colours >= 236);
        } catch (const PicbufError& e) {
            if (e.code() != PicbufCode::ReduceRetry) throw;
            control.reduceColors(colours, true);
        }
        // The twenty colours the system keeps make the palette a full 256 again.
        if (colours == 236) control.completePalette();
    } catch (const PicbufError&) {
        return; // a picture with too many colours still beats no picture
    }
    if (control.hasImage() && control.colorDepth() < depth) control.raiseColorDepth(depth);
}
