// SPDX-License-Identifier: MIT
#include "gui/InstanceCommands.h"

#include "gui/MainWindow.h"
#include "gui/QueueEditor.h"
#include "gui/QueueFileCommands.h"
#include "queue/FolderQueue.h"
#include "queue/Queue.h"
#include "wallpaper/WallpaperEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

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

bool sameFile(const QString& a, const QString& b) {
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

QJsonObject change(const QJsonObject& request, InstanceCommandContext& context) {
    // The program changes from its own queue; another one would have to be opened first.
    const QString wanted = request.value(QStringLiteral("queue")).toString();
    const QString current = context.queue.currentFile();
    if (!wanted.isEmpty() && !sameFile(wanted, current))
        return failed(
            QStringLiteral("Muralo32 is running with the queue %1; open %2 there first").arg(current, wanted));
    context.engine.resetOutcome();
    context.window.changeWallpaperNow();
    return outcome(context);
}

QJsonObject addFiles(const QJsonObject& request, InstanceCommandContext& context) {
    QStringList paths;
    for (const QJsonValue& file : request.value(QStringLiteral("files")).toArray())
        paths.append(file.toString());
    QJsonArray added;
    QJsonArray refused;
    for (const QueueEditor::Added& a : context.window.queueEditor().addFiles(paths)) {
        if (a.result == Queue::AddResult::Added)
            added.append(QJsonObject{{"entry", a.entry}, {"record", a.record}, {"path", a.path}});
        else
            refused.append(QJsonObject{{"path", a.path}, {"error", Queue::addFailureText(a.result)}});
    }
    return QJsonObject{{"ok", true}, {"added", added}, {"refused", refused}};
}

QJsonObject deleteEntries(const QJsonObject& request, InstanceCommandContext& context) {
    QList<int> entries;
    for (const QJsonValue& entry : request.value(QStringLiteral("entries")).toArray())
        entries.append(entry.toInt(0));
    const int count = context.queue.entryCount();
    if (!context.window.queueEditor().deleteEntries(entries))
        return failed(QStringLiteral("no such entry (the queue has %1 entries); nothing was deleted").arg(count));
    return QJsonObject{
        {"ok", true}, {"deleted", count - context.queue.entryCount()}, {"entry_count", context.queue.entryCount()}};
}

QJsonObject clearQueue(const QJsonObject&, InstanceCommandContext& context) {
    context.window.queueEditor().clearAll();
    return QJsonObject{{"ok", true}, {"entry_count", context.queue.entryCount()}};
}

QString asFolder(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    return native.endsWith(QDir::separator()) ? native : native + QDir::separator();
}

QJsonObject relink(const QJsonObject& request, InstanceCommandContext& context) {
    const int entry = request.value(QStringLiteral("entry")).toInt(0);
    if (entry < 1 || entry > context.queue.entryCount())
        return failed(QStringLiteral("no entry %1 (the queue has %2 entries); nothing was changed")
                          .arg(entry)
                          .arg(context.queue.entryCount()));
    if (!context.window.queueEditor().relinkEntries({entry}, asFolder(request.value("folder").toString())))
        return failed(QStringLiteral("the queue could not be written"));
    return succeeded();
}

QJsonObject useFolder(const QJsonObject& request, InstanceCommandContext& context) {
    const QString folder = asFolder(request.value(QStringLiteral("folder")).toString());
    if (context.queue.entryCount() > 0)
        return failed(QStringLiteral("the queue holds images of its own; clear it first. Nothing was changed"));
    if (!QFileInfo(folder).isDir()) return failed(folder + QStringLiteral(" is no folder; nothing was changed"));
    if (!context.window.queueEditor().useFolder(folder, context.window.folderQueue()))
        return failed(QStringLiteral("the queue could not be written"));
    return QJsonObject{{"ok", true}, {"images", context.window.folderQueue().count()}};
}

QJsonObject saveAs(const QJsonObject& request, InstanceCommandContext& context) {
    const QString target = request.value(QStringLiteral("target")).toString();
    if (QFileInfo::exists(target)) return failed(target + QStringLiteral(" already exists; nothing was written"));
    if (!context.window.queueFileCommands().continueAs(target))
        return failed(QStringLiteral("Unable to complete Save Operation. Queue has not changed."));
    return succeeded();
}

enum class FolderQueues { Refused, Allowed };

// An edit of the queue file the program has open, made with its own queue once no other work
// holds the queue. Edits of another file are the asker's to make.
void editQueue(const QJsonObject& request, InstanceCommandContext& context,
               const std::function<void(const QJsonObject&)>& reply,
               QJsonObject (*edit)(const QJsonObject&, InstanceCommandContext&),
               FolderQueues folderQueues = FolderQueues::Refused) {
    const QString wanted = request.value(QStringLiteral("queue")).toString();
    if (wanted.isEmpty() || !sameFile(wanted, context.queue.currentFile())) {
        reply(QJsonObject{{"ok", false}, {"open", false}, {"error", QStringLiteral("not the open queue")}});
        return;
    }
    context.window.queueWork().run([&context, request, reply, edit, folderQueues] {
        if (folderQueues == FolderQueues::Refused && context.queue.isFolderQueue()) {
            reply(failed(QStringLiteral("%1 is a folder queue (its images are the files of %2); nothing was changed")
                             .arg(context.queue.currentFile(), context.queue.workingImageFolder)));
            return;
        }
        reply(edit(request, context));
    });
}

} // namespace

void handleInstanceCommand(const QJsonObject& request, InstanceCommandContext& context,
                           const std::function<void(const QJsonObject&)>& reply) {
    const QString command = request.value(QStringLiteral("cmd")).toString();
    if (command == u"queue-add") return editQueue(request, context, reply, addFiles);
    if (command == u"queue-delete") return editQueue(request, context, reply, deleteEntries);
    if (command == u"queue-clear") return editQueue(request, context, reply, clearQueue);
    if (command == u"queue-relink") return editQueue(request, context, reply, relink);
    if (command == u"queue-use-folder") return editQueue(request, context, reply, useFolder, FolderQueues::Allowed);
    if (command == u"queue-save-as") return editQueue(request, context, reply, saveAs, FolderQueues::Allowed);
    if (command == u"activate") return reply(activate(context));
    if (command == u"ping")
        return reply(QJsonObject{{QStringLiteral("ok"), true},
                                 {QStringLiteral("pid"), QCoreApplication::applicationPid()},
                                 {QStringLiteral("activations"), context.activations},
                                 {QStringLiteral("starting"), context.window.isStartingUp()}});
    if (command == u"change") return reply(change(request, context));
    if (command == u"clear") {
        context.engine.resetOutcome();
        context.window.clearScreenNow();
        return reply(outcome(context));
    }
    if (command == u"current")
        return reply(QJsonObject{{QStringLiteral("ok"), true},
                                 {QStringLiteral("current"), context.engine.currentSourceImage()}});
    reply(failed(QStringLiteral("unknown command")));
}
