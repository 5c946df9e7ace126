// SPDX-License-Identifier: MIT
#include "QueueFile.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <filesystem>
#include <system_error>

namespace queuefile {

Probe probe(const QString& path) {
    Probe result;
    const QFileInfo info(path);
    if (!info.exists()) return result;
    if (info.isDir()) {
        result.kind = Kind::Directory;
        return result;
    }
    if (!info.isFile()) {
        result.kind = Kind::NotRegular;
        return result;
    }
    result.size = info.size();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.kind = Kind::Unreadable;
        return result;
    }
    const QByteArray head = file.read(3);
    if (head.size() < 3) {
        result.kind = Kind::Empty;
        return result;
    }
    const int zero = head.indexOf('\0');
    result.signature = zero >= 0 ? head.left(zero) : head;
    if (result.signature == qu3::kSignature)
        result.kind = Kind::Queue;
    else if (result.signature == qu3::kOldSignatureQu2 || result.signature == qu3::kOldSignatureQue)
        result.kind = Kind::OldQueue;
    else
        result.kind = Kind::Other;
    return result;
}

bool readHeader(const QString& path, QueueHeader& header) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    return file.read(reinterpret_cast<char*>(header.data()), qint64(QueueHeader::size())) ==
           qint64(QueueHeader::size());
}

bool writeHeader(const QString& path, const QueueHeader& header) {
    QFile file(path);
    // ReadWrite keeps the records behind the header.
    if (!file.open(QIODevice::ReadWrite)) return false;
    if (file.write(reinterpret_cast<const char*>(header.data()), qint64(QueueHeader::size())) !=
        qint64(QueueHeader::size()))
        return false;
    return file.flush();
}

bool createWithHeader(const QString& path, const QueueHeader& header) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    if (file.write(reinterpret_cast<const char*>(header.data()), qint64(QueueHeader::size())) !=
        qint64(QueueHeader::size()))
        return false;
    return file.flush();
}

static bool validRecord(int r) {
    return r >= 1 && r <= qu3::kMaxEntries;
}

static bool readAt(QFile& file, int r, QueueEntry& entry) {
    if (!validRecord(r) || !file.seek(qu3::recordOffset(r))) return false;
    const qint64 got = file.read(reinterpret_cast<char*>(entry.data()), qint64(QueueEntry::size()));
    return got == qint64(QueueEntry::size());
}

bool readRecord(const QString& path, int r, QueueEntry& entry) {
    if (!validRecord(r)) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    return readAt(file, r, entry);
}

bool writeRecord(const QString& path, int r, const QueueEntry& entry) {
    if (!validRecord(r)) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) return false;
    // Writing beyond the end extends the file; the gap reads back as zeros.
    if (!file.seek(qu3::recordOffset(r))) return false;
    if (file.write(reinterpret_cast<const char*>(entry.data()), qint64(QueueEntry::size())) !=
        qint64(QueueEntry::size()))
        return false;
    return file.flush();
}

RecordReader::RecordReader(const QString& path) : m_file(path) {
    m_file.open(QIODevice::ReadOnly);
}

bool RecordReader::read(int r, QueueEntry& entry) {
    return m_file.isOpen() && readAt(m_file, r, entry);
}

bool copyReplacing(const QString& source, const QString& target) {
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(source, partial)) return false;
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(partial).toStdString(), QFile::encodeName(target).toStdString(), error);
    if (error) QFile::remove(partial);
    return !error;
}

} // namespace queuefile
