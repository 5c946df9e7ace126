// SPDX-License-Identifier: MIT
#pragma once

#include "schedule/ScreenState.h"

#include <memory>

typedef struct _GSettings GSettings;

// GNOME keeps "start the screen saver when idle" in GSettings, where the X server's own
// setting is overwritten by the session. The running and full-screen questions go to
// the inner state (the X11 one); without it they answer false.
class GnomeScreenState : public ScreenState {
public:
    explicit GnomeScreenState(std::unique_ptr<ScreenState> inner = nullptr);
    ~GnomeScreenState() override;
    GnomeScreenState(const GnomeScreenState&) = delete;
    GnomeScreenState& operator=(const GnomeScreenState&) = delete;

    // True when org.gnome.desktop.screensaver with idle-activation-enabled is installed.
    static bool available();

    bool screenSaverActive() override;
    bool setScreenSaverActive(bool active) override;
    bool screenSaverRunning() override;
    bool fullScreenForeground(int screenWidth, int screenHeight) override;

private:
    std::unique_ptr<ScreenState> m_inner;
    GSettings* m_settings = nullptr;
};
