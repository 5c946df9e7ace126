// SPDX-License-Identifier: MIT
#include "queue/QueueRowMoves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
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

struct MoveCase {
    const char* before;
    int direction;
    const char* after;
    const char* content; // row contents after the move, starting from "ABC..."
    int exchanges;
    int followed; // the last row that received a moved row, -1 when none moved
};

class MoveTable : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveTable, SelectedRowsStepPastUnselectedOnes) {
    const MoveCase c = GetParam();
    Board board(c.before);
    EXPECT_EQ(board.move(c.direction), c.exchanges);
    EXPECT_EQ(board.followed, c.followed);
    EXPECT_EQ(board.selection(), c.after);
    EXPECT_EQ(board.content, c.content);
    board.expectEntriesInPlace();
}

const int kUp = QueueRowMoves::Up;
const int kDown = QueueRowMoves::Down;

INSTANTIATE_TEST_SUITE_P(
    Rows, MoveTable,
    ::testing::Values(
        // The edges of the list.
        MoveCase{"xx....", kUp, "xx....", "ABCDEF", 0, -1}, MoveCase{".xx...", kUp, "xx....", "BCADEF", 2, 1},
        MoveCase{".....x", kDown, ".....x", "ABCDEF", 0, -1}, MoveCase{"...x.x", kDown, "....xx", "ABCEDF", 1, 4},
        // Blocks and gaps.
        MoveCase{"x.x.x.", kUp, "xx.x..", "ACBEDF", 2, 3}, MoveCase{"x.x.x.", kDown, ".x.x.x", "BADCFE", 3, 1},
        MoveCase{"xx..xx", kUp, "xx.xx.", "ABCEFD", 2, 4}, MoveCase{"xx..xx", kDown, ".xx.xx", "CABDEF", 2, 1},
        MoveCase{"..x...", kUp, ".x....", "ACBDEF", 1, 1}, MoveCase{"..x...", kDown, "...x..", "ABDCEF", 1, 3},
        MoveCase{"xxxxxx", kUp, "xxxxxx", "ABCDEF", 0, -1}, MoveCase{"xxxxxx", kDown, "xxxxxx", "ABCDEF", 0, -1},
        MoveCase{"......", kUp, "......", "ABCDEF", 0, -1}, MoveCase{"......", kDown, "......", "ABCDEF", 0, -1},
        MoveCase{"x", kUp, "x", "A", 0, -1}, MoveCase{"x", kDown, "x", "A", 0, -1}, MoveCase{"", kDown, "", "", 0, -1},
        // Any other direction (the "none" direction of a released button) moves nothing.
        MoveCase{".x.", -1, ".x.", "ABC", 0, -1}));

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
