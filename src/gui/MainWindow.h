// SPDX-License-Identifier: MIT
#pragma once

#include "schedule/ChangeTimer.h"

#include <QMainWindow>
#include <QPixmap>
#include <QRect>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

struct AppContext;
class FolderQueue;
class MonitorPicture;
class Prompter;
class Queue;
class QueueListView;
class ScreenState;
class SettingsStore;
class WallpaperEngine;

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QTabWidget;
class QToolButton;
class QPushButton;
class QWidget;

// What the main window works with. The pointers must outlive the window; the functions have
// working defaults and are there so tests can stand in for the screen and the desktop.
struct MainWindowDeps {
    AppContext* app = nullptr;
    SettingsStore* settings = nullptr;
    Queue* queue = nullptr;
    FolderQueue* folder = nullptr;
    WallpaperEngine* engine = nullptr;
    Prompter* prompter = nullptr;
    // Screen saver and full-screen state; none means the screen is never busy.
    ScreenState* screenState = nullptr;
    // Opens the help page (default QDesktopServices::openUrl).
    std::function<bool(const QUrl&)> openUrl;
    // The whole screen as it is now; a null pixmap when it cannot be had.
    std::function<QPixmap()> grabDesktop;
    // Bits per pixel of the display.
    std::function<int()> bitsPerPixel;
    // The screen the window is placed on.
    std::function<QRect()> screenRect;
    // Adds dropped image files to the open queue.
    std::function<void(const QStringList&)> addFiles;
    // Ends the program once the window has closed (default QCoreApplication::quit).
    std::function<void()> quit;
    // True while at least one of our icons is in the notification area. Minimising hides
    // the window only then: a window hidden with no icon to bring it back would be lost
    // to the user. (Default: no icons are shown.)
    std::function<bool()> trayIconsShown;
};

// The main window.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The window was laid out as 604 x 508 outside, frame, caption and menu bar included;
    // the controls' places are relative to the area below the menu, which is this big.
    static constexpr int kClientWidth = 596;
    static constexpr int kClientHeight = 462;
    static constexpr int kDesignLeft = 218;
    static constexpr int kDesignTop = 131;

    explicit MainWindow(MainWindowDeps deps, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Window creation: settings, queue, list, position, thumbnail, timers, start-up change,
    // then shows the window (or leaves it hidden when it starts minimised to the tray).
    void startUp();

    // Commands
    void changeWallpaperNow();
    void clearScreenNow();
    // Order switch: tag 1 goes to random, any other tag to sequential.
    void orderModeSwitch(int tag);
    void mnustartfirstClick();
    void mnuShowErrorsClick();
    void ChangeAtStartClick();
    void CheckBox1Click();
    void Check1Click();
    void trayBoxClick(int tag);
    void helpClick();
    void Label4Click();
    void Label12Click();
    void Tab1Change(int index);
    void Timer1Timer();
    void Timer2Timer();
    // A display change: depth class and the colour warning.
    void displayChanged(int bitsPerPixel);
    // Files dropped on the window (local paths).
    void filesDropped(const QStringList& paths);

    // State
    int rememberedLeft() const { return m_rememberedLeft; }
    int rememberedTop() const { return m_rememberedTop; }
    int colorDepth() const { return m_colorDepth; }
    bool anyTrayIcon() const { return m_anyTrayIcon; }
    // Whether minimising hides the window (a tray icon is enabled and shown).
    bool hidesToTray() const;
    bool helpOpened() const { return m_helpOpened; }
    bool screenSaverActive() const { return m_screenSaverActive; }
    bool acceptingDrops() const { return acceptDrops(); }
    ChangeTimer& changeTimer() { return *m_changeTimer; }
    QString currentImageText() const;
    // Sets label5 from the desktop's current image.
    void refreshCurrentImage();

    // Controls (named as the program's forms name them)
    QWidget* Panel1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QLabel* Label12 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    MonitorPicture* PaintBox1 = nullptr;
    QLabel* picture1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* label16 = nullptr;
    QLabel* lblImageSize = nullptr;
    QLabel* label18 = nullptr;
    QLabel* label19 = nullptr;
    QLabel* label22 = nullptr;
    QTabWidget* Tab1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QueueListView* lstqueue = nullptr;
    QToolButton* image190 = nullptr;
    QToolButton* image191 = nullptr;
    QRadioButton* option70 = nullptr;
    QRadioButton* option71 = nullptr;
    QLineEdit* text2 = nullptr;
    QCheckBox* ChangeAtStart = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* Check1 = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Image5 = nullptr;
    QLabel* Image6 = nullptr;
    QPushButton* Button1 = nullptr;
    QToolButton* image4 = nullptr;
    QLabel* label11 = nullptr;
    QLabel* label5 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

    // Main menu
    QMenu* mnuFile = nullptr;
    QAction* menuadd = nullptr;
    QAction* menuedit = nullptr;
    QAction* mnuRelink = nullptr;
    QAction* MenuDelt = nullptr;
    QMenu* mnuSort = nullptr;
    QAction* mnuSortName = nullptr;
    QAction* mnuUnSort = nullptr;
    QMenu* mnuListType = nullptr;
    QAction* mnuFileName = nullptr;
    QAction* mnuFullPath = nullptr;
    QAction* mnuQueStart = nullptr;
    QAction* mnuUseFolder = nullptr;
    QAction* mnuChangeFolder = nullptr;
    QAction* mnuChangeQueue = nullptr;
    QAction* mnuClearQueue = nullptr;
    QAction* mnuQueSaveAs = nullptr;
    QAction* mnuDeleteQueue = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuImageDisplay = nullptr;
    QAction* mnuChangeNow = nullptr;
    QAction* mnuClearScreen = nullptr;
    QAction* mnuDefaultResize = nullptr;
    QAction* mnuResiz = nullptr;
    QAction* mnuDefSound = nullptr;
    QAction* mnuSound = nullptr;
    QMenu* mnuOrder = nullptr;
    QAction* menuseq = nullptr;
    QAction* menurand = nullptr;
    QAction* mnustartfirst = nullptr;
    QAction* mnuShowErrors = nullptr;
    QMenu* mnuTiling = nullptr;
    QAction* mnuTileOn = nullptr;
    QAction* MnuTileOff = nullptr;
    QAction* mnuGamma = nullptr;
    QAction* mnuWallFolder = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpTopics = nullptr;
    QAction* About1 = nullptr;

protected:
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar(QWidget* client);
    void buildMonitor(QWidget* client);
    void buildPanel(QWidget* client);
    void buildPages(QWidget* client);
    void buildOptionsPage();
    void buildStatusLines(QWidget* client);
    void buildMenus();
    void wireEngine();

    void loadSettings();
    void showOrderMode();
    void showDefaultsView();
    void makeDesktopThumbnail();
    void refreshQueueLine();
    void readTraySettings();
    void readScreenSaverState();
    void showTimerMode(bool on);
    void setFileNameOnly(bool on);
    void selectionReset();
    void openHelp(const QString& topic);
    void minimiseToTray();
    bool isNormalState() const;
    QRect screenRect() const;

    MainWindowDeps m_deps;
    std::unique_ptr<ChangeTimer> m_changeTimer;
    int m_rememberedLeft = kDesignLeft;
    int m_rememberedTop = kDesignTop;
    int m_colorDepth = 24;
    bool m_anyTrayIcon = false;
    bool m_helpOpened = false;
    bool m_screenSaverActive = false;
    bool m_startingUp = false;
    bool m_placing = true;
    bool m_closed = false;
    bool m_hiddenToTray = false;
    QPixmap m_thumbnail;
};
