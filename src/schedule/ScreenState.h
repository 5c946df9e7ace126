// SPDX-License-Identifier: MIT
#pragma once

// What the desktop says about the screen saver and the window in front.
class ScreenState {
public:
    virtual ~ScreenState() = default;

    // The desktop's "screen saver enabled" setting.
    virtual bool screenSaverActive() = 0;
    // Switches that setting; false when the desktop refused.
    virtual bool setScreenSaverActive(bool active) = 0;
    // True while a screen saver is running (the screen is blanked).
    virtual bool screenSaverRunning() = 0;
    // True when the foreground window covers a screen of the given size (full-screen program).
    virtual bool fullScreenForeground(int screenWidth, int screenHeight) = 0;
};
