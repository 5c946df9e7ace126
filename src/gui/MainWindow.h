// SPDX-License-Identifier: MIT
#pragma once

#include "queue/OrderMode.h"
#include "queue/QueueWork.h"
#include "schedule/ChangeTimer.h"

#include <QMainWindow>
#include <QPixmap>
#include <QRect>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

struct AppContext;
class FileChooser;
class OptionCommands;
class PropertiesPresenter;
class TrayIcons;
class TrayMenu;
class QDialog;
class FolderQueue;
class MainMenus;
class MainToolBar;
class MonitorPicture;
class OptionsPage;
class PropertiesPanel;
class Prompter;
class Queue;
class QueueEditCommands;
class QueueFileCommands;
class QueueEditor;
class QueueListView;
class ScreenState;
class SettingsStore;
class StatusLines;
class WallpaperEngine;

class QLabel;
class QTabWidget;
class QTimer;
class QToolButton;

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
    // Asks for image files and folders (default: the window's file dialogs).
    FileChooser* fileChooser = nullptr;
    // Asks how to delete the selected rows: 0 cancel, 1 from the queue only, 2 from the
    // queue and the disk (default: the delete dialog).
    std::function<int(int selectedRows)> askDeleteChoice;
    // Shows a modal dialog and answers its result (default QDialog::exec).
    std::function<int(QDialog&)> runDialog;
    // The system-information program the about box offers (default: the first one found on
    // the search path).
    std::function<QString()> systemInformation;
    // Ends the program once the window has closed (default QCoreApplication::quit).
    std::function<void()> quit;
    // True while at least one of our icons is in the notification area. Minimising hides
    // the window only then: a window hidden with no icon to bring it back would be lost
    // to the user. (Default: asks the notification area.)
    std::function<bool()> trayIconsShown;
};

// The main window: toolbar, monitor picture, Image Properties, the Images and Options pages,
// the status lines and the main menu. Its controls carry their form names as object names.
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
    // Both run only when no other queue work runs (changes never pile up); false when dropped.
    bool changeWallpaperNow();
    bool clearScreenNow();
    // The one path all work on the queue and its rows takes (see QueueWork).
    QueueWork& queueWork() { return m_queueWork; }
    // Adds to and deletes from the open queue with the list kept in step; run it as queue work.
    QueueEditor& queueEditor() { return *m_editor; }
    QueueFileCommands& queueFileCommands() { return *m_fileCommands; }
    FolderQueue& folderQueue() { return *m_deps.folder; }
    // True from the start of startUp() until it has shown the window (its change included).
    bool isStartingUp() const { return m_startingUp; }
    // True once the window has closed for good (after which the program ends).
    bool isClosed() const { return m_closed; }
    void setOrderMode(OrderMode mode);
    // A display change: depth class and the colour warning.
    void displayChanged(int bitsPerPixel);

    // State
    int rememberedLeft() const { return m_rememberedLeft; }
    int rememberedTop() const { return m_rememberedTop; }
    int colorDepth() const { return m_colorDepth; }
    bool anyTrayIcon() const;
    // Whether minimising hides the window (a tray icon is enabled and shown).
    bool hidesToTray() const;
    bool helpOpened() const { return m_helpOpened; }
    bool screenSaverActive() const { return m_screenSaverActive; }
    bool acceptingDrops() const { return acceptDrops(); }
    ChangeTimer& countdown() { return *m_countdown; }
    QString currentImageText() const;
    // Sets the current image line from the desktop's current image.
    void refreshCurrentImage();

protected:
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void fillMissingDeps();
    ChangeTimer::Hooks countdownHooks();
    void buildTimers();
    void buildMonitor(QWidget* client);
    void buildPages(QWidget* client);
    void buildImagesPage();
    void connectControls();
    void connectQueueList();
    void buildEditCommands();
    void wireEngine();

    void loadSettings();
    void applyScreenSize();
    void loadListAndErrorSettings();
    // Loads a queue with its messages and shows its settings; false (the open queue kept)
    // when the file cannot be a queue.
    bool loadQueue(const QString& path);
    void buildFileCommands();
    void buildOptionCommands();
    void buildPropertiesPresenter();
    void buildTray();
    // Tray icon id (1 screen saver, 2 timer, 3 change, 4 clear) shown or removed.
    void switchTrayIcon(int id, bool shown);
    void onTrayClicked(int id);
    void showTimerInTray(bool on, bool adding);
    void showScreenSaverInTray();
    void toggleScreenSaver();
    void restoreFromTray();
    void popUpQueueList();
    void loadCountdown();
    void restorePage();
    void placeWindow();
    void changeAtStartUp();
    void showAfterStartUp();

    void showOrderMode();
    void makeDesktopThumbnail();
    void refreshQueueLine();
    void readScreenSaverState();
    void setFileNameOnly(bool on);
    void sortByName();
    void unsort();
    void toggleStartWithFirst();
    void toggleShowFileErrors();
    void selectionReset();
    void openHelp(const QString& topic);
    void showHelp();
    void onPageChanged();
    void onChangeTick();
    void onExitTimeout();
    void filesDropped(const QStringList& paths);
    void minimiseToTray();
    bool isNormalState() const;
    bool imagesPageShown() const;
    QRect screenRect() const;

    MainWindowDeps m_deps;
    std::unique_ptr<ChangeTimer> m_countdown;
    QueueWork m_queueWork;
    QTimer* m_changeTimer = nullptr;
    QTimer* m_exitTimer = nullptr;
    QTimer* m_currentImageTimer = nullptr;
    MainToolBar* m_toolBar = nullptr;
    MonitorPicture* m_monitor = nullptr;
    QLabel* m_desktopPicture = nullptr;
    QLabel* m_thumbnailPicture = nullptr;
    PropertiesPanel* m_properties = nullptr;
    QTabWidget* m_pages = nullptr;
    QueueListView* m_queueList = nullptr;
    std::unique_ptr<QueueEditor> m_editor;
    std::unique_ptr<FileChooser> m_ownChooser;
    std::unique_ptr<QueueEditCommands> m_editCommands;
    std::unique_ptr<QueueFileCommands> m_fileCommands;
    std::unique_ptr<OptionCommands> m_optionCommands;
    std::unique_ptr<PropertiesPresenter> m_presenter;
    TrayIcons* m_tray = nullptr;
    TrayMenu* m_trayMenu = nullptr;
    QToolButton* m_moveUpButton = nullptr;
    QToolButton* m_moveDownButton = nullptr;
    OptionsPage* m_options = nullptr;
    StatusLines* m_statusLines = nullptr;
    MainMenus* m_menus = nullptr;
    int m_rememberedLeft = kDesignLeft;
    int m_rememberedTop = kDesignTop;
    int m_colorDepth = 24;
    bool m_helpOpened = false;
    bool m_screenSaverActive = false;
    bool m_startingUp = false;
    bool m_placing = true;
    bool m_closed = false;
    bool m_hiddenToTray = false;
    bool m_noTrayNoted = false;
    QPixmap m_thumbnail;
};
