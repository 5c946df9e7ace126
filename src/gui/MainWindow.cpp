// SPDX-License-Identifier: MIT
#include "gui/MainWindow.h"

#include "gui/FileChooser.h"
#include "gui/ImageList.h"
#include "gui/MainMenus.h"
#include "gui/MainToolBar.h"
#include "gui/MonitorPicture.h"
#include "gui/OptionCommands.h"
#include "gui/OptionsPage.h"
#include "gui/PicbufImage.h"
#include "gui/PropertiesPanel.h"
#include "gui/PropertiesPresenter.h"
#include "gui/QueueEditCommands.h"
#include "gui/QueueEditor.h"
#include "gui/QueueFileCommands.h"
#include "gui/QueueListView.h"
#include "gui/StatusLines.h"
#include "gui/UpdatingScope.h"
#include "queue/FolderQueue.h"
#include "queue/PathSplit.h"
#include "queue/Queue.h"
#include "schedule/ScreenState.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"
#include "wallpaper/Prompter.h"
#include "wallpaper/WallpaperEngine.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace sv = settingsvalues;

namespace {

const QString kImagesTab = QStringLiteral("Images");

// The window keeps the classic small dialog font; where the system has no "MS Sans Serif"
// the family falls back to the system sans serif at the same size.
QFont windowFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

QToolButton* moveButton(QWidget* page, const char* formName, Qt::ArrowType arrow, int top) {
    auto* button = new QToolButton(page);
    button->setObjectName(QString::fromLatin1(formName));
    button->setArrowType(arrow);
    button->setGeometry(450, top, 22, 22);
    button->hide();
    return button;
}

} // namespace

MainWindow::MainWindow(MainWindowDeps deps, QWidget* parent) : QMainWindow(parent), m_deps(std::move(deps)) {
    fillMissingDeps();
    setObjectName(QStringLiteral("TConfig"));
    setWindowTitle(AppContext::applicationTitle());
    setWindowIcon(QIcon(QStringLiteral(":/muralo32/muralo32.png")));
    setFont(windowFont());

    auto* client = new QWidget(this);
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    buildTimers();
    m_countdown = std::make_unique<ChangeTimer>(countdownHooks());
    m_toolBar = new MainToolBar(client);
    buildMonitor(client);
    m_properties = new PropertiesPanel(client);
    buildPages(client);
    m_statusLines = new StatusLines(client);
    m_menus = new MainMenus(menuBar());
    connectControls();
    connectQueueList();
    buildEditCommands();
    buildFileCommands();
    buildOptionCommands();
    buildPropertiesPresenter();
    buildTray();
    wireEngine();

    // The layout is drawn for this size; the window neither grows nor shrinks.
    setFixedSize(sizeHint());
}

MainWindow::~MainWindow() {
    if (m_deps.engine) m_deps.engine->setRows(nullptr);
}

void MainWindow::fillMissingDeps() {
    if (!m_deps.openUrl) m_deps.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    if (!m_deps.grabDesktop)
        m_deps.grabDesktop = [] {
            QScreen* screen = QGuiApplication::primaryScreen();
            return screen ? screen->grabWindow(0) : QPixmap();
        };
    if (!m_deps.bitsPerPixel)
        m_deps.bitsPerPixel = [] {
            QScreen* screen = QGuiApplication::primaryScreen();
            return screen ? screen->depth() : 0;
        };
    if (!m_deps.screenRect)
        m_deps.screenRect = [] {
            QScreen* screen = QGuiApplication::primaryScreen();
            return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
        };
    if (!m_deps.quit) m_deps.quit = [] { QCoreApplication::quit(); };
}

ChangeTimer::Hooks MainWindow::countdownHooks() {
    ChangeTimer::Hooks hooks;
    hooks.ready = [this] {
        return (m_deps.queue->entryCount() > 0 || m_deps.queue->isFolderQueue()) && !m_deps.queue->busy() &&
               !m_deps.app->updating && !m_queueWork.isBusy();
    };
    hooks.screenBusy = [this] {
        if (!m_deps.screenState) return false;
        return m_deps.screenState->screenSaverRunning() ||
               m_deps.screenState->fullScreenForeground(m_deps.app->screenWidth, m_deps.app->screenHeight);
    };
    hooks.windowNormal = [this] { return isNormalState(); };
    hooks.showCountdown = [this](const QString& text) { m_toolBar->setCountdownText(text); };
    hooks.change = [this] { changeWallpaperNow(); };
    hooks.enableTimer = [this](bool on) {
        if (on)
            m_changeTimer->start();
        else
            m_changeTimer->stop();
    };
    hooks.modeChanged = [this](bool on) {
        m_options->showTimerMode(on);
        showTimerInTray(on, false);
    };
    hooks.writeSetting = [this](const QString& name, const QString& text) { m_deps.settings->write(name, text); };
    return hooks;
}

void MainWindow::buildTimers() {
    m_changeTimer = new QTimer(this);
    m_changeTimer->setObjectName(QStringLiteral("Timer1"));
    m_changeTimer->setInterval(6000);
    connect(m_changeTimer, &QTimer::timeout, this, &MainWindow::onChangeTick);
    m_exitTimer = new QTimer(this);
    m_exitTimer->setObjectName(QStringLiteral("Timer2"));
    m_exitTimer->setInterval(60000);
    m_exitTimer->setSingleShot(true);
    connect(m_exitTimer, &QTimer::timeout, this, &MainWindow::onExitTimeout);
    // The current-image line follows our own changes and clears at once; a wallpaper someone
    // else sets is noticed within half a minute, without asking the desktop at every paint.
    m_currentImageTimer = new QTimer(this);
    m_currentImageTimer->setObjectName(QStringLiteral("currentImageTimer"));
    m_currentImageTimer->setInterval(30000);
    connect(m_currentImageTimer, &QTimer::timeout, this, &MainWindow::refreshCurrentImage);
}

void MainWindow::buildMonitor(QWidget* client) {
    m_monitor = new MonitorPicture(client);
    m_monitor->setGeometry(22, 34, 195, 159);
    // The desktop's thumbnail lies on the monitor's screen.
    m_desktopPicture = new QLabel(client);
    m_desktopPicture->setObjectName(QStringLiteral("picture1"));
    m_desktopPicture->setGeometry(34, 41, 152, 114);
    m_desktopPicture->setScaledContents(false);
    m_thumbnailPicture = new QLabel(client);
    m_thumbnailPicture->setObjectName(QStringLiteral("picture3"));
    m_thumbnailPicture->hide();
}

void MainWindow::buildPages(QWidget* client) {
    m_pages = new QTabWidget(client);
    m_pages->setObjectName(QStringLiteral("Tab1"));
    m_pages->setGeometry(8, 200, 505, 185);
    m_pages->setTabPosition(QTabWidget::East);
    QFont arial(QStringLiteral("Arial"));
    arial.setStyleHint(QFont::SansSerif);
    arial.setPointSize(8);
    m_pages->tabBar()->setFont(arial);

    buildImagesPage();
    m_options = new OptionsPage(*m_deps.app, *m_deps.settings, *m_countdown, m_pages);
    m_pages->addTab(m_options, QStringLiteral("Options"));
    connect(m_pages, &QTabWidget::currentChanged, this, &MainWindow::onPageChanged);

    auto* closeButton = new QPushButton(QStringLiteral("Close"), client);
    closeButton->setObjectName(QStringLiteral("Button1"));
    closeButton->setGeometry(526, 256, 49, 35);
    closeButton->setToolTip(QStringLiteral("End Muralo32"));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
}

void MainWindow::buildImagesPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    m_pages->addTab(page, kImagesTab);
    m_queueList = new QueueListView(*m_deps.queue, *m_deps.app, page);
    m_queueList->setQueueWork(&m_queueWork);
    m_editor = std::make_unique<QueueEditor>(*m_deps.queue, *m_queueList);
    m_queueList->setGeometry(4, 4, 440, 172);
    m_moveUpButton = moveButton(page, "image190", Qt::UpArrow, 50);
    m_moveDownButton = moveButton(page, "image191", Qt::DownArrow, 80);
    // Press and hold repeats the move.
    connect(m_moveUpButton, &QToolButton::pressed, this, [this] { m_queueList->startMoveRepeat(QueueRowMoves::Up); });
    connect(m_moveDownButton, &QToolButton::pressed, this,
            [this] { m_queueList->startMoveRepeat(QueueRowMoves::Down); });
    connect(m_moveUpButton, &QToolButton::released, this, [this] { m_queueList->stopMoveRepeat(); });
    connect(m_moveDownButton, &QToolButton::released, this, [this] { m_queueList->stopMoveRepeat(); });
}

void MainWindow::connectControls() {
    connect(m_toolBar, &MainToolBar::orderModeRequested, this, &MainWindow::setOrderMode);
    connect(m_toolBar, &MainToolBar::changeWallpaperClicked, this, &MainWindow::changeWallpaperNow);
    connect(m_toolBar, &MainToolBar::clearScreenClicked, this, &MainWindow::clearScreenNow);
    connect(m_toolBar, &MainToolBar::countdownClicked, this, [this] { m_countdown->toggle(); });
    connect(m_toolBar, &MainToolBar::helpClicked, this, &MainWindow::showHelp);
    connect(m_properties, &PropertiesPanel::colourWarningClicked, this,
            [this] { openHelp(QStringLiteral("infMonitorColor")); });
    connect(m_options, &OptionsPage::exitAfterChangingClicked, m_exitTimer, &QTimer::stop);

    connect(m_menus, &MainMenus::sortByNameTriggered, this, &MainWindow::sortByName);
    connect(m_menus, &MainMenus::unsortedTriggered, this, &MainWindow::unsort);
    connect(m_menus, &MainMenus::fileNameOnlyTriggered, this, &MainWindow::setFileNameOnly);
    connect(m_menus, &MainMenus::exitTriggered, this, &QWidget::close);
    connect(m_menus, &MainMenus::changeWallpaperTriggered, this, &MainWindow::changeWallpaperNow);
    connect(m_menus, &MainMenus::clearScreenTriggered, this, &MainWindow::clearScreenNow);
    connect(m_menus, &MainMenus::orderModeTriggered, this, &MainWindow::setOrderMode);
    connect(m_menus, &MainMenus::startWithFirstTriggered, this, &MainWindow::toggleStartWithFirst);
    connect(m_menus, &MainMenus::showFileErrorsTriggered, this, &MainWindow::toggleShowFileErrors);
    connect(m_menus, &MainMenus::helpTriggered, this, &MainWindow::showHelp);
}

void MainWindow::connectQueueList() {
    connect(m_queueList, &QueueListView::statusLineChanged, m_statusLines, &StatusLines::setQueueLine);
    connect(m_queueList, &QueueListView::wallpaperNowRequested, this, &MainWindow::changeWallpaperNow);
    // Moves are offered only on an unsorted view: a sort would put moved rows back.
    connect(m_queueList, &QueueListView::selectionStateChanged, this, [this](int count, bool sorted) {
        const bool moves = count > 0 && !sorted;
        m_moveUpButton->setVisible(moves);
        m_moveDownButton->setVisible(moves);
        m_menus->showSelection(count);
        m_presenter->refresh(count);
    });
    // While the list is rebuilt, the commands that would change the queue underneath it are out of reach.
    connect(m_queueList, &QueueListView::fillStarted, this, [this] {
        m_menus->setQueueCommandsShown(false);
        m_statusLines->setQueueButtonShown(false);
        m_moveUpButton->hide();
        m_moveDownButton->hide();
    });
    connect(m_queueList, &QueueListView::fillFinished, this, [this] {
        m_menus->showFolderQueue(m_deps.queue->isFolderQueue());
        m_menus->setQueueCommandsShown(true);
        m_statusLines->setQueueButtonShown(true);
    });
}

void MainWindow::wireEngine() {
    WallpaperEngine& engine = *m_deps.engine;
    engine.setRows(m_queueList);
    EngineServices& s = engine.services();
    s.processEvents = [] { QCoreApplication::processEvents(); };
    s.windowVisible = [this] { return isVisible(); };
    s.resetCountdown = [this] { m_countdown->resetCountdown(); };
    s.selectionReset = [this] { selectionReset(); };
    s.colorDepth = [this] { return m_colorDepth; };
    if (!s.screenSize) s.screenSize = [this] { return screenRect().size(); };
}

QRect MainWindow::screenRect() const {
    return m_deps.screenRect();
}

bool MainWindow::isNormalState() const {
    return !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
}

bool MainWindow::imagesPageShown() const {
    return m_pages->tabText(m_pages->currentIndex()) == kImagesTab;
}

bool MainWindow::anyTrayIcon() const {
    return m_options->anyTrayIcon();
}

// ---- creation

void MainWindow::startUp() {
    AppContext& app = *m_deps.app;
    m_startingUp = true;

    setWindowTitle(app.title);
    app.updating = true;
    m_deps.folder->clearList();
    loadSettings();
    m_deps.folder->setMask(FolderQueue::defaultMask());
    restorePage();
    m_queueList->setStateIcons(ImageList::stateIcons());
    m_helpOpened = false;
    placeWindow();
    app.updating = false;

    makeDesktopThumbnail();
    m_queueList->fill();
    // A folder queue is read now, so the window counts its images from the start.
    if (m_deps.queue->isFolderQueue()) {
        m_deps.folder->refreshBeforeChange(m_deps.queue->workingImageFolder);
        refreshQueueLine();
    }
    m_changeTimer->start();
    changeAtStartUp();
    refreshCurrentImage();
    m_currentImageTimer->start();
    m_options->readTraySettings();
    readScreenSaverState();

    m_startingUp = false;
    showAfterStartUp();
}

void MainWindow::loadSettings() {
    applyScreenSize();
    loadListAndErrorSettings();
    loadQueue(m_deps.app->queueFile);
    loadCountdown();
    setAcceptDrops(true);
    selectionReset();
    m_options->loadSettings();
}

void MainWindow::applyScreenSize() {
    AppContext& app = *m_deps.app;
    const QSize screen = screenRect().size();
    app.screenWidth = static_cast<std::int16_t>(std::clamp(screen.width(), 1, 32767));
    app.screenHeight = static_cast<std::int16_t>(std::clamp(screen.height(), 1, 32767));
    Queue::Environment env = m_deps.queue->environment();
    env.programFolder = app.programFolder;
    env.screenWidth = app.screenWidth;
    env.screenHeight = app.screenHeight;
    m_deps.queue->setEnvironment(env);
}

void MainWindow::loadListAndErrorSettings() {
    SettingsStore& settings = *m_deps.settings;
    WallpaperEngine& engine = *m_deps.engine;
    engine.setGamma(sv::gammaCorrection(settings.read(QStringLiteral("GammaCorrection"), QStringLiteral("1"))));
    const bool fileNameOnly = sv::toBool(settings.read(QStringLiteral("TruncateFileName"), QStringLiteral("False")));
    m_queueList->setFileNameOnly(fileNameOnly);
    m_menus->showFileNameOnly(fileNameOnly);
    engine.setShowFileErrors(sv::toBool(settings.read(QStringLiteral("ShowFileErrors"), QStringLiteral("False"))));
    m_menus->showFileErrors(engine.showFileErrors());
    m_deps.queue->soundFolder = settings.read(QStringLiteral("SoundPath"), m_deps.app->programFolder);
}

bool MainWindow::loadQueue(const QString& path) {
    Queue& queue = *m_deps.queue;
    const Queue::LoadResult loaded = queue.load(path);
    if (!loaded.ok() && !loaded.message.isEmpty() && m_deps.prompter)
        m_deps.prompter->message(loaded.message, Prompter::Icon::Warning);
    // A queue that had to be repaired on loading says so once.
    if (loaded.ok() && !loaded.warning.isEmpty() && m_deps.prompter)
        m_deps.prompter->message(loaded.warning, Prompter::Icon::Warning);
    if (loaded.ok()) m_deps.app->queueFile = path;
    showOrderMode();
    m_menus->showSorted(queue.workingSorted);
    m_menus->showGamma(queue.workingGamma);
    refreshQueueLine();
    return loaded.ok();
}

void MainWindow::loadCountdown() {
    SettingsStore& settings = *m_deps.settings;
    EngineServices& services = m_deps.engine->services();
    services.background = WallpaperEngine::backgroundColour(settings);
    m_monitor->setScreenColour(QColor::fromRgb(services.background));
    m_countdown->load(settings.read(QStringLiteral("EnterTimer"), QStringLiteral("On")),
                      settings.read(QStringLiteral("TimerTime"), QStringLiteral("20")));
    if (m_countdown->isOn()) {
        m_changeTimer->start();
        m_toolBar->setCountdownText(sv::formatMinutes(m_countdown->countdown()));
    } else {
        m_changeTimer->stop();
        m_toolBar->setCountdownText(QStringLiteral("off"));
    }
}

void MainWindow::restorePage() {
    const int page = sv::scPropertyPage(m_deps.settings->read(QStringLiteral("SCPropertyPage"), QStringLiteral("0")));
    // 2 and 3 name no page of this window: the page shown stays as it is.
    if (page == 0 || page == 1) m_pages->setCurrentIndex(page);
}

void MainWindow::placeWindow() {
    // A position that is not a number falls back to the design position instead of stopping
    // the window's creation half way.
    SettingsStore& settings = *m_deps.settings;
    const QRect screen = screenRect();
    const QSize outer = frameGeometry().size().expandedTo(size());
    auto place = [](int value, int screenSize, int windowSize) {
        value = std::min(value, screenSize - windowSize);
        return std::max(value, 0);
    };
    const int left =
        place(sv::toInt(settings.read(QStringLiteral("MuraloLeft"), QString::number(kDesignLeft)), kDesignLeft),
              screen.width(), outer.width());
    const int top =
        place(sv::toInt(settings.read(QStringLiteral("MuraloTop"), QString::number(kDesignTop)), kDesignTop),
              screen.height(), outer.height());
    move(left, top);
    m_rememberedLeft = left;
    m_rememberedTop = top;
}

// With images to show the window starts minimised, changing the wallpaper first when asked;
// exit after changing then ends the program a minute later.
void MainWindow::changeAtStartUp() {
    const Queue& queue = *m_deps.queue;
    const bool hasImages = queue.entryCount() > 0 || queue.isFolderQueue();
    if (hasImages) {
        if (m_options->changeAtStart()) {
            changeWallpaperNow();
            refreshQueueLine();
            m_options->setExitAfterChangingEnabled(true);
        } else {
            m_options->setExitAfterChangingEnabled(false);
        }
        setWindowState(windowState() | Qt::WindowMinimized);
    } else {
        // Nothing was changed, so nothing should end the program a minute from now.
        m_options->setExitAfterChangingEnabled(false);
    }
    if (m_options->exitAfterChanging() && m_options->exitAfterChangingEnabled()) m_exitTimer->start();
}

void MainWindow::showAfterStartUp() {
    // A termination signal during the start-up change has closed the window already.
    if (m_closed) return;
    if (isMinimized() && hidesToTray()) {
        m_hiddenToTray = true;
        return;
    }
    show();
    raise();
    activateWindow();
}

// ---- what the window shows

void MainWindow::showOrderMode() {
    const QueueHeader& header = m_deps.queue->header();
    const OrderMode mode = ordermode::fromStored(header.orderMode());
    m_menus->showOrderMode(mode, header.startWithFirst() == 1);
    m_toolBar->showOrderMode(mode);
}

void MainWindow::selectionReset() {
    m_queueList->deselectAll();
    m_moveUpButton->hide();
    m_moveDownButton->hide();
    m_presenter->refresh(0);
}

void MainWindow::refreshQueueLine() {
    const Queue& queue = *m_deps.queue;
    const int count = queue.isFolderQueue() ? m_deps.folder->count() : queue.entryCount();
    if (queue.isFolderQueue()) m_queueList->setFolderFileCount(count);
    m_statusLines->setQueueLine(queueStatusLine(
        splitPath(queue.currentFile().isEmpty() ? m_deps.app->queueFile : queue.currentFile()).name, count));
}

void MainWindow::makeDesktopThumbnail() {
    const QPixmap grab = m_deps.grabDesktop();
    const PicbufBitmap grabbed = grab.isNull() ? PicbufBitmap() : toPicbufBitmap(grab.toImage());
    const PicbufBitmap thumbnail = m_deps.engine->desktopThumbnail(grab.isNull() ? nullptr : &grabbed);
    const QImage result = thumbnail.isNull() ? QImage() : toQImage(thumbnail);
    // Without a thumbnail the monitor shows its screen colour instead.
    m_thumbnail = result.isNull() ? QPixmap() : QPixmap::fromImage(result);
    m_desktopPicture->setPixmap(m_thumbnail);
}

void MainWindow::readScreenSaverState() {
    if (m_deps.screenState) m_screenSaverActive = m_deps.screenState->screenSaverActive();
    showScreenSaverInTray();
}
