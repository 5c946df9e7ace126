// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonObject>

class MainWindow;
class Queue;
class WallpaperEngine;

// What the running program needs to answer a later start or murctl on the single-instance
// channel.
struct InstanceCommandContext {
    MainWindow& window;
    WallpaperEngine& engine;
    const Queue& queue;
    // How often a later start has brought this one to the front.
    int activations = 0;
};

// Answers one request: "activate" (bring the window to the front), "ping", "change" (change
// the wallpaper from the open queue), "clear" and "current". Every answer carries "ok";
// failures say why in "error".
QJsonObject handleInstanceCommand(const QJsonObject& request, InstanceCommandContext& context);
