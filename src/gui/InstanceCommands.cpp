// SPDX-License-Identifier: MIT
#include "gui/InstanceCommands.h"

#include "gui/MainWindow.h"
#include "queue/Queue.h"
#include "wallpaper/WallpaperEngine.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QJsonObject succeeded() {
    return QJsonObject{{QStringLiteral("ok"), true}};
}

QJsonObject failed(const QString& error) {
    return QJsonObject{{QStringLiteral("ok"), false}, {QStringLiteral("error"), error}};
}

// The answer to a change or a clear: what the engine did with it.
QJsonObject outcome(const InstanceCommandContext& context) {
    const WallpaperEngine& engine = context.engine;
    switch (engine.lastOutcome()) {
    case WallpaperEngine::Outcome::Failed:
    case WallpaperEngine::Outcome::RenderFailed:
        return failed(engine.lastError().isEmpty() ? QStringLiteral("the image could not be displayed")
                                                   : engine.lastError());
    case WallpaperEngine::Outcome::NothingToShow:
        return failed(QStringLiteral("nothing to show: the queue is empty or none of its image files exist"));
    case WallpaperEngine::Outcome::None:
        // The engine did not start: another change was still running.
        return failed(QStringLiteral("busy: a change is already running"));
    case WallpaperEngine::Outcome::Applied:
        break;
    }
    return QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("current"), context.window.currentImageText()}};
}

QJsonObject activate(InstanceCommandContext& context) {
    MainWindow& window = context.window;
    window.showNormal();
    window.raise();
    window.activateWindow();
    ++context.activations;
    return succeeded();
}

QJsonObject change(const QJsonObject& request, InstanceCommandContext& context) {
    // The program changes from its own queue; another one would have to be opened first.
    const QString wanted = request.value(QStringLiteral("queue")).toString();
    const QString current = context.queue.currentFile();
    if (!wanted.isEmpty() && QFileInfo(wanted).absoluteFilePath() != QFileInfo(current).absoluteFilePath())
        return failed(
            QStringLiteral("Muralo32 is running with the queue %1; open %2 there first").arg(current, wanted));
    context.engine.resetOutcome();
    context.window.changeWallpaperNow();
    return outcome(context);
}

} // namespace

QJsonObject handleInstanceCommand(const QJsonObject& request, InstanceCommandContext& context) {
    const QString command = request.value(QStringLiteral("cmd")).toString();
    if (command == u"activate") return activate(context);
    if (command == u"ping")
        return QJsonObject{{QStringLiteral("ok"), true},
                           {QStringLiteral("pid"), QCoreApplication::applicationPid()},
                           {QStringLiteral("activations"), context.activations}};
    if (command == u"change") return change(request, context);
    if (command == u"clear") {
        context.engine.resetOutcome();
        context.window.clearScreenNow();
        return outcome(context);
    }
    if (command == u"current")
        return QJsonObject{{QStringLiteral("ok"), true},
                           {QStringLiteral("current"), context.engine.currentSourceImage()}};
    return failed(QStringLiteral("unknown command"));
}
