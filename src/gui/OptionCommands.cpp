// SPDX-License-Identifier: MIT
#include "gui/OptionCommands.h"

#include "gui/FileChooser.h"
#include "gui/QueueListView.h"
#include "gui/UpdatingScope.h"
#include "gui/WidgetScopes.h"
#include "gui/dialogs/AboutDialog.h"
#include "gui/dialogs/GammaDialog.h"
#include "gui/dialogs/ResizeDialogs.h"
#include "gui/dialogs/SoundDialog.h"
#include "gui/dialogs/TempFolderDialog.h"
#include "queue/PathSplit.h"
#include "queue/Queue.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"
#include "startup/StartUp.h"
#include "wallpaper/Prompter.h"
#include "wallpaper/RenderMath.h"
#include "wallpaper/WallpaperEngine.h"

#include <QDir>
#include <QFileInfo>

int OptionCommands::run(QDialog& dialog) {
    return m_deps.runDialog ? m_deps.runDialog(dialog) : dialog.exec();
}

void OptionCommands::toggleGamma() {
    Queue& queue = *m_deps.queue;
    if (queue.workingGamma) {
        queue.workingGamma = false;
    } else {
        TimerPause pause(m_deps.runTimer);
        GammaDialog dialog(
            m_deps.engine->gamma(), [this] { m_deps.openHelp(QStringLiteral("24")); }, m_deps.owner);
        if (run(dialog) == QDialog::Accepted) {
            m_deps.settings->write(QStringLiteral("GammaCorrection"), settingsvalues::fromFloat(dialog.gamma()));
            m_deps.engine->setGamma(dialog.gamma());
            queue.workingGamma = true;
        }
    }
    if (m_deps.showGamma) m_deps.showGamma(queue.workingGamma);
    queue.header().setGammaOn(queue.workingGamma ? 1 : 0);
    queue.writeHeader();
}

QString OptionCommands::changeTempFolder(const QString& chosen) {
    AppContext& app = *m_deps.app;
    UpdatingScope updating(app);
    const TempFolderChoice choice = checkTempFolder(chosen);
    if (choice.folder.isEmpty()) {
        m_deps.prompter->message(choice.problem + QStringLiteral("\nThe wallpaper folder stays ") +
                                     QDir::toNativeSeparators(app.tempFolder) + QStringLiteral("."),
                                 Prompter::Icon::Warning);
        return {};
    }
    m_deps.settings->write(QStringLiteral("TempDirectory"), choice.folder);
    app.tempFolder = QDir::cleanPath(QDir::fromNativeSeparators(choice.folder));
    app.wallpaperBitmap = choice.folder + QStringLiteral("muralo32.bmp");
    return choice.folder;
}

void OptionCommands::tempFolder() {
    TempFolderDialog::Deps d;
    d.chooseFolder = [this](const QString& start) { return m_deps.chooser->chooseFolder(start); };
    d.changeFolder = [this](const QString& chosen) { return changeTempFolder(chosen); };
    d.openHelp = [this] { m_deps.openHelp(QStringLiteral("infTempFolder")); };
    QString shown = QDir::toNativeSeparators(m_deps.app->tempFolder);
    if (!shown.endsWith(QDir::separator())) shown += QDir::separator();
    TempFolderDialog dialog(shown, d, m_deps.owner);
    run(dialog);
}

void OptionCommands::about() {
    TimerPause pause(m_deps.runTimer);
    AboutDialog::Deps d;
    d.systemInformation = m_deps.systemInformation ? m_deps.systemInformation() : QString();
    d.start = m_deps.startProgram;
    d.openHelp = m_deps.openHelp;
    AboutDialog dialog(d, m_deps.owner);
    run(dialog);
}

QString OptionCommands::pickSound(bool forDefault) {
    AppContext& app = *m_deps.app;
    Queue& queue = *m_deps.queue;
    FileChooser::Request request;
    request.title = QStringLiteral("Choose a Sound File");
    request.filter = QStringLiteral("Sound Files|*WAV;*.MID;*.RMI;*.MP3|Windows WAV|*.WAV|MIDI|*.MID;*.RMI|MP3|*.MP3");
    request.multiple = true;
    request.preview = FileChooser::Preview::Sound;
    const QString last = splitPath(m_deps.settings->read(QStringLiteral("SoundPath"), app.programFolder)).folder;
    request.folder = QFileInfo(last).isDir() ? last : app.programFolder;
    const auto answer = m_deps.chooser->openFiles(request);
    if (!answer || answer->files.isEmpty() || !QFileInfo(answer->files.first()).isFile()) return {};
    const QString picked = answer->files.first();
    const QString folder = splitPath(picked).folder;
    m_deps.settings->write(QStringLiteral("SoundPath"), folder);
    queue.soundFolder = folder;
    if (forDefault) {
        queue.header().setDefaultSound(picked);
        // While the default sound is off, nothing plays until the user switches it on.
        if (queue.header().noDefaultSound() == 0) queue.workingDefaultSound = picked;
        queue.writeHeader();
    }
    return picked;
}

void OptionCommands::defaultSound() {
    Queue& queue = *m_deps.queue;
    TimerPause pause(m_deps.runTimer);
    SoundDialog::Setup setup;
    setup.mode = SoundDialog::Mode::DefaultSound;
    setup.defaultSound = queue.header().defaultSound();
    setup.defaultOff = queue.header().noDefaultSound() == 1;
    setup.chosenSound = m_chosenSound;
    setup.pickSound = [this] { return pickSound(true); };
    setup.openHelp = [this] { m_deps.openHelp(QStringLiteral("infdefsounds")); };
    SoundDialog dialog(setup, m_deps.owner);
    if (run(dialog) == QDialog::Accepted) {
        const bool off = dialog.option() == SoundDialog::NoSound;
        queue.workingDefaultSound = off ? QString() : queue.header().defaultSound();
        queue.header().setNoDefaultSound(off ? 1 : 0);
        queue.writeHeader();
    }
    if (m_deps.refreshPanel) m_deps.refreshPanel();
}

void OptionCommands::soundForSelected() {
    Queue& queue = *m_deps.queue;
    const QueueListView& list = *m_deps.list;
    const QList<int> rows = list.selectedRows();
    if (queue.isFolderQueue() || rows.isEmpty()) return;
    SoundDialog::Setup setup;
    setup.mode = SoundDialog::Mode::SelectedImages;
    setup.defaultSound = queue.header().defaultSound();
    setup.defaultOff = queue.header().noDefaultSound() == 1;
    if (rows.size() == 1) {
        QueueEntry entry;
        queue.readEntryInto(queue.recordOfEntry(list.entryOfRow(rows.first())), entry);
        setup.single = std::make_pair(int(entry.soundOption()), entry.soundPath());
    }
    setup.chosenSound = m_chosenSound;
    setup.pickSound = [this] { return pickSound(false); };
    setup.openHelp = [this] { m_deps.openHelp(QStringLiteral("infimgsounds")); };
    SoundDialog dialog(setup, m_deps.owner);
    const bool accepted = run(dialog) == QDialog::Accepted;
    m_chosenSound = dialog.chosenSound();
    if (accepted) {
        for (const int row : rows) {
            const int record = queue.recordOfEntry(list.entryOfRow(row));
            QueueEntry entry;
            if (!queue.readEntryInto(record, entry)) continue;
            entry.setSoundOption(static_cast<std::uint8_t>(dialog.option()));
            entry.setSoundPath(m_chosenSound.left(255));
            queue.writeEntryFromRetrying(record, entry);
        }
    }
    if (m_deps.refreshPanel) m_deps.refreshPanel();
}

void OptionCommands::defaultResize() {
    Queue& queue = *m_deps.queue;
    QueueHeader& header = queue.header();
    TimerPause pause(m_deps.runTimer);
    const DefaultResize stored{header.smallRule(), header.largeRule(), header.thresholdWidth(),
                               header.thresholdHeight()};
    DefaultResizeDialog dialog(
        stored, m_deps.screenSize(),
        [this](const QString& message) { m_deps.prompter->message(message, Prompter::Icon::Error); },
        [this] { m_deps.openHelp(QStringLiteral("8")); }, m_deps.owner);
    if (run(dialog) == QDialog::Accepted) {
        const DefaultResize& chosen = dialog.result();
        header.setSmallRule(chosen.small);
        header.setLargeRule(chosen.large);
        header.setThresholdWidth(static_cast<std::int16_t>(chosen.thresholdWidth));
        header.setThresholdHeight(static_cast<std::int16_t>(chosen.thresholdHeight));
        queue.writeHeader();
    }
    if (m_deps.refreshPanel) m_deps.refreshPanel();
}

void OptionCommands::resizeSelected() {
    Queue& queue = *m_deps.queue;
    QueueListView& list = *m_deps.list;
    const QList<int> rows = list.selectedRows();
    if (rows.isEmpty() || m_deps.app->updating || queue.busy() || queue.isFolderQueue()) return;
    TimerPause pause(m_deps.runTimer);
    QueueEntry first;
    queue.readEntryInto(queue.recordOfEntry(list.entryOfRow(rows.first())), first);
    ImageResizeDialog dialog(
        {first.resizeMode(), first.fixedSize(), first.fixedWidth(), first.fixedHeight()}, m_deps.screenSize(),
        [this] { m_deps.openHelp(QStringLiteral("infResizeImageImg")); }, m_deps.owner);
    if (run(dialog) != QDialog::Accepted) return;
    const ResizeChoice& chosen = dialog.result();
    for (const int row : rows) {
        const int record = queue.recordOfEntry(list.entryOfRow(row));
        QueueEntry entry;
        if (!queue.readEntryInto(record, entry)) continue;
        entry.setResizeMode(static_cast<std::uint8_t>(chosen.mode));
        entry.setFixedSize(static_cast<std::uint8_t>(chosen.fixedSize));
        entry.setFixedWidth(static_cast<std::int16_t>(chosen.width));
        entry.setFixedHeight(static_cast<std::int16_t>(chosen.height));
        if (queue.writeEntryFromRetrying(record, entry))
            list.setRowState(row, rendermath::displayState(entry, queue.header(), false));
    }
    if (m_deps.refreshPanel) m_deps.refreshPanel();
}
