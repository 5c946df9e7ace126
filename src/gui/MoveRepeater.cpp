// SPDX-License-Identifier: MIT
#include "gui/MoveRepeater.h"

#include <QTimer>

namespace {

constexpr int kFirstDelayMs = 1;
constexpr int kSecondDelayMs = 500;
constexpr int kRepeatDelayMs = 50;

} // namespace

MoveRepeater::MoveRepeater(QObject* parent) : QObject(parent), m_timer(new QTimer(this)) {
    m_timer->setObjectName(QStringLiteral("Timer3"));
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(kFirstDelayMs);
    connect(m_timer, &QTimer::timeout, this, &MoveRepeater::onTimeout);
}

void MoveRepeater::start(QueueRowMoves::Direction direction) {
    m_held = true;
    m_direction = direction;
    m_timer->setInterval(kFirstDelayMs);
    m_timer->start();
}

void MoveRepeater::stop() {
    m_held = false;
    m_timer->stop();
}

void MoveRepeater::resume() {
    if (m_held) m_timer->start();
}

void MoveRepeater::onTimeout() {
    m_timer->stop();
    Q_EMIT step(m_direction);
    if (m_timer->interval() == kFirstDelayMs)
        m_timer->setInterval(kSecondDelayMs);
    else if (m_timer->interval() == kSecondDelayMs)
        m_timer->setInterval(kRepeatDelayMs);
}
