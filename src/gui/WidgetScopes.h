// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>
#include <QWidget>

// The hourglass for the length of a long rebuild.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Hides a widget while many of its rows change and shows it again on every way out, unless
// it was hidden before.
class HiddenWhileBuilding {
public:
    explicit HiddenWhileBuilding(QWidget& w) : m_w(w), m_wasHidden(w.isHidden()) { m_w.setVisible(false); }
    ~HiddenWhileBuilding() {
        if (!m_wasHidden) m_w.setVisible(true);
    }
    HiddenWhileBuilding(const HiddenWhileBuilding&) = delete;
    HiddenWhileBuilding& operator=(const HiddenWhileBuilding&) = delete;

private:
    QWidget& m_w;
    bool m_wasHidden;
};
