// SPDX-License-Identifier: MIT
#pragma once

#include "wallpaper/Prompter.h"

#include <QStringList>

#include <functional>

// A prompter for tests: it records the messages it shows and answers every question as a user
// who says No or cancels.
class ScriptedPrompter : public Prompter {
public:
    void message(const QString& text, Icon, const QString&) override {
        messages << text;
        // What happens while the box is open (a real one runs the event loop).
        if (whileShown) whileShown();
    }
    bool askYesNo(const QString&, Icon) override { return false; }
    std::optional<QString> askText(const QString&, const QString&, const QString&) override { return std::nullopt; }

    QStringList messages;
    std::function<void()> whileShown;
};
