// SPDX-License-Identifier: MIT
#pragma once

#include <QSize>
#include <QString>

#include <functional>

class FileChooser;
class Prompter;
class QDialog;
class QWidget;
class QueueListView;
class Queue;
class SettingsStore;
class WallpaperEngine;
struct AppContext;

// The commands that change how every wallpaper is made (gamma, the folder the bitmap goes
// to) and the about box. Each runs as queue work, never inside a change.
class OptionCommands {
public:
    struct Deps {
        AppContext* app = nullptr;
        SettingsStore* settings = nullptr;
        Queue* queue = nullptr;
        WallpaperEngine* engine = nullptr;
        Prompter* prompter = nullptr;
        FileChooser* chooser = nullptr;
        // Stops (false) and restarts (true) the change countdown.
        std::function<void(bool run)> runTimer;
        // Shows a modal dialog and answers its result (tests answer in place of the user).
        std::function<int(QDialog& dialog)> runDialog;
        std::function<void(bool on)> showGamma;
        std::function<void(const QString& topic)> openHelp;
        // The system-information program, read each time the about box opens.
        std::function<QString()> systemInformation;
        // Starts a program without a shell.
        std::function<void(const QString& program)> startProgram;
        // The screen size the settings were read with: what the resize rules measure against.
        std::function<QSize()> screenSize;
        // The queue's rows, for the commands that work on the selected ones.
        QueueListView* list = nullptr;
        // Shows the Image Properties panel anew after a setting changed.
        std::function<void()> refreshPanel;
        QWidget* owner = nullptr;
    };

    explicit OptionCommands(Deps deps) : m_deps(std::move(deps)) {}

    // Switches gamma correction off, or asks for the value and switches it on.
    void toggleGamma();
    void tempFolder();
    void about();
    void defaultSound();
    void soundForSelected();
    void defaultResize();
    void resizeSelected();

    // Moves the wallpaper bitmap and work files to `chosen` (or a private folder inside it);
    // answers the folder now in use, or an empty string when the folder is refused.
    QString changeTempFolder(const QString& chosen);

private:
    int run(QDialog& dialog);
    // Asks for a sound file; remembers its folder for the next time. In default-sound mode the
    // file becomes the queue's default sound at once.
    QString pickSound(bool forDefault);

    Deps m_deps;
    // The sound file last picked for images, offered again the next time.
    QString m_chosenSound;
};
