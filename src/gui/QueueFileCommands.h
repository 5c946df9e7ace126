// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

struct AppContext;
class FileChooser;
class FolderQueue;
class Prompter;
class Queue;
class QueueListView;
class SettingsStore;

// The window's commands on queue files as wholes: open another queue (from the open dialog or
// the list of queues beside the open one), start a new queue, clear, save as, delete, and name
// an untitled queue when its first image comes. The window runs each as queue work; every way
// out gives the change timer and the updating flag back. Each command that changes the open
// queue stores it as QueueName at once, so the next start opens the same queue.
class QueueFileCommands {
public:
    struct Deps {
        AppContext* app = nullptr;
        SettingsStore* settings = nullptr;
        Queue* queue = nullptr;
        QueueListView* list = nullptr;
        FolderQueue* folder = nullptr;
        Prompter* prompter = nullptr;
        FileChooser* chooser = nullptr;
        std::function<void(bool)> runTimer;
        std::function<void()> deselectAll;
        std::function<void()> refreshQueueLine;
        // Loads a queue file with the window's messages and menus; false (and the open queue
        // kept) when the file cannot be a queue.
        std::function<bool(const QString& path)> loadQueue;
        // Whether a queue just opened starts with a change ("Change Wallpaper at Startup").
        std::function<bool()> changeOnOpening;
        // Changes the wallpaper once the running command has finished.
        std::function<void()> changeSoon;
    };

    explicit QueueFileCommands(Deps deps) : m_deps(std::move(deps)) {}

    // The queue files in the open queue's folder, by name, for the "..." menu.
    QStringList queuesBeside() const;
    void changeQueue();
    void pickQueue(const QString& fileName);
    void newQueue();
    void clearQueue();
    void saveQueueAs();
    void deleteQueue();
    // Copies the open queue over target and goes on with the copy; false, and nothing changed,
    // when the copy could not be made. Asks nothing.
    bool continueAs(const QString& target);
    // After the first image went into a queue still called untitled.qu3, offers to name it.
    void nameUntitledQueue();

    // "ab" gives "ab.QU3", "pics.qu3" stays, "pics.txt" gives "pics.txt.QU3".
    static QString newQueueName(const QString& typed);

private:
    void openQueue(const QString& path, bool changeAfterOpening);
    // Makes path the open queue's name everywhere: the queue, the settings, the status line.
    void adoptName(const QString& path);
    QString dialogFolder() const;

    Deps m_deps;
};
