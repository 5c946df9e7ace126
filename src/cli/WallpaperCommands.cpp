// SPDX-License-Identifier: MIT
#include "cli/CliContext.h"
#include "platform/DesktopBackends.h"
#include "platform/sound/SdlSoundPlayer.h"
#include "platform/x11/ScreenInfo.h"
#include "queue/FolderQueue.h"
#include "queue/PathSplit.h"
#include "queue/QueueRows.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"
#include "startup/SingleInstance.h"
#include "startup/StartUp.h"
#include "wallpaper/Prompter.h"
#include "wallpaper/RandomGenerator.h"
#include "wallpaper/WallpaperEngine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <memory>

namespace {

// A change in the running program may render a large picture first.
constexpr int kHandOverTimeoutMs = 60000;
// A wallpaper sound is a short tune; one that runs on longer is cut off when murctl exits.
constexpr qint64 kLongestSoundMs = 15000;

// Messages go to stderr; questions are answered No, since nobody is there to ask.
class StderrPrompter : public Prompter {
public:
    explicit StderrPrompter(const CliContext& ctx) : m_ctx(ctx) {}
    void message(const QString& text, Icon, const QString&) override {
        m_ctx.warn(QString(), text);
        m_toldUser = true;
    }
    bool askYesNo(const QString&, Icon) override { return false; }
    std::optional<QString> askText(const QString&, const QString&, const QString&) override { return std::nullopt; }
    // True once a message went out, so the command adds no second line for the same failure.
    bool toldUser() const { return m_toldUser; }

private:
    const CliContext& m_ctx;
    bool m_toldUser = false;
};

QString settingsPath(const CliContext& ctx) {
    QString dir = ctx.configDir;
    if (dir.isEmpty()) dir = qEnvironmentVariable("MURALO_CONFIG_DIR");
    return dir.isEmpty() ? SettingsStore::defaultPath() : dir + QStringLiteral("/Muralo32.ini");
}

// Everything a change needs when the program is not running.
struct Session {
    explicit Session(CliContext& c) : ctx(c), prompter(c), settings(settingsPath(c)), queue(c.environment) {}

    // False (with the message given) when the session cannot work.
    bool open(bool needDesktop, ExitStatus* status) {
        app.programFolder = ctx.environment.programFolder;
        app.tempFolder = resolveTempFolder(settings, app.programFolder);
        app.wallpaperBitmap = app.tempFolder + QStringLiteral("/muralo32.bmp");
        app.screenWidth = ctx.environment.screenWidth;
        app.screenHeight = ctx.environment.screenHeight;
        app.randomSeed = RandomGenerator::clockSeed();
        if (needDesktop) {
            QString error;
            desktop = platform::makeDesktopBackend(settings.read(QStringLiteral("DesktopBackend"), QString()), &error);
            if (!desktop) {
                *status = ctx.fail(QString(), error);
                return false;
            }
        }
        EngineServices s;
        s.settings = &settings;
        s.prompter = &prompter;
        s.desktop = desktop.get();
        s.sound = &sound;
        const QSize screen(ctx.environment.screenWidth, ctx.environment.screenHeight);
        s.screenSize = [screen] { return screen; };
        int depth = platform::normaliseColorDepth(platform::primaryScreenDepth());
        if (ctx.options.has("depth")) depth = platform::normaliseColorDepth(ctx.options.value("depth").toInt());
        s.colorDepth = [depth] { return depth; };
        s.background = WallpaperEngine::backgroundColour(settings);
        engine = std::make_unique<WallpaperEngine>(app, queue, folder, s);
        engine->setGamma(settingsvalues::gammaCorrection(settings.read(QStringLiteral("GammaCorrection"), "1")));
        engine->setShowFileErrors(settingsvalues::toBool(settings.read(QStringLiteral("ShowFileErrors"), "False")));
        return true;
    }

    bool loadQueue(ExitStatus* status) {
        QString file = ctx.options.value("queue");
        if (file.isEmpty()) file = settings.read(QStringLiteral("QueueName"), QString());
        if (file.isEmpty()) {
            *status = ctx.fail(QString(), QStringLiteral("no queue file: give --queue FILE"));
            return false;
        }
        if (!QFileInfo(file).isFile()) {
            *status = ctx.fail(file, QStringLiteral("no such queue file"));
            return false;
        }
        const Queue::LoadResult r = queue.load(QFileInfo(file).absoluteFilePath());
        if (!r.ok()) {
            *status = ctx.fail(QString(), r.message);
            return false;
        }
        if (!r.warning.isEmpty()) ctx.warn(QString(), r.warning);
        // The rows in the order the window lists them, so both walk a sorted queue alike.
        rows = EntryOrderRows::fromQueue(
            queue, settingsvalues::toBool(settings.read(QStringLiteral("TruncateFileName"), QStringLiteral("False"))));
        if (engine) engine->setRows(&rows);
        return true;
    }

    CliContext& ctx;
    StderrPrompter prompter;
    SettingsStore settings;
    AppContext app;
    Queue queue;
    FolderQueue folder;
    std::unique_ptr<DesktopBackend> desktop;
    EntryOrderRows rows;
    SdlSoundPlayer sound{&SdlSoundPlayer::xdgOpen};
    std::unique_ptr<WallpaperEngine> engine;
};

void printCurrent(CliContext& ctx, const QString& current) {
    if (ctx.json)
        ctx.out << QJsonDocument(QJsonObject{{"current", current}}).toJson(QJsonDocument::Compact) << '\n';
    else
        ctx.out << current << '\n';
}

// Hands a command to the running program. nullopt when none runs.
std::optional<ExitStatus> handOver(CliContext& ctx, const QJsonObject& request) {
    const auto answer = sendInstanceRequest(request, kHandOverTimeoutMs);
    if (!answer) return std::nullopt;
    if (!answer->value(QStringLiteral("ok")).toBool())
        return ctx.fail(
            QStringLiteral("muralo32"),
            answer->value(QStringLiteral("error")).toString(QStringLiteral("the running program refused the command")));
    if (answer->contains(QStringLiteral("current")))
        printCurrent(ctx, answer->value(QStringLiteral("current")).toString());
    return ExitStatus::Success;
}

// A change's sound plays on after the wallpaper is set; give it time to be heard.
void letSoundFinish(const SdlSoundPlayer& sound) {
    QElapsedTimer timer;
    timer.start();
    while (sound.isPlaying() && timer.elapsed() < kLongestSoundMs)
        QThread::msleep(20);
}

ExitStatus change(CliContext& ctx) {
    QJsonObject request{{"cmd", "change"}};
    if (ctx.options.has("queue")) request.insert("queue", QFileInfo(ctx.options.value("queue")).absoluteFilePath());
    if (const auto handed = handOver(ctx, request)) return *handed;

    Session s(ctx);
    ExitStatus status = ExitStatus::Success;
    if (!s.open(true, &status) || !s.loadQueue(&status)) return status;
    s.engine->changeWallpaper();
    switch (s.engine->lastOutcome()) {
    case WallpaperEngine::Outcome::Applied:
        printCurrent(ctx, s.engine->currentImageText());
        letSoundFinish(s.sound);
        return ExitStatus::Success;
    case WallpaperEngine::Outcome::NothingToShow:
        return ctx.fail(s.queue.currentFile(), QStringLiteral("nothing to show: the queue is empty or none of its "
                                                              "image files exist"));
    case WallpaperEngine::Outcome::RenderFailed:
        if (s.prompter.toldUser()) return ExitStatus::Failure;
        return ctx.fail(s.engine->imagePath(), QStringLiteral("cannot be displayed"));
    default:
        return s.prompter.toldUser() ? ExitStatus::Failure : ctx.fail(QString(), s.engine->lastError());
    }
}

ExitStatus render(CliContext& ctx) {
    const QString out = ctx.options.value("out");
    bool ok = false;
    const int entry = ctx.options.value("entry").toInt(&ok);
    if (!ctx.options.has("queue") || !ok || out.isEmpty())
        return ctx.usage(QStringLiteral("usage: murctl render --queue FILE --entry N --out FILE.bmp "
                                        "[--screen WxH] [--depth BITS]"));
    Session s(ctx);
    ExitStatus status = ExitStatus::Success;
    if (!s.open(false, &status) || !s.loadQueue(&status)) return status;
    if (entry < 1 || entry > s.queue.entryCount())
        return ctx.fail(s.queue.currentFile(),
                        QStringLiteral("no entry %1 (the queue has %2 entries)").arg(entry).arg(s.queue.entryCount()));
    s.engine->setPreviewOnly(true);
    s.engine->setShowFileErrors(true);
    const int record = s.queue.recordOfEntry(entry);
    try {
        s.engine->renderImage(record, ctx.environment.screenWidth, ctx.environment.screenHeight);
        Picbuf& picture = s.engine->renderedPicture();
        if (!picture.hasImage())
            return s.prompter.toldUser() ? ExitStatus::Failure
                                         : ctx.fail(s.engine->imagePath(), "cannot be displayed");
        picture.setFileName(QFile::encodeName(QFileInfo(out).absoluteFilePath()).toStdString());
        picture.setImageFormat(Picbuf::Bmp);
        picture.setWriteCompression(0);
        picture.store();
        if (ctx.json)
            ctx.out << QJsonDocument(QJsonObject{{"out", out},
                                                 {"width", picture.width()},
                                                 {"height", picture.height()},
                                                 {"bits_per_pixel", picture.colorDepth()}})
                           .toJson(QJsonDocument::Compact)
                    << '\n';
        else
            ctx.out << out << ": " << picture.width() << 'x' << picture.height() << ", " << picture.colorDepth()
                    << " bits per pixel\n";
    } catch (const PicbufError& e) {
        return ctx.fail(out, QString::fromLocal8Bit(e.what()));
    }
    return ExitStatus::Success;
}

ExitStatus clear(CliContext& ctx) {
    if (const auto handed = handOver(ctx, QJsonObject{{"cmd", "clear"}})) return *handed;
    Session s(ctx);
    ExitStatus status = ExitStatus::Success;
    if (!s.open(true, &status)) return status;
    s.engine->clearScreen();
    return s.engine->lastOutcome() == WallpaperEngine::Outcome::Applied ? ExitStatus::Success : ExitStatus::Failure;
}

ExitStatus current(CliContext& ctx) {
    if (const auto handed = handOver(ctx, QJsonObject{{"cmd", "current"}})) return *handed;
    Session s(ctx);
    ExitStatus status = ExitStatus::Success;
    if (!s.open(true, &status)) return status;
    printCurrent(ctx, s.engine->currentSourceImage());
    return ExitStatus::Success;
}

} // namespace

ExitStatus runWallpaperCommand(CliContext& ctx, const QString& command) {
    if (command == QStringLiteral("change")) return change(ctx);
    if (command == QStringLiteral("render")) return render(ctx);
    if (command == QStringLiteral("clear")) return clear(ctx);
    if (command == QStringLiteral("current")) return current(ctx);
    return ctx.usage(QStringLiteral("unknown command '%1'").arg(command));
}
