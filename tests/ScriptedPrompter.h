// SPDX-License-Identifier: MIT
#pragma once

#include "wallpaper/Prompter.h"

#include <QStringList>

#include <deque>
#include <functional>

// A prompter for tests: it records the messages and questions it shows and answers with the
// answers queued in yesNo and text; with none queued it says No and cancels.
class ScriptedPrompter : public Prompter {
public:
    void message(const QString& text, Icon, const QString&) override {
        messages << text;
        // What happens while the box is open (a real one runs the event loop).
        if (whileShown) whileShown();
    }
    bool askYesNo(const QString& text, Icon) override {
        questions << text;
        if (yesNo.empty()) return false;
        const bool answer = yesNo.front();
        yesNo.pop_front();
        return answer;
    }
    std::optional<QString> askText(const QString& caption, const QString&, const QString&) override {
        questions << caption;
        if (text.empty()) return std::nullopt;
        const std::optional<QString> answer = text.front();
        text.pop_front();
        return answer;
    }

    QStringList messages;
    QStringList questions;
    std::deque<bool> yesNo;
    std::deque<std::optional<QString>> text;
    std::function<void()> whileShown;
};
