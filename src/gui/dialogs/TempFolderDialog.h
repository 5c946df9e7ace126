// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <functional>

class QLabel;

// Shows the folder the wallpaper bitmap is written to, and lets the user move it. Change
// stores its result at once, so there is nothing to cancel.
class TempFolderDialog : public QDialog {
    Q_OBJECT
public:
    struct Deps {
        // Asks for a folder, starting in the one given; empty when cancelled.
        std::function<QString(const QString& start)> chooseFolder;
        // Takes the folder the user chose; answers the folder now in use (ending in a
        // separator), or an empty string when the choice was refused (and the user told).
        std::function<QString(const QString& chosen)> changeFolder;
        std::function<void()> openHelp;
    };

    TempFolderDialog(const QString& folder, Deps deps, QWidget* parent = nullptr);

    const QString& folder() const { return m_folder; }
    QString text() const;
    // The Change button.
    void change();

    static QString describe(const QString& folder);

private:
    Deps m_deps;
    QString m_folder;
    QLabel* m_text = nullptr;
};
