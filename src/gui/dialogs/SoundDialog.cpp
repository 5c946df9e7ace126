// SPDX-License-Identifier: MIT
#include "gui/dialogs/SoundDialog.h"

#include "gui/dialogs/DialogButtons.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QLabel* explanation(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

QRadioButton* radio(const char* name, const QString& text, QWidget* parent) {
    auto* button = new QRadioButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

QString SoundDialog::shownName(const QString& path) {
    const QFileInfo info(path.trimmed());
    return !path.trimmed().isEmpty() && info.isFile() ? info.fileName() : QStringLiteral("(None)");
}

SoundDialog::SoundDialog(Setup setup, QWidget* parent) : QDialog(parent), m_setup(std::move(setup)) {
    setObjectName(QStringLiteral("TSoundForm"));
    setWindowTitle(QStringLiteral("Sound Options"));
    const bool defaultMode = m_setup.mode == Mode::DefaultSound;
    auto* defaultText = explanation(
        "Label10",
        QStringLiteral("Choose a default sound file which will play with each image change unless a separate option "
                       "has been selected for that image. Sounds must be WAV or MIDI files to play directly with "
                       "Muralo32; MP3 files may be selected but will require a separate player."),
        this);
    auto* imagesText =
        explanation("label11",
                    QStringLiteral("Choose a sound option for the selected images.  Sound files chosen with this "
                                   "dialog will only be used for the selected images.    Sounds played directly by "
                                   "Muralo32 must be .WAV or MIDI files; MP3 files may be selected, but will require "
                                   "a separate player."),
                    this);
    m_useDefault = radio("option10", QStringLiteral("Use the default sound"), this);
    m_noSound = radio("option11", QStringLiteral("Don't use a sound"), this);
    m_ownSound = radio("option12", QStringLiteral("Use a different sound..."), this);
    m_defaultName = new QLabel(this);
    m_defaultName->setObjectName(QStringLiteral("Label20"));
    m_ownName = new QLabel(this);
    m_ownName->setObjectName(QStringLiteral("Label21"));
    m_choose = new QPushButton(QStringLiteral("Choose a sound"), this);
    m_choose->setObjectName(QStringLiteral("Command1"));

    auto* grid = new QGridLayout;
    grid->addWidget(m_useDefault, 0, 0);
    grid->addWidget(m_defaultName, 0, 1);
    grid->addWidget(m_noSound, 1, 0);
    grid->addWidget(m_ownSound, 2, 0);
    grid->addWidget(m_ownName, 2, 1);
    grid->addWidget(m_choose, 3, 0, Qt::AlignLeft);
    QDialogButtonBox* buttons = okCancelHelpButtons(this, [this] {
        if (m_setup.openHelp) m_setup.openHelp();
    });
    auto* column = new QVBoxLayout(this);
    column->addWidget(defaultText);
    column->addWidget(imagesText);
    column->addLayout(grid);
    column->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_choose, &QPushButton::clicked, this, &SoundDialog::chooseSound);
    connect(m_useDefault, &QRadioButton::clicked, this, [this] { showChooseButtonFor(UseDefault); });
    connect(m_noSound, &QRadioButton::clicked, this, [this] { showChooseButtonFor(NoSound); });
    connect(m_ownSound, &QRadioButton::clicked, this, [this] { showChooseButtonFor(OwnSound); });
    imagesText->setVisible(!defaultMode);
    defaultText->setVisible(defaultMode);
    showStartingChoice();
}

// The names and the checked option the dialog opens with.
void SoundDialog::showStartingChoice() {
    const bool defaultMode = m_setup.mode == Mode::DefaultSound;
    m_defaultName->setText(shownName(m_setup.defaultSound));
    m_ownSound->setVisible(!defaultMode);
    m_ownName->setVisible(!defaultMode);
    m_chosen = m_setup.chosenSound;
    Option start = m_setup.defaultOff ? NoSound : UseDefault;
    if (!defaultMode) {
        if (m_setup.defaultOff) m_defaultName->setText(QStringLiteral("(None)"));
        start = UseDefault;
        if (m_setup.single) {
            const auto& [option, path] = *m_setup.single;
            start = option == NoSound ? NoSound : option == OwnSound ? OwnSound : UseDefault;
            const QString name = shownName(path);
            m_chosen = name == QStringLiteral("(None)") ? QString() : QFileInfo(path.trimmed()).absoluteFilePath();
            m_ownName->setText(name);
        }
    }
    (start == NoSound ? m_noSound : start == OwnSound ? m_ownSound : m_useDefault)->setChecked(true);
    showChooseButtonFor(start);
}

void SoundDialog::showChooseButtonFor(Option option) {
    const bool defaultMode = m_setup.mode == Mode::DefaultSound;
    m_choose->setVisible(option == OwnSound || (option == UseDefault && defaultMode));
}

SoundDialog::Option SoundDialog::option() const {
    if (m_noSound->isChecked()) return NoSound;
    return m_ownSound->isChecked() ? OwnSound : UseDefault;
}

void SoundDialog::chooseSound() {
    const QString picked = m_setup.pickSound ? m_setup.pickSound() : QString();
    if (picked.isEmpty() || !QFileInfo(picked).isFile()) return;
    const QString name = QFileInfo(picked).fileName();
    if (m_setup.mode == Mode::DefaultSound) {
        m_defaultName->setText(name);
    } else {
        m_ownName->setText(name);
        m_chosen = picked;
    }
}
