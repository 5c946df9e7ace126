// SPDX-License-Identifier: MIT
#include "gui/MainToolBar.h"

#include "gui/ClickableLabel.h"
#include "gui/ImageList.h"

#include <QStyle>
#include <QToolButton>

namespace {

QToolButton* toolButton(QWidget* parent, const char* formName, const QRect& place, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(formName));
    button->setGeometry(place);
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setIconSize(QSize(16, 16));
    return button;
}

} // namespace

MainToolBar::MainToolBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Panel1"));
    setGeometry(0, 0, 209, 26);

    QToolButton* addImage = toolButton(this, "SpeedButton1", QRect(2, 2, 23, 22), QStringLiteral("Add Image"));
    addImage->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    connect(addImage, &QToolButton::clicked, this, &MainToolBar::addImageClicked);

    // Both order buttons lie in one place; only one of them is shown at a time.
    const QRect orderPlace(27, 2, 32, 22);
    m_orderSequentialButton = toolButton(this, "SpeedButton3", orderPlace, QStringLiteral("Sequential Images"));
    m_orderSequentialButton->setText(QStringLiteral("Seq"));
    m_orderRandomButton = toolButton(this, "SpeedButton2", orderPlace, QStringLiteral("Random Images"));
    m_orderRandomButton->setText(QStringLiteral("Rand"));
    connect(m_orderSequentialButton, &QToolButton::clicked, this,
            [this] { Q_EMIT orderModeRequested(OrderMode::Random); });
    connect(m_orderRandomButton, &QToolButton::clicked, this,
            [this] { Q_EMIT orderModeRequested(OrderMode::Sequential); });

    QToolButton* change = toolButton(this, "SpeedButton5", QRect(61, 2, 23, 22), QStringLiteral("Change Wallpaper"));
    change->setIcon(ImageList::icon(ImageList::ChangeWallpaper));
    connect(change, &QToolButton::clicked, this, &MainToolBar::changeWallpaperClicked);
    QToolButton* clear = toolButton(this, "SpeedButton6", QRect(86, 2, 23, 22), QStringLiteral("Clear Screen"));
    clear->setIcon(ImageList::icon(ImageList::ClearScreen));
    connect(clear, &QToolButton::clicked, this, &MainToolBar::clearScreenClicked);

    m_countdownLabel = new ClickableLabel(QStringLiteral("20.0"), this);
    m_countdownLabel->setObjectName(QStringLiteral("Label12"));
    m_countdownLabel->setGeometry(113, 2, 41, 22);
    m_countdownLabel->setAlignment(Qt::AlignCenter);
    m_countdownLabel->setToolTip(QStringLiteral("Minutes to next change"));
    connect(m_countdownLabel, &ClickableLabel::clicked, this, &MainToolBar::countdownClicked);

    QToolButton* help = toolButton(this, "SpeedButton4", QRect(158, 2, 23, 22), QStringLiteral("Get Help"));
    help->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    connect(help, &QToolButton::clicked, this, &MainToolBar::helpClicked);
}

void MainToolBar::showOrderMode(OrderMode mode) {
    m_orderSequentialButton->setVisible(mode == OrderMode::Sequential);
    m_orderRandomButton->setVisible(mode == OrderMode::Random);
}

void MainToolBar::setCountdownText(const QString& text) {
    m_countdownLabel->setText(text);
}
