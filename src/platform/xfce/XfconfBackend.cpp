// SPDX-License-Identifier: MIT
#include "platform/xfce/XfconfBackend.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

const QString kChannel = QStringLiteral("xfce4-desktop");
const QString kLastImage = QStringLiteral("last-image");
// xfconfd is started on demand by D-Bus; its first answer can take a moment.
constexpr int kTimeoutMs = 10000;

} // namespace

XfconfBackend::XfconfBackend(QString program) : m_program(std::move(program)) {}

bool XfconfBackend::run(const QStringList& arguments, QString* output, QString* error) const {
    const QString program = QStandardPaths::findExecutable(m_program);
    if (program.isEmpty()) {
        if (error) *error = QStringLiteral("%1 was not found, so the XFCE wallpaper cannot be set.").arg(m_program);
        return false;
    }
    QProcess process;
    process.start(program, QStringList{QStringLiteral("-c"), kChannel} + arguments);
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        if (error) *error = QStringLiteral("%1 did not answer.").arg(m_program);
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        if (error) {
            const QString said = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
            *error = QStringLiteral("The XFCE desktop settings could not be changed%1")
                         .arg(said.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + said);
        }
        return false;
    }
    if (output) *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return true;
}

bool XfconfBackend::backdrops(QStringList* prefixes, QString* error) const {
    QString listing;
    if (!run({QStringLiteral("-l")}, &listing, error)) return false;
    prefixes->clear();
    for (const QString& line : listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString property = line.trimmed();
        if (property.endsWith(QLatin1Char('/') + kLastImage)) prefixes->append(property.chopped(kLastImage.size()));
    }
    if (prefixes->isEmpty()) {
        if (error) *error = QStringLiteral("The XFCE desktop has no backdrop to set (is xfdesktop running?).");
        return false;
    }
    return true;
}

// Only the picture style is ours to set: the backdrop's colour settings are the user's, and a
// centred picture or a cleared backdrop shows them.
bool XfconfBackend::setStyle(const QString& prefix, ImageStyle style, QString* error) const {
    return run({QStringLiteral("-n"), QStringLiteral("-t"), QStringLiteral("int"), QStringLiteral("-p"),
                prefix + QStringLiteral("image-style"), QStringLiteral("--set=%1").arg(static_cast<int>(style))},
               nullptr, error);
}

bool XfconfBackend::setWallpaper(const QString& bitmapPath, bool tiled, std::uint32_t, QString* error) {
    QStringList prefixes;
    if (!backdrops(&prefixes, error)) return false;
    for (const QString& prefix : prefixes) {
        if (!setStyle(prefix, tiled ? ImageStyle::Tiled : ImageStyle::Centred, error)) return false;
        // The "--set=" form keeps a path that starts with a dash from being read as an option.
        if (!run({QStringLiteral("-p"), prefix + kLastImage, QStringLiteral("--set=") + bitmapPath}, nullptr, error))
            return false;
    }
    return true;
}

bool XfconfBackend::clearWallpaper(std::uint32_t, QString* error) {
    QStringList prefixes;
    if (!backdrops(&prefixes, error)) return false;
    for (const QString& prefix : prefixes) {
        if (!setStyle(prefix, ImageStyle::None, error)) return false;
    }
    return true;
}

QString XfconfBackend::currentWallpaper() {
    QStringList prefixes;
    if (!backdrops(&prefixes, nullptr)) return {};
    // A cleared backdrop still names its last picture; it no longer shows it.
    QString style;
    if (run({QStringLiteral("-p"), prefixes.first() + QStringLiteral("image-style")}, &style, nullptr) &&
        style.trimmed() == QString::number(static_cast<int>(ImageStyle::None)))
        return {};
    QString path;
    if (!run({QStringLiteral("-p"), prefixes.first() + kLastImage}, &path, nullptr)) return {};
    // Only the line end is xfconf-query's; blanks belong to the file name.
    if (path.endsWith(QLatin1Char('\n'))) path.chop(1);
    return path;
}
