// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

// How core logic talks to the user: the GUI answers with message boxes,
// murctl with stderr, tests with scripted answers.
class Prompter {
public:
    enum class Icon { None, Information, Warning, Question, Error };

    virtual ~Prompter() = default;

    // A message with a single OK button. An empty caption means the application title.
    virtual void message(const QString& text, Icon icon = Icon::None, const QString& caption = {}) = 0;
    // A question with Yes and No buttons; true for Yes.
    virtual bool askYesNo(const QString& text, Icon icon = Icon::Warning) = 0;
    // A one-line input box; nullopt when cancelled.
    virtual std::optional<QString> askText(const QString& caption, const QString& prompt, const QString& initial) = 0;
};
