// SPDX-License-Identifier: MIT
#pragma once

#include "wallpaper/Prompter.h"

#include <QStringList>

#include <deque>

// A prompter with answers given in advance; it records everything it was asked.
class ScriptedPrompter : public Prompter {
public:
    void message(const QString& text, Icon icon = Icon::None, const QString& caption = {}) override {
        messages << text;
        icons.push_back(icon);
        captions << caption;
    }
    bool askYesNo(const QString& text, Icon) override {
        questions << text;
        if (yesNo.empty()) return false;
        const bool answer = yesNo.front();
        yesNo.pop_front();
        return answer;
    }
    std::optional<QString> askText(const QString&, const QString& prompt, const QString&) override {
        questions << prompt;
        if (texts.empty()) return std::nullopt;
        auto answer = texts.front();
        texts.pop_front();
        return answer;
    }

    QStringList messages;
    std::vector<Icon> icons;
    QStringList captions;
    QStringList questions;
    std::deque<bool> yesNo;
    std::deque<std::optional<QString>> texts;
};
