// SPDX-License-Identifier: MIT
#include "gui/dialogs/AboutDialog.h"

#include "gui/ClickableLabel.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kIcon = QStringLiteral(":/muralo32/muralo32.png");

} // namespace

AboutDialog::AboutDialog(Deps deps, QWidget* parent) : QDialog(parent), m_deps(std::move(deps)) {
    setObjectName(QStringLiteral("TAbout"));
    setWindowTitle(QStringLiteral("About Muralo32"));
    const auto help = [this](const QString& topic) {
        if (m_deps.openHelp) m_deps.openHelp(topic);
    };
    auto* group = new QGroupBox(QStringLiteral("Muralo32 v. 4.04"), this);
    auto* large = new ClickableLabel(QString(), group);
    large->setObjectName(QStringLiteral("Image1"));
    large->setPixmap(QPixmap(kIcon).scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    auto* small = new ClickableLabel(QString(), group);
    small->setObjectName(QStringLiteral("Image2"));
    small->setPixmap(QPixmap(kIcon).scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    auto* words = new QLabel(QStringLiteral("A desktop wallpaper manager.\n\n"
                                            "Written by the Muralo32 developers and\n"
                                            "offered under the MIT licence."),
                             group);
    words->setObjectName(QStringLiteral("Authors"));
    // The caption above keeps the program's traditional number; this is the build actually running.
    auto* version = new QLabel(QStringLiteral("Version %1").arg(QLatin1String(MURALO_VERSION)), group);
    version->setObjectName(QStringLiteral("BuildVersion"));
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* text = new QVBoxLayout;
    text->addWidget(words);
    text->addWidget(version);
    auto* row = new QHBoxLayout(group);
    row->addWidget(large);
    row->addLayout(text, 1);
    row->addWidget(small, 0, Qt::AlignTop);
    connect(large, &ClickableLabel::clicked, this, [help] { help(QStringLiteral("23")); });
    connect(small, &ClickableLabel::clicked, this, [help] { help(QStringLiteral("22")); });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    QPushButton* info = buttons->addButton(QStringLiteral("System Info"), QDialogButtonBox::ActionRole);
    info->setObjectName(QStringLiteral("SystemInfoButton"));
    QPushButton* helpButton = buttons->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole);
    // After the last button: the box shows every button again whenever one is added.
    info->setVisible(!m_deps.systemInformation.isEmpty() && QFileInfo(m_deps.systemInformation).isFile());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(info, &QPushButton::clicked, this, [this] {
        if (m_deps.start) m_deps.start(m_deps.systemInformation);
    });
    connect(helpButton, &QPushButton::clicked, this, [help] { help(QStringLiteral("infAbout")); });
    auto* column = new QVBoxLayout(this);
    column->addWidget(group);
    column->addWidget(buttons);
}
