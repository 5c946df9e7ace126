// SPDX-License-Identifier: MIT
#pragma once

#include "schedule/ScreenState.h"

// Screen saver settings of the X server and the MIT-SCREEN-SAVER extension, and the
// full-screen check through the window manager's EWMH hints. Every call opens its own
// connection; without a display the answers are "off" and "not busy".
class X11ScreenState : public ScreenState {
public:
    bool screenSaverActive() override;
    bool setScreenSaverActive(bool active) override;
    bool screenSaverRunning() override;
    bool fullScreenForeground(int screenWidth, int screenHeight) override;
};
