// SPDX-License-Identifier: MIT
#include "gui/filedlg/PreviewPanel.h"

#include "gui/filedlg/ImagePreview.h"
#include "gui/filedlg/PreviewMonitor.h"
#include "wallpaper/SoundOutput.h"

#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kWidth = 200;

// The program's icon and its name, at the foot of the panel.
QWidget* namePlate(QWidget* parent) {
    auto* plate = new QWidget(parent);
    auto* row = new QHBoxLayout(plate);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    auto* icon = new QLabel(plate);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setFrameShape(QFrame::Panel);
    icon->setFrameShadow(QFrame::Sunken);
    icon->setFixedSize(20, 20);
    icon->setPixmap(QPixmap(QStringLiteral(":/muralo32/muralo32.png"))
                        .scaled(18, 18, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    auto* name = new QLabel(QStringLiteral("Muralo32"), plate);
    name->setObjectName(QStringLiteral("NamePlate"));
    QFont font = name->font();
    font.setBold(true);
    font.setItalic(true);
    name->setFont(font);
    name->setFixedSize(128, 20);
    row->addWidget(icon);
    row->addWidget(name);
    row->addStretch();
    return plate;
}

} // namespace

PreviewPanel::PreviewPanel(Kind kind, Services services, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_services(std::move(services)) {
    setObjectName(QStringLiteral("DLGTEMPLATE"));
    // Wide enough for the longest facts line, so the dialog does not jump as files are picked.
    setFixedWidth(kWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 0, 0, 0);
    auto* picturePanel = new QWidget(this);
    picturePanel->setObjectName(QStringLiteral("PicturePanel"));
    auto* pictureLayout = new QVBoxLayout(picturePanel);
    pictureLayout->setContentsMargins(0, 0, 0, 0);
    m_monitor = new PreviewMonitor(picturePanel);
    m_monitor->setScreenColour(m_services.screenColour);
    pictureLayout->addWidget(m_monitor);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("PreviewStatus"));
    m_status->setAlignment(Qt::AlignCenter);
    m_previewButton = new QPushButton(QStringLiteral("Preview"), this);
    m_previewButton->setObjectName(QStringLiteral("PreviewButton"));
    m_autoPreviewBox = new QCheckBox(QStringLiteral("Auto Preview"), this);
    m_autoPreviewBox->setObjectName(QStringLiteral("autoprev"));
    column->addWidget(picturePanel, 0, Qt::AlignHCenter);
    column->addWidget(m_status);
    column->addWidget(m_previewButton, 0, Qt::AlignLeft);
    column->addWidget(m_autoPreviewBox);
    column->addStretch();
    column->addWidget(namePlate(this));
    // Sounds have nothing to show but the buttons.
    picturePanel->setVisible(kind == Kind::Image);
    m_status->setVisible(kind == Kind::Image);
    connect(m_previewButton, &QPushButton::clicked, this, &PreviewPanel::preview);
    connect(m_autoPreviewBox, &QCheckBox::toggled, this, &PreviewPanel::setAutoPreview);
}

PreviewPanel::~PreviewPanel() = default;

QString PreviewPanel::statusText() const {
    return m_status->text();
}

void PreviewPanel::setCurrentFile(const QString& path) {
    m_current = path;
    if (m_autoPreview) {
        preview();
    } else if (m_kind == Kind::Image) {
        m_monitor->setPicture(QImage(), QSize(), false);
    }
}

void PreviewPanel::folderChanged() {
    m_current.clear();
    preview();
}

void PreviewPanel::preview() {
    if (m_kind == Kind::Image) {
        previewImage();
    } else if (m_services.sound) {
        m_services.sound->play(m_current);
    }
}

void PreviewPanel::setAutoPreview(bool on) {
    if (on == m_autoPreview) return;
    m_autoPreview = on;
    m_autoPreviewBox->setChecked(on);
    m_previewButton->setVisible(!on);
    if (on) preview();
}

void PreviewPanel::stop() {
    if (m_kind == Kind::Sound && m_services.sound) m_services.sound->play(QString());
}

void PreviewPanel::previewImage() {
    const int depth = m_services.screenDepth ? m_services.screenDepth() : 24;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ImagePreview shown = ::previewImage(m_current, depth);
    QApplication::restoreOverrideCursor();
    m_status->setText(shown.status);
    m_monitor->setPicture(shown.picture, shown.size, shown.animated);
}
