// SPDX-License-Identifier: MIT
#include "ShortenPath.h"

#include <QDir>

QString shortenPath(const QString& text, int labelWidth, const std::function<int(const QString&)>& width) {
    const QChar separator = QDir::separator();
    QString result = text;
    // The drive (or first folder letters) stays in front so the user still sees where the file lives.
    while (width(result) > labelWidth) {
        if (result.size() < 12) break;
        const qsizetype cut = result.indexOf(separator, 8);
        if (cut < 0) break;
        result = result.left(3) + QStringLiteral("...") + result.mid(cut);
    }
    if (width(result) > labelWidth) {
        while (!result.isEmpty() && width(result) > labelWidth)
            result.chop(1);
        // A label too narrow for even the dots gets what fits rather than a text longer than before.
        if (result.size() >= 3) result = result.left(result.size() - 3) + QStringLiteral("...");
    }
    return result;
}
