// SPDX-License-Identifier: MIT
#include "gui/PropertiesPanel.h"

#include "gui/ClickableLabel.h"

#include <QPushButton>
#include <QRadioButton>

namespace {

QLabel* line(QWidget* parent, const char* formName, const QRect& place) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(formName));
    label->setGeometry(place);
    return label;
}

QPushButton* changeButton(QWidget* parent, const char* formName, int top) {
    auto* button = new QPushButton(QStringLiteral("Change..."), parent);
    button->setObjectName(QString::fromLatin1(formName));
    button->setGeometry(247, top, 66, 22);
    return button;
}

QRadioButton* tilingRadio(QWidget* parent, const char* formName, const QString& text, const QRect& place) {
    auto* radio = new QRadioButton(text, parent);
    radio->setObjectName(QString::fromLatin1(formName));
    radio->setGeometry(place);
    // The several-images view shows neither checked, which exclusive radios cannot.
    radio->setAutoExclusive(false);
    return radio;
}

} // namespace

PropertiesPanel::PropertiesPanel(QWidget* parent) : QGroupBox(QStringLiteral("Image Properties"), parent) {
    setObjectName(QStringLiteral("Frame1"));
    setGeometry(232, 8, 321, 185);
    m_nameLine = line(this, "label16", QRect(10, 20, 268, 16));
    m_sizeLine = line(this, "lblImageSize", QRect(10, 38, 268, 16));
    m_stateIcon = line(this, "Image3", QRect(281, 16, 33, 33));
    line(this, "resizingCaption", QRect(10, 62, 58, 16))->setText(QStringLiteral("Resizing:"));
    m_resizeLine = line(this, "label18", QRect(70, 62, 175, 16));
    m_resizeDetailLine = line(this, "label19", QRect(70, 80, 175, 16));
    m_tiled = tilingRadio(this, "option10", QStringLiteral("Tiled"), QRect(10, 102, 90, 18));
    m_single = tilingRadio(this, "option11", QStringLiteral("Single Image"), QRect(100, 102, 120, 18));
    line(this, "soundCaption", QRect(10, 130, 50, 16))->setText(QStringLiteral("Sound:"));
    m_soundLine = line(this, "label22", QRect(60, 130, 185, 16));
    m_soundLine->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPushButton* resize = changeButton(this, "Button2", 60);
    QPushButton* sound = changeButton(this, "Button3", 127);

    m_colourWarning = new ClickableLabel(QStringLiteral("Increase your color depth for better images"), this);
    m_colourWarning->setObjectName(QStringLiteral("Label4"));
    m_colourWarning->setGeometry(10, 160, 301, 16);
    m_colourWarning->setToolTip(QStringLiteral("Click for more information"));
    QFont underlined = m_colourWarning->font();
    underlined.setUnderline(true);
    m_colourWarning->setFont(underlined);
    QPalette red = m_colourWarning->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_colourWarning->setPalette(red);
    m_colourWarning->hide();
    connect(m_colourWarning, &ClickableLabel::clicked, this, &PropertiesPanel::colourWarningClicked);
    connect(resize, &QPushButton::clicked, this, &PropertiesPanel::resizeChangeClicked);
    connect(sound, &QPushButton::clicked, this, &PropertiesPanel::soundChangeClicked);
    // The check follows what the command makes of the click, not the click itself.
    connect(m_tiled, &QRadioButton::clicked, this, [this] { Q_EMIT tilingClicked(true); });
    connect(m_single, &QRadioButton::clicked, this, [this] { Q_EMIT tilingClicked(false); });
}

void PropertiesPanel::showLines(const Lines& lines) {
    setTitle(lines.title);
    m_nameLine->setText(lines.name);
    m_sizeLine->setText(lines.size);
    m_resizeLine->setText(lines.resize);
    m_resizeDetailLine->setText(lines.resizeDetail);
    m_soundLine->setText(lines.sound);
}

void PropertiesPanel::showTiling(Tiling tiling) {
    m_tiled->setChecked(tiling == Tiling::Tiled);
    m_single->setChecked(tiling == Tiling::Single);
}

void PropertiesPanel::showStateIcon(const QIcon& icon, bool shown) {
    m_stateIcon->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(33, 33));
    m_stateIcon->setVisible(shown);
}

void PropertiesPanel::setColourWarningShown(bool shown) {
    m_colourWarning->setVisible(shown);
}

int PropertiesPanel::nameWidth() const {
    return m_nameLine->width();
}

int PropertiesPanel::nameTextWidth(const QString& text) const {
    return m_nameLine->fontMetrics().horizontalAdvance(text);
}

QString PropertiesPanel::soundText() const {
    return m_soundLine->text();
}
