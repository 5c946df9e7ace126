// SPDX-License-Identifier: MIT
#include "gui/GuiPrompter.h"

#include "settings/AppContext.h"

#include <QInputDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon boxIcon(Prompter::Icon icon) {
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::Error:
        return QMessageBox::Critical;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void GuiPrompter::message(const QString& text, Icon icon, const QString& caption) {
    QMessageBox box(boxIcon(icon), caption.isEmpty() ? AppContext::applicationTitle() : caption, text, QMessageBox::Ok,
                    m_owner);
    box.exec();
}

bool GuiPrompter::askYesNo(const QString& text, Icon icon) {
    QMessageBox box(boxIcon(icon), AppContext::applicationTitle(), text, QMessageBox::Yes | QMessageBox::No, m_owner);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> GuiPrompter::askText(const QString& caption, const QString& prompt, const QString& initial) {
    bool ok = false;
    const QString text = QInputDialog::getText(m_owner, caption, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok) return std::nullopt;
    return text;
}
