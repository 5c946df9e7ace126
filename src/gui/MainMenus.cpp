// SPDX-License-Identifier: MIT
#include "gui/MainMenus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {

enum class Check { No, Yes };
enum class State { Enabled, Disabled };

QMenu* addMenu(QMenuBar* bar, const char* formName, const QString& text) {
    QMenu* menu = bar->addMenu(text);
    menu->setObjectName(QString::fromLatin1(formName));
    return menu;
}

QMenu* addSubmenu(QMenu* parent, const char* formName, const QString& text) {
    QMenu* menu = parent->addMenu(text);
    menu->setObjectName(QString::fromLatin1(formName));
    return menu;
}

QAction* addItem(QMenu* menu, const char* formName, const QString& text, const QKeySequence& key = {},
                 State state = State::Enabled, Check check = Check::No) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(formName));
    if (!key.isEmpty()) action->setShortcut(key);
    action->setEnabled(state == State::Enabled);
    action->setCheckable(check == Check::Yes);
    return action;
}

// Items whose commands this window does not have: they keep the menu's shape, greyed out.
QAction* addDisabledItem(QMenu* menu, const char* formName, const QString& text, const QKeySequence& key = {},
                         Check check = Check::No) {
    return addItem(menu, formName, text, key, State::Disabled, check);
}

} // namespace

MainMenus::MainMenus(QMenuBar* bar) : QObject(bar) {
    buildFileMenu(bar);
    buildImageDisplayMenu(bar);
    buildHelpMenu(bar);
}

void MainMenus::buildFileMenu(QMenuBar* bar) {
    QMenu* file = addMenu(bar, "mnuFile", QStringLiteral("&File"));
    m_addImageAction = addItem(file, "menuadd", QStringLiteral("&Add Image File"), QKeySequence(Qt::CTRL | Qt::Key_A));
    m_editImageAction =
        addDisabledItem(file, "menuedit", QStringLiteral("&Edit Image"), QKeySequence(Qt::CTRL | Qt::Key_E));
    m_relinkAction = addDisabledItem(file, "mnuRelink", QStringLiteral("ReLink Image File"));
    m_deleteImageAction =
        addDisabledItem(file, "MenuDelt", QStringLiteral("&Delete Image File"), QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(m_addImageAction, &QAction::triggered, this, &MainMenus::addImageTriggered);
    connect(m_editImageAction, &QAction::triggered, this, &MainMenus::editImageTriggered);
    connect(m_relinkAction, &QAction::triggered, this, &MainMenus::relinkTriggered);
    connect(m_deleteImageAction, &QAction::triggered, this, &MainMenus::deleteImageTriggered);
    buildListMenus(file);
    file->addSeparator();
    m_newQueueAction = addItem(file, "mnuQueStart", QStringLiteral("Start New Queue File"));
    m_useFolderAction =
        addItem(file, "mnuUseFolder", QStringLiteral("Use Folder as Queue"), {}, State::Enabled, Check::Yes);
    m_changeFolderAction = addItem(file, "mnuChangeFolder", QStringLiteral("Change Folder"));
    m_changeFolderAction->setVisible(false);
    connect(m_useFolderAction, &QAction::triggered, this, &MainMenus::useFolderTriggered);
    connect(m_changeFolderAction, &QAction::triggered, this, &MainMenus::changeFolderTriggered);
    m_changeQueueAction =
        addItem(file, "mnuChangeQueue", QStringLiteral("Change Queue File"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_clearQueueAction = addItem(file, "mnuClearQueue", QStringLiteral("Clear Queue File"));
    m_saveQueueAsAction = addItem(file, "mnuQueSaveAs", QStringLiteral("Save Queue File As"));
    QAction* deleteQueue = addItem(file, "DeleteQueueFile1", QStringLiteral("Delete Queue File"));
    connect(m_newQueueAction, &QAction::triggered, this, &MainMenus::newQueueTriggered);
    connect(m_changeQueueAction, &QAction::triggered, this, &MainMenus::changeQueueTriggered);
    connect(m_clearQueueAction, &QAction::triggered, this, &MainMenus::clearQueueTriggered);
    connect(m_saveQueueAsAction, &QAction::triggered, this, &MainMenus::saveQueueAsTriggered);
    connect(deleteQueue, &QAction::triggered, this, &MainMenus::deleteQueueTriggered);
    file->addSeparator();
    QAction* exit = addItem(file, "mnuExit", QStringLiteral("E&xit"));
    connect(exit, &QAction::triggered, this, &MainMenus::exitTriggered);
}

void MainMenus::buildListMenus(QMenu* file) {
    QMenu* sort = addSubmenu(file, "mnuSort", QStringLiteral("Sort Image Files"));
    m_sortMenu = sort;
    m_sortByNameAction = addItem(sort, "mnuSortName", QStringLiteral("Sort by Name"), {}, State::Enabled, Check::Yes);
    m_unsortedAction = addItem(sort, "mnuUnSort", QStringLiteral("Unsorted"), {}, State::Enabled, Check::Yes);
    connect(m_sortByNameAction, &QAction::triggered, this, &MainMenus::sortByNameTriggered);
    connect(m_unsortedAction, &QAction::triggered, this, &MainMenus::unsortedTriggered);

    m_listDetailsMenu = addSubmenu(file, "mnuListType", QStringLiteral("List Details"));
    m_fileNameOnlyAction =
        addItem(m_listDetailsMenu, "mnuFileName", QStringLiteral("File Name Only"), {}, State::Enabled, Check::Yes);
    m_fullPathAction = addItem(m_listDetailsMenu, "mnuFullPath", QStringLiteral("Full Path and File Name"), {},
                               State::Enabled, Check::Yes);
    connect(m_fileNameOnlyAction, &QAction::triggered, this, [this] { Q_EMIT fileNameOnlyTriggered(true); });
    connect(m_fullPathAction, &QAction::triggered, this, [this] { Q_EMIT fileNameOnlyTriggered(false); });
}

void MainMenus::buildImageDisplayMenu(QMenuBar* bar) {
    QMenu* display = addMenu(bar, "mnuImageDisplay", QStringLiteral("&Image Display"));
    QAction* change =
        addItem(display, "mnuChangeNow", QStringLiteral("Change Wallpaper Now"), QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(change, &QAction::triggered, this, &MainMenus::changeWallpaperTriggered);
    QAction* clear =
        addItem(display, "mnuClearScreen", QStringLiteral("Clear Screen"), QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(clear, &QAction::triggered, this, &MainMenus::clearScreenTriggered);
    display->addSeparator();
    QAction* defaultResize = addItem(display, "mnuDefaultResize", QStringLiteral("Default Resize Options"));
    connect(defaultResize, &QAction::triggered, this, &MainMenus::defaultResizeTriggered);
    m_resizeAction = addDisabledItem(display, "mnuResiz", QStringLiteral("&Resize Selected Images"));
    connect(m_resizeAction, &QAction::triggered, this, &MainMenus::resizeSelectedTriggered);
    QAction* defaultSound = addItem(display, "mnuDefSound", QStringLiteral("Default Sound"));
    connect(defaultSound, &QAction::triggered, this, &MainMenus::defaultSoundTriggered);
    m_soundAction = addDisabledItem(display, "mnuSound", QStringLiteral("Sound for Selected Images"));
    connect(m_soundAction, &QAction::triggered, this, &MainMenus::soundForSelectedTriggered);
    display->addSeparator();
    buildOrderAndTilingMenus(display);
    m_gammaAction =
        addItem(display, "mnuGamma", QStringLiteral("Correct Screen Gamma"), {}, State::Enabled, Check::Yes);
    connect(m_gammaAction, &QAction::triggered, this, [this] {
        // The check mark follows the queue's setting, not the click.
        m_gammaAction->setChecked(!m_gammaAction->isChecked());
        Q_EMIT gammaTriggered();
    });
    QAction* folder = addItem(display, "mnuWallFolder", QStringLiteral("Temporary Wallpaper Folder"));
    connect(folder, &QAction::triggered, this, &MainMenus::tempFolderTriggered);
}

void MainMenus::buildOrderAndTilingMenus(QMenu* display) {
    QMenu* order = addSubmenu(display, "mnuOrder", QStringLiteral("&Display Order"));
    m_sequentialAction = addItem(order, "menuseq", QStringLiteral("&Sequential"), QKeySequence(Qt::CTRL | Qt::Key_S),
                                 State::Enabled, Check::Yes);
    m_randomAction = addItem(order, "menurand", QStringLiteral("&Random"), QKeySequence(Qt::CTRL | Qt::Key_R),
                             State::Enabled, Check::Yes);
    connect(m_sequentialAction, &QAction::triggered, this,
            [this] { Q_EMIT orderModeTriggered(OrderMode::Sequential); });
    connect(m_randomAction, &QAction::triggered, this, [this] { Q_EMIT orderModeTriggered(OrderMode::Random); });
    m_startWithFirstAction =
        addItem(display, "mnustartfirst", QStringLiteral("Start With First Image"), {}, State::Enabled, Check::Yes);
    connect(m_startWithFirstAction, &QAction::triggered, this, &MainMenus::startWithFirstTriggered);
    m_showFileErrorsAction =
        addItem(display, "mnuShowErrors", QStringLiteral("Show File Errors"), {}, State::Enabled, Check::Yes);
    connect(m_showFileErrorsAction, &QAction::triggered, this, &MainMenus::showFileErrorsTriggered);
    display->addSeparator();
    QMenu* tiling = addSubmenu(display, "mnuTiling", QStringLiteral("Tiling"));
    m_tiledAction = addItem(tiling, "mnuTileOn", QStringLiteral("Tiled"), {}, State::Enabled, Check::Yes);
    m_singleImageAction = addItem(tiling, "MnuTileOff", QStringLiteral("Single Image"), {}, State::Enabled, Check::Yes);
    // The checks follow what the command makes of the click.
    connect(m_tiledAction, &QAction::triggered, this, [this] {
        m_tiledAction->setChecked(!m_tiledAction->isChecked());
        Q_EMIT tilingTriggered(true);
    });
    connect(m_singleImageAction, &QAction::triggered, this, [this] {
        m_singleImageAction->setChecked(!m_singleImageAction->isChecked());
        Q_EMIT tilingTriggered(false);
    });
}

void MainMenus::buildHelpMenu(QMenuBar* bar) {
    QMenu* help = addMenu(bar, "mnuHelp", QStringLiteral("&Help"));
    QAction* topics = addItem(help, "mnuHelpTopics", QStringLiteral("&Muralo32 Help Topics"), QKeySequence(Qt::Key_F1));
    connect(topics, &QAction::triggered, this, &MainMenus::helpTriggered);
    help->addSeparator();
    QAction* about = addItem(help, "Aboutwc", QStringLiteral("&About Muralo32"), QKeySequence(Qt::SHIFT | Qt::Key_F1));
    connect(about, &QAction::triggered, this, &MainMenus::aboutTriggered);
}

void MainMenus::showSorted(bool sorted) {
    m_sortByNameAction->setChecked(sorted);
    m_unsortedAction->setChecked(!sorted);
}

void MainMenus::showFileNameOnly(bool on) {
    m_fileNameOnlyAction->setChecked(on);
    m_fullPathAction->setChecked(!on);
}

void MainMenus::showOrderMode(OrderMode mode, bool startWithFirst) {
    const bool sequential = mode == OrderMode::Sequential;
    m_sequentialAction->setChecked(sequential);
    m_randomAction->setChecked(!sequential);
    // Only a walk in order has a first image to start with.
    m_startWithFirstAction->setEnabled(sequential);
    m_startWithFirstAction->setChecked(sequential && startWithFirst);
}

void MainMenus::showStartWithFirst(bool on) {
    m_startWithFirstAction->setChecked(on);
}

void MainMenus::showFileErrors(bool on) {
    m_showFileErrorsAction->setChecked(on);
}

void MainMenus::showTiled(bool tiled) {
    m_tiledAction->setChecked(tiled);
    m_singleImageAction->setChecked(!tiled);
}

void MainMenus::showGamma(bool on) {
    m_gammaAction->setChecked(on);
}

void MainMenus::showFolderQueue(bool folder) {
    m_sortMenu->menuAction()->setEnabled(!folder);
    m_listDetailsMenu->menuAction()->setEnabled(!folder);
    m_useFolderAction->setChecked(folder);
    m_changeFolderAction->setVisible(folder);
    m_addImageAction->setEnabled(!folder);
    m_clearQueueAction->setEnabled(!folder);
    // Delete and relink come back with a selection.
    if (folder)
        for (QAction* action : {m_deleteImageAction, m_relinkAction})
            action->setEnabled(false);
}

void MainMenus::showSelection(int selectedRows) {
    m_deleteImageAction->setEnabled(selectedRows > 0);
    m_relinkAction->setEnabled(selectedRows > 0);
    m_editImageAction->setEnabled(selectedRows == 1);
    m_soundAction->setEnabled(selectedRows > 0);
    m_resizeAction->setEnabled(selectedRows > 0);
}

void MainMenus::setQueueCommandsShown(bool shown) {
    for (QAction* action :
         {m_addImageAction, m_newQueueAction, m_changeQueueAction, m_clearQueueAction, m_saveQueueAsAction})
        action->setVisible(shown);
    m_listDetailsMenu->menuAction()->setVisible(shown);
}
