// SPDX-License-Identifier: MIT
#include "gui/dialogs/DeleteDialog.h"

#include "gui/dialogs/DialogButtons.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

DeleteDialog::DeleteDialog(int selectedRows, std::function<void()> openHelp, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Tdeleteform"));
    setWindowTitle(QStringLiteral("Delete Image"));
    setModal(true);
    const bool several = selectedRows > 1;

    auto* severalLabel = new QLabel(QStringLiteral("Multiple files selected"), this);
    severalLabel->setObjectName(QStringLiteral("severalLabel"));
    severalLabel->setVisible(several);
    auto* group =
        new QGroupBox(several ? QStringLiteral("Delete Image Files") : QStringLiteral("Delete Image File"), this);
    group->setObjectName(QStringLiteral("deleteGroup"));
    m_queueOnly = new QRadioButton(QStringLiteral("From Queue Only"), group);
    m_queueOnly->setObjectName(QStringLiteral("fromQueueOnly"));
    m_queueOnly->setChecked(true);
    auto* fromDisk = new QRadioButton(QStringLiteral("From Queue and Disk"), group);
    fromDisk->setObjectName(QStringLiteral("fromQueueAndDisk"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_queueOnly);
    groupLayout->addWidget(fromDisk);

    QDialogButtonBox* buttons = okCancelHelpButtons(this, std::move(openHelp));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        m_choice = m_queueOnly->isChecked() ? FromQueueOnly : FromQueueAndDisk;
        accept();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(severalLabel);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

DeleteDialog::Choice DeleteDialog::ask(int selectedRows, const std::function<void()>& openHelp, QWidget* parent) {
    DeleteDialog dialog(selectedRows, openHelp, parent);
    dialog.exec();
    return dialog.choice();
}
