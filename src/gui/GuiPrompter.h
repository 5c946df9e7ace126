// SPDX-License-Identifier: MIT
#pragma once

#include "wallpaper/Prompter.h"

#include <QPointer>
#include <QWidget>

// Message boxes and input boxes owned by the main window, so that closing one while the
// window is hidden does not end the program.
class GuiPrompter : public Prompter {
public:
    explicit GuiPrompter(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }

    void message(const QString& text, Icon icon = Icon::None, const QString& caption = {}) override;
    bool askYesNo(const QString& text, Icon icon = Icon::Warning) override;
    std::optional<QString> askText(const QString& caption, const QString& prompt, const QString& initial) override;

private:
    QPointer<QWidget> m_owner;
};
