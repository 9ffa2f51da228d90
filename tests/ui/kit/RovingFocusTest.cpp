// Where the keys of a list that is one Tab stop go, worked out from the items' places alone: a column of rows,
// a grid filled row by row with a short last row, and a single row.

#include "ui/kit/RovingFocus.h"

#include <gtest/gtest.h>
#include <vector>

namespace tc::test {
namespace {

using Move = RovingFocus::Move;

// `count` items 100 by 50 with 10 between, `columns` to a row.
std::vector<QRect> grid(int count, int columns) {
    std::vector<QRect> rects;
    for (int i = 0; i < count; ++i) {
        rects.emplace_back((i % columns) * 110, (i / columns) * 60, 100, 50);
    }
    return rects;
}

struct MoveCase {
    const char *name;
    std::vector<QRect> items;
    Move move;
    std::size_t from;
    std::size_t to;
};

TEST(RovingFocus, EachKeyGoesToTheItemWhereItPoints) {
    const QSize page(330, 240); // four rows of a grid, three items of a row
    const MoveCase cases[] = {
        {"down a column", grid(20, 1), Move::down, 3, 4},
        {"up a column", grid(20, 1), Move::up, 3, 2},
        {"up from the top stays", grid(20, 1), Move::up, 0, 0},
        {"down from the bottom stays", grid(20, 1), Move::down, 19, 19},
        {"a page down a column", grid(20, 1), Move::pageDown, 3, 7},
        {"a page up a column stops at the top", grid(20, 1), Move::pageUp, 2, 0},
        {"a page down near the end stops at the last", grid(20, 1), Move::pageDown, 17, 19},
        {"down a grid keeps the column", grid(10, 3), Move::down, 1, 4},
        {"up a grid keeps the column", grid(10, 3), Move::up, 5, 2},
        {"down into a short last row goes to the nearest", grid(10, 3), Move::down, 8, 9},
        {"a page down a grid", grid(30, 3), Move::pageDown, 2, 14},
        {"a page up a grid", grid(30, 3), Move::pageUp, 14, 2},
        {"home", grid(10, 3), Move::first, 7, 0},
        {"end", grid(10, 3), Move::last, 1, 9},
        {"down a single row stays", grid(10, 10), Move::down, 4, 4},
        {"a page along a single row", grid(10, 10), Move::pageDown, 1, 4},
        {"a page back along a single row", grid(10, 10), Move::pageUp, 4, 1},
    };
    for (const MoveCase &test : cases) {
        const auto rectOf = [&](std::size_t i) { return test.items[i]; };
        EXPECT_EQ(RovingFocus::target(test.move, test.from, test.items.size(), rectOf, page), test.to) << test.name;
    }
}

TEST(RovingFocus, OnlyTheListsKeysWithoutModifiersMove) {
    EXPECT_EQ(RovingFocus::moveFor(Qt::Key_Right, Qt::NoModifier), Move::forward);
    EXPECT_EQ(RovingFocus::moveFor(Qt::Key_PageDown, Qt::KeypadModifier), Move::pageDown);
    EXPECT_EQ(RovingFocus::moveFor(Qt::Key_Home, Qt::ControlModifier), std::nullopt);
    EXPECT_EQ(RovingFocus::moveFor(Qt::Key_Tab, Qt::NoModifier), std::nullopt);
}

} // namespace
} // namespace tc::test
