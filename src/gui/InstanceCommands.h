// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonObject>

#include <functional>

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

// Answers one request: "activate" (bring the window to the front), "ping" (pid, activations,
// and "starting" while the start-up, its change included, is still running), "change" (change
// the wallpaper from the open queue), "clear", "current", and the edits of the open queue
// "queue-add" (field "files": absolute paths), "queue-delete" (field "entries": entry
// numbers), "queue-clear", "queue-relink" ("entry", "folder"), "queue-use-folder" ("folder")
// and "queue-save-as" ("target": a file that does not exist yet; the program goes on with it). Every answer carries
// "ok"; failures say why in "error". An edit names its queue in "queue"; when the program has another queue open it
// answers "open": false and changes nothing, so the asker can edit that file itself. Edits wait their turn behind a
// running change, so their answer may come later.
void handleInstanceCommand(const QJsonObject& request, InstanceCommandContext& context,
                           const std::function<void(const QJsonObject&)>& reply);
