// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// Watches one folder (not its subfolders) for changes of file names: files created,
// deleted, renamed, moved in or out. It does nothing but raise the folder-changed flag,
// so the main thread rescans at its next wallpaper change; a lost notification only
// delays that rescan. Content changes alone are ignored: the list of names stays right.
class FolderWatcher : public QThread {
public:
    enum class Method {
        Notify, // the system's change notifications (inotify on Linux)
        Poll,   // compares the folder's name list at an interval; for systems without notifications
    };

    static Method defaultMethod();
    static constexpr std::chrono::milliseconds kDefaultPollInterval{2000};

    // The watch is set up here, on the caller's thread, so a change made right after
    // construction is already seen. The flags belong to the caller and must outlive this object.
    FolderWatcher(const QString& folder, std::atomic<bool>& changed, std::atomic<bool>& running,
                  Method method = defaultMethod(), std::chrono::milliseconds pollInterval = kDefaultPollInterval);
    // Stops and joins the thread: it never outlives its owner.
    ~FolderWatcher() override;

    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    const QString& folder() const { return m_folder; }
    // Signals the stop event; the thread ends at once. Stays signalled (manual reset).
    void requestStop();

protected:
    void run() override;

private:
    bool setUpNotify();
    void runNotify();
    void runPoll();
    QStringList listNames() const;

    QString m_folder;
    std::atomic<bool>& m_changed;
    std::atomic<bool>& m_running;
    Method m_method;
    std::chrono::milliseconds m_pollInterval;

    int m_notifyFd = -1;
    int m_stopFd = -1;

    // The polling method waits on this instead of sleeping, so a stop request wakes it.
    std::mutex m_stopMutex;
    std::condition_variable m_stopCv;
    bool m_stopRequested = false;
    QStringList m_lastNames;
    bool m_pollReady = false;
};
