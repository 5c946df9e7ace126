// SPDX-License-Identifier: MIT
#include "gui/OptionCommands.h"

#include "gui/FileChooser.h"
#include "gui/UpdatingScope.h"
#include "gui/WidgetScopes.h"
#include "gui/dialogs/AboutDialog.h"
#include "gui/dialogs/GammaDialog.h"
#include "gui/dialogs/TempFolderDialog.h"
#include "queue/Queue.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"
#include "startup/StartUp.h"
#include "wallpaper/Prompter.h"
#include "wallpaper/WallpaperEngine.h"

#include <QDir>

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
