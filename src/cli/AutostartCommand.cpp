// SPDX-License-Identifier: MIT
// murctl autostart: the XDG autostart entry that starts muralo32 at log-in, with no queue
// argument, so it opens whatever queue the user had last.
#include "cli/CliContext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QString entryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/muralo32.desktop");
}

// The program beside this murctl when there is one (a build or a private install), else the
// one on the search path. Quoted as desktop entries want it when it holds a blank or a quote.
QString programForExec() {
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/muralo32");
    if (!QFileInfo(beside).isExecutable()) return QStringLiteral("muralo32");
    static const QString reserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
    bool quote = false;
    for (const QChar c : beside)
        quote = quote || reserved.contains(c);
    if (!quote) return beside;
    // Inside quotes, '"', '`', '$' and '\\' take a backslash; the file's own escaping then doubles
    // every backslash.
    QString escaped;
    for (const QChar c : beside) {
        if (c == u'\\')
            escaped += QStringLiteral("\\\\\\\\");
        else if (c == u'"' || c == u'`' || c == u'$')
            escaped += QStringLiteral("\\\\") + c;
        else
            escaped += c;
    }
    return u'"' + escaped + u'"';
}

QByteArray entryText() {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Muralo32\n"
                          "Comment=Changes the desktop wallpaper from the queue last used\n"
                          "Exec=%1\n"
                          "Icon=muralo32\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(programForExec())
        .toUtf8();
}

ExitStatus report(CliContext& ctx, bool on) {
    if (ctx.json)
        ctx.out << QJsonDocument(QJsonObject{{"autostart", on}, {"file", entryPath()}}).toJson(QJsonDocument::Compact)
                << Qt::endl;
    else
        ctx.out << (on ? "on" : "off") << Qt::endl;
    return ExitStatus::Success;
}

} // namespace

ExitStatus runAutostartCommand(CliContext& ctx, const QStringList& args) {
    const QString action = args.size() == 1 ? args.first() : QString();
    const QString path = entryPath();
    if (action == QStringLiteral("status")) return report(ctx, QFileInfo(path).isFile());
    if (action == QStringLiteral("off")) {
        if (QFileInfo::exists(path) && !QFile::remove(path)) return ctx.fail(path, QStringLiteral("cannot be removed"));
        return report(ctx, false);
    }
    if (action != QStringLiteral("on")) return ctx.usage(QStringLiteral("autostart wants on, off or status"));
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return ctx.fail(QFileInfo(path).absolutePath(), QStringLiteral("cannot be made"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entryText()) < 0 || !file.commit())
        return ctx.fail(path, QStringLiteral("cannot be written: ") + file.errorString());
    return report(ctx, true);
}
