// SPDX-License-Identifier: MIT
#pragma once

#include "gui/FileChooser.h"

#include <functional>

class QFileDialog;
class QWidget;

// The file chooser of the window: Qt's own (not the desktop's) file dialog, so it looks and
// behaves the same on every desktop.
class DialogFileChooser : public FileChooser {
public:
    using HelpOpener = std::function<void(const QString& topic)>;

    explicit DialogFileChooser(QWidget* owner = nullptr, HelpOpener openHelp = {})
        : m_owner(owner), m_openHelp(std::move(openHelp)) {}
    void setOwner(QWidget* owner) { m_owner = owner; }

    std::optional<Answer> openFiles(const Request& request) override;
    std::optional<QString> saveFile(const Request& request) override;
    QString chooseFolder(const QString& startFolder) override;

    // "Desc|*.A;*.B|..." as the dialog's name filters ("Desc (*.A *.a *.B *.b)"), each pattern
    // in both letter cases, since file systems here tell them apart.
    static QStringList nameFilters(const QString& filter);

private:
    // The parts both dialogs share: title, filters, folder, list style and the Help button.
    void prepare(QFileDialog& dialog, const Request& request);

    QWidget* m_owner;
    HelpOpener m_openHelp;
};
