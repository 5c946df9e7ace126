// SPDX-License-Identifier: MIT
#pragma once

#include "wallpaper/Prompter.h"

#include <QStringList>

// A prompter for tests: it records the messages it shows and answers every question as a user
// who says No or cancels.
class ScriptedPrompter : public Prompter {
public:
    void message(const QString& text, Icon, const QString&) override { messages << text; }
    bool askYesNo(const QString&, Icon) override { return false; }
    std::optional<QString> askText(const QString&, const QString&, const QString&) override { return std::nullopt; }

    QStringList messages;
};
