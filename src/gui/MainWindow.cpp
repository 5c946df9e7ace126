// SPDX-License-Identifier: MIT
#include "gui/MainWindow.h"

#include "gui/ImageList.h"
#include "gui/MonitorPicture.h"
#include "gui/QueueListView.h"
#include "imaging/PicbufBitmap.h"
#include "platform/x11/ScreenInfo.h"
#include "queue/FolderQueue.h"
#include "queue/PathSplit.h"
#include "queue/Queue.h"
#include "queue/ShortenPath.h"
#include "schedule/ScreenState.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"
#include "wallpaper/Prompter.h"
#include "wallpaper/WallpaperEngine.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

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

QToolButton* toolButton(QWidget* parent, const QRect& place, const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setGeometry(place);
    b->setAutoRaise(true);
    b->setToolTip(hint);
    b->setIconSize(QSize(16, 16));
    return b;
}

QLabel* sunkenLine(QWidget* parent, const QRect& place, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(place);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return l;
}

QImage toQImage(const PicbufBitmap& bitmap) {
    if (bitmap.isNull()) return {};
    const auto format = bitmap.layout == PicbufBitmap::Layout::Rgba32 ? QImage::Format_RGBA8888 : QImage::Format_RGB888;
    return QImage(bitmap.bytes.data(), bitmap.width, bitmap.height, static_cast<qsizetype>(bitmap.stride()), format)
        .copy();
}

PicbufBitmap fromQImage(const QImage& image) {
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    PicbufBitmap bitmap;
    bitmap.width = rgba.width();
    bitmap.height = rgba.height();
    bitmap.layout = PicbufBitmap::Layout::Rgba32;
    bitmap.bytes.resize(bitmap.stride() * static_cast<std::size_t>(bitmap.height));
    for (int y = 0; y < rgba.height(); ++y)
        std::copy_n(rgba.constScanLine(y), bitmap.stride(), bitmap.bytes.data() + bitmap.stride() * y);
    return bitmap;
}

} // namespace

MainWindow::MainWindow(MainWindowDeps deps, QWidget* parent) : QMainWindow(parent), m_deps(std::move(deps)) {
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

    setWindowTitle(AppContext::applicationTitle());
    setWindowIcon(QIcon(QStringLiteral(":/muralo32/muralo32.png")));
    setFont(windowFont());

    auto* client = new QWidget(this);
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    Timer1 = new QTimer(this);
    Timer1->setInterval(6000);
    connect(Timer1, &QTimer::timeout, this, &MainWindow::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setInterval(60000);
    Timer2->setSingleShot(true);
    connect(Timer2, &QTimer::timeout, this, &MainWindow::Timer2Timer);

    ChangeTimer::Hooks hooks;
    hooks.ready = [this] {
        return (m_deps.queue->entryCount() > 0 || m_deps.queue->isFolderQueue()) && !m_deps.queue->busy() &&
               !m_deps.app->updating;
    };
    hooks.screenBusy = [this] {
        if (!m_deps.screenState) return false;
        return m_deps.screenState->screenSaverRunning() ||
               m_deps.screenState->fullScreenForeground(m_deps.app->screenWidth, m_deps.app->screenHeight);
    };
    hooks.windowNormal = [this] { return isNormalState(); };
    hooks.showCountdown = [this](const QString& text) { Label12->setText(text); };
    hooks.change = [this] { changeWallpaperNow(); };
    hooks.enableTimer = [this](bool on) {
        if (on)
            Timer1->start();
        else
            Timer1->stop();
    };
    hooks.modeChanged = [this](bool on) {
        const bool was = m_deps.app->updating;
        m_deps.app->updating = true;
        (on ? option70 : option71)->setChecked(true);
        m_deps.app->updating = was;
    };
    hooks.writeSetting = [this](const QString& name, const QString& text) { m_deps.settings->write(name, text); };
    m_changeTimer = std::make_unique<ChangeTimer>(std::move(hooks));

    buildToolbar(client);
    buildMonitor(client);
    buildPanel(client);
    buildPages(client);
    buildStatusLines(client);
    buildMenus();
    wireEngine();

    // The layout is drawn for this size; the window neither grows nor shrinks.
    setFixedSize(sizeHint());
}

MainWindow::~MainWindow() {
    if (m_deps.engine) m_deps.engine->setRows(nullptr);
}

void MainWindow::buildToolbar(QWidget* client) {
    Panel1 = new QWidget(client);
    Panel1->setGeometry(0, 0, 209, 26);

    SpeedButton1 = toolButton(Panel1, QRect(2, 2, 23, 22), QStringLiteral("Add Image"));
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    // Adding images comes with the queue editing commands.
    SpeedButton1->setEnabled(false);

    SpeedButton3 = toolButton(Panel1, QRect(27, 2, 32, 22), QStringLiteral("Sequential Images"));
    SpeedButton3->setText(QStringLiteral("Seq"));
    SpeedButton3->setProperty("tag", 1);
    SpeedButton2 = toolButton(Panel1, QRect(61, 2, 32, 22), QStringLiteral("Random Images"));
    SpeedButton2->setText(QStringLiteral("Rand"));
    SpeedButton2->setProperty("tag", 2);
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { orderModeSwitch(2); });
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { orderModeSwitch(1); });

    SpeedButton5 = toolButton(Panel1, QRect(61, 2, 23, 22), QStringLiteral("Change Wallpaper"));
    SpeedButton5->setIcon(ImageList::icon(ImageList::ChangeWallpaper));
    connect(SpeedButton5, &QToolButton::clicked, this, &MainWindow::changeWallpaperNow);
    SpeedButton6 = toolButton(Panel1, QRect(86, 2, 23, 22), QStringLiteral("Clear Screen"));
    SpeedButton6->setIcon(ImageList::icon(ImageList::ClearScreen));
    connect(SpeedButton6, &QToolButton::clicked, this, &MainWindow::clearScreenNow);

    Label12 = new QLabel(QStringLiteral("20.0"), Panel1);
    Label12->setGeometry(113, 2, 41, 22);
    Label12->setAlignment(Qt::AlignCenter);
    Label12->setToolTip(QStringLiteral("Minutes to next change"));
    Label12->setCursor(Qt::PointingHandCursor);
    Label12->installEventFilter(this);

    SpeedButton4 = toolButton(Panel1, QRect(158, 2, 23, 22), QStringLiteral("Get Help"));
    SpeedButton4->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    connect(SpeedButton4, &QToolButton::clicked, this, &MainWindow::helpClick);
}

void MainWindow::buildMonitor(QWidget* client) {
    PaintBox1 = new MonitorPicture(client);
    PaintBox1->setGeometry(22, 34, 195, 159);
    picture1 = new QLabel(client);
    picture1->setGeometry(34, 41, 152, 114);
    picture1->setScaledContents(false);
}

void MainWindow::buildPanel(QWidget* client) {
    Frame1 = new QGroupBox(QStringLiteral("Image Properties"), client);
    Frame1->setGeometry(232, 8, 321, 185);
    label16 = new QLabel(Frame1);
    label16->setGeometry(10, 20, 301, 16);
    lblImageSize = new QLabel(Frame1);
    lblImageSize->setGeometry(10, 38, 301, 16);
    label18 = new QLabel(Frame1);
    label18->setGeometry(10, 66, 301, 16);
    label19 = new QLabel(Frame1);
    label19->setGeometry(10, 84, 301, 16);
    auto* soundCaption = new QLabel(QStringLiteral("Sound:"), Frame1);
    soundCaption->setGeometry(10, 110, 50, 16);
    label22 = new QLabel(Frame1);
    label22->setGeometry(60, 110, 251, 16);

    Label4 = new QLabel(QStringLiteral("Increase your color depth for better images"), Frame1);
    Label4->setGeometry(10, 160, 301, 16);
    Label4->setToolTip(QStringLiteral("Click for more information"));
    QFont warning = Label4->font();
    warning.setUnderline(true);
    Label4->setFont(warning);
    QPalette red = Label4->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label4->setPalette(red);
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->installEventFilter(this);
    Label4->hide();
}

void MainWindow::buildPages(QWidget* client) {
    Tab1 = new QTabWidget(client);
    Tab1->setGeometry(8, 200, 505, 185);
    Tab1->setTabPosition(QTabWidget::East);
    QFont arial(QStringLiteral("Arial"));
    arial.setStyleHint(QFont::SansSerif);
    arial.setPointSize(8);
    Tab1->tabBar()->setFont(arial);

    TabSheet1 = new QWidget;
    Tab1->addTab(TabSheet1, kImagesTab);
    lstqueue = new QueueListView(*m_deps.queue, *m_deps.app, TabSheet1);
    lstqueue->setGeometry(4, 4, 440, 172);
    image190 = new QToolButton(TabSheet1);
    image190->setArrowType(Qt::UpArrow);
    image190->setGeometry(450, 50, 22, 22);
    image190->setProperty("tag", 0);
    image190->hide();
    image191 = new QToolButton(TabSheet1);
    image191->setArrowType(Qt::DownArrow);
    image191->setGeometry(450, 80, 22, 22);
    image191->setProperty("tag", 1);
    image191->hide();
    // press and hold repeats the move
    connect(image190, &QToolButton::pressed, this, [this] { lstqueue->startMoveRepeat(0); });
    connect(image191, &QToolButton::pressed, this, [this] { lstqueue->startMoveRepeat(1); });
    connect(image190, &QToolButton::released, this, [this] { lstqueue->stopMoveRepeat(); });
    connect(image191, &QToolButton::released, this, [this] { lstqueue->stopMoveRepeat(); });

    TabSheet2 = new QWidget;
    Tab1->addTab(TabSheet2, QStringLiteral("Options"));
    buildOptionsPage();

    connect(Tab1, &QTabWidget::currentChanged, this, &MainWindow::Tab1Change);

    Button1 = new QPushButton(QStringLiteral("Close"), client);
    Button1->setGeometry(526, 256, 49, 35);
    Button1->setToolTip(QStringLiteral("End Muralo32"));
    connect(Button1, &QPushButton::clicked, this, &QWidget::close);
}

void MainWindow::buildOptionsPage() {
    auto* timerLabel = new QLabel(QStringLiteral("Timer"), TabSheet2);
    timerLabel->setGeometry(10, 10, 40, 18);
    option70 = new QRadioButton(QStringLiteral("On"), TabSheet2);
    option70->setGeometry(56, 10, 50, 18);
    option71 = new QRadioButton(QStringLiteral("Off-Fixed Image"), TabSheet2);
    option71->setGeometry(110, 10, 120, 18);
    connect(option70, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked && !m_deps.app->updating && !m_changeTimer->isOn()) m_changeTimer->toggle();
    });
    connect(option71, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked && !m_deps.app->updating && m_changeTimer->isOn()) m_changeTimer->toggle();
    });

    text2 = new QLineEdit(QStringLiteral("60"), TabSheet2);
    text2->setGeometry(10, 34, 50, 20);
    auto* minutes = new QLabel(QStringLiteral("Minutes between changes (xxx.x)"), TabSheet2);
    minutes->setGeometry(66, 35, 200, 18);
    connect(text2, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_deps.app->updating) m_changeTimer->intervalEdited(text);
    });

    ChangeAtStart = new QCheckBox(QStringLiteral("Change Wallpaper at Startup"), TabSheet2);
    ChangeAtStart->setGeometry(10, 62, 230, 18);
    connect(ChangeAtStart, &QCheckBox::clicked, this, &MainWindow::ChangeAtStartClick);
    CheckBox1 = new QCheckBox(QStringLiteral("Exit After Changing"), TabSheet2);
    CheckBox1->setGeometry(28, 82, 210, 18);
    connect(CheckBox1, &QCheckBox::clicked, this, &MainWindow::CheckBox1Click);
    Check1 = new QCheckBox(QStringLiteral("Clear Wallpaper at Exit (unless Exit After Changing)"), TabSheet2);
    // Its caption is longer than the left column: it gets the page's last row to itself.
    Check1->setGeometry(10, 156, 460, 18);
    connect(Check1, &QCheckBox::clicked, this, &MainWindow::Check1Click);

    Label1 = new QLabel(QStringLiteral("Place these icons in the system tray:"), TabSheet2);
    Label1->setGeometry(260, 6, 210, 18);
    const QStringList captions = {QStringLiteral("Screen Saver On/Off"), QStringLiteral("Change Timer On/Off"),
                                  QStringLiteral("Change Wallpaper"), QStringLiteral("Clear Wallpaper")};
    QCheckBox** boxes[] = {&CheckBox2, &CheckBox3, &CheckBox4, &CheckBox5};
    QLabel** pictures[] = {&Image1, &Image2, &Image5, &Image6};
    for (int tag = 0; tag < 4; ++tag) {
        *pictures[tag] = new QLabel(TabSheet2);
        (*pictures[tag])->setGeometry(262, 26 + tag * 31, 32, 32);
        *boxes[tag] = new QCheckBox(captions.at(tag), TabSheet2);
        (*boxes[tag])->setGeometry(300, 33 + tag * 31, 170, 18);
        (*boxes[tag])->setProperty("tag", tag);
        connect(*boxes[tag], &QCheckBox::clicked, this, [this, tag] { trayBoxClick(tag); });
    }
}

void MainWindow::buildStatusLines(QWidget* client) {
    image4 = new QToolButton(client);
    image4->setText(QStringLiteral("..."));
    QFont bold = image4->font();
    bold.setBold(true);
    image4->setFont(bold);
    image4->setGeometry(10, 395, 20, 18);
    // The queue-file popup comes with the queue file commands.
    image4->setEnabled(false);
    label11 = sunkenLine(client, QRect(32, 392, 537, 20), QStringLiteral("Queue:"));
    label5 = sunkenLine(client, QRect(32, 416, 537, 20), QStringLiteral("Current File:"));
}

void MainWindow::buildMenus() {
    auto action = [this](QMenu* menu, const QString& text, const QKeySequence& key = {}, bool enabled = true) {
        QAction* a = menu->addAction(text);
        if (!key.isEmpty()) a->setShortcut(key);
        a->setEnabled(enabled);
        return a;
    };

    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    // Items whose commands are not part of this window yet stay visible but disabled.
    menuadd = action(mnuFile, QStringLiteral("&Add Image File"), QKeySequence(Qt::CTRL | Qt::Key_A), false);
    menuedit = action(mnuFile, QStringLiteral("&Edit Image"), QKeySequence(Qt::CTRL | Qt::Key_E), false);
    mnuRelink = action(mnuFile, QStringLiteral("ReLink Image File"), {}, false);
    MenuDelt = action(mnuFile, QStringLiteral("&Delete Image File"), QKeySequence(Qt::CTRL | Qt::Key_D), false);
    mnuSort = mnuFile->addMenu(QStringLiteral("Sort Image Files"));
    mnuSortName = action(mnuSort, QStringLiteral("Sort by Name"));
    mnuUnSort = action(mnuSort, QStringLiteral("Unsorted"));
    mnuSortName->setCheckable(true);
    mnuUnSort->setCheckable(true);
    connect(mnuSortName, &QAction::triggered, this, [this] {
        if (m_deps.app->updating) return;
        Timer1->stop();
        lstqueue->sortByName();
        mnuSortName->setChecked(m_deps.queue->workingSorted);
        mnuUnSort->setChecked(!m_deps.queue->workingSorted);
        Timer1->start();
    });
    connect(mnuUnSort, &QAction::triggered, this, [this] {
        if (m_deps.app->updating) return;
        Timer1->stop();
        lstqueue->unsorted();
        mnuSortName->setChecked(m_deps.queue->workingSorted);
        mnuUnSort->setChecked(!m_deps.queue->workingSorted);
        Timer1->start();
    });
    mnuListType = mnuFile->addMenu(QStringLiteral("List Details"));
    mnuFileName = action(mnuListType, QStringLiteral("File Name Only"));
    mnuFullPath = action(mnuListType, QStringLiteral("Full Path and File Name"));
    mnuFileName->setCheckable(true);
    mnuFullPath->setCheckable(true);
    connect(mnuFileName, &QAction::triggered, this, [this] { setFileNameOnly(true); });
    connect(mnuFullPath, &QAction::triggered, this, [this] { setFileNameOnly(false); });
    mnuFile->addSeparator();
    mnuQueStart = action(mnuFile, QStringLiteral("Start New Queue File"), {}, false);
    mnuUseFolder = action(mnuFile, QStringLiteral("Use Folder as Queue"), {}, false);
    mnuUseFolder->setCheckable(true);
    mnuChangeFolder = action(mnuFile, QStringLiteral("Change Folder"), {}, false);
    mnuChangeFolder->setVisible(false);
    mnuChangeQueue = action(mnuFile, QStringLiteral("Change Queue File"), QKeySequence(Qt::CTRL | Qt::Key_Q), false);
    mnuClearQueue = action(mnuFile, QStringLiteral("Clear Queue File"), {}, false);
    mnuQueSaveAs = action(mnuFile, QStringLiteral("Save Queue File As"), {}, false);
    mnuDeleteQueue = action(mnuFile, QStringLiteral("Delete Queue File"), {}, false);
    mnuFile->addSeparator();
    mnuExit = action(mnuFile, QStringLiteral("E&xit"));
    connect(mnuExit, &QAction::triggered, this, &QWidget::close);

    mnuImageDisplay = menuBar()->addMenu(QStringLiteral("&Image Display"));
    mnuChangeNow = action(mnuImageDisplay, QStringLiteral("Change Wallpaper Now"), QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(mnuChangeNow, &QAction::triggered, this, &MainWindow::changeWallpaperNow);
    mnuClearScreen = action(mnuImageDisplay, QStringLiteral("Clear Screen"), QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(mnuClearScreen, &QAction::triggered, this, &MainWindow::clearScreenNow);
    mnuImageDisplay->addSeparator();
    mnuDefaultResize = action(mnuImageDisplay, QStringLiteral("Default Resize Options"), {}, false);
    mnuResiz = action(mnuImageDisplay, QStringLiteral("&Resize Selected Images"), {}, false);
    mnuDefSound = action(mnuImageDisplay, QStringLiteral("Default Sound"), {}, false);
    mnuSound = action(mnuImageDisplay, QStringLiteral("Sound for Selected Images"), {}, false);
    mnuImageDisplay->addSeparator();
    mnuOrder = mnuImageDisplay->addMenu(QStringLiteral("&Display Order"));
    menuseq = action(mnuOrder, QStringLiteral("&Sequential"), QKeySequence(Qt::CTRL | Qt::Key_S));
    menurand = action(mnuOrder, QStringLiteral("&Random"), QKeySequence(Qt::CTRL | Qt::Key_R));
    menuseq->setCheckable(true);
    menurand->setCheckable(true);
    // The menu items carry the tag of the button they stand for: Sequential acts as "Rand".
    connect(menuseq, &QAction::triggered, this, [this] { orderModeSwitch(2); });
    connect(menurand, &QAction::triggered, this, [this] { orderModeSwitch(1); });
    mnustartfirst = action(mnuImageDisplay, QStringLiteral("Start With First Image"));
    mnustartfirst->setCheckable(true);
    connect(mnustartfirst, &QAction::triggered, this, &MainWindow::mnustartfirstClick);
    mnuShowErrors = action(mnuImageDisplay, QStringLiteral("Show File Errors"));
    mnuShowErrors->setCheckable(true);
    connect(mnuShowErrors, &QAction::triggered, this, &MainWindow::mnuShowErrorsClick);
    mnuImageDisplay->addSeparator();
    mnuTiling = mnuImageDisplay->addMenu(QStringLiteral("Tiling"));
    mnuTileOn = action(mnuTiling, QStringLiteral("Tiled"), {}, false);
    MnuTileOff = action(mnuTiling, QStringLiteral("Single Image"), {}, false);
    mnuTileOn->setCheckable(true);
    MnuTileOff->setCheckable(true);
    mnuGamma = action(mnuImageDisplay, QStringLiteral("Correct Screen Gamma"), {}, false);
    mnuGamma->setCheckable(true);
    mnuWallFolder = action(mnuImageDisplay, QStringLiteral("Temporary Wallpaper Folder"), {}, false);

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelpTopics = action(mnuHelp, QStringLiteral("&Muralo32 Help Topics"), QKeySequence(Qt::Key_F1));
    connect(mnuHelpTopics, &QAction::triggered, this, &MainWindow::helpClick);
    mnuHelp->addSeparator();
    About1 = action(mnuHelp, QStringLiteral("&About Muralo32"), QKeySequence(Qt::SHIFT | Qt::Key_F1), false);
}

void MainWindow::wireEngine() {
    WallpaperEngine& engine = *m_deps.engine;
    engine.setRows(lstqueue);
    EngineServices& s = engine.services();
    s.processEvents = [] { QCoreApplication::processEvents(); };
    s.windowVisible = [this] { return isVisible(); };
    s.resetCountdown = [this] { m_changeTimer->resetCountdown(); };
    s.selectionReset = [this] { selectionReset(); };
    s.colorDepth = [this] { return m_colorDepth; };
    if (!s.screenSize) s.screenSize = [this] { return screenRect().size(); };

    connect(lstqueue, &QueueListView::statusLineChanged, label11, &QLabel::setText);
    connect(lstqueue, &QueueListView::wallpaperNowRequested, this, &MainWindow::changeWallpaperNow);
    connect(lstqueue, &QueueListView::selectionStateChanged, this, [this](int count, bool sorted) {
        const bool moves = count > 0 && !sorted;
        image190->setVisible(moves);
        image191->setVisible(moves);
    });
    // While the list is rebuilt, the commands that would change the queue underneath it are out of reach.
    connect(lstqueue, &QueueListView::fillStarted, this, [this] {
        for (QAction* a : {menuadd, mnuQueStart, mnuChangeQueue, mnuClearQueue, mnuQueSaveAs})
            a->setVisible(false);
        mnuListType->menuAction()->setVisible(false);
        image4->hide();
        image190->hide();
        image191->hide();
    });
    connect(lstqueue, &QueueListView::fillFinished, this, [this] {
        for (QAction* a : {menuadd, mnuQueStart, mnuChangeQueue, mnuClearQueue, mnuQueSaveAs})
            a->setVisible(true);
        mnuListType->menuAction()->setVisible(true);
        image4->show();
    });
}

QRect MainWindow::screenRect() const {
    return m_deps.screenRect();
}

bool MainWindow::isNormalState() const {
    return !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
}

// ---- creation

void MainWindow::startUp() {
    AppContext& app = *m_deps.app;
    SettingsStore& settings = *m_deps.settings;
    m_startingUp = true;

    setWindowTitle(app.title);
    app.updating = true;
    m_deps.folder->clearList();
    loadSettings();
    m_deps.folder->setMask(FolderQueue::defaultMask());

    const int page = sv::scPropertyPage(settings.read(QStringLiteral("SCPropertyPage"), QStringLiteral("0")));
    // 2 and 3 name no page of this window: the page shown stays as it is.
    if (page == 0 || page == 1) Tab1->setCurrentIndex(page);

    lstqueue->setStateIcons(ImageList::stateIcons());
    m_helpOpened = false;

    // A position that is not a number falls back to the design position instead of stopping
    // the window's creation half way.
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

    app.updating = false;

    makeDesktopThumbnail();
    lstqueue->fill();
    Timer1->start();

    Queue& queue = *m_deps.queue;
    const bool hasImages = queue.entryCount() > 0 || queue.isFolderQueue();
    if (hasImages) {
        if (ChangeAtStart->isChecked()) {
            changeWallpaperNow();
            refreshQueueLine();
            CheckBox1->setEnabled(true);
        } else {
            CheckBox1->setEnabled(false);
        }
        setWindowState(windowState() | Qt::WindowMinimized);
    } else {
        // Nothing was changed, so nothing should end the program a minute from now.
        CheckBox1->setEnabled(false);
    }
    if (CheckBox1->isChecked() && CheckBox1->isEnabled()) Timer2->start();

    readTraySettings();
    readScreenSaverState();

    m_startingUp = false;
    if (isMinimized() && hidesToTray()) {
        m_hiddenToTray = true;
        return;
    }
    show();
    raise();
    activateWindow();
}

void MainWindow::loadSettings() {
    AppContext& app = *m_deps.app;
    SettingsStore& settings = *m_deps.settings;
    Queue& queue = *m_deps.queue;
    WallpaperEngine& engine = *m_deps.engine;

    const QSize screen = screenRect().size();
    app.screenWidth = static_cast<std::int16_t>(std::clamp(screen.width(), 1, 32767));
    app.screenHeight = static_cast<std::int16_t>(std::clamp(screen.height(), 1, 32767));
    Queue::Environment env = queue.environment();
    env.programFolder = app.programFolder;
    env.screenWidth = app.screenWidth;
    env.screenHeight = app.screenHeight;
    queue.setEnvironment(env);

    engine.setGamma(sv::gammaCorrection(settings.read(QStringLiteral("GammaCorrection"), QStringLiteral("1"))));
    const bool fileNameOnly = sv::toBool(settings.read(QStringLiteral("TruncateFileName"), QStringLiteral("False")));
    lstqueue->setFileNameOnly(fileNameOnly);
    mnuFileName->setChecked(fileNameOnly);
    mnuFullPath->setChecked(!fileNameOnly);
    engine.setShowFileErrors(sv::toBool(settings.read(QStringLiteral("ShowFileErrors"), QStringLiteral("False"))));
    mnuShowErrors->setChecked(engine.showFileErrors());
    queue.soundFolder = settings.read(QStringLiteral("SoundPath"), app.programFolder);

    const Queue::LoadResult loaded = queue.load(app.queueFile);
    if (!loaded.ok() && !loaded.message.isEmpty() && m_deps.prompter)
        m_deps.prompter->message(loaded.message, Prompter::Icon::Warning);
    showOrderMode();
    mnuSortName->setChecked(queue.workingSorted);
    mnuUnSort->setChecked(!queue.workingSorted);
    mnuGamma->setChecked(queue.workingGamma);
    refreshQueueLine();

    engine.services().background = WallpaperEngine::backgroundColour(settings);
    PaintBox1->setScreenColour(QColor::fromRgb(engine.services().background));
    m_changeTimer->load(settings.read(QStringLiteral("EnterTimer"), QStringLiteral("On")),
                        settings.read(QStringLiteral("TimerTime"), QStringLiteral("20")));
    Check1->setChecked(sv::clearAtExit(settings.read(QStringLiteral("ClearAtExit"), QStringLiteral("FALSE"))));

    if (m_changeTimer->isOn()) {
        option70->setChecked(true);
        Timer1->start();
        Label12->setText(sv::formatMinutes(m_changeTimer->countdown()));
    } else {
        option71->setChecked(true);
        Timer1->stop();
        Label12->setText(QStringLiteral("off"));
    }
    text2->setText(sv::formatMinutes(m_changeTimer->interval()));

    setAcceptDrops(true);

    SpeedButton2->setGeometry(SpeedButton3->geometry());
    selectionReset();

    ChangeAtStart->setChecked(sv::toBool(settings.read(QStringLiteral("ChangeAtStartup"), QStringLiteral("0"))));
    CheckBox1->setChecked(sv::toBool(settings.read(QStringLiteral("ExitAfterFirstChange"), QStringLiteral("0"))));

    Image1->setPixmap(ImageList::picture(ImageList::ScreenSaverOn, 32));
    Image2->setPixmap(ImageList::picture(ImageList::TimerOn, 32));
    Image5->setPixmap(ImageList::picture(ImageList::ChangeWallpaper, 32));
    Image6->setPixmap(ImageList::picture(ImageList::ClearScreen, 32));
}

void MainWindow::showOrderMode() {
    const QueueHeader& header = m_deps.queue->header();
    const bool sequential = header.orderMode() == 1;
    menuseq->setChecked(sequential);
    menurand->setChecked(!sequential);
    mnustartfirst->setEnabled(sequential);
    mnustartfirst->setChecked(sequential && header.startWithFirst() == 1);
    SpeedButton3->setVisible(sequential);
    SpeedButton2->setVisible(!sequential);
}

void MainWindow::showDefaultsView() {
    const QueueHeader& header = m_deps.queue->header();
    picture1->show();
    Frame1->setTitle(QStringLiteral("Queue Defaults"));
    label16->setText(QStringLiteral("Default values are used for new image additions"));
    lblImageSize->setText(QStringLiteral("and when image-specific values are not set."));
    auto rule = [](const QString& prefix, int mode) {
        switch (mode) {
        case 0:
            return prefix + QStringLiteral("resize");
        case 1:
            return prefix + QStringLiteral("stretch");
        default:
            return prefix + QStringLiteral("no resize");
        }
    };
    label18->setText(rule(QStringLiteral("Small img: "), header.smallRule().mode));
    label19->setText(rule(QStringLiteral("Large img: "), header.largeRule().mode));
    const QString sound = m_deps.queue->workingDefaultSound;
    label22->setText(header.noDefaultSound() == 0 && !sound.isEmpty() && QFileInfo(sound).isFile()
                         ? splitPath(sound).fileName
                         : QStringLiteral("(None)"));
    const bool was = m_deps.app->updating;
    m_deps.app->updating = true;
    mnuTileOn->setChecked(header.tiled() == 1);
    MnuTileOff->setChecked(header.tiled() != 1);
    m_deps.app->updating = was;
}

void MainWindow::selectionReset() {
    lstqueue->deselectAll();
    image190->hide();
    image191->hide();
    showDefaultsView();
}

void MainWindow::refreshQueueLine() {
    const Queue& queue = *m_deps.queue;
    const int count = queue.isFolderQueue() ? m_deps.folder->count() : queue.entryCount();
    label11->setText(queueStatusLine(
        splitPath(queue.currentFile().isEmpty() ? m_deps.app->queueFile : queue.currentFile()).name, count));
}

void MainWindow::makeDesktopThumbnail() {
    const QPixmap grab = m_deps.grabDesktop();
    const PicbufBitmap grabbed = grab.isNull() ? PicbufBitmap() : fromQImage(grab.toImage());
    const PicbufBitmap thumbnail = m_deps.engine->desktopThumbnail(grab.isNull() ? nullptr : &grabbed);
    const QImage result = thumbnail.isNull() ? QImage() : toQImage(thumbnail);
    // Without a thumbnail the monitor shows its screen colour instead.
    m_thumbnail = result.isNull() ? QPixmap() : QPixmap::fromImage(result);
    picture1->setPixmap(m_thumbnail);
}

void MainWindow::readTraySettings() {
    SettingsStore& settings = *m_deps.settings;
    const struct {
        QCheckBox* box;
        const char* name;
        const char* fallback;
    } boxes[] = {{CheckBox2, "SCTrayIcon", "False"},
                 {CheckBox3, "WPTimerIcon", "True"},
                 {CheckBox4, "NewPaperIcon", "True"},
                 {CheckBox5, "CLSIcon", "True"}};
    for (const auto& b : boxes) {
        const bool on = sv::toBool(settings.read(QString::fromLatin1(b.name), QString::fromLatin1(b.fallback)));
        // Checking a box is what stores it, so a first start records the boxes its defaults check.
        if (on && !b.box->isChecked()) {
            b.box->setChecked(true);
            settings.write(QString::fromLatin1(b.name), sv::fromBool(true));
        } else {
            b.box->setChecked(on);
        }
    }
    m_anyTrayIcon =
        CheckBox2->isChecked() || CheckBox3->isChecked() || CheckBox4->isChecked() || CheckBox5->isChecked();
}

void MainWindow::trayBoxClick(int tag) {
    static const char* const names[] = {"SCTrayIcon", "WPTimerIcon", "NewPaperIcon", "CLSIcon"};
    QCheckBox* boxes[] = {CheckBox2, CheckBox3, CheckBox4, CheckBox5};
    if (tag < 0 || tag > 3) return;
    m_deps.settings->write(QString::fromLatin1(names[tag]), sv::fromBool(boxes[tag]->isChecked()));
    m_anyTrayIcon =
        CheckBox2->isChecked() || CheckBox3->isChecked() || CheckBox4->isChecked() || CheckBox5->isChecked();
}

void MainWindow::readScreenSaverState() {
    if (m_deps.screenState) m_screenSaverActive = m_deps.screenState->screenSaverActive();
}

// ---- commands

void MainWindow::changeWallpaperNow() {
    m_deps.engine->changeWallpaper();
    refreshCurrentImage();
    update();
}

void MainWindow::clearScreenNow() {
    m_deps.engine->clearScreen();
    refreshCurrentImage();
    update();
}

void MainWindow::orderModeSwitch(int tag) {
    if (m_deps.app->updating) return;
    QueueHeader& header = m_deps.queue->header();
    header.setOrderMode(tag == 1 ? 2 : 1);
    showOrderMode();
    if (!m_deps.queue->writeHeader() && m_deps.prompter)
        m_deps.prompter->message(QStringLiteral("The queue file could not be written."), Prompter::Icon::Warning);
}

void MainWindow::mnustartfirstClick() {
    QueueHeader& header = m_deps.queue->header();
    const bool on = header.startWithFirst() != 1;
    header.setStartWithFirst(on ? 1 : 0);
    mnustartfirst->setChecked(on);
    if (on) {
        header.setCurrentPosition(0);
        m_deps.queue->setPosition(0);
    }
    m_deps.queue->writeHeader();
}

void MainWindow::mnuShowErrorsClick() {
    WallpaperEngine& engine = *m_deps.engine;
    engine.setShowFileErrors(!engine.showFileErrors());
    mnuShowErrors->setChecked(engine.showFileErrors());
    m_deps.settings->write(QStringLiteral("ShowFileErrors"), sv::fromBool(engine.showFileErrors()));
}

void MainWindow::ChangeAtStartClick() {
    if (m_deps.app->updating) return;
    m_deps.settings->write(QStringLiteral("ChangeAtStartup"), sv::fromBool(ChangeAtStart->isChecked()));
    CheckBox1->setEnabled(ChangeAtStart->isChecked());
}

void MainWindow::CheckBox1Click() {
    if (m_deps.app->updating) return;
    Timer2->stop();
    m_deps.settings->write(QStringLiteral("ExitAfterFirstChange"), sv::fromBool(CheckBox1->isChecked()));
}

void MainWindow::Check1Click() {
    if (m_deps.app->updating) return;
    m_deps.settings->write(QStringLiteral("ClearAtExit"), sv::fromBool(Check1->isChecked()));
}

void MainWindow::openHelp(const QString& topic) {
    const QString file = m_deps.app->helpFile;
    m_helpOpened = true;
    if (file.isEmpty()) return;
    QUrl url = QUrl::fromLocalFile(file);
    if (!topic.isEmpty()) url.setFragment(topic);
    m_deps.openUrl(url);
}

void MainWindow::helpClick() {
    // The first request opens the help at its contents, later ones the same page (the browser
    // keeps its own history, so there is no separate finder to show).
    openHelp(QString());
}

void MainWindow::Label4Click() {
    openHelp(QStringLiteral("infMonitorColor"));
}

void MainWindow::Label12Click() {
    m_changeTimer->toggle();
}

void MainWindow::Tab1Change(int index) {
    if (Tab1->tabText(index) == kImagesTab) return;
    selectionReset();
}

void MainWindow::Timer1Timer() {
    // The desktop announces no change of the screen-saver setting, so it is looked at on every tick.
    if (!m_deps.engine->isShuttingDown()) readScreenSaverState();
    m_changeTimer->tick();
}

void MainWindow::Timer2Timer() {
    Timer2->stop();
    if (CheckBox1->isChecked()) close();
}

void MainWindow::displayChanged(int bitsPerPixel) {
    m_colorDepth = platform::normaliseColorDepth(bitsPerPixel);
    Label4->setVisible(m_colorDepth < 9);
}

void MainWindow::filesDropped(const QStringList& paths) {
    if (m_deps.queue->isFolderQueue() || paths.isEmpty()) return;
    if (m_deps.addFiles) m_deps.addFiles(paths);
}

void MainWindow::setFileNameOnly(bool on) {
    mnuFileName->setChecked(lstqueue->fileNameOnly());
    mnuFullPath->setChecked(!lstqueue->fileNameOnly());
    if (m_deps.app->updating || lstqueue->fileNameOnly() == on) return;
    Timer1->stop();
    while (m_deps.engine->isChanging())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    lstqueue->setFileNameOnly(on);
    m_deps.settings->write(QStringLiteral("TruncateFileName"), sv::fromBool(on));
    lstqueue->clearFilled();
    lstqueue->fill();
    while (lstqueue->filling())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    mnuFileName->setChecked(on);
    mnuFullPath->setChecked(!on);
    Timer1->start();
}

QString MainWindow::currentImageText() const {
    return m_deps.engine->currentImageText();
}

void MainWindow::refreshCurrentImage() {
    WallpaperEngine& engine = *m_deps.engine;
    engine.setCurrentImageText(engine.currentSourceImage());
    const QString prefix = QStringLiteral("Current Image: ");
    const QFontMetrics metrics(label5->font());
    // Only the name is shortened, so the line keeps saying what it shows.
    const int room = label5->contentsRect().width() - 2 * label5->margin() - 4 - metrics.horizontalAdvance(prefix);
    const QString shown = prefix + shortenPath(engine.currentImageText().toLower(), room,
                                               [&metrics](const QString& t) { return metrics.horizontalAdvance(t); });
    if (label5->text() != shown) label5->setText(shown);
}

// ---- window events

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (isMinimized()) {
        if (hidesToTray() && !m_startingUp) minimiseToTray();
    } else if (change->oldState() & Qt::WindowMinimized) {
        m_hiddenToTray = false;
        show();
        raise();
        activateWindow();
    }
}

bool MainWindow::hidesToTray() const {
    return m_anyTrayIcon && m_deps.trayIconsShown && m_deps.trayIconsShown();
}

void MainWindow::minimiseToTray() {
    m_hiddenToTray = true;
    // Hiding from inside the state change confuses some window managers; do it right after.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isMinimized() && m_hiddenToTray) hide();
        },
        Qt::QueuedConnection);
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    // Until the window has been placed and shown, moves are the window system settling it, not the user.
    if (m_placing) return;
    // A maximise moves the window before its state says so: look once the state change is through.
    QTimer::singleShot(0, this, [this] {
        if (!isNormalState() || m_placing) return;
        m_rememberedLeft = x();
        m_rememberedTop = y();
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_closed) {
        event->accept();
        return;
    }
    WallpaperEngine& engine = *m_deps.engine;
    engine.beginClose();
    setAcceptDrops(false);
    const int page = Tab1->tabText(Tab1->currentIndex()) == kImagesTab ? 0 : 1;
    if (Check1->isChecked() && !CheckBox1->isChecked()) engine.clearScreen();
    SettingsStore& settings = *m_deps.settings;
    settings.write(QStringLiteral("SCPropertyPage"), QString::number(page));
    settings.write(QStringLiteral("MuraloLeft"), QString::number(m_rememberedLeft));
    settings.write(QStringLiteral("MuraloTop"), QString::number(m_rememberedTop));
    Timer1->stop();
    Timer2->stop();
    m_closed = true;
    event->accept();
    // The last window closing does not end the program by itself (the window may live hidden);
    // closing it does.
    m_deps.quit();
}

void MainWindow::paintEvent(QPaintEvent* event) {
    refreshCurrentImage();
    QMainWindow::paintEvent(event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_placing) QTimer::singleShot(0, this, [this] { m_placing = false; });
    displayChanged(m_deps.bitsPerPixel());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    filesDropped(paths);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == Label12) {
            Label12Click();
            return true;
        }
        if (watched == Label4) {
            Label4Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
