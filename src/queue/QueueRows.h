// SPDX-License-Identifier: MIT
#pragma once

#include "queue/QueueFormat.h"

#include <QString>

#include <cstdint>
#include <vector>

class Queue;
class QueueEntry;

// The order in which the change cycle walks the queue, and the user's selection:
// the queue list in the window, or the queue's own order where there is no window.
class QueueRows {
public:
    virtual ~QueueRows() = default;
    virtual int rowCount() const = 0;
    // Entry number of a 0-based row.
    virtual int entryOfRow(int row) const = 0;
    // The first selected row (0-based), or -1 when none is selected.
    virtual int firstSelectedRow() const = 0;
};

// Rows without a window: the entries in their order, or sorted by caption as the list
// shows them when the queue is sorted by name.
class EntryOrderRows : public QueueRows {
public:
    EntryOrderRows() = default;
    // Reads every entry through one open of the file when the rows are to be sorted.
    static EntryOrderRows fromQueue(const Queue& queue, bool fileNameOnly);

    int rowCount() const override { return static_cast<int>(m_entries.size()); }
    int entryOfRow(int row) const override;
    int firstSelectedRow() const override { return m_selected; }
    void select(int row) { m_selected = row; }

private:
    std::vector<int> m_entries;
    int m_selected = -1;
};

// The part of every record a list row shows (path, picture size, resize mode), read in one
// pass over the file in long reads: a seek and a read per record cost two system calls each,
// which made filling the list from a large queue slow.
class ListedRecords {
public:
    static constexpr std::size_t kListedSize = qu3::entry::kResizeMode + 1;

    // Reads records 1..lastRecord, as far as the file holds them whole.
    ListedRecords(const QString& path, int lastRecord);
    bool isOpen() const { return m_open; }
    // Copies record r's listed part into the start of entry, leaving the rest of it alone;
    // false when the file does not hold the whole record r.
    bool read(int r, QueueEntry& entry) const;

private:
    std::vector<std::uint8_t> m_listed;
    int m_wholeRecords = 0;
    bool m_open = false;
};
