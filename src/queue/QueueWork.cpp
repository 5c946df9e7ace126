// SPDX-License-Identifier: MIT
#include "QueueWork.h"

#include <QTimer>

QueueWork::QueueWork(QObject* parent) : QObject(parent) {}

bool QueueWork::run(Work work) {
    if (m_running || !m_waiting.empty()) {
        m_waiting.push_back(std::move(work));
        return false;
    }
    runNow(work);
    return true;
}

bool QueueWork::runIfIdle(const Work& work) {
    if (m_running || !m_waiting.empty()) return false;
    runNow(work);
    return true;
}

void QueueWork::runNow(const Work& work) {
    m_running = true;
    try {
        work();
    } catch (...) {
        // Whatever the work throws, the path must open again for the next piece.
        finish();
        throw;
    }
    finish();
}

void QueueWork::finish() {
    m_running = false;
    if (m_waiting.empty()) {
        Q_EMIT idle();
    } else if (!m_drainScheduled) {
        // From the event loop, not from here: the piece that just ended may itself sit inside
        // a nested loop of something further down the stack.
        m_drainScheduled = true;
        QTimer::singleShot(0, this, [this] { runNextWaiting(); });
    }
}

void QueueWork::runNextWaiting() {
    m_drainScheduled = false;
    if (m_running || m_waiting.empty()) return;
    Work next = std::move(m_waiting.front());
    m_waiting.pop_front();
    runNow(next);
}
