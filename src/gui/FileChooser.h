// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Asks the user for files or a folder. The window answers with its file dialogs; tests answer
// with scripted choices.
class FileChooser {
public:
    // What the open dialog previews of the current file.
    enum class Preview { None, Image, Sound };
    struct Request {
        QString title;
        // Pairs of description and patterns: "JPEG JPG|*.JPG;*.JPEG|All Files|*.*".
        QString filter;
        // Where the dialog opens (ignored when it does not exist).
        QString folder;
        bool multiple = false;
        // The help page the dialog's Help button opens.
        QString helpTopic;
        // The list style the user chose last time: 0 large icons, 1 details, 2 small icons,
        // 3 a list of names. This dialog shows 1 as details and the others as a list.
        int style = 0;
        Preview preview = Preview::None;
    };
    struct Answer {
        QStringList files;
        int style = 0;
    };

    virtual ~FileChooser() = default;
    // Existing files to open; nullopt when cancelled.
    virtual std::optional<Answer> openFiles(const Request& request) = 0;
    // A name to save under (the file may exist or not); nullopt when cancelled.
    virtual std::optional<QString> saveFile(const Request& request) = 0;
    // A folder, ending in a separator; empty when cancelled.
    virtual QString chooseFolder(const QString& startFolder) = 0;
};
