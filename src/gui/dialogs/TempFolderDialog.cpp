// SPDX-License-Identifier: MIT
#include "gui/dialogs/TempFolderDialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QString TempFolderDialog::describe(const QString& folder) {
    return QStringLiteral("Muralo32 uses a temporary BMP file called MURALO32.BMP to "
                          "provide Windows with the file format it needs to make "
                          "a wallpaper image.  That file is currently maintained in "
                          "the \n%1\nfolder, but you can modify that with the Change button below.")
        .arg(folder);
}

TempFolderDialog::TempFolderDialog(const QString& folder, Deps deps, QWidget* parent)
    : QDialog(parent), m_deps(std::move(deps)), m_folder(folder) {
    setObjectName(QStringLiteral("TNewFolder"));
    setWindowTitle(QStringLiteral("Temporary Wallpaper Folder"));
    m_text = new QLabel(describe(m_folder), this);
    m_text->setObjectName(QStringLiteral("Label1"));
    m_text->setWordWrap(true);
    m_text->setMinimumWidth(360);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* change = buttons->addButton(QStringLiteral("Change"), QDialogButtonBox::ActionRole);
    change->setObjectName(QStringLiteral("ChangeButton"));
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    QPushButton* help = buttons->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole);
    connect(change, &QPushButton::clicked, this, &TempFolderDialog::change);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [this] {
        if (m_deps.openHelp) m_deps.openHelp();
    });
    auto* column = new QVBoxLayout(this);
    column->addWidget(m_text);
    column->addWidget(buttons);
}

QString TempFolderDialog::text() const {
    return m_text->text();
}

void TempFolderDialog::change() {
    if (!m_deps.chooseFolder || !m_deps.changeFolder) return;
    const QString chosen = m_deps.chooseFolder(QFileInfo(m_folder).isDir() ? m_folder : QString());
    if (chosen.isEmpty()) return;
    const QString inUse = m_deps.changeFolder(chosen);
    if (inUse.isEmpty()) return;
    m_folder = inUse;
    m_text->setText(describe(m_folder));
}
