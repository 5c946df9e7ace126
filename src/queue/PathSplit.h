// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The five parts of a path that many commands need.
struct PathParts {
    QString extension; // from the file name's last '.', with the dot; empty when none
    QString name;      // the file name without its extension
    QString folder;    // everything up to and including the last separator
    QString fileName;  // the part after the last separator
    QString fullPath;  // folder followed by file name
};

// Splits at the last path separator (on Windows also at a drive's ':').
PathParts splitPath(const QString& path);

// "Q: <name> (<n> Files)": the queue line under the list.
QString queueStatusLine(const QString& queueName, int count);
