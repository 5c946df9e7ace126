// SPDX-License-Identifier: MIT
#pragma once

#include <QGroupBox>
#include <QIcon>

class ClickableLabel;
class QLabel;
class QPushButton;
class QRadioButton;

// The Image Properties box: how the selected images, or the queue's defaults, will be shown,
// and the warning that the display has too few colours for good pictures.
class PropertiesPanel : public QGroupBox {
    Q_OBJECT
public:
    enum class Tiling { Tiled, Single, Neither };
    // What the box shows; every view fills all of it.
    struct Lines {
        QString title;
        QString name;
        QString size;
        QString resize;
        QString resizeDetail;
        QString sound;
    };

    explicit PropertiesPanel(QWidget* parent = nullptr);

    void showLines(const Lines& lines);
    void showTiling(Tiling tiling);
    // The state icon; a null icon clears it, `shown` false hides it.
    void showStateIcon(const QIcon& icon, bool shown);
    void setColourWarningShown(bool shown);
    // The width the name line has for a path.
    int nameWidth() const;
    int nameTextWidth(const QString& text) const;
    QString soundText() const;

Q_SIGNALS:
    void colourWarningClicked();
    void resizeChangeClicked();
    void soundChangeClicked();
    // The user clicked "Tiled" (true) or "Single Image" (false).
    void tilingClicked(bool tiled);

private:
    QLabel* m_nameLine = nullptr;
    QLabel* m_sizeLine = nullptr;
    QLabel* m_resizeLine = nullptr;
    QLabel* m_resizeDetailLine = nullptr;
    QLabel* m_soundLine = nullptr;
    QLabel* m_stateIcon = nullptr;
    QRadioButton* m_tiled = nullptr;
    QRadioButton* m_single = nullptr;
    ClickableLabel* m_colourWarning = nullptr;
};
