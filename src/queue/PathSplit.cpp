// SPDX-License-Identifier: MIT
#include "PathSplit.h"

namespace {
bool isSeparator(QChar c) {
#ifdef Q_OS_WIN
    return c == u'\\' || c == u'/' || c == u':';
#else
    return c == u'/';
#endif
}
} // namespace

PathParts splitPath(const QString& path) {
    PathParts parts;
    qsizetype cut = path.size() - 1;
    while (cut >= 0 && !isSeparator(path[cut]))
        --cut;
    parts.folder = path.left(cut + 1);
    parts.fileName = path.mid(cut + 1);
    const qsizetype dot = parts.fileName.lastIndexOf(u'.');
    if (dot >= 0) {
        parts.extension = parts.fileName.mid(dot);
        parts.name = parts.fileName.left(dot);
    } else {
        parts.name = parts.fileName;
    }
    parts.fullPath = parts.folder + parts.fileName;
    return parts;
}

QString queueStatusLine(const QString& queueName, int count) {
    return QStringLiteral("Q: %1 (%2 Files)").arg(queueName).arg(count);
}
