// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

class FolderWatcher;

// The images of a folder queue: the folder's image file names, read lazily before a
// change and again whenever the watcher reports that the folder's names changed.
// Used from the main thread; only the two flags are shared with the watcher thread.
class FolderQueue {
public:
    // The image types the program reads; a folder queue shows files of these types only.
    static QString defaultMask();

    FolderQueue();
    // Stops and joins the watcher, so no thread is left running on exit.
    ~FolderQueue();

    FolderQueue(const FolderQueue&) = delete;
    FolderQueue& operator=(const FolderQueue&) = delete;

    // Fills list with the names (without folder) of the folder's regular files that match
    // one of the ';'-separated parts of mask, ignoring case, sorted case-insensitively in
    // the user's locale. A name matching two parts is listed twice. Subfolders are never
    // listed. False when the folder cannot be read: the list then keeps its content.
    static bool scanFolder(QStringList& list, const QString& folder, const QString& mask, bool includeHidden);

    // Brings the list up to date before a wallpaper change and returns its count, or -1
    // when the folder is gone (the change is abandoned).
    int refreshBeforeChange(const QString& workingImageFolder);

    // The folder joined with the p-th name (1-based); empty when p is out of range.
    QString imageOfPosition(int p, const QString& workingImageFolder) const;

    // Every change of the current queue goes through here, so the next change rescans.
    void markChanged() { m_changed.store(true); }
    bool isChanged() const { return m_changed.load(); }
    void clearList() { m_names.clear(); }
    int count() const { return static_cast<int>(m_names.size()); }
    const QStringList& names() const { return m_names; }

    const QString& mask() const { return m_mask; }
    void setMask(const QString& mask) { m_mask = mask; }

    void startWatcher(const QString& folder);
    void stopWatcher();
    bool watcherRunning() const { return m_running.load(); }

private:
    QStringList m_names;
    QString m_mask;
    std::atomic<bool> m_changed{false};
    std::atomic<bool> m_running{false};
    std::unique_ptr<FolderWatcher> m_watcher;
};
