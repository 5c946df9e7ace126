// SPDX-License-Identifier: MIT
#include "gui/PropertiesPanel.h"

#include "gui/ClickableLabel.h"

namespace {

QLabel* line(QWidget* parent, const char* formName, const QRect& place) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(formName));
    label->setGeometry(place);
    return label;
}

// The queue file keeps a resize mode per image size: 0 resize, 1 stretch, anything else none.
QString resizeRule(const QString& prefix, int mode) {
    switch (mode) {
    case 0:
        return prefix + QStringLiteral("resize");
    case 1:
        return prefix + QStringLiteral("stretch");
    default:
        return prefix + QStringLiteral("no resize");
    }
}

} // namespace

PropertiesPanel::PropertiesPanel(QWidget* parent) : QGroupBox(QStringLiteral("Image Properties"), parent) {
    setObjectName(QStringLiteral("Frame1"));
    setGeometry(232, 8, 321, 185);
    m_nameLine = line(this, "label16", QRect(10, 20, 301, 16));
    m_sizeLine = line(this, "lblImageSize", QRect(10, 38, 301, 16));
    m_resizeLine = line(this, "label18", QRect(10, 66, 301, 16));
    m_resizeDetailLine = line(this, "label19", QRect(10, 84, 301, 16));
    auto* soundCaption = new QLabel(QStringLiteral("Sound:"), this);
    soundCaption->setGeometry(10, 110, 50, 16);
    m_soundLine = line(this, "label22", QRect(60, 110, 251, 16));

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
}

void PropertiesPanel::showQueueDefaults(int smallResizeMode, int largeResizeMode, const QString& soundName) {
    setTitle(QStringLiteral("Queue Defaults"));
    m_nameLine->setText(QStringLiteral("Default values are used for new image additions"));
    m_sizeLine->setText(QStringLiteral("and when image-specific values are not set."));
    m_resizeLine->setText(resizeRule(QStringLiteral("Small img: "), smallResizeMode));
    m_resizeDetailLine->setText(resizeRule(QStringLiteral("Large img: "), largeResizeMode));
    m_soundLine->setText(soundName);
}

void PropertiesPanel::setColourWarningShown(bool shown) {
    m_colourWarning->setVisible(shown);
}
