// SPDX-License-Identifier: MIT
#include "QueueRowMoves.h"

#include "queue/QueueHeader.h"

#include <cstddef>

namespace {

bool selectedAt(const std::vector<QueueRowMoves::Row>& rows, int i) {
    return rows[static_cast<std::size_t>(i)].selected;
}

void setSelected(std::vector<QueueRowMoves::Row>& rows, int i, bool on) {
    rows[static_cast<std::size_t>(i)].selected = on;
}

} // namespace

int QueueRowMoves::firstSelectedFrom(const std::vector<Row>& rows, int i) {
    const int n = static_cast<int>(rows.size());
    for (int r = i < 0 ? 0 : i; r < n; ++r)
        if (selectedAt(rows, r)) return r;
    return -1;
}

int QueueRowMoves::lastSelectedUpTo(const std::vector<Row>& rows, int i) {
    const int n = static_cast<int>(rows.size());
    for (int r = i >= n ? n - 1 : i; r >= 0; --r)
        if (selectedAt(rows, r)) return r;
    return -1;
}

void QueueRowMoves::swapRecords(QueueHeader& header, int entryA, int entryB) {
    const auto a = header.recordIndex(entryA);
    header.setRecordIndex(entryA, header.recordIndex(entryB));
    header.setRecordIndex(entryB, a);
}

int QueueRowMoves::move(std::vector<Row>& rows, int direction, const Exchange& exchange, const Follow& follow) {
    int exchanges = 0;
    auto step = [&](int from, int to) {
        const int upper = from < to ? from : to;
        if (exchange) exchange(upper, upper + 1);
        setSelected(rows, to, true);
        setSelected(rows, from, false);
        ++exchanges;
        if (follow) follow(to);
    };

    if (direction == Up) {
        // "settled" is the lowest row that can no longer take a row from below: the
        // edge itself, or a selected row that has already moved or stayed.
        int settled = firstSelectedFrom(rows, 0) == 0 ? 0 : -1;
        int i = 1;
        while (i >= 1) {
            i = firstSelectedFrom(rows, i);
            if (i > 0 && i - settled > 1) {
                step(i, i - 1);
                settled = i - 1;
                continue;
            }
            settled = i;
            i = i + 1;
        }
    } else if (direction == Down) {
        const int n = static_cast<int>(rows.size());
        int i = lastSelectedUpTo(rows, n - 1);
        int settled = n;
        while (i >= 0) {
            i = lastSelectedUpTo(rows, i);
            if (i == n - 1) settled = i;
            if (i >= 0 && i <= n - 2 && settled - i > 1) {
                step(i, i + 1);
                settled = i + 1;
                continue;
            }
            settled = i;
            if (i >= 0) i = i - 1;
        }
    }
    return exchanges;
}
