// SPDX-License-Identifier: MIT
#pragma once

#include "queue/QueueRowMoves.h"

#include <QObject>

class QTimer;

// Press and hold on a move button: one step at once, the next after half a second, then
// twenty a second until the button is released. A step that could not be made ends the
// repeat, because the list resumes the timer only after a move.
class MoveRepeater : public QObject {
    Q_OBJECT
public:
    explicit MoveRepeater(QObject* parent = nullptr);

    void start(QueueRowMoves::Direction direction);
    void stop();
    // Called after each move: waits for the next step while the button is held.
    void resume();

Q_SIGNALS:
    void step(QueueRowMoves::Direction direction);

private:
    void onTimeout();

    QTimer* m_timer;
    QueueRowMoves::Direction m_direction = QueueRowMoves::Up;
    bool m_held = false;
};
