// SPDX-License-Identifier: MIT
#include "queue/FolderQueue.h"

#include "queue/FolderWatcher.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

// A function rather than a static object: other static objects may need it before this file's are built.
QString FolderQueue::defaultMask() {
    return QStringLiteral("*.jpg;*.gif;*.bmp;*.pcx;*.png;*.rle;*.tif;*.tga;*.jpeg;*.jpe;*.tiff");
}

namespace {

// '*' any run of characters, '?' exactly one, everything else literal. Both strings are
// case-folded by the caller. Brackets stay literal, as they are in the masks users know.
bool wildcardMatch(const QString& pattern, const QString& name) {
    qsizetype p = 0, n = 0, starAt = -1, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

bool endsWithSeparator(const QString& folder) {
    return folder.endsWith(u'/') || folder.endsWith(QDir::separator());
}

} // namespace

FolderQueue::FolderQueue() : m_mask(defaultMask()) {}

FolderQueue::~FolderQueue() {
    stopWatcher();
}

bool FolderQueue::scanFolder(QStringList& list, const QString& folder, const QString& mask, bool includeHidden) {
    // Scanning by path rather than by changing the current directory: the current directory
    // is process-wide and the program runs other threads.
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isReadable()) return false;
    list.clear();

    // Regular files and links to them only; on Linux QDir::System would add fifos, sockets and
    // devices, which would hang or fail when loaded as images.
    QDir::Filters filters = QDir::Files | QDir::NoDotAndDotDot;
    if (includeHidden) filters |= QDir::Hidden;
#ifdef Q_OS_WIN
    filters |= QDir::System;
#endif
    const QStringList all = QDir(folder).entryList(filters, QDir::Unsorted);
    QStringList folded;
    folded.reserve(all.size());
    for (const QString& name : all)
        folded.append(name.toCaseFolded());

    QStringList found;
    for (const QString& rawPart : mask.split(u';')) {
        const QString part = rawPart.trimmed().toCaseFolded();
        if (part.isEmpty()) continue;
        // A name that matches two parts is listed twice, once per part.
        for (qsizetype i = 0; i < all.size(); ++i)
            if (wildcardMatch(part, folded[i])) found.append(all[i]);
    }

    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Names equal but for case (possible on Linux) get a fixed order, so the positions stay stable.
    std::sort(found.begin(), found.end(), [&collator](const QString& a, const QString& b) {
        const int c = collator.compare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    list = std::move(found);
    return true;
}

int FolderQueue::refreshBeforeChange(const QString& workingImageFolder) {
    if (m_names.size() < 2 || m_changed.load()) {
        stopWatcher();
        m_changed.store(false);
        if (workingImageFolder.isEmpty() || !QFileInfo(workingImageFolder).isDir()) {
            // Forgetting the names makes the next change look again, and the status line
            // does not count images of a folder that is gone.
            m_names.clear();
            return -1;
        }
        // Watching starts before the scan, so a change made while scanning is not lost.
        startWatcher(workingImageFolder);
        if (!scanFolder(m_names, workingImageFolder, m_mask, true)) m_changed.store(true);
    }
    return count();
}

QString FolderQueue::imageOfPosition(int p, const QString& workingImageFolder) const {
    if (p < 1 || p > m_names.size()) return {};
    const QString& name = m_names[p - 1];
    // No folder would give a path relative to whatever the current directory happens to be.
    if (workingImageFolder.isEmpty()) return {};
    if (endsWithSeparator(workingImageFolder)) return workingImageFolder + name;
    return workingImageFolder + u'/' + name;
}

void FolderQueue::startWatcher(const QString& folder) {
    stopWatcher();
    m_watcher = std::make_unique<FolderWatcher>(folder, m_changed, m_running);
    m_watcher->start(QThread::LowPriority);
}

void FolderQueue::stopWatcher() {
    m_running.store(false);
    if (!m_watcher) return;
    m_watcher->requestStop();
    m_watcher->wait();
    m_watcher.reset();
    // The thread may have raised the flag between the first clear and the stop.
    m_running.store(false);
}
