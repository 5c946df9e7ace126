// SPDX-License-Identifier: MIT
#pragma once

#include "queue/QueueHeader.h"

#include <QDialog>
#include <QSize>

#include <functional>

class QLineEdit;
class QRadioButton;

// How an image is fitted to the screen: its mode (0 proportional, 1 stretch, 2 none, 3 the
// queue's default) and, when fixedSize is 1, the size it is fitted to instead of the screen.
struct ResizeChoice {
    int mode = 0;
    int fixedSize = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ResizeChoice&) const = default;
};

// The queue's defaults: one rule for images smaller than the threshold, one for the others.
struct DefaultResize {
    QueueHeader::Rule small;
    QueueHeader::Rule large;
    int thresholdWidth = 0;
    int thresholdHeight = 0;
    bool operator==(const DefaultResize&) const = default;
};

// A size as the dialogs store it: at least 32, at most twice the screen's side.
int clampResizeSide(int value, int screenSide);

// The mode radios, size radios and size boxes of one rule, with their enabling rules.
class ResizeRuleControls : public QObject {
    Q_OBJECT
public:
    // `withDefault` adds "Use Default" (for images); the boxes are named as given.
    ResizeRuleControls(QWidget* parent, bool withDefault, const char* widthName, const char* heightName);

    QWidget* widget() const { return m_widget; }
    void show(const ResizeChoice& choice);
    int mode() const;
    int fixedSize() const;
    QLineEdit* widthBox() const { return m_width; }
    QLineEdit* heightBox() const { return m_height; }

private:
    void enable();

    QWidget* m_widget;
    QRadioButton* m_none;
    QRadioButton* m_proportional;
    QRadioButton* m_stretch;
    QRadioButton* m_useDefault = nullptr;
    QRadioButton* m_screenSize;
    QRadioButton* m_fixedSize;
    QLineEdit* m_width;
    QLineEdit* m_height;
};

// The queue's default resize rules and threshold.
class DefaultResizeDialog : public QDialog {
    Q_OBJECT
public:
    using Complaint = std::function<void(const QString& message)>;
    DefaultResizeDialog(const DefaultResize& stored, QSize screen, Complaint complain, std::function<void()> openHelp,
                        QWidget* parent = nullptr);
    // What OK settled on.
    const DefaultResize& result() const { return m_result; }

private:
    void onOk();

    QSize m_screen;
    Complaint m_complain;
    DefaultResize m_result;
    ResizeRuleControls* m_small;
    ResizeRuleControls* m_large;
    QLineEdit* m_thresholdWidth;
    QLineEdit* m_thresholdHeight;
};

// The resize rule of the selected images, starting from the first one's.
class ImageResizeDialog : public QDialog {
    Q_OBJECT
public:
    ImageResizeDialog(const ResizeChoice& first, QSize screen, std::function<void()> openHelp,
                      QWidget* parent = nullptr);
    const ResizeChoice& result() const { return m_result; }

private:
    void onOk();

    QSize m_screen;
    ResizeChoice m_result;
    ResizeRuleControls* m_rule;
};
