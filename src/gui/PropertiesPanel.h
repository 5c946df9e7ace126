// SPDX-License-Identifier: MIT
#pragma once

#include <QGroupBox>

class ClickableLabel;
class QLabel;

// The Image Properties box: how the selected images, or the queue's defaults, will be shown,
// and the warning that the display has too few colours for good pictures.
class PropertiesPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit PropertiesPanel(QWidget* parent = nullptr);

    // What new entries get and what entries without values of their own use: the resize
    // modes of small and large images and the default sound's file name.
    void showQueueDefaults(int smallResizeMode, int largeResizeMode, const QString& soundName);
    void setColourWarningShown(bool shown);

Q_SIGNALS:
    void colourWarningClicked();

private:
    QLabel* m_nameLine = nullptr;
    QLabel* m_sizeLine = nullptr;
    QLabel* m_resizeLine = nullptr;
    QLabel* m_resizeDetailLine = nullptr;
    QLabel* m_soundLine = nullptr;
    ClickableLabel* m_colourWarning = nullptr;
};
