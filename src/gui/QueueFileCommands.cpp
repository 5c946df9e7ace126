// SPDX-License-Identifier: MIT
#include "gui/QueueFileCommands.h"

#include "gui/FileChooser.h"
#include "gui/QueueListView.h"
#include "gui/UpdatingScope.h"
#include "gui/WidgetScopes.h"
#include "queue/FolderQueue.h"
#include "queue/PathSplit.h"
#include "queue/Queue.h"
#include "queue/QueueFile.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "wallpaper/Prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kQueueFilter = QStringLiteral("Muralo32 Queues (*.QU3)|*.QU3");
const QString kFallbackName = QStringLiteral("untitled.qu3");

bool endsInQu3(const QString& path) {
    return path.right(3).toUpper() == QLatin1String("QU3");
}

} // namespace

QString QueueFileCommands::newQueueName(const QString& typed) {
    QString name = typed;
    if (name.size() < 5) name += QStringLiteral(".QU3");
    if (name.right(4).toUpper() != QLatin1String(".QU3")) name += QStringLiteral(".QU3");
    return name;
}

QString QueueFileCommands::dialogFolder() const {
    const QString folder = splitPath(m_deps.queue->currentFile()).folder;
    return QFileInfo(folder).isDir() ? folder : m_deps.app->programFolder;
}

QStringList QueueFileCommands::queuesBeside() const {
    const QDir folder(splitPath(m_deps.queue->currentFile()).folder);
    return folder.entryList({QStringLiteral("*.qu3")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

void QueueFileCommands::adoptName(const QString& path) {
    m_deps.queue->setCurrentFile(path);
    m_deps.app->queueFile = path;
    m_deps.settings->write(QStringLiteral("QueueName"), path);
    m_deps.refreshQueueLine();
}

void QueueFileCommands::openQueue(const QString& path, bool changeAfterOpening) {
    {
        UpdatingScope updating(*m_deps.app);
        WaitCursor cursor;
        m_deps.deselectAll();
        // A file that cannot be a queue leaves the open queue as it was.
        if (!m_deps.loadQueue(path)) return;
        m_deps.settings->write(QStringLiteral("QueueName"), path);
        m_deps.list->clearFilled();
        m_deps.list->fill();
        m_deps.deselectAll();
    }
    if (!changeAfterOpening) return;
    m_deps.folder->markChanged();
    const Queue& queue = *m_deps.queue;
    if ((queue.entryCount() > 0 || queue.isFolderQueue()) && m_deps.changeOnOpening()) m_deps.changeSoon();
}

void QueueFileCommands::changeQueue() {
    TimerPause pause(m_deps.runTimer);
    FileChooser::Request request;
    request.title = QStringLiteral("Open Queue");
    request.filter = kQueueFilter;
    request.folder = dialogFolder();
    const auto answer = m_deps.chooser->openFiles(request);
    if (!answer || answer->files.isEmpty()) return;
    const QString chosen = answer->files.first();
    const QString current = m_deps.queue->currentFile();
    if (!endsInQu3(current) || chosen == current) return;
    openQueue(chosen, true);
}

void QueueFileCommands::pickQueue(const QString& fileName) {
    TimerPause pause(m_deps.runTimer);
    const QString chosen = splitPath(m_deps.queue->currentFile()).folder + fileName;
    if (chosen != m_deps.queue->currentFile()) openQueue(chosen, true);
}

void QueueFileCommands::newQueue() {
    Queue& queue = *m_deps.queue;
    if (m_deps.app->updating || queue.busy()) return;
    UpdatingScope updating(*m_deps.app);
    TimerPause pause(m_deps.runTimer);
    FileChooser::Request request;
    request.title = QStringLiteral("New Queue Name");
    request.filter = kQueueFilter;
    request.folder = dialogFolder();
    const auto typed = m_deps.chooser->saveFile(request);
    if (!typed || typed->isEmpty()) return;
    const QString name = newQueueName(*typed);
    if (name.compare(queue.currentFile(), Qt::CaseInsensitive) == 0) return;
    if (QFileInfo::exists(name)) {
        if (!m_deps.prompter->askYesNo(QStringLiteral("That queue name already exists. Do you want to overwrite it?")))
            return;
        if (!QFile::remove(name)) {
            m_deps.prompter->message(name + QStringLiteral(" cannot be replaced."), Prompter::Icon::Error);
            return;
        }
    }
    WaitCursor cursor;
    // A queue of a name not in use starts empty, with the settings of the queue open now.
    if (!m_deps.loadQueue(name)) return;
    adoptName(name);
    m_deps.list->clearFilled();
    m_deps.list->fill();
}

void QueueFileCommands::clearQueue() {
    if (!m_deps.prompter->askYesNo(QStringLiteral("Clearing queue.  Are you sure?"))) return;
    TimerPause pause(m_deps.runTimer);
    m_deps.queue->clearEntries();
    m_deps.list->clearFilled();
    m_deps.list->fill();
    m_deps.deselectAll();
    m_deps.refreshQueueLine();
    m_deps.queue->writeHeader();
}

void QueueFileCommands::saveQueueAs() {
    Queue& queue = *m_deps.queue;
    TimerPause pause(m_deps.runTimer);
    FileChooser::Request request;
    request.title = QStringLiteral("Save Queue as");
    request.filter = kQueueFilter;
    request.folder = dialogFolder();
    const auto chosen = m_deps.chooser->saveFile(request);
    if (!chosen || chosen->isEmpty()) return;
    const QString current = queue.currentFile();
    if (!endsInQu3(current) || *chosen == current) return;
    const QString name = endsInQu3(*chosen) ? *chosen : *chosen + QStringLiteral(".qu3");
    if (QFileInfo::exists(name) && !m_deps.prompter->askYesNo(QStringLiteral("File exists. Overwrite?"))) return;
    if (!continueAs(name))
        m_deps.prompter->message(QStringLiteral("Unable to complete Save Operation. Queue has not changed."),
                                 Prompter::Icon::Error);
}

bool QueueFileCommands::continueAs(const QString& target) {
    UpdatingScope updating(*m_deps.app);
    WaitCursor cursor;
    m_deps.deselectAll();
    if (!queuefile::copyReplacing(m_deps.queue->currentFile(), target)) return false;
    adoptName(target);
    m_deps.deselectAll();
    return true;
}

void QueueFileCommands::deleteQueue() {
    const QString current = m_deps.queue->currentFile();
    if (!m_deps.prompter->askYesNo(QStringLiteral("Deleting Queue:\n") + current)) return;
    if (QFileInfo(current).isFile()) QFile::remove(current);
    changeQueue();
    const QString open = m_deps.queue->currentFile();
    const QString fallback = m_deps.app->programFolder + kFallbackName;
    // A deleted queue that was not replaced by another one makes way for the fallback queue,
    // created empty when it does not exist.
    if (open.isEmpty() || !QFileInfo::exists(open) || !endsInQu3(open) || open == fallback) {
        TimerPause pause(m_deps.runTimer);
        openQueue(fallback, false);
        adoptName(fallback);
    }
}

void QueueFileCommands::nameUntitledQueue() {
    Queue& queue = *m_deps.queue;
    const QString current = queue.currentFile();
    if (current.right(12).toUpper() != QLatin1String("UNTITLED.QU3")) return;
    if (!m_deps.prompter->askYesNo(
            QStringLiteral(
                "Your queue (Image list) is currently \"Untitled.\"  Would you like to give it a distinctive "
                "name?  You may also name it later by choosing the \"Queue - Save As\" function."),
            Prompter::Icon::Question))
        return;
    const QString answer =
        m_deps.prompter
            ->askText(QStringLiteral("Name your queue?"),
                      QStringLiteral("Please provide a unique name for this queue:"), QStringLiteral("Untitled"))
            .value_or(QStringLiteral("Untitled"));
    if (answer.isEmpty()) return;
    const QString name = splitPath(current).folder + answer + QStringLiteral(".qu3");
    if (name == current) return;
    // Never onto another file: the queue keeps its name when the new one is taken.
    if (QFileInfo::exists(name) || !QFile::rename(current, name)) {
        m_deps.prompter->message(
            QStringLiteral("The queue could not be renamed to %1, so it keeps the name %2.").arg(name, current),
            Prompter::Icon::Warning);
        return;
    }
    adoptName(name);
}
