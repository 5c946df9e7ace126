// SPDX-License-Identifier: MIT
#include "queue/QueueRowMoves.h"
#include "queue/QueueHeader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Row = QueueRowMoves::Row;

// Rows whose content is a letter per row; entry numbers 1..n stay in place, as in the
// list, and the record table says which record each entry number leads to.
struct Board {
    std::vector<Row> rows;
    std::string content;     // what each row shows
    std::vector<int> record; // record of entry number n at [n]
    int followed = -1;

    explicit Board(const std::string& selection) {
        for (std::size_t i = 0; i < selection.size(); ++i) {
            rows.push_back(Row{static_cast<int>(i) + 1, selection[i] == 'x'});
            content.push_back(static_cast<char>('A' + i));
        }
        record.resize(selection.size() + 1);
        // Records deliberately not equal to entry numbers.
        for (std::size_t n = 1; n < record.size(); ++n)
            record[n] = static_cast<int>(100 + n * 7);
    }

    int move(int direction) {
        return QueueRowMoves::move(
            rows, direction,
            [this](int upper, int lower) {
                ASSERT_EQ(lower, upper + 1);
                std::swap(content[static_cast<std::size_t>(upper)], content[static_cast<std::size_t>(lower)]);
                std::swap(record[static_cast<std::size_t>(rows[static_cast<std::size_t>(upper)].entry)],
                          record[static_cast<std::size_t>(rows[static_cast<std::size_t>(lower)].entry)]);
            },
            [this](int row) { followed = row; });
    }

    std::string selection() const {
        std::string s;
        for (const Row& r : rows)
            s.push_back(r.selected ? 'x' : '.');
        return s;
    }
};

struct MoveCase {
    const char* before;
    int direction;
    const char* after;
    const char* content; // row contents after the move, starting from "ABC..."
};

class MoveTable : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveTable, SelectedRowsStepPastUnselectedOnes) {
    const MoveCase c = GetParam();
    Board board(c.before);
    board.move(c.direction);
    EXPECT_EQ(board.selection(), c.after);
    EXPECT_EQ(board.content, c.content);
    // Entry numbers never leave their place.
    for (std::size_t i = 0; i < board.rows.size(); ++i)
        EXPECT_EQ(board.rows[i].entry, static_cast<int>(i) + 1);
    // The record behind each row moved with its content.
    for (std::size_t i = 0; i < board.rows.size(); ++i) {
        const int original = board.content[i] - 'A' + 1;
        EXPECT_EQ(board.record[i + 1], 100 + original * 7) << "row " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, MoveTable,
                         ::testing::Values(
                             // The edges of the list.
                             MoveCase{"xx....", QueueRowMoves::Up, "xx....", "ABCDEF"},
                             MoveCase{".xx...", QueueRowMoves::Up, "xx....", "BCADEF"},
                             MoveCase{".....x", QueueRowMoves::Down, ".....x", "ABCDEF"},
                             MoveCase{"...x.x", QueueRowMoves::Down, "....xx", "ABCEDF"},
                             // Blocks and gaps.
                             MoveCase{"x.x.x.", QueueRowMoves::Up, "xx.x..", "ACBEDF"},
                             MoveCase{"x.x.x.", QueueRowMoves::Down, ".x.x.x", "BADCFE"},
                             MoveCase{"xx..xx", QueueRowMoves::Up, "xx.xx.", "ABCEFD"},
                             MoveCase{"xx..xx", QueueRowMoves::Down, ".xx.xx", "CABDEF"},
                             MoveCase{"..x...", QueueRowMoves::Up, ".x....", "ACBDEF"},
                             MoveCase{"..x...", QueueRowMoves::Down, "...x..", "ABDCEF"},
                             MoveCase{"xxxxxx", QueueRowMoves::Up, "xxxxxx", "ABCDEF"},
                             MoveCase{"xxxxxx", QueueRowMoves::Down, "xxxxxx", "ABCDEF"},
                             MoveCase{"......", QueueRowMoves::Up, "......", "ABCDEF"},
                             MoveCase{"......", QueueRowMoves::Down, "......", "ABCDEF"},
                             MoveCase{"x", QueueRowMoves::Up, "x", "A"}, MoveCase{"x", QueueRowMoves::Down, "x", "A"},
                             MoveCase{"", QueueRowMoves::Down, "", ""},
                             // Any other direction (the "none" direction of a released button) moves nothing.
                             MoveCase{".x.", -1, ".x.", "ABC"}));

TEST(QueueRowMoves, ReturnsExchangesAndFollowsTheMovedRow) {
    Board up(".xx...");
    EXPECT_EQ(up.move(QueueRowMoves::Up), 2);
    EXPECT_EQ(up.followed, 1);
    Board down("...x.x");
    EXPECT_EQ(down.move(QueueRowMoves::Down), 1);
    EXPECT_EQ(down.followed, 4);
    Board none("xx....");
    EXPECT_EQ(none.move(QueueRowMoves::Up), 0);
    EXPECT_EQ(none.followed, -1);
}

// Every selection of up to 8 rows, both directions, repeated moves: each step moves every
// selected row by at most one, keeps the number selected, and the record table stays a
// permutation of the records.
TEST(QueueRowMoves, EverySelectionKeepsRecordsAPermutation) {
    for (int n = 1; n <= 8; ++n) {
        for (int mask = 0; mask < (1 << n); ++mask) {
            for (int direction : {QueueRowMoves::Up, QueueRowMoves::Down}) {
                std::string sel;
                for (int i = 0; i < n; ++i)
                    sel.push_back((mask >> i) & 1 ? 'x' : '.');
                Board board(sel);
                const auto selectedCount = std::count(sel.begin(), sel.end(), 'x');
                for (int step = 0; step < n + 1; ++step) {
                    const std::string before = board.content;
                    const std::string selBefore = board.selection();
                    board.move(direction);
                    const std::string selAfter = board.selection();
                    ASSERT_EQ(std::count(selAfter.begin(), selAfter.end(), 'x'), selectedCount);
                    // Each selected content sits at most one row further in the direction.
                    for (int i = 0; i < n; ++i) {
                        if (selBefore[static_cast<std::size_t>(i)] != 'x') continue;
                        const auto to = static_cast<int>(board.content.find(before[static_cast<std::size_t>(i)]));
                        const int expectedShift = direction == QueueRowMoves::Up ? -1 : 1;
                        ASSERT_TRUE(to == i || to == i + expectedShift) << sel << " step " << step;
                        ASSERT_EQ(board.selection()[static_cast<std::size_t>(to)], 'x');
                    }
                    std::vector<int> records(board.record.begin() + 1, board.record.end());
                    std::sort(records.begin(), records.end());
                    for (int e = 1; e <= n; ++e)
                        ASSERT_EQ(records[static_cast<std::size_t>(e - 1)], 100 + e * 7);
                }
                // After n steps every selected row has reached the edge as one block.
                const std::string finalSel = board.selection();
                const std::string block(static_cast<std::size_t>(selectedCount), 'x');
                const std::string rest(static_cast<std::size_t>(n - selectedCount), '.');
                ASSERT_EQ(finalSel, direction == QueueRowMoves::Up ? block + rest : rest + block) << sel;
            }
        }
    }
}

TEST(QueueRowMoves, SwapRecordsExchangesTwoTableElements) {
    QueueHeader header;
    header.setRecordIndex(1, 5);
    header.setRecordIndex(2, 9);
    header.setRecordIndex(3, 1);
    QueueRowMoves::swapRecords(header, 1, 3);
    EXPECT_EQ(header.recordIndex(1), 1);
    EXPECT_EQ(header.recordIndex(2), 9);
    EXPECT_EQ(header.recordIndex(3), 5);
}

} // namespace
