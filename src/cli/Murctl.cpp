// SPDX-License-Identifier: MIT
#include "Murctl.h"

#include "cli/CliContext.h"
#include "platform/x11/ScreenInfo.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

// The queue file keeps the screen size in 16-bit fields.
constexpr int kMaxScreenSide = 32767;

const char* const kUsage = R"(usage: murctl [--screen WxH] [--config DIR] [--json] COMMAND ...
commands:
  queue new FILE                 create a new empty queue file
  queue info FILE [--loaded]     show the queue's header (--loaded: as the program sees it)
  queue list FILE                one row per entry, in entry order
  queue add FILE IMAGE...        add image files as new entries
  queue delete FILE ENTRY...     remove entries (by entry number) from the queue; images are kept
  queue clear FILE               remove every entry; images are kept
  queue relink FILE ENTRY FOLDER point an entry at the file of the same name in FOLDER
  queue use-folder FILE FOLDER   make an empty queue show the images of FOLDER
  queue save-as FILE NEWFILE     copy the queue to a new file (the running program goes on with it)
  change [--queue FILE]          change the wallpaper once (through the running program, if any)
  render --queue FILE --entry N --out FILE.bmp [--depth BITS]
                                 render one entry to a bitmap, without touching the desktop
  clear                          remove the wallpaper
  current                        print the image the desktop shows now
  autostart on|off|status        start muralo32 at log-in (an XDG autostart entry), or not
options:
  --help                         this text
  --version                      murctl's version
)";

} // namespace

ExitStatus CliContext::fail(const QString& subject, const QString& text, ExitStatus status) const {
    warn(subject, text);
    return status;
}

void CliContext::warn(const QString& subject, const QString& text) const {
    err << "murctl: " << (subject.isEmpty() ? QString() : subject + QStringLiteral(": ")) << text << Qt::endl;
}

ExitStatus runMurctl(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QString error;
    const auto options = CliOptions::parse(arguments, {"screen", "config", "queue", "entry", "out", "depth"},
                                           {"json", "loaded", "help", "version"}, &error);
    if (!options) {
        err << "murctl: " << error << Qt::endl << kUsage;
        return ExitStatus::UsageError;
    }
    CliContext ctx{*options, out, err, {}, options->value("config"), options->has("json")};
    if (options->has("version")) {
        out << "murctl " << MURALO_VERSION << Qt::endl;
        return ExitStatus::Success;
    }
    if (options->has("help") || options->positional().isEmpty()) {
        (options->has("help") ? out : err) << kUsage;
        return options->has("help") ? ExitStatus::Success : ExitStatus::UsageError;
    }

    ctx.environment.programFolder = QCoreApplication::applicationDirPath() + QStringLiteral("/");
    if (options->has("screen")) {
        static const QRegularExpression size(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
        const auto m = size.match(options->value("screen"));
        const int w = m.hasMatch() ? m.captured(1).toInt() : 0;
        const int h = m.hasMatch() ? m.captured(2).toInt() : 0;
        if (w < 1 || h < 1 || w > kMaxScreenSide || h > kMaxScreenSide)
            return ctx.usage(QStringLiteral("--screen wants WIDTHxHEIGHT, e.g. 1920x1080"));
        ctx.environment.screenWidth = static_cast<std::int16_t>(w);
        ctx.environment.screenHeight = static_cast<std::int16_t>(h);
    } else if (const auto screen = platform::primaryScreenSize()) {
        ctx.environment.screenWidth = static_cast<std::int16_t>(std::min(screen->width(), kMaxScreenSide));
        ctx.environment.screenHeight = static_cast<std::int16_t>(std::min(screen->height(), kMaxScreenSide));
    }

    QStringList rest = options->positional();
    const QString command = rest.takeFirst();
    if (command == QStringLiteral("queue")) return runQueueCommand(ctx, rest);
    if (command == QStringLiteral("autostart")) return runAutostartCommand(ctx, rest);
    if (!rest.isEmpty()) return ctx.usage(QStringLiteral("%1 takes no arguments besides options").arg(command));
    return runWallpaperCommand(ctx, command);
}
