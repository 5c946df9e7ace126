// SPDX-License-Identifier: MIT
#include "gui/dialogs/DialogButtons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

QDialogButtonBox* okCancelHelpButtons(QDialog* dialog, std::function<void()> openHelp) {
    auto* box = new QDialogButtonBox(dialog);
    box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    box->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    QPushButton* help = box->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(help, &QPushButton::clicked, dialog, [openHelp = std::move(openHelp)] {
        if (openHelp) openHelp();
    });
    return box;
}
