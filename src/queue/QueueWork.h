// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include <deque>
#include <functional>

// The one path that every piece of work on the open queue and its rows takes: wallpaper
// changes, clicks on rows, sorting, file commands, drops, commands from murctl.
//
// A change lets the window system breathe while it decodes and scales (the window stays
// responsive), so a click can arrive in the middle of one. Work handed in while another piece
// runs does not run inside it: it waits in line and runs from the event loop once the running
// piece has finished, in the order it came. Nothing ever waits for its turn in a nested loop,
// so nothing can hang waiting for work below it on the stack.
//
// Work that makes no sense later (a timer tick that would start a change) asks with
// runIfIdle() instead and is dropped while anything runs.
class QueueWork : public QObject {
    Q_OBJECT
public:
    using Work = std::function<void()>;

    explicit QueueWork(QObject* parent = nullptr);

    // Runs work at once when nothing runs, else queues it. True when it ran at once.
    bool run(Work work);
    // Runs work at once when nothing runs and nothing waits; false (and nothing done) otherwise.
    bool runIfIdle(const Work& work);

    bool isBusy() const { return m_running; }
    int waiting() const { return static_cast<int>(m_waiting.size()); }
    // Drops the work in line (the window is closing); the running piece finishes as it will.
    void dropWaiting() { m_waiting.clear(); }

Q_SIGNALS:
    // The running piece and everything that was waiting have finished.
    void idle();

private:
    void runNow(const Work& work);
    void finish();
    void runNextWaiting();

    bool m_running = false;
    bool m_drainScheduled = false;
    std::deque<Work> m_waiting;
};
