// SPDX-License-Identifier: MIT
#include "Queue.h"

#include "queue/PathSplit.h"
#include "queue/QueueFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

const QString Queue::kLimitMessage = QStringLiteral(
    "There are 6,000 entries in this queue.  Muralo32 cannot support more, so addtional files are not allowed.");
const QString Queue::kAddFailedMessage = QStringLiteral("An error occurred and the file was not added");
const QString Queue::kPathTooLongMessage =
    QStringLiteral("The path of this file is longer than a queue can hold (255 bytes), so it was not added.");

QString Queue::addFailureText(AddResult result) {
    switch (result) {
    case AddResult::Missing:
        return QStringLiteral("no such file; skipped");
    case AddResult::LimitReached:
        return kLimitMessage;
    case AddResult::TooLong:
        return kPathTooLongMessage;
    case AddResult::WriteFailed:
        return kAddFailedMessage;
    case AddResult::Added:
        break;
    }
    return QString();
}

namespace {

const QString kOldQueueText = QStringLiteral(
    " is an old Queue from an earlier program version.  It cannot be used by this version of Muralo32.  Change to "
    "another queue (QU3) or start a new one.");

// Clears the busy flag on every way out of a queue-file access.
class BusyGuard {
public:
    explicit BusyGuard(Queue& q) : m_q(q) { m_q.setBusy(true); }
    ~BusyGuard() { m_q.setBusy(false); }

private:
    Queue& m_q;
};

std::uint8_t carryOverSoundFlag(std::uint8_t v) {
    return (v == 0 || v == 2) ? v : 1;
}

} // namespace

Queue::Queue(Environment env) : m_env(std::move(env)), m_shown(qu3::kMaxEntries, 0) {}

bool Queue::folderExists(const QString& folder) const {
    const QString f = folder.trimmed();
    return !f.isEmpty() && QFileInfo(f).isDir();
}

Queue::LoadResult Queue::peekHeader(const QString& path, QueueHeader& header) {
    const queuefile::Probe probe = queuefile::probe(path);
    switch (probe.kind) {
    case queuefile::Kind::Missing:
        return {LoadStatus::Failed, path + QStringLiteral(" does not exist")};
    case queuefile::Kind::Directory:
        return {LoadStatus::Refused, path + QStringLiteral(" is a folder, not a queue file.")};
    case queuefile::Kind::NotRegular:
        return {LoadStatus::Refused, path + QStringLiteral(" is not a regular file, so it cannot be a queue.")};
    case queuefile::Kind::Unreadable:
        return {LoadStatus::Failed, path + QStringLiteral(" cannot be read.")};
    case queuefile::Kind::OldQueue:
        return {LoadStatus::Refused, path + kOldQueueText};
    case queuefile::Kind::Empty:
    case queuefile::Kind::Other:
        return {LoadStatus::Refused, path + QStringLiteral(" is not a Muralo32 queue (QU3) file.")};
    case queuefile::Kind::Queue:
        break;
    }
    if (probe.size < qint64(qu3::kHeaderSize))
        return {LoadStatus::Refused,
                path + QStringLiteral(" is damaged: it is shorter than a queue header (%1 of %2 bytes).")
                           .arg(probe.size)
                           .arg(qu3::kHeaderSize)};
    if (!queuefile::readHeader(path, header)) return {LoadStatus::Failed, path + QStringLiteral(" cannot be read.")};
    return {LoadStatus::Loaded, {}};
}

Queue::LoadResult Queue::load(const QString& path) {
    if (m_busy) return {LoadStatus::Busy, {}};
    BusyGuard guard(*this);

    const queuefile::Probe probe = queuefile::probe(path);
    LoadResult result;
    if (probe.kind == queuefile::Kind::Missing || (probe.kind == queuefile::Kind::Empty && probe.size == 0)) {
        // No queue of that name yet: start one with the settings of the queue held before.
        const QueueHeader previous = m_header;
        newHeader();
        if (!queuefile::createWithHeader(path, m_header)) {
            m_header = previous;
            return {LoadStatus::Failed, path + QStringLiteral(" cannot be created.")};
        }
        result.status = LoadStatus::Created;
    } else {
        // Anything but a whole QU3 header is refused untouched; a file that is not a
        // queue is never overwritten.
        QueueHeader read;
        result = peekHeader(path, read);
        if (!result.ok()) return result;
        m_header = read;
    }
    m_currentFile = path;
    const int dropped = normalise();
    if (dropped > 0)
        result.warning = path + QStringLiteral(" is damaged: %1 of its entries named a record that another entry "
                                               "uses, and were left out of the queue.")
                                    .arg(dropped);
    return result;
}

int Queue::normalise() {
    QueueHeader& h = m_header;
    if (h.currentPosition() < 0) h.setCurrentPosition(0);

    workingRelinkFolder = h.relinkFolder().trimmed();
    if (workingRelinkFolder.isEmpty()) workingRelinkFolder = m_env.programFolder;
    workingImageFolder = h.imageFolder().trimmed();
    if (workingImageFolder.isEmpty()) workingImageFolder = m_env.programFolder;

    workingGamma = h.gammaOn() != 0;
    workingSorted = h.sorted() != 0;

    if (h.entryCount() < 0) h.setEntryCount(0);
    // The tables have room for 6,000 entries; a larger count can only come from a
    // damaged file and would lead outside them.
    if (h.entryCount() > qu3::kMaxEntries) h.setEntryCount(qu3::kMaxEntries);
    m_position = h.currentPosition();

    if (h.startWithFirst() != 1) h.setStartWithFirst(0);

    const auto fixRule = [&](QueueHeader::Rule r) {
        if (r.mode > 2) r.mode = 2;
        if (r.fixedSize > 1) r.fixedSize = 0;
        if (r.width < 32 || r.width > 2 * m_env.screenWidth) r.width = m_env.screenWidth;
        if (r.height < 32 || r.height > 2 * m_env.screenHeight) r.height = m_env.screenHeight;
        return r;
    };
    h.setSmallRule(fixRule(h.smallRule()));
    h.setLargeRule(fixRule(h.largeRule()));
    if (h.thresholdWidth() < 32 || h.thresholdWidth() > m_env.screenWidth)
        h.setThresholdWidth(static_cast<std::int16_t>(m_env.screenWidth / 2));
    if (h.thresholdHeight() < 32 || h.thresholdHeight() > m_env.screenHeight)
        h.setThresholdHeight(static_cast<std::int16_t>(m_env.screenHeight / 2));

    clearShown();

    workingDefaultSound = h.noDefaultSound() == 1 ? QString() : h.defaultSound();
    // The folder the sound dialog opens in follows the queue's default sound only when that file
    // exists; otherwise it stays where the user last chose a sound.
    const QFileInfo sound(workingDefaultSound);
    if (!workingDefaultSound.isEmpty() && sound.isFile()) soundFolder = sound.absolutePath() + QDir::separator();
    return dropSharedRecords();
}

// An entry that names a record an earlier entry already uses cannot be kept: deleting either
// would free the record under the other, and the next add would overwrite it. The later entry
// is left out (in memory; the next header write makes it so in the file).
int Queue::dropSharedRecords() {
    QueueHeader& h = m_header;
    std::vector<bool> used(qu3::kMaxEntries + 1, false);
    int kept = 0;
    const int count = h.entryCount();
    for (int n = 1; n <= count; ++n) {
        const int record = h.recordIndex(n);
        if (record >= 1 && record <= qu3::kMaxEntries) {
            if (used[static_cast<std::size_t>(record)]) continue;
            used[static_cast<std::size_t>(record)] = true;
        }
        h.setRecordIndex(++kept, static_cast<std::int16_t>(record));
    }
    for (int n = kept + 1; n <= count; ++n)
        h.setRecordIndex(n, 0);
    h.setEntryCount(static_cast<std::int16_t>(kept));
    return count - kept;
}

void Queue::newHeader() {
    QueueHeader& h = m_header;
    const QString relink = folderExists(h.relinkFolder()) ? h.relinkFolder() : m_env.programFolder;
    const QString image = folderExists(h.imageFolder()) ? h.imageFolder() : m_env.programFolder;
    h.setRelinkFolder(relink);
    h.setImageFolder(image);
    h.setOrderMode(h.orderMode() == 2 ? 2 : 1);
    h.setGammaOn(h.gammaOn() != 0 ? 1 : 0);
    h.setSorted(h.sorted() != 0 ? 1 : 0);
    h.setNoDefaultSound(carryOverSoundFlag(h.noDefaultSound()));
    h.data()[qu3::header::kReserved271] = carryOverSoundFlag(h.data()[qu3::header::kReserved271]);
    h.setSignature();
    h.setCurrentPosition(0);
    h.setEntryCount(0);
    h.setFolderQueue(0);
    h.clearTables();
}

bool Queue::singleHeaderWrite() {
    if (m_busy || m_currentFile.isEmpty()) return false;
    BusyGuard guard(*this);
    return queuefile::writeHeader(m_currentFile, m_header);
}

bool Queue::writeHeader() {
    for (int i = 0; i < kAttempts; ++i)
        if (singleHeaderWrite()) return true;
    return false;
}

bool Queue::readEntry(int record) {
    if (m_busy || m_currentFile.isEmpty()) return false;
    BusyGuard guard(*this);
    return queuefile::readRecord(m_currentFile, record, m_entry);
}

bool Queue::writeEntry(int record) {
    return writeEntryFrom(record, m_entry);
}

bool Queue::writeEntryFrom(int record, const QueueEntry& entry) {
    if (m_busy || m_currentFile.isEmpty()) return false;
    BusyGuard guard(*this);
    return queuefile::writeRecord(m_currentFile, record, entry);
}

bool Queue::writeEntryRetrying(int record) {
    return writeEntryFromRetrying(record, m_entry);
}

bool Queue::readEntryInto(int record, QueueEntry& entry) {
    if (m_busy || m_currentFile.isEmpty()) return false;
    BusyGuard guard(*this);
    return queuefile::readRecord(m_currentFile, record, entry);
}

bool Queue::writeEntryFromRetrying(int record, const QueueEntry& entry) {
    for (int i = 0; i < kAttempts; ++i) {
        if (m_busy || m_currentFile.isEmpty()) continue;
        BusyGuard guard(*this);
        if (queuefile::writeRecord(m_currentFile, record, entry)) return true;
    }
    return false;
}

int Queue::allocateRecord() {
    for (int r = 1; r <= qu3::kMaxEntries; ++r) {
        if (m_header.recordUse(r) == 0) {
            m_header.setRecordUse(r, static_cast<std::int16_t>(r));
            m_header.setRecordIndex(m_header.entryCount(), static_cast<std::int16_t>(r));
            return r;
        }
    }
    return -1;
}

void Queue::freeRecord(int record) {
    m_header.setRecordUse(record, 0);
}

Queue::AddResult Queue::addOneFile(const QString& fullPath, int* newRecord) {
    if (m_header.entryCount() >= qu3::kMaxEntries) return AddResult::LimitReached;
    if (QFile::encodeName(fullPath).size() > qu3::kPathCapacity) return AddResult::TooLong;
    if (!QFileInfo::exists(fullPath)) return AddResult::Missing;

    const std::int16_t count = static_cast<std::int16_t>(m_header.entryCount() + 1);
    m_header.setEntryCount(count);
    setShown(count, false);

    // A new entry starts from a clean record: it uses the queue's default sound and
    // carries nothing over from the entry read last.
    // Date, depth, size and the facts-known flag start at zero: the facts are read at its
    // first change.
    m_entry.clear();
    m_entry.setFilePath(fullPath);
    m_entry.setTiled(m_header.tiled() != 0 ? 1 : 0);
    m_entry.setResizeMode(qu3::UseDefault);
    m_entry.setFixedWidth(m_env.screenWidth);
    m_entry.setFixedHeight(m_env.screenHeight);
    m_entry.setSoundOption(qu3::DefaultSound);

    const int r = allocateRecord();
    if (r < 0 || !writeEntryRetrying(r)) {
        if (r > 0) freeRecord(r);
        m_header.setEntryCount(static_cast<std::int16_t>(count - 1));
        return AddResult::WriteFailed;
    }
    if (newRecord) *newRecord = r;
    writeHeader();
    return AddResult::Added;
}

bool Queue::deleteEntry(int entryNumber, int row) {
    const int count = m_header.entryCount();
    if (entryNumber < 1 || entryNumber > count) return false;
    const int r = m_header.recordIndex(entryNumber);
    if (r >= 1 && r <= qu3::kMaxEntries) freeRecord(r);
    m_header.setEntryCount(static_cast<std::int16_t>(count - 1));
    // The position counts rows: when a row at or before it goes, it moves back with
    // the rows so that the next change continues where it would have.
    if (m_header.currentPosition() >= row && m_header.currentPosition() > 0)
        m_header.setCurrentPosition(static_cast<std::int16_t>(m_header.currentPosition() - 1));
    if (m_position >= row && m_position > 0) --m_position;
    for (int n = entryNumber; n < qu3::kMaxEntries; ++n)
        m_header.setRecordIndex(n, m_header.recordIndex(n + 1));
    // Shown flags follow their rows.
    if (row >= 1 && row <= static_cast<int>(m_shown.size())) {
        m_shown.erase(m_shown.begin() + (row - 1));
        m_shown.push_back(0);
    }
    return true;
}

bool Queue::relinkEntries(const QList<int>& entries, const QString& folder) {
    workingRelinkFolder = folder;
    m_header.setRelinkFolder(folder);
    bool written = writeHeader();
    for (const int n : entries) {
        if (n < 1 || n > entryCount()) continue;
        const int record = recordOfEntry(n);
        QueueEntry entry;
        if (!readEntryInto(record, entry)) {
            written = false;
            continue;
        }
        entry.setFilePath(folder + splitPath(entry.trimmedPath()).fileName);
        written = writeEntryFrom(record, entry) && written;
    }
    return written;
}

bool Queue::useFolder(const QString& folder) {
    if (entryCount() > 0) return false;
    workingImageFolder = folder;
    m_header.setImageFolder(folder);
    m_header.setFolderQueue(1);
    return writeHeader();
}

void Queue::clearEntries() {
    m_header.setCurrentPosition(0);
    m_header.setEntryCount(0);
    m_header.clearTables();
    m_position = 0;
    clearShown();
}

bool Queue::shown(int row) const {
    return row >= 1 && row <= static_cast<int>(m_shown.size()) && m_shown[row - 1];
}

void Queue::setShown(int row, bool value) {
    if (row < 1) return;
    // Folder queues may hold more images than a queue file's 6,000 rows.
    if (row > static_cast<int>(m_shown.size())) m_shown.resize(static_cast<std::size_t>(row), 0);
    m_shown[row - 1] = value ? 1 : 0;
}

void Queue::clearShown() {
    std::fill(m_shown.begin(), m_shown.end(), 0);
}
