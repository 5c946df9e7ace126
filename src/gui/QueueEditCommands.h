// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <QUrl>

#include <functional>

struct AppContext;
class FileChooser;
class FolderQueue;
class Prompter;
class Queue;
class QueueEditor;
class QueueListView;
class SettingsStore;
class QWidget;

// The window's commands that change which images a queue holds: add image files, drop files,
// delete, relink and edit. The window runs each as queue work, so none runs inside a change;
// every way out of a command gives the change timer and the updating flag back.
class QueueEditCommands {
public:
    struct Deps {
        AppContext* app = nullptr;
        SettingsStore* settings = nullptr;
        Queue* queue = nullptr;
        QueueListView* list = nullptr;
        QueueEditor* editor = nullptr;
        FolderQueue* folder = nullptr;
        Prompter* prompter = nullptr;
        FileChooser* chooser = nullptr;
        // Stops (false) and restarts (true) the change timer.
        std::function<void(bool)> runTimer;
        // Drops the list's selection and shows the queue's defaults.
        std::function<void()> deselectAll;
        // Asks how to delete: 0 cancel, 1 from the queue only, 2 from the queue and the disk.
        std::function<int(int selectedRows)> askDeleteChoice;
        // Opens a file with the program the desktop has for it; false when that failed.
        std::function<bool(const QUrl&)> openUrl;
        // Shows the queue line again (a folder queue's count changed).
        std::function<void()> refreshQueueLine;
        // The queue had no entries before this add and has some now.
        std::function<void()> firstImageAdded;
        // True once the window is closing: long work stops where it is.
        std::function<bool()> closing;
        // The window long work shows its progress over.
        QWidget* owner = nullptr;
    };

    // The file types the program reads, as the add dialog offers them.
    static const QString kImageFilter;
    // Adds of at least this many files show their progress, and can be stopped.
    static constexpr int kProgressFrom = 50;

    explicit QueueEditCommands(Deps deps) : m_deps(std::move(deps)) {}

    void addImageFiles();
    void dropFiles(const QStringList& paths);
    void deleteSelected();
    void relinkSelected();
    void editSelected();
    // Folder mode on (by way of changeFolder) or off; refused while the queue has entries.
    void toggleFolderQueue();
    // Chooses the folder whose images the queue shows, and turns folder mode on.
    void changeFolder();

private:
    // Adds the names in order, telling each refusal; a drop stops telling at the first full queue.
    void addAll(const QStringList& paths, bool tellEveryFullQueue);

    Deps m_deps;
};
