// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

// The window and its dialogs ask for help by a topic keyword ("infTempFolder") or by a
// context number ("24"); both lead to a page of the help folder and a place on it.

// The page and fragment, relative to the help folder, for a topic or context number
// ("temporary-folder.html#temporary-folder"); the contents page for an empty or unknown one.
QString helpTarget(const QString& topicOrContext);

// Every topic keyword and context number that has a place of its own in the help.
QStringList knownHelpTopics();
