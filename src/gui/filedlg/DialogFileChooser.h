// SPDX-License-Identifier: MIT
#pragma once

#include "gui/FileChooser.h"
#include "gui/filedlg/PreviewPanel.h"

#include <functional>

class QFileDialog;
class QWidget;

// The file chooser of the window: Qt's own (not the desktop's) file dialog, so it looks and
// behaves the same on every desktop, with a preview of images and sounds beside the list.
class DialogFileChooser : public FileChooser {
public:
    using HelpOpener = std::function<void(const QString& topic)>;
    // What the preview needs from the program, asked each time a dialog opens.
    using PreviewServices = std::function<PreviewPanel::Services()>;

    explicit DialogFileChooser(QWidget* owner = nullptr, HelpOpener openHelp = {}, PreviewServices preview = {})
        : m_owner(owner), m_openHelp(std::move(openHelp)), m_preview(std::move(preview)) {}
    void setOwner(QWidget* owner) { m_owner = owner; }

    std::optional<Answer> openFiles(const Request& request) override;
    std::optional<QString> saveFile(const Request& request) override;
    QString chooseFolder(const QString& startFolder) override;

    // "Desc|*.A;*.B|..." as the dialog's name filters ("Desc (*.A *.a *.B *.b)"), each pattern
    // in both letter cases, since file systems here tell them apart.
    static QStringList nameFilters(const QString& filter);
    // The list style to keep after a dialog showed `details` or not, opened with `asked`.
    static int styleAfter(int asked, bool details);

    // The dialogs as they would run, for tests to look at and drive: `run` is called in place
    // of exec() and returns what exec() would.
    using Runner = std::function<int(QFileDialog& dialog)>;
    void setRunner(Runner run) { m_run = std::move(run); }

private:
    // The parts both dialogs share: title, filters, folder and list style.
    void prepare(QFileDialog& dialog, const Request& request);
    // Puts the preview panel beside the file list; it lives as long as the dialog.
    void addPreview(QFileDialog& dialog, FileChooser::Preview preview);
    // Adds the Help button for the topic, then runs the dialog.
    int run(QFileDialog& dialog, const QString& helpTopic);

    QWidget* m_owner;
    HelpOpener m_openHelp;
    PreviewServices m_preview;
    Runner m_run;
};
