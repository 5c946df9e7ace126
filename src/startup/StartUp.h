// SPDX-License-Identifier: MIT
#pragma once

#include "settings/AppContext.h"

#include <QString>

#include <functional>
#include <optional>

class Prompter;
class SettingsStore;

// The per-user temporary folder: <temp>/muralo32-<uid>, created private (0700). The system
// temporary folder is shared between users, so the bitmap and work files get a folder of their
// own that nobody else can have prepared. Empty when it cannot be created or is not ours.
QString systemTempFolder();

// A folder the user picked for the wallpaper bitmap and work files. It must exist and be
// writable; in a folder that others can write to (or that belongs to someone else) the files
// go to a private folder of their own inside it. `folder` ends in a separator; on refusal it
// is empty and `problem` says why.
struct TempFolderChoice {
    QString folder;
    QString problem;
};
TempFolderChoice checkTempFolder(const QString& chosen);

// Program folder of an executable, ending in '/'.
QString programFolderOf(const QString& executablePath);

// program folder + "help/index.html" when present, else the installed help next to bin/.
QString helpFilePath(const QString& programFolder);

// The temporary folder: setting TempDirectory, by default the system one, or the program folder
// when there is none.
QString resolveTempFolder(SettingsStore& settings, const QString& programFolder);
QString resolveTempFolder(SettingsStore& settings, const QString& programFolder, const QString& systemTemp);

// The queue file to open: the command-line argument, else QueueName; "untitled.qu3" in the
// program folder when that is empty, missing or does not end in QU3. Stored as QueueName.
QString resolveQueueFile(SettingsStore& settings, const QString& programFolder,
                         const std::optional<QString>& commandLineArg);

class StartUp {
public:
    // Called once everything a second instance needs has been read and before anything is written.
    // True when another instance is running and has been asked to come forward: this one ends.
    using InstanceCheck = std::function<bool()>;

    // Fills context and answers whether the program is to run. Writes MuraloPath and QueueName,
    // but only when this process runs. prompter is used only where the system is too old.
    static bool run(AppContext& context, SettingsStore& settings, const QString& executablePath,
                    const std::optional<QString>& commandLineArg, const InstanceCheck& otherInstance,
                    Prompter* prompter = nullptr);
};
