// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <vector>

class QueueHeader;

// Moving the selected rows of the queue list one step up or down, on plain rows so the
// walk can be checked without a window. A row's entry number stays with its place; what
// moves is the row's content and, with it, the record behind the entry number.
class QueueRowMoves {
public:
    struct Row {
        int entry = 0;
        bool selected = false;
    };

    // Exchanges the contents of rows upper and upper + 1 (caption, icon, record).
    using Exchange = std::function<void(int upperRow, int lowerRow)>;
    // Row that has just received a moved row and should be brought into view.
    using Follow = std::function<void(int row)>;

    enum Direction { Up = 0, Down = 1 };

    // One step in the given direction. Selected rows pass over unselected ones; a block of
    // selected rows already at the edge stays put. The selection flags move with the rows.
    // Returns the number of exchanges made.
    static int move(std::vector<Row>& rows, int direction, const Exchange& exchange, const Follow& follow = {});

    // First selected row at or after i, last selected row at or before i; -1 when none.
    static int firstSelectedFrom(const std::vector<Row>& rows, int i);
    static int lastSelectedUpTo(const std::vector<Row>& rows, int i);

    // Exchanges the record index table elements of two entry numbers.
    static void swapRecords(QueueHeader& header, int entryA, int entryB);
};
