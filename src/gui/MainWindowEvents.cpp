// SPDX-License-Identifier: MIT
// The main window's answers to the window system: state changes, moves, close, paint, show,
// display changes and dropped files.
#include "gui/MainWindow.h"

#include "gui/OptionsPage.h"
#include "gui/PropertiesPanel.h"
#include "gui/StatusLines.h"
#include "gui/tray/TrayIcons.h"
#include "platform/x11/ScreenInfo.h"
#include "settings/SettingsStore.h"
#include "wallpaper/WallpaperEngine.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

QString MainWindow::currentImageText() const {
    return m_deps.engine->currentImageText();
}

void MainWindow::refreshCurrentImage() {
    WallpaperEngine& engine = *m_deps.engine;
    engine.setCurrentImageText(engine.currentSourceImage());
    m_statusLines->showCurrentImage(engine.currentImageText());
}

void MainWindow::displayChanged(int bitsPerPixel) {
    m_colorDepth = platform::normaliseColorDepth(bitsPerPixel);
    m_properties->setColourWarningShown(m_colorDepth < 9);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (isMinimized()) {
        if (hidesToTray() && !m_startingUp) {
            minimiseToTray();
        } else if (anyTrayIcon() && !m_noTrayNoted) {
            // Icons were asked for but cannot be shown: say so once, where the boxes are, and in
            // the log, rather than in a box that would come up at every minimise.
            m_noTrayNoted = true;
            m_options->noteNoNotificationArea();
            qInfo("muralo32: no notification area on this desktop; a minimised window stays with the window manager");
        }
    } else if (change->oldState() & Qt::WindowMinimized) {
        m_hiddenToTray = false;
        show();
        raise();
        activateWindow();
    }
}

bool MainWindow::hidesToTray() const {
    return anyTrayIcon() && m_deps.trayIconsShown && m_deps.trayIconsShown();
}

void MainWindow::minimiseToTray() {
    m_hiddenToTray = true;
    // Hiding from inside the state change confuses some window managers; do it right after.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isMinimized() && m_hiddenToTray) hide();
        },
        Qt::QueuedConnection);
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    // Until the window has been placed and shown, moves are the window system settling it, not the user.
    if (m_placing) return;
    // A maximise moves the window before its state says so: look once the state change is through.
    QTimer::singleShot(0, this, [this] {
        if (!isNormalState() || m_placing) return;
        m_rememberedLeft = x();
        m_rememberedTop = y();
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_closed) {
        event->accept();
        return;
    }
    WallpaperEngine& engine = *m_deps.engine;
    // A change under way stops where it is; queue work still waiting never runs.
    engine.beginClose();
    m_queueWork.dropWaiting();
    setAcceptDrops(false);
    const int page = imagesPageShown() ? 0 : 1;
    if (m_options->clearAtExit() && !m_options->exitAfterChanging()) engine.clearScreen();
    SettingsStore& settings = *m_deps.settings;
    settings.write(QStringLiteral("SCPropertyPage"), QString::number(page));
    settings.write(QStringLiteral("MuraloLeft"), QString::number(m_rememberedLeft));
    settings.write(QStringLiteral("MuraloTop"), QString::number(m_rememberedTop));
    m_changeTimer->stop();
    m_exitTimer->stop();
    m_currentImageTimer->stop();
    m_tray->removeAll();
    m_closed = true;
    event->accept();
    // The last window closing does not end the program by itself (the window may live hidden);
    // closing it does.
    m_deps.quit();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_placing) QTimer::singleShot(0, this, [this] { m_placing = false; });
    displayChanged(m_deps.bitsPerPixel());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    filesDropped(paths);
}
