#pragma once

#include <QRect>
#include <QSize>
#include <Qt>
#include <cstddef>
#include <functional>
#include <optional>

namespace tc {

// The keys of a list that is one Tab stop, as every toolkit's list and grid has them: Tab goes past the whole
// list, and inside it Left and Right go back and forth through every control of every item in order, Up and Down
// to the item above or below (by where the items lie, so a grid moves by rows), Home and End to the first and
// the last item, Page Up and Page Down to the item a page away. ItemPool applies them; this holds the rules, as
// pure functions of the items' places. Main thread only.
struct RovingFocus {
    enum class Move { back, forward, up, down, first, last, pageUp, pageDown };

    // The move a key press asks for, or none (a key with a modifier is the program's, not the list's).
    static std::optional<Move> moveFor(int key, Qt::KeyboardModifiers modifiers);

    // The item a move other than back and forward goes to from the item at `from`, among `count` items whose
    // places `rectOf` gives, with `page` the size of what the list shows: `from` itself when there is none that
    // way. Up and Down go to the nearest row above or below, to the item nearest across; the Page keys go a
    // page's height down or up, or a page's width along a list of one row.
    static std::size_t target(Move move, std::size_t from, std::size_t count,
                              const std::function<QRect(std::size_t)> &rectOf, QSize page);
};

} // namespace tc
