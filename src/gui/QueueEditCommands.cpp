// SPDX-License-Identifier: MIT
#include "gui/QueueEditCommands.h"

#include "gui/FileChooser.h"
#include "gui/QueueEditor.h"
#include "gui/QueueListView.h"
#include "gui/UpdatingScope.h"
#include "gui/WidgetScopes.h"
#include "queue/FolderQueue.h"
#include "queue/PathSplit.h"
#include "queue/Queue.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"
#include "wallpaper/Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

namespace {

QList<int> entriesOfRows(const QueueListView& list, const QList<int>& rows) {
    QList<int> entries;
    for (const int row : rows)
        entries << list.entryOfRow(row);
    return entries;
}

} // namespace

const QString QueueEditCommands::kImageFilter = QStringLiteral(
    "All Supported Formats|*.JPG;*.PCX;*.JPEG;*.JPE;*.GIF;*.BMP;*.TIFF;*.TGA;*.TIF;*.RLE;*.PNG|Windows BMP|*.BMP;*.RLE|"
    "Compuserve GIF|*.GIF|ZSoft PCX|*.PCX|TARGA TGA|*.TGA|Tagged TIF|*.TIF;*.TIFF|JPEG JPG|*.JPG;*.JPE;*.JPEG|"
    "Internet PNG|*.PNG|All Files|*.*");

void QueueEditCommands::addImageFiles() {
    Queue& queue = *m_deps.queue;
    if (queue.isFolderQueue()) return;
    m_deps.deselectAll();
    UpdatingScope updating(*m_deps.app);
    TimerPause pause(m_deps.runTimer);
    SettingsStore& settings = *m_deps.settings;
    FileChooser::Request request;
    request.title = QStringLiteral("Add Image(s)");
    request.filter = kImageFilter;
    request.folder = queue.workingImageFolder;
    request.multiple = true;
    request.helpTopic = QStringLiteral("13");
    request.preview = FileChooser::Preview::Image;
    request.style = settingsvalues::toInt(settings.read(QStringLiteral("DialogStyle"), QStringLiteral("0")), 0);
    const auto answer = m_deps.chooser->openFiles(request);
    if (!answer) return;
    settings.write(QStringLiteral("DialogStyle"), QString::number(answer->style & 127));
    if (answer->files.isEmpty()) return;
    // The folder of the first file is where the next add opens.
    queue.workingImageFolder = splitPath(answer->files.first()).folder;
    queue.header().setImageFolder(queue.workingImageFolder);
    addAll(answer->files, true);
}

void QueueEditCommands::dropFiles(const QStringList& paths) {
    if (m_deps.queue->isFolderQueue() || paths.isEmpty()) return;
    UpdatingScope updating(*m_deps.app);
    addAll(paths, false);
}

void QueueEditCommands::addAll(const QStringList& paths, bool tellEveryFullQueue) {
    std::vector<QueueEditor::Added> outcome;
    const bool wasEmpty = m_deps.queue->entryCount() == 0;
    if (paths.size() < kProgressFrom) {
        WaitCursor cursor;
        outcome = m_deps.editor->addFiles(paths);
    } else {
        // Hundreds of files take a while: the window stays alive, shows how far the add is and
        // lets the user stop it. Other queue work waits meanwhile.
        QProgressDialog progress(QStringLiteral("Adding images..."), QStringLiteral("Stop"), 0, int(paths.size()),
                                 m_deps.owner);
        progress.setObjectName(QStringLiteral("addProgress"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(500);
        outcome = m_deps.editor->addFiles(paths, [this, &progress](int done, int) {
            progress.setValue(done);
            QCoreApplication::processEvents();
            return !progress.wasCanceled() && !(m_deps.closing && m_deps.closing());
        });
    }
    bool toldFull = false;
    for (const QueueEditor::Added& added : outcome) {
        switch (added.result) {
        case Queue::AddResult::Added:
        case Queue::AddResult::Missing:
            break;
        case Queue::AddResult::LimitReached:
            if (toldFull && !tellEveryFullQueue) break;
            toldFull = true;
            m_deps.prompter->message(Queue::kLimitMessage, Prompter::Icon::Warning);
            break;
        case Queue::AddResult::TooLong:
            m_deps.prompter->message(added.path + QStringLiteral("\n\n") + Queue::kPathTooLongMessage,
                                     Prompter::Icon::Warning);
            break;
        case Queue::AddResult::WriteFailed:
            m_deps.prompter->message(Queue::kAddFailedMessage, Prompter::Icon::Error);
            break;
        }
    }
    if (wasEmpty && m_deps.queue->entryCount() > 0 && m_deps.firstImageAdded) m_deps.firstImageAdded();
}

void QueueEditCommands::deleteSelected() {
    Queue& queue = *m_deps.queue;
    QueueListView& list = *m_deps.list;
    const QList<int> rows = list.selectedRows();
    if (queue.isFolderQueue() || rows.isEmpty()) return;
    UpdatingScope updating(*m_deps.app);
    QueueEntry first;
    queue.readEntryInto(queue.recordOfEntry(list.entryOfRow(rows.first())), first);
    // A lone image that is gone already leaves the queue without a question.
    int choice = 1;
    if (QFileInfo::exists(first.trimmedPath()) || rows.size() > 1) choice = m_deps.askDeleteChoice(int(rows.size()));
    if (choice == 0) return;
    WaitCursor cursor;
    m_deps.editor->deleteEntries(entriesOfRows(list, rows),
                                 choice == 2 ? QueueEditor::Deletion::QueueAndDisk : QueueEditor::Deletion::QueueOnly);
    m_deps.deselectAll();
}

void QueueEditCommands::relinkSelected() {
    Queue& queue = *m_deps.queue;
    QueueListView& list = *m_deps.list;
    const QList<int> rows = list.selectedRows();
    if (queue.isFolderQueue() || rows.isEmpty()) return;
    TimerPause pause(m_deps.runTimer);
    const QString folder = m_deps.chooser->chooseFolder(queue.workingRelinkFolder);
    if (folder.isEmpty()) return;
    m_deps.editor->relinkEntries(entriesOfRows(list, rows), folder);
    m_deps.deselectAll();
}

void QueueEditCommands::editSelected() {
    Queue& queue = *m_deps.queue;
    QueueListView& list = *m_deps.list;
    const int row = list.firstSelectedRow();
    if (queue.isFolderQueue() || row < 0 || m_deps.app->updating || queue.busy()) return;
    QueueEntry entry;
    queue.readEntryInto(queue.recordOfEntry(list.entryOfRow(row)), entry);
    m_deps.deselectAll();
    if (!m_deps.openUrl(QUrl::fromLocalFile(entry.trimmedPath())))
        m_deps.prompter->message(QStringLiteral("Unable to open image editor"), Prompter::Icon::Error);
}

void QueueEditCommands::toggleFolderQueue() {
    Queue& queue = *m_deps.queue;
    if (queue.entryCount() > 0) {
        m_deps.prompter->message(QStringLiteral("This queue contains files already. To use the Folder Queue option, "
                                                "either clear this queue or start a new one."),
                                 Prompter::Icon::Information);
        return;
    }
    if (!queue.isFolderQueue()) {
        changeFolder();
        return;
    }
    m_deps.editor->stopUsingFolder();
    m_deps.deselectAll();
    if (m_deps.refreshQueueLine) m_deps.refreshQueueLine();
}

void QueueEditCommands::changeFolder() {
    Queue& queue = *m_deps.queue;
    if (queue.entryCount() > 0) return;
    TimerPause pause(m_deps.runTimer);
    const QString folder = m_deps.chooser->chooseFolder(queue.workingImageFolder);
    if (folder.isEmpty()) return;
    if (folder != queue.workingImageFolder) m_deps.settings->write(QStringLiteral("lastloadedpath"), folder);
    m_deps.editor->useFolder(folder, *m_deps.folder);
    m_deps.deselectAll();
    if (m_deps.refreshQueueLine) m_deps.refreshQueueLine();
}
