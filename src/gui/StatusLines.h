// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

// The two sunken lines at the bottom of the window, the queue in use and the image on the
// desktop, with the small button beside the queue line.
class StatusLines : public QWidget {
    Q_OBJECT
public:
    explicit StatusLines(QWidget* parent = nullptr);

    void setQueueLine(const QString& text);
    // "Current Image: " and the image's path in lower case, shortened to fit the line.
    void showCurrentImage(const QString& imageText);
    void setQueueButtonShown(bool shown);
    // Where the queue line starts on the screen: the queue list pops up there.
    QPoint queueLineCorner() const;

Q_SIGNALS:
    // The "..." button: the queues beside the open one are asked for.
    void queueButtonClicked();

protected:
    // The path is shortened to the room the line has, which is known only once it is laid out.
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void layOutCurrentImage();

    QString m_imageText;
    QToolButton* m_queueButton = nullptr;
    QLabel* m_queueLine = nullptr;
    QLabel* m_currentImageLine = nullptr;
};
