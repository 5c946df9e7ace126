// SPDX-License-Identifier: MIT
// The main window's commands: what its menu items, buttons and timers do.
#include "gui/MainWindow.h"

#include "gui/HelpTopics.h"
#include "gui/MainMenus.h"
#include "gui/MainToolBar.h"
#include "gui/OptionCommands.h"
#include "gui/OptionsPage.h"
#include "gui/PropertiesPanel.h"
#include "gui/PropertiesPresenter.h"
#include "gui/QueueEditCommands.h"
#include "gui/QueueEditor.h"
#include "gui/QueueFileCommands.h"
#include "gui/QueueListView.h"
#include "gui/StatusLines.h"
#include "gui/dialogs/DeleteDialog.h"
#include "gui/filedlg/DialogFileChooser.h"
#include "queue/Queue.h"
#include "settings/AppContext.h"
#include "settings/ForeignValues.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"
#include "wallpaper/Prompter.h"
#include "wallpaper/WallpaperEngine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QTimer>

namespace sv = settingsvalues;

namespace {

// A command of one of the window's command sets, run as queue work when the signal comes: never
// inside a change or another command.
template <typename Commands> auto queued(QueueWork& work, Commands& commands, void (Commands::*command)()) {
    return [&work, &commands, command] { work.run([&commands, command] { (commands.*command)(); }); };
}

} // namespace

// The commands that change which images the queue holds run as queue work, never inside a change.
void MainWindow::buildEditCommands() {
    if (!m_deps.fileChooser) {
        auto preview = [this] {
            PreviewPanel::Services services;
            services.sound = m_deps.engine->services().sound;
            services.screenDepth = [this] { return m_colorDepth; };
            services.screenColour = QColor::fromRgb(m_deps.engine->services().background);
            return services;
        };
        m_ownChooser = std::make_unique<DialogFileChooser>(
            this, [this](const QString& topic) { openHelp(topic); }, preview);
        m_deps.fileChooser = m_ownChooser.get();
    }
    if (!m_deps.askDeleteChoice)
        m_deps.askDeleteChoice = [this](int rows) {
            return int(DeleteDialog::ask(
                rows, [this] { openHelp(QStringLiteral("rgnDeleteButton")); }, this));
        };
    QueueEditCommands::Deps d;
    d.app = m_deps.app;
    d.settings = m_deps.settings;
    d.queue = m_deps.queue;
    d.list = m_queueList;
    d.editor = m_editor.get();
    d.folder = m_deps.folder;
    d.prompter = m_deps.prompter;
    d.chooser = m_deps.fileChooser;
    d.runTimer = [this](bool run) { run ? m_changeTimer->start() : m_changeTimer->stop(); };
    d.deselectAll = [this] { selectionReset(); };
    d.askDeleteChoice = m_deps.askDeleteChoice;
    d.openUrl = m_deps.openUrl;
    d.refreshQueueLine = [this] { refreshQueueLine(); };
    d.firstImageAdded = [this] { m_fileCommands->nameUntitledQueue(); };
    d.closing = [this] { return m_closed; };
    d.owner = this;
    m_editCommands = std::make_unique<QueueEditCommands>(d);
    const auto asQueueWork = [this](void (QueueEditCommands::*command)()) {
        return queued(m_queueWork, *m_editCommands, command);
    };
    connect(m_menus, &MainMenus::addImageTriggered, this, asQueueWork(&QueueEditCommands::addImageFiles));
    connect(m_toolBar, &MainToolBar::addImageClicked, this, asQueueWork(&QueueEditCommands::addImageFiles));
    connect(m_menus, &MainMenus::deleteImageTriggered, this, asQueueWork(&QueueEditCommands::deleteSelected));
    connect(m_queueList, &QueueListView::deleteRequested, this, asQueueWork(&QueueEditCommands::deleteSelected));
    connect(m_menus, &MainMenus::relinkTriggered, this, asQueueWork(&QueueEditCommands::relinkSelected));
    connect(m_menus, &MainMenus::editImageTriggered, this, asQueueWork(&QueueEditCommands::editSelected));
    connect(m_queueList, &QueueListView::editRequested, this, asQueueWork(&QueueEditCommands::editSelected));
    connect(m_menus, &MainMenus::useFolderTriggered, this,
            [this, toggle = asQueueWork(&QueueEditCommands::toggleFolderQueue)] {
                // The check mark follows the queue, not the click.
                m_menus->showFolderQueue(m_deps.queue->isFolderQueue());
                toggle();
            });
    connect(m_menus, &MainMenus::changeFolderTriggered, this, asQueueWork(&QueueEditCommands::changeFolder));
}

void MainWindow::buildFileCommands() {
    QueueFileCommands::Deps d;
    d.app = m_deps.app;
    d.settings = m_deps.settings;
    d.queue = m_deps.queue;
    d.list = m_queueList;
    d.folder = m_deps.folder;
    d.prompter = m_deps.prompter;
    d.chooser = m_deps.fileChooser;
    d.runTimer = [this](bool run) { run ? m_changeTimer->start() : m_changeTimer->stop(); };
    d.deselectAll = [this] { selectionReset(); };
    d.refreshQueueLine = [this] { refreshQueueLine(); };
    d.loadQueue = [this](const QString& path) { return loadQueue(path); };
    d.changeOnOpening = [this] { return m_options->changeAtStart(); };
    // Queued behind the command that asks for it.
    d.changeSoon = [this] {
        m_queueWork.run([this] {
            m_deps.engine->changeWallpaper();
            refreshCurrentImage();
            refreshQueueLine();
        });
    };
    m_fileCommands = std::make_unique<QueueFileCommands>(d);
    const auto asQueueWork = [this](void (QueueFileCommands::*command)()) {
        return queued(m_queueWork, *m_fileCommands, command);
    };
    connect(m_menus, &MainMenus::changeQueueTriggered, this, asQueueWork(&QueueFileCommands::changeQueue));
    connect(m_menus, &MainMenus::newQueueTriggered, this, asQueueWork(&QueueFileCommands::newQueue));
    connect(m_menus, &MainMenus::clearQueueTriggered, this, asQueueWork(&QueueFileCommands::clearQueue));
    connect(m_menus, &MainMenus::saveQueueAsTriggered, this, asQueueWork(&QueueFileCommands::saveQueueAs));
    connect(m_menus, &MainMenus::deleteQueueTriggered, this, asQueueWork(&QueueFileCommands::deleteQueue));
    connect(m_statusLines, &StatusLines::queueButtonClicked, this, &MainWindow::popUpQueueList);
}

void MainWindow::buildOptionCommands() {
    OptionCommands::Deps d;
    d.app = m_deps.app;
    d.settings = m_deps.settings;
    d.queue = m_deps.queue;
    d.engine = m_deps.engine;
    d.prompter = m_deps.prompter;
    d.chooser = m_deps.fileChooser;
    d.runTimer = [this](bool run) { run ? m_changeTimer->start() : m_changeTimer->stop(); };
    d.runDialog = m_deps.runDialog;
    d.showGamma = [this](bool on) { m_menus->showGamma(on); };
    d.openHelp = [this](const QString& topic) { openHelp(topic); };
    d.systemInformation = m_deps.systemInformation;
    if (!d.systemInformation)
        d.systemInformation = [] {
            ForeignValues values;
            values.registerSystemInformation();
            return values.read(QStringLiteral("HKEY_LOCAL_MACHINE"), ForeignValues::systemInformationKey(),
                               QStringLiteral("Path"), QString());
        };
    d.startProgram = [](const QString& program) { QProcess::startDetached(program, {}); };
    d.screenSize = [this] { return QSize(m_deps.app->screenWidth, m_deps.app->screenHeight); };
    d.list = m_queueList;
    d.refreshPanel = [this] { m_presenter->refresh(); };
    d.owner = this;
    m_optionCommands = std::make_unique<OptionCommands>(d);
    const auto asQueueWork = [this](void (OptionCommands::*command)()) {
        return queued(m_queueWork, *m_optionCommands, command);
    };
    connect(m_menus, &MainMenus::gammaTriggered, this, asQueueWork(&OptionCommands::toggleGamma));
    connect(m_menus, &MainMenus::tempFolderTriggered, this, asQueueWork(&OptionCommands::tempFolder));
    connect(m_menus, &MainMenus::aboutTriggered, this, asQueueWork(&OptionCommands::about));
    connect(m_menus, &MainMenus::defaultSoundTriggered, this, asQueueWork(&OptionCommands::defaultSound));
    connect(m_menus, &MainMenus::soundForSelectedTriggered, this, asQueueWork(&OptionCommands::soundForSelected));
    connect(m_menus, &MainMenus::defaultResizeTriggered, this, asQueueWork(&OptionCommands::defaultResize));
    connect(m_menus, &MainMenus::resizeSelectedTriggered, this, asQueueWork(&OptionCommands::resizeSelected));
}

void MainWindow::buildPropertiesPresenter() {
    PropertiesPresenter::Deps d;
    d.app = m_deps.app;
    d.queue = m_deps.queue;
    d.engine = m_deps.engine;
    d.prompter = m_deps.prompter;
    d.list = m_queueList;
    d.panel = m_properties;
    d.desktopPicture = m_desktopPicture;
    d.thumbnail = m_thumbnailPicture;
    d.colourDepth = [this] { return m_colorDepth; };
    d.screenSize = [this] { return QSize(m_deps.app->screenWidth, m_deps.app->screenHeight); };
    d.showTiledMenu = [this](bool tiled) { m_menus->showTiled(tiled); };
    d.closing = [this] { return m_closed; };
    m_presenter = std::make_unique<PropertiesPresenter>(d);
    const auto setTiling = [this](bool tiled) {
        if (!m_deps.app->updating) m_queueWork.run([this, tiled] { m_presenter->setTiling(tiled); });
    };
    connect(m_properties, &PropertiesPanel::tilingClicked, this, setTiling);
    connect(m_menus, &MainMenus::tilingTriggered, this, setTiling);
    // The box's Change buttons act on what it shows, with the countdown held meanwhile.
    connect(m_properties, &PropertiesPanel::resizeChangeClicked, this, [this] {
        m_queueWork.run([this] {
            if (m_presenter->view() == PropertiesPresenter::View::Defaults)
                m_optionCommands->defaultResize();
            else
                m_optionCommands->resizeSelected();
            if (imagesPageShown()) m_queueList->setFocus();
        });
    });
    connect(m_properties, &PropertiesPanel::soundChangeClicked, this, [this] {
        m_queueWork.run([this] {
            if (m_presenter->view() == PropertiesPresenter::View::Defaults) {
                m_optionCommands->defaultSound();
                return;
            }
            m_changeTimer->stop();
            m_optionCommands->soundForSelected();
            m_changeTimer->start();
        });
    });
}

// The queues beside the open one, to open with a click.
void MainWindow::popUpQueueList() {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("mnuQLst"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const QString& name : m_fileCommands->queuesBeside()) {
        connect(menu->addAction(name), &QAction::triggered, this,
                [this, name] { m_queueWork.run([this, name] { m_fileCommands->pickQueue(name); }); });
    }
    menu->popup(m_statusLines->queueLineCorner());
}

bool MainWindow::changeWallpaperNow() {
    return m_queueWork.runIfIdle([this] {
        m_deps.engine->changeWallpaper();
        refreshCurrentImage();
        update();
    });
}

bool MainWindow::clearScreenNow() {
    return m_queueWork.runIfIdle([this] {
        m_deps.engine->clearScreen();
        refreshCurrentImage();
        update();
    });
}

void MainWindow::setOrderMode(OrderMode mode) {
    if (m_deps.app->updating) return;
    m_deps.queue->header().setOrderMode(ordermode::toStored(mode));
    showOrderMode();
    if (!m_deps.queue->writeHeader() && m_deps.prompter)
        m_deps.prompter->message(QStringLiteral("The queue file could not be written."), Prompter::Icon::Warning);
}

void MainWindow::toggleStartWithFirst() {
    QueueHeader& header = m_deps.queue->header();
    const bool on = header.startWithFirst() != 1;
    header.setStartWithFirst(on ? 1 : 0);
    m_menus->showStartWithFirst(on);
    if (on) {
        header.setCurrentPosition(0);
        m_deps.queue->setPosition(0);
    }
    m_deps.queue->writeHeader();
}

void MainWindow::toggleShowFileErrors() {
    WallpaperEngine& engine = *m_deps.engine;
    engine.setShowFileErrors(!engine.showFileErrors());
    m_menus->showFileErrors(engine.showFileErrors());
    m_deps.settings->write(QStringLiteral("ShowFileErrors"), sv::fromBool(engine.showFileErrors()));
}

// The change timer rests while the rows are rebuilt, so a change does not walk rows that are
// being replaced.
void MainWindow::sortByName() {
    if (m_deps.app->updating) return;
    m_queueWork.run([this] {
        m_changeTimer->stop();
        m_queueList->sortByName();
        m_menus->showSorted(m_deps.queue->workingSorted);
        m_changeTimer->start();
    });
}

void MainWindow::unsort() {
    if (m_deps.app->updating) return;
    m_queueWork.run([this] {
        m_changeTimer->stop();
        m_queueList->unsorted();
        m_menus->showSorted(m_deps.queue->workingSorted);
        m_changeTimer->start();
    });
}

void MainWindow::setFileNameOnly(bool on) {
    m_menus->showFileNameOnly(m_queueList->fileNameOnly());
    if (m_deps.app->updating || m_queueList->fileNameOnly() == on) return;
    // The rows are built again; a change under way finishes first (it has the path).
    m_queueWork.run([this, on] {
        m_changeTimer->stop();
        m_queueList->setFileNameOnly(on);
        m_deps.settings->write(QStringLiteral("TruncateFileName"), sv::fromBool(on));
        m_queueList->clearFilled();
        m_queueList->fill();
        m_menus->showFileNameOnly(on);
        m_changeTimer->start();
    });
}

void MainWindow::openHelp(const QString& topic) {
    const QString file = m_deps.app->helpFile;
    m_helpOpened = true;
    if (file.isEmpty()) return;
    // The help file is the contents page; every topic has a page of its own beside it.
    const QString target = helpTarget(topic);
    const qsizetype hash = target.indexOf(u'#');
    QUrl url =
        QUrl::fromLocalFile(QFileInfo(file).absolutePath() + u'/' + target.left(hash < 0 ? target.size() : hash));
    if (hash >= 0) url.setFragment(target.mid(hash + 1));
    m_deps.openUrl(url);
}

void MainWindow::showHelp() {
    // The first request opens the help at its contents, later ones the same page (the browser
    // keeps its own history, so there is no separate finder to show).
    openHelp(QString());
}

// Leaving the Images page drops the list's selection, so the panel shows the queue defaults.
void MainWindow::onPageChanged() {
    if (imagesPageShown()) return;
    selectionReset();
}

void MainWindow::onChangeTick() {
    // The desktop announces no change of the screen-saver setting, so it is looked at on every tick.
    if (!m_deps.engine->isShuttingDown()) readScreenSaverState();
    m_countdown->tick();
}

void MainWindow::onExitTimeout() {
    m_exitTimer->stop();
    if (m_options->exitAfterChanging()) close();
}

void MainWindow::filesDropped(const QStringList& paths) {
    if (m_deps.queue->isFolderQueue() || paths.isEmpty()) return;
    m_queueWork.run([this, paths] { m_editCommands->dropFiles(paths); });
}
