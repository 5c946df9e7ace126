// SPDX-License-Identifier: MIT
#include "gui/PropertiesPresenter.h"

#include "gui/ImageList.h"
#include "gui/PicbufImage.h"
#include "gui/PropertiesPanel.h"
#include "gui/QueueListView.h"
#include "gui/UpdatingScope.h"
#include "gui/WidgetScopes.h"
#include "imaging/Picbuf.h"
#include "queue/FileAge.h"
#include "queue/Queue.h"
#include "queue/ShortenPath.h"
#include "settings/AppContext.h"
#include "wallpaper/ImageDescription.h"
#include "wallpaper/ImageMessages.h"
#include "wallpaper/RenderMath.h"
#include "wallpaper/WallpaperEngine.h"

#include <QLabel>

namespace desc = imagedescription;

PropertiesPresenter::PropertiesPresenter(Deps deps)
    : m_deps(std::move(deps)), m_stateIcons(ImageList::stateIcons()), m_loader(std::make_unique<Picbuf>()),
      m_work(std::make_unique<Picbuf>()) {}

PropertiesPresenter::~PropertiesPresenter() = default;

void PropertiesPresenter::refresh(int selectedRows) {
    m_selected = selectedRows;
    if (selectedRows <= 0)
        showDefaults();
    else if (selectedRows == 1)
        showSingleImage();
    else
        showSeveral();
}

void PropertiesPresenter::refresh() {
    Queue& queue = *m_deps.queue;
    if (m_selected == 1 && !queue.busy() && queue.currentRecord > 0) queue.readEntry(queue.currentRecord);
    refresh(m_selected);
}

void PropertiesPresenter::showDefaults() {
    m_view = View::Defaults;
    const Queue& queue = *m_deps.queue;
    const QueueHeader& header = queue.header();
    m_deps.thumbnail->hide();
    m_deps.desktopPicture->show();
    const desc::ResizeLines rules = desc::defaultResizing(header);
    m_deps.panel->showLines({QStringLiteral("Queue Defaults"),
                             QStringLiteral("Default values are used for new image additions"),
                             QStringLiteral("and when image-specific values are not set."), rules.first, rules.second,
                             desc::defaultSound(queue.workingDefaultSound, header.noDefaultSound() != 0)});
    UpdatingScope updating(*m_deps.app);
    const bool tiled = header.tiled() == 1;
    m_deps.panel->showTiling(tiled ? PropertiesPanel::Tiling::Tiled : PropertiesPanel::Tiling::Single);
    if (m_deps.showTiledMenu) m_deps.showTiledMenu(tiled);
    m_deps.panel->showStateIcon(QIcon(), true);
}

void PropertiesPresenter::showSeveral() {
    m_view = View::Several;
    m_deps.thumbnail->hide();
    m_deps.desktopPicture->show();
    m_deps.panel->showLines(
        {QStringLiteral("Image Properties"), QStringLiteral("Set Properties for all selected images"), {}, {}, {}, {}});
    UpdatingScope updating(*m_deps.app);
    m_deps.panel->showTiling(PropertiesPanel::Tiling::Neither);
    m_deps.panel->showStateIcon(QIcon(), false);
}

void PropertiesPresenter::showSingleImage() {
    m_view = View::Single;
    Queue& queue = *m_deps.queue;
    if (queue.busy()) return;
    QueueEntry& entry = queue.entry();
    const QString path = entry.trimmedPath();
    if (entry.factsKnown() == 0 || fileage::of(path) != entry.fileDate()) refreshFacts(path);

    const QueueHeader& header = queue.header();
    const int state = rendermath::displayState(entry, header, false);
    if (queue.currentRow >= 0) m_deps.list->setRowState(queue.currentRow, state);
    const QSize screen = m_deps.screenSize();
    const desc::ResizeLines resize = desc::resizing(entry, header, screen.width(), screen.height());
    PropertiesPanel& panel = *m_deps.panel;
    const QList<QIcon>& icons = m_stateIcons;
    panel.showStateIcon(state >= 0 && state < icons.size() ? icons[state] : QIcon(), true);
    const QString name =
        shortenPath(path, panel.nameWidth(), [&panel](const QString& t) { return panel.nameTextWidth(t); });
    const bool known = entry.factsKnown() != 0;
    // What cannot be told of an unreadable image stays as it was.
    const QString sound =
        desc::sound(entry, queue.workingDefaultSound, header.noDefaultSound() == 1, panel.soundText());
    panel.showLines({QStringLiteral("Image Properties"), name, known ? desc::facts(entry) : QString(), resize.first,
                     resize.second, known ? sound : panel.soundText()});
    UpdatingScope updating(*m_deps.app);
    panel.showTiling(entry.tiled() != 0 ? PropertiesPanel::Tiling::Tiled : PropertiesPanel::Tiling::Single);
    if (known) showThumbnail();
}

void PropertiesPresenter::refreshFacts(const QString& path) {
    WaitCursor cursor;
    Queue& queue = *m_deps.queue;
    // The thumbnail needs far fewer pixels than a photo has: a JPEG decodes at a fraction of its size.
    m_loader->setLoadSizeHint(4 * rendermath::kThumbnailWidth, 4 * rendermath::kThumbnailHeight);
    imagemessages::loadWithMessages(*m_loader, path, *m_deps.prompter, m_deps.closing && m_deps.closing());
    if (m_loader->hasImage()) {
        try {
            m_deps.engine->makeThumbnail(*m_loader, *m_work, path, queue.entry());
            for (int attempt = 0; attempt < Queue::kAttempts; ++attempt)
                if (queue.writeEntry(queue.currentRecord)) break;
        } catch (const PicbufError&) {
            // The facts stay unknown; the panel shows what it can.
        }
    }
    m_loader->setLoadSizeHint(0, 0);
    m_loader->setAssignMode(Picbuf::AssignMode::Copy);
    m_work->setAssignMode(Picbuf::AssignMode::Copy);
    m_loader->release();
    m_work->release();
}

void PropertiesPresenter::showThumbnail() {
    m_deps.thumbnail->hide();
    m_deps.thumbnail->clear();
    if (!m_deps.engine->showStoredThumbnail(*m_loader)) return;
    const int depth = m_deps.colourDepth ? m_deps.colourDepth() : 24;
    if (depth <= 8) WallpaperEngine::reduceToScreenColours(*m_loader, depth);
    const QImage picture = toQImage(m_loader->makeBitmap());
    m_loader->release();
    m_deps.thumbnail->setPixmap(QPixmap::fromImage(picture));
    m_deps.thumbnail->resize(picture.size());
    // Centred in the desktop picture's frame.
    const QRect frame = m_deps.desktopPicture->geometry();
    m_deps.thumbnail->move((frame.width() - picture.width()) / 2 + frame.left(),
                           (frame.height() - picture.height()) / 2 + frame.top());
    m_deps.thumbnail->show();
    m_deps.desktopPicture->hide();
}

void PropertiesPresenter::setTiling(bool tiled) {
    Queue& queue = *m_deps.queue;
    if (m_deps.app->updating) return;
    {
        UpdatingScope updating(*m_deps.app);
        m_deps.panel->showTiling(tiled ? PropertiesPanel::Tiling::Tiled : PropertiesPanel::Tiling::Single);
        if (m_deps.showTiledMenu) m_deps.showTiledMenu(tiled);
    }
    if (m_view == View::Defaults) {
        queue.header().setTiled(tiled ? 1 : 0);
        queue.writeHeader();
        return;
    }
    WaitCursor cursor;
    QueueListView& list = *m_deps.list;
    for (const int row : list.selectedRows()) {
        const int record = queue.recordOfEntry(list.entryOfRow(row));
        QueueEntry entry;
        if (!queue.readEntryInto(record, entry)) continue;
        entry.setTiled(tiled ? 1 : 0);
        list.setRowState(row, rendermath::displayState(entry, queue.header(), false));
        queue.writeEntryFrom(record, entry);
    }
    refresh();
}
