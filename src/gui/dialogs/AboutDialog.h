// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <functional>

// The program's name, version and authors, and the way to the system-information program
// where the desktop has one.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    struct Deps {
        // The system-information program; the button shows only when it names a file.
        QString systemInformation;
        // Starts a program (without a shell).
        std::function<void(const QString& program)> start;
        // Opens a help topic or context number.
        std::function<void(const QString& topic)> openHelp;
    };

    explicit AboutDialog(Deps deps, QWidget* parent = nullptr);

private:
    Deps m_deps;
};
