// SPDX-License-Identifier: MIT
#include "StartUp.h"

#include "settings/SettingsStore.h"
#include "wallpaper/Prompter.h"
#include "wallpaper/RandomGenerator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <QOperatingSystemVersion>
#endif

namespace {

QString untitledQueue(const QString& programFolder) {
    return programFolder + QStringLiteral("untitled.qu3");
}

} // namespace

#ifdef Q_OS_UNIX
namespace {

// A folder of our own below `base`, made private (0700); empty when what is there is not a
// real folder of ours (a link, or a folder someone else made to catch our files).
QString privateSubfolder(const QString& base) {
    const QString folder = base + QStringLiteral("/muralo32-") + QString::number(::getuid());
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) return {};
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0) return {};
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return {};
    if ((st.st_mode & 0777) != 0700 && ::chmod(native.constData(), 0700) != 0) return {};
    return folder;
}

} // namespace
#endif

QString systemTempFolder() {
#ifdef Q_OS_UNIX
    // Qt answers an empty path when TMPDIR names nothing; never build on that (it would be '/').
    const QString base = QDir::tempPath();
    if (base.isEmpty() || !QFileInfo(base).isDir()) return {};
    return privateSubfolder(base);
#else
    const QString folder = QDir::tempPath();
    return (!folder.isEmpty() && QFileInfo(folder).isDir()) ? folder : QString();
#endif
}

TempFolderChoice checkTempFolder(const QString& chosen) {
    QString folder = QDir::cleanPath(QDir::fromNativeSeparators(chosen));
    const QFileInfo info(folder);
    if (chosen.isEmpty() || !info.isDir())
        return {{}, QStringLiteral("The folder %1 does not exist.").arg(QDir::toNativeSeparators(chosen))};
    if (!info.isWritable())
        return {{}, QStringLiteral("You cannot write to the folder %1.").arg(QDir::toNativeSeparators(folder))};
#ifdef Q_OS_UNIX
    // Where others may write too (or the folder is someone else's), our files go into a
    // private folder of their own, as they do in the system temporary folder.
    struct stat st {};
    const QByteArray native = QFile::encodeName(folder);
    if (::stat(native.constData(), &st) == 0 && ((st.st_mode & 0022) != 0 || st.st_uid != ::getuid())) {
        const QString own = privateSubfolder(folder == QStringLiteral("/") ? QString() : folder);
        if (own.isEmpty())
            return {{}, QStringLiteral("No private folder can be made in %1.").arg(QDir::toNativeSeparators(folder))};
        folder = own;
    }
#endif
    if (!folder.endsWith(u'/')) folder += u'/';
    return {QDir::toNativeSeparators(folder), {}};
}

QString programFolderOf(const QString& executablePath) {
    QString folder = QFileInfo(executablePath).absolutePath();
    if (!folder.endsWith(u'/')) folder += u'/';
    return folder;
}

QString helpFilePath(const QString& programFolder) {
    const QString local = programFolder + QStringLiteral("help/index.html");
    if (QFileInfo::exists(local)) return local;
    return QDir::cleanPath(programFolder + QStringLiteral("../share/muralo32/help/index.html"));
}

QString resolveTempFolder(SettingsStore& settings, const QString& programFolder) {
    return resolveTempFolder(settings, programFolder, systemTempFolder());
}

QString resolveTempFolder(SettingsStore& settings, const QString& programFolder, const QString& systemTemp) {
    const QString fallback = (systemTemp.isEmpty() || !QFileInfo(systemTemp).isDir()) ? programFolder : systemTemp;
    return settings.read(QStringLiteral("TempDirectory"), fallback);
}

QString resolveQueueFile(SettingsStore& settings, const QString& programFolder,
                         const std::optional<QString>& commandLineArg) {
    QString name = commandLineArg ? *commandLineArg : settings.read(QStringLiteral("QueueName"), QString());
    const QFileInfo info(name);
    if (name.isEmpty() || !info.exists() || info.isDir() || name.right(3).toUpper() != u"QU3") {
        name = untitledQueue(programFolder);
    } else {
        // A relative name from the command line would point elsewhere at the next start.
        name = info.absoluteFilePath();
    }
    settings.write(QStringLiteral("QueueName"), name);
    return name;
}

bool StartUp::run(AppContext& context, SettingsStore& settings, const QString& executablePath,
                  const std::optional<QString>& commandLineArg, const InstanceCheck& otherInstance,
                  Prompter* prompter) {
    context.title = AppContext::applicationTitle();
    context.programFolder = programFolderOf(executablePath);
    context.updating = true;
    context.helpFile = helpFilePath(context.programFolder);
#ifdef Q_OS_WIN
    const QOperatingSystemVersion os = QOperatingSystemVersion::current();
    context.windowsPlatform = static_cast<int>(os.type());
    context.windowsVersion = os.majorVersion() * 100 + os.minorVersion();
#endif
    context.tempFolder = resolveTempFolder(settings, context.programFolder);

    if (otherInstance && otherInstance()) return false;

    context.queueFile = resolveQueueFile(settings, context.programFolder, commandLineArg);
#ifdef Q_OS_WIN
    if (context.windowsVersion < 400) {
        if (prompter)
            prompter->message(QStringLiteral("This program requires Win95, Win98, WinNT 4.0 or greater, or Windows "
                                             "2000.  Program cannot run."));
        return false;
    }
#else
    Q_UNUSED(prompter);
#endif
    // Plain concatenation: the folder is used as the user typed it.
    context.wallpaperBitmap = context.tempFolder + QStringLiteral("/muralo32.bmp");
    settings.write(QStringLiteral("MuraloPath"), context.programFolder);
    context.randomSeed = RandomGenerator::clockSeed();
    context.updating = false;
    return true;
}
