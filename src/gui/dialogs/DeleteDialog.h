// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <functional>

class QRadioButton;

// Asks whether the selected images leave the queue only or the disk too.
class DeleteDialog : public QDialog {
    Q_OBJECT
public:
    enum Choice { Cancelled = 0, FromQueueOnly = 1, FromQueueAndDisk = 2 };

    DeleteDialog(int selectedRows, std::function<void()> openHelp, QWidget* parent = nullptr);

    // Cancelled unless the user pressed OK.
    Choice choice() const { return m_choice; }

    // Runs the dialog; Cancelled when it was closed any other way than with OK.
    static Choice ask(int selectedRows, const std::function<void()>& openHelp, QWidget* parent);

private:
    QRadioButton* m_queueOnly = nullptr;
    Choice m_choice = Cancelled;
};
