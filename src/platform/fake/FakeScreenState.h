// SPDX-License-Identifier: MIT
#pragma once

#include "schedule/ScreenState.h"

// Screen-saver and foreground answers set by a test.
class FakeScreenState : public ScreenState {
public:
    bool screenSaverActive() override { return active; }
    bool setScreenSaverActive(bool newActive) override {
        ++setCalls;
        if (refuseSet) return false;
        active = newActive;
        return true;
    }
    bool screenSaverRunning() override { return running; }
    bool fullScreenForeground(int screenWidth, int screenHeight) override {
        lastWidth = screenWidth;
        lastHeight = screenHeight;
        return fullScreen;
    }

    bool active = true;
    bool running = false;
    bool fullScreen = false;
    bool refuseSet = false;
    int setCalls = 0;
    // The screen size of the last full-screen question.
    int lastWidth = 0;
    int lastHeight = 0;
};
