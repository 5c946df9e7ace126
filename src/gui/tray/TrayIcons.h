// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include <array>
#include <functional>

class QMenu;

// The program's icons in the notification area. One click does the icon's action, but only
// once the double-click time has passed without a second click; a double click brings the
// window back instead; a right click while the window is hidden asks for the tray menu.
class TrayIcons : public QObject {
    Q_OBJECT
public:
    enum class Icon { ScreenSaver = 1, ChangeTimer = 2, ChangeWallpaper = 3, ClearWallpaper = 4 };
    struct Deps {
        // Runs `action` once `ms` milliseconds have passed (default: a single-shot timer).
        std::function<void(int ms, std::function<void()> action)> later;
        // The desktop's double-click time in milliseconds (default: the platform's).
        std::function<int()> doubleClickMs;
        std::function<bool()> windowVisible;
    };

    explicit TrayIcons(Deps deps, QObject* parent = nullptr);
    ~TrayIcons() override;

    // Shows the icon with ImageList picture `picture` and the tip (cut to 63 characters).
    void add(Icon icon, int picture, const QString& tip);
    // Changes picture and tip of a shown icon; nothing for an icon not shown.
    void modify(Icon icon, int picture, const QString& tip);
    void remove(Icon icon);
    void removeAll();
    // The icon while it is shown, else null.
    QSystemTrayIcon* icon(Icon icon) const;
    // True while one of our icons sits in a notification area that exists.
    bool anyInTray() const;
    // A click of the given kind on the icon, as the notification area reports it.
    void activate(Icon icon, QSystemTrayIcon::ActivationReason reason);

Q_SIGNALS:
    void clicked(TrayIcons::Icon icon);
    void restoreRequested();
    void menuRequested();

private:
    Deps m_deps;
    std::array<QSystemTrayIcon*, 4> m_icons{};
    // Clicks are numbered; a double click cancels every click before it.
    int m_lastClick = 0;
    int m_cancelledUpTo = 0;
};
