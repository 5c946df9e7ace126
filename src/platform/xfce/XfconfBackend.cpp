// SPDX-License-Identifier: MIT
#include "platform/xfce/XfconfBackend.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

const QString kChannel = QStringLiteral("xfce4-desktop");
const QString kLastImage = QStringLiteral("last-image");
// xfconfd is started on demand by D-Bus; its first answer can take a moment.
constexpr int kTimeoutMs = 10000;

QString colourPart(std::uint32_t background, int shift) {
    return QString::number(((background >> shift) & 0xFF) / 255.0, 'f', 6);
}

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

bool XfconfBackend::setStyleAndColour(const QString& prefix, ImageStyle style, std::uint32_t background,
                                      QString* error) const {
    const QString create = QStringLiteral("-n");
    const QString intType = QStringLiteral("-t"), intName = QStringLiteral("int");
    if (!run({create, intType, intName, QStringLiteral("-p"), prefix + QStringLiteral("image-style"),
              QStringLiteral("--set=%1").arg(static_cast<int>(style))},
             nullptr, error))
        return false;
    // A solid colour behind a centred picture and after a clear.
    if (!run({create, intType, intName, QStringLiteral("-p"), prefix + QStringLiteral("color-style"),
              QStringLiteral("--set=0")},
             nullptr, error))
        return false;
    QStringList rgba{create};
    for (int i = 0; i < 4; ++i)
        rgba << QStringLiteral("-t") << QStringLiteral("double");
    rgba << QStringLiteral("-p") << prefix + QStringLiteral("rgba1");
    rgba << QStringLiteral("--set=") + colourPart(background, 16)
         << QStringLiteral("--set=") + colourPart(background, 8) << QStringLiteral("--set=") + colourPart(background, 0)
         << QStringLiteral("--set=1.000000");
    return run(rgba, nullptr, error);
}

bool XfconfBackend::setWallpaper(const QString& bitmapPath, bool tiled, std::uint32_t background, QString* error) {
    QStringList prefixes;
    if (!backdrops(&prefixes, error)) return false;
    for (const QString& prefix : prefixes) {
        if (!setStyleAndColour(prefix, tiled ? ImageStyle::Tiled : ImageStyle::Centred, background, error))
            return false;
        // The "--set=" form keeps a path that starts with a dash from being read as an option.
        if (!run({QStringLiteral("-p"), prefix + kLastImage, QStringLiteral("--set=") + bitmapPath}, nullptr, error))
            return false;
    }
    return true;
}

bool XfconfBackend::clearWallpaper(std::uint32_t background, QString* error) {
    QStringList prefixes;
    if (!backdrops(&prefixes, error)) return false;
    for (const QString& prefix : prefixes) {
        if (!setStyleAndColour(prefix, ImageStyle::None, background, error)) return false;
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
