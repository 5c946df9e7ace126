// SPDX-License-Identifier: MIT
#pragma once

#include "queue/OrderMode.h"

#include <QWidget>

class ClickableLabel;
class QToolButton;

// The row above the monitor: add image, display order, change, clear, the countdown and help.
class MainToolBar : public QWidget {
    Q_OBJECT
public:
    explicit MainToolBar(QWidget* parent = nullptr);

    // Shows the button that names the order in use ("Seq" or "Rand"); a click on it asks for
    // the other order.
    void showOrderMode(OrderMode mode);
    void setCountdownText(const QString& text);

Q_SIGNALS:
    void addImageClicked();
    void orderModeRequested(OrderMode mode);
    void changeWallpaperClicked();
    void clearScreenClicked();
    void countdownClicked();
    void helpClicked();

private:
    QToolButton* m_orderSequentialButton = nullptr;
    QToolButton* m_orderRandomButton = nullptr;
    ClickableLabel* m_countdownLabel = nullptr;
};
