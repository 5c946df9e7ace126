// SPDX-License-Identifier: MIT
#include "gui/tray/TrayIcons.h"

#include "gui/ImageList.h"

#include <QApplication>
#include <QStyleHints>
#include <QTimer>

namespace {

std::size_t slot(TrayIcons::Icon icon) {
    return static_cast<std::size_t>(icon) - 1;
}

} // namespace

TrayIcons::TrayIcons(Deps deps, QObject* parent) : QObject(parent), m_deps(std::move(deps)) {
    if (!m_deps.later)
        m_deps.later = [this](int ms, std::function<void()> action) {
            QTimer::singleShot(ms, this, std::move(action));
        };
    if (!m_deps.doubleClickMs)
        m_deps.doubleClickMs = [] { return QApplication::styleHints()->mouseDoubleClickInterval(); };
}

TrayIcons::~TrayIcons() {
    removeAll();
}

void TrayIcons::add(Icon icon, int picture, const QString& tip) {
    QSystemTrayIcon*& shown = m_icons[slot(icon)];
    if (!shown) {
        shown = new QSystemTrayIcon(this);
        shown->setObjectName(QStringLiteral("TrayIcon%1").arg(int(icon)));
        connect(shown, &QSystemTrayIcon::activated, this,
                [this, icon](QSystemTrayIcon::ActivationReason reason) { activate(icon, reason); });
    }
    shown->setIcon(ImageList::icon(picture));
    shown->setToolTip(tip.left(63));
    shown->show();
}

void TrayIcons::modify(Icon icon, int picture, const QString& tip) {
    if (QSystemTrayIcon* shown = m_icons[slot(icon)]) {
        shown->setIcon(ImageList::icon(picture));
        shown->setToolTip(tip.left(63));
    }
}

void TrayIcons::remove(Icon icon) {
    QSystemTrayIcon*& shown = m_icons[slot(icon)];
    if (!shown) return;
    shown->hide();
    delete shown;
    shown = nullptr;
}

void TrayIcons::removeAll() {
    for (const Icon icon : {Icon::ScreenSaver, Icon::ChangeTimer, Icon::ChangeWallpaper, Icon::ClearWallpaper})
        remove(icon);
}

QSystemTrayIcon* TrayIcons::icon(Icon icon) const {
    return m_icons[slot(icon)];
}

bool TrayIcons::anyInTray() const {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    for (const QSystemTrayIcon* shown : m_icons)
        if (shown && shown->isVisible()) return true;
    return false;
}

void TrayIcons::activate(Icon icon, QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger: {
        const int click = ++m_lastClick;
        m_deps.later(m_deps.doubleClickMs(), [this, icon, click] {
            if (click > m_cancelledUpTo) Q_EMIT clicked(icon);
        });
        break;
    }
    case QSystemTrayIcon::DoubleClick:
        // The first click of the pair is still waiting: this is what cancels its action.
        m_cancelledUpTo = m_lastClick;
        Q_EMIT restoreRequested();
        break;
    case QSystemTrayIcon::Context:
        if (!m_deps.windowVisible || !m_deps.windowVisible()) Q_EMIT menuRequested();
        break;
    default:
        break;
    }
}
