// SPDX-License-Identifier: MIT
#include "queue/QueueRowMoves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Row = QueueRowMoves::Row;

// Rows whose content is a letter per row; entry numbers 1..n stay in place, as in the list.
struct Board {
    std::vector<Row> rows;
    std::string content; // what each row shows
    int followed = -1;

    explicit Board(const std::string& selection) {
        for (std::size_t i = 0; i < selection.size(); ++i) {
            rows.push_back(Row{int(i) + 1, selection[i] == 'x'});
            content.push_back(char('A' + i));
        }
    }

    int move(int direction) {
        return QueueRowMoves::move(
            rows, direction,
            [this](int upper, int lower) {
                ASSERT_EQ(lower, upper + 1);
                std::swap(content[upper], content[lower]);
            },
            [this](int row) { followed = row; });
    }

    std::string selection() const {
        std::string s;
        for (const Row& r : rows)
            s.push_back(r.selected ? 'x' : '.');
        return s;
    }

    // Entry numbers never leave their place: the records behind them are exchanged instead.
    void expectEntriesInPlace() const {
        for (std::size_t i = 0; i < rows.size(); ++i)
            ASSERT_EQ(rows[i].entry, int(i) + 1) << "row " << i;
    }
};

const int kUp = QueueRowMoves::Up;
const int kDown = QueueRowMoves::Down;

TEST(QueueRowMoves, SelectedRowsStepPastUnselectedOnes) {
    // The selection before, the direction, the selection after, the row contents after the move (starting
    // from "ABC..."), the number of exchanges and the last row that received a moved row (-1: none moved).
    using M = std::tuple<const char*, int, const char*, const char*, int, int>;
    for (const auto& [before, direction, after, content, exchanges, followed] :
         {// The edges of the list.
          M{"xx....", kUp, "xx....", "ABCDEF", 0, -1}, M{".xx...", kUp, "xx....", "BCADEF", 2, 1},
          M{".....x", kDown, ".....x", "ABCDEF", 0, -1}, M{"...x.x", kDown, "....xx", "ABCEDF", 1, 4},
          // Blocks and gaps.
          M{"x.x.x.", kUp, "xx.x..", "ACBEDF", 2, 3}, M{"x.x.x.", kDown, ".x.x.x", "BADCFE", 3, 1},
          M{"xx..xx", kUp, "xx.xx.", "ABCEFD", 2, 4}, M{"xx..xx", kDown, ".xx.xx", "CABDEF", 2, 1},
          M{"..x...", kUp, ".x....", "ACBDEF", 1, 1}, M{"..x...", kDown, "...x..", "ABDCEF", 1, 3},
          M{"xxxxxx", kUp, "xxxxxx", "ABCDEF", 0, -1}, M{"xxxxxx", kDown, "xxxxxx", "ABCDEF", 0, -1},
          M{"......", kUp, "......", "ABCDEF", 0, -1}, M{"......", kDown, "......", "ABCDEF", 0, -1},
          M{"x", kUp, "x", "A", 0, -1}, M{"x", kDown, "x", "A", 0, -1}, M{"", kDown, "", "", 0, -1},
          // Any other direction (the "none" direction of a released button) moves nothing.
          M{".x.", -1, ".x.", "ABC", 0, -1}}) {
        SCOPED_TRACE(std::string(before) + (direction == kUp ? " up" : " down"));
        Board board(before);
        EXPECT_EQ(board.move(direction), exchanges);
        EXPECT_EQ(board.followed, followed);
        EXPECT_EQ(board.selection(), after);
        EXPECT_EQ(board.content, content);
        board.expectEntriesInPlace();
    }
}

// Every selection of up to 8 rows, both directions, repeated moves: each step moves every
// selected row by at most one, keeps the number selected and the entry numbers in place,
// and after n steps the selected rows sit at the edge as one block.
TEST(QueueRowMoves, EverySelectionReachesTheEdgeOneStepAtATime) {
    for (int n = 1; n <= 8; ++n) {
        for (int mask = 0; mask < (1 << n); ++mask) {
            for (int direction : {kUp, kDown}) {
                std::string selection;
                for (int i = 0; i < n; ++i)
                    selection.push_back((mask >> i) & 1 ? 'x' : '.');
                SCOPED_TRACE(selection + (direction == kUp ? " up" : " down"));
                Board board(selection);
                const auto count = std::count(selection.begin(), selection.end(), 'x');
                for (int step = 0; step < n + 1; ++step) {
                    const std::string contentBefore = board.content;
                    const std::string selectedBefore = board.selection();
                    board.move(direction);
                    const std::string selected = board.selection();
                    ASSERT_EQ(std::count(selected.begin(), selected.end(), 'x'), count);
                    for (int i = 0; i < n; ++i) {
                        if (selectedBefore[i] != 'x') continue;
                        const auto to = int(board.content.find(contentBefore[i]));
                        ASSERT_TRUE(to == i || to == i + (direction == kUp ? -1 : 1)) << "step " << step;
                        ASSERT_EQ(selected[to], 'x');
                    }
                    ASSERT_NO_FATAL_FAILURE(board.expectEntriesInPlace());
                }
                const std::string block(count, 'x'), rest(n - count, '.');
                ASSERT_EQ(board.selection(), direction == kUp ? block + rest : rest + block);
            }
        }
    }
}

} // namespace
