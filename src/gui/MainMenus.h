// SPDX-License-Identifier: MIT
#pragma once

#include "queue/OrderMode.h"

#include <QObject>

class QAction;
class QKeySequence;
class QMenu;
class QMenuBar;

// The main menu: File, Image Display and Help. The window shows its state through the show
// functions and acts on the signals; items without a command in this window stay visible
// but disabled.
class MainMenus : public QObject {
    Q_OBJECT
public:
    explicit MainMenus(QMenuBar* bar);

    void showSorted(bool sorted);
    void showFileNameOnly(bool on);
    void showOrderMode(OrderMode mode, bool startWithFirst);
    void showStartWithFirst(bool on);
    void showFileErrors(bool on);
    void showTiled(bool tiled);
    void showGamma(bool on);
    // While the list is rebuilt, the commands that would change the queue underneath it are
    // out of reach.
    void setQueueCommandsShown(bool shown);
    // A folder queue has no entries to add, delete, relink, sort or list in detail: those
    // items are disabled, "Use Folder as Queue" is checked and "Change Folder" shows.
    void showFolderQueue(bool folder);
    // Delete and relink need selected rows, edit exactly one.
    void showSelection(int selectedRows);

Q_SIGNALS:
    void addImageTriggered();
    void deleteImageTriggered();
    void relinkTriggered();
    void editImageTriggered();
    void useFolderTriggered();
    void newQueueTriggered();
    void changeQueueTriggered();
    void clearQueueTriggered();
    void saveQueueAsTriggered();
    void deleteQueueTriggered();
    void changeFolderTriggered();
    void sortByNameTriggered();
    void unsortedTriggered();
    void fileNameOnlyTriggered(bool on);
    void exitTriggered();
    void changeWallpaperTriggered();
    void clearScreenTriggered();
    void orderModeTriggered(OrderMode mode);
    void startWithFirstTriggered();
    void showFileErrorsTriggered();
    void helpTriggered();
    void gammaTriggered();
    void tempFolderTriggered();
    void aboutTriggered();
    void defaultSoundTriggered();
    void soundForSelectedTriggered();
    void defaultResizeTriggered();
    void resizeSelectedTriggered();
    void tilingTriggered(bool tiled);

private:
    void buildFileMenu(QMenuBar* bar);
    void buildListMenus(QMenu* file);
    void buildImageDisplayMenu(QMenuBar* bar);
    void buildOrderAndTilingMenus(QMenu* display);
    void buildHelpMenu(QMenuBar* bar);

    QAction* m_addImageAction = nullptr;
    QAction* m_sortByNameAction = nullptr;
    QAction* m_unsortedAction = nullptr;
    QMenu* m_sortMenu = nullptr;
    QMenu* m_listDetailsMenu = nullptr;
    QAction* m_useFolderAction = nullptr;
    QAction* m_changeFolderAction = nullptr;
    QAction* m_deleteImageAction = nullptr;
    QAction* m_relinkAction = nullptr;
    QAction* m_editImageAction = nullptr;
    QAction* m_fileNameOnlyAction = nullptr;
    QAction* m_fullPathAction = nullptr;
    QAction* m_newQueueAction = nullptr;
    QAction* m_changeQueueAction = nullptr;
    QAction* m_clearQueueAction = nullptr;
    QAction* m_saveQueueAsAction = nullptr;
    QAction* m_sequentialAction = nullptr;
    QAction* m_randomAction = nullptr;
    QAction* m_startWithFirstAction = nullptr;
    QAction* m_showFileErrorsAction = nullptr;
    QAction* m_tiledAction = nullptr;
    QAction* m_singleImageAction = nullptr;
    QAction* m_gammaAction = nullptr;
    QAction* m_soundAction = nullptr;
    QAction* m_resizeAction = nullptr;
};
