// SPDX-License-Identifier: MIT
#pragma once

#include "queue/QueueEntry.h"
#include "queue/QueueHeader.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// The open queue: its header in memory, the current-entry buffer and the small
// amount of state the program shares about it. Entries are never held as a
// collection; they pass one at a time through the current-entry buffer.
class Queue {
public:
    struct Environment {
        QString programFolder;           // ends in a separator
        std::int16_t screenWidth = 1024; // the start-up screen size
        std::int16_t screenHeight = 768;
    };

    enum class LoadStatus {
        Loaded,  // an existing queue was read
        Created, // no file (or an empty one) of that name: a new empty queue was written
        Busy,    // another queue-file access is in progress; nothing happened
        Refused, // not a queue we can use; nothing changed, message says why
        Failed,  // the file could not be created or read; nothing changed
    };
    struct LoadResult {
        LoadStatus status = LoadStatus::Failed;
        QString message;
        // Set when the queue loaded but had to be repaired in a way the user should hear of once.
        QString warning = {};
        bool ok() const { return status == LoadStatus::Loaded || status == LoadStatus::Created; }
    };

    // TooLong: the path does not fit an entry's 255 bytes; a cut one would name another file.
    enum class AddResult { Added, LimitReached, Missing, TooLong, WriteFailed };

    static const QString kLimitMessage;
    static const QString kAddFailedMessage;
    static const QString kPathTooLongMessage;
    // Why a file was not added (empty for Added).
    static QString addFailureText(AddResult result);
    static constexpr int kAttempts = 11;

    explicit Queue(Environment env);

    const Environment& environment() const { return m_env; }
    void setEnvironment(const Environment& env) { m_env = env; }

    // Loads the queue file at path; on success it becomes the current queue file.
    // A refused or failed load keeps the queue that was open, open and usable,
    // and changes no byte of the refused file.
    LoadResult load(const QString& path);
    // Reads a queue's header as stored, without touching the open queue.
    static LoadResult peekHeader(const QString& path, QueueHeader& header);

    // Rebuilds the header in memory for an empty queue, carrying the display settings over.
    void newHeader();
    // The normalisation that a load applies to a header in memory. Answers how many entries
    // had to be left out because they named a record an earlier entry uses.
    int normalise();

    // One write of the header; fails at once while busy.
    bool singleHeaderWrite();
    // Up to eleven attempts; false when all failed.
    bool writeHeader();
    bool readEntry(int record);
    bool writeEntry(int record);
    bool writeEntryRetrying(int record);
    // The same for an entry held elsewhere than the shared buffer: a wallpaper change works on
    // its own copy, so nothing the window reads meanwhile can change what it writes back.
    bool readEntryInto(int record, QueueEntry& entry);
    bool writeEntryFrom(int record, const QueueEntry& entry); // one attempt
    bool writeEntryFromRetrying(int record, const QueueEntry& entry);

    int allocateRecord();
    void freeRecord(int record);
    int recordOfEntry(int entryNumber) const { return m_header.recordIndex(entryNumber); }

    // Adds one image file as the new last entry. newRecord receives its record number.
    AddResult addOneFile(const QString& fullPath, int* newRecord = nullptr);
    // Deletes entry number n from the queue only (the image file is never touched).
    // row is the entry's 1-based row in the visible order; the current position
    // follows the rows. The record index table closes up behind it. The header is
    // not written: callers write it once after a batch.
    bool deleteEntry(int entryNumber, int row);
    // Empties the queue: position, count and both tables to zero; settings kept.
    void clearEntries();
    // Points the given entries at folder (ending in a separator), keeping their file names, and
    // makes folder the relink folder. False when a write failed (that entry keeps its path).
    bool relinkEntries(const QList<int>& entries, const QString& folder);
    // Makes the queue a folder queue showing the images of folder (ending in a separator);
    // refused (false) while the queue has entries.
    bool useFolder(const QString& folder);

    // State.
    QueueHeader& header() { return m_header; }
    const QueueHeader& header() const { return m_header; }
    QueueEntry& entry() { return m_entry; }
    const QueueEntry& entry() const { return m_entry; }
    const QString& currentFile() const { return m_currentFile; }
    // For renames and copies of the open queue file.
    void setCurrentFile(const QString& path) { m_currentFile = path; }
    bool isFolderQueue() const { return m_header.entryCount() == 0 && m_header.folderQueue() != 0; }
    int entryCount() const { return m_header.entryCount(); }

    std::int32_t position() const { return m_position; }
    void setPosition(std::int32_t p) { m_position = p; }
    bool shown(int row) const; // 1-based row
    void setShown(int row, bool value);
    void clearShown();

    bool busy() const { return m_busy; }
    void setBusy(bool busy) { m_busy = busy; }

    // Working copies taken at load time.
    QString workingRelinkFolder;
    QString workingImageFolder;
    QString workingDefaultSound; // empty when the queue's default sound is off
    bool workingGamma = false;
    bool workingSorted = false;
    // The folder of the default sound, when it exists: where the sound dialog opens.
    std::optional<QString> soundFolder;
    // The entry last selected in the queue list.
    int currentRecord = 0;
    int currentRow = -1;

private:
    bool folderExists(const QString& folder) const;
    int dropSharedRecords();

    Environment m_env;
    QueueHeader m_header;
    QueueEntry m_entry;
    QString m_currentFile;
    std::int32_t m_position = 0;
    std::vector<std::uint8_t> m_shown;
    bool m_busy = false;
};
