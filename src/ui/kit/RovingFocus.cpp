#include "ui/kit/RovingFocus.h"

#include <cstdlib>
#include <limits>

namespace tc {

std::optional<RovingFocus::Move> RovingFocus::moveFor(int key, Qt::KeyboardModifiers modifiers) {
    if ((modifiers & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return std::nullopt;
    }
    switch (key) {
    case Qt::Key_Left:
        return Move::back;
    case Qt::Key_Right:
        return Move::forward;
    case Qt::Key_Up:
        return Move::up;
    case Qt::Key_Down:
        return Move::down;
    case Qt::Key_Home:
        return Move::first;
    case Qt::Key_End:
        return Move::last;
    case Qt::Key_PageUp:
        return Move::pageUp;
    case Qt::Key_PageDown:
        return Move::pageDown;
    default:
        return std::nullopt;
    }
}

namespace {

// The item nearest to `goal` among those `beyond` says lie on the far side, nearer along `main` first, then
// across; `from` when there is none.
template <typename Beyond, typename Along, typename Across>
std::size_t nearest(std::size_t from, std::size_t count, const std::function<QRect(std::size_t)> &rectOf, Beyond beyond,
                    Along along, Across across) {
    std::size_t best = from;
    long bestAlong = std::numeric_limits<long>::max();
    long bestAcross = std::numeric_limits<long>::max();
    for (std::size_t i = 0; i < count; ++i) {
        const QRect rect = rectOf(i);
        if (i == from || !beyond(rect)) {
            continue;
        }
        const long a = along(rect);
        const long c = across(rect);
        if (a < bestAlong || (a == bestAlong && c < bestAcross)) {
            best = i;
            bestAlong = a;
            bestAcross = c;
        }
    }
    return best;
}

} // namespace

std::size_t RovingFocus::target(Move move, std::size_t from, std::size_t count,
                                const std::function<QRect(std::size_t)> &rectOf, QSize page) {
    if (count == 0 || from >= count) {
        return from;
    }
    const QRect origin = rectOf(from);
    const QPoint centre = origin.center();
    const auto acrossX = [&](const QRect &rect) { return std::labs(long(rect.center().x()) - centre.x()); };
    const auto acrossY = [&](const QRect &rect) { return std::labs(long(rect.center().y()) - centre.y()); };
    const auto above = [&](const QRect &rect) { return rect.bottom() < origin.top(); };
    const auto below = [&](const QRect &rect) { return rect.top() > origin.bottom(); };
    switch (move) {
    case Move::first:
        return 0;
    case Move::last:
        return count - 1;
    case Move::back:
        return from > 0 ? from - 1 : from;
    case Move::forward:
        return from + 1 < count ? from + 1 : from;
    case Move::up:
        return nearest(
            from, count, rectOf, above, [&](const QRect &rect) { return long(origin.top()) - rect.bottom(); }, acrossX);
    case Move::down:
        return nearest(
            from, count, rectOf, below, [&](const QRect &rect) { return long(rect.top()) - origin.bottom(); }, acrossX);
    case Move::pageUp:
    case Move::pageDown: {
        const bool down = move == Move::pageDown;
        // A page's height away, in the row nearest that place; along a single row, a page's width.
        const long goalY = centre.y() + (down ? page.height() : -page.height());
        const std::size_t vertical = nearest(
            from, count, rectOf, [&](const QRect &rect) { return down ? below(rect) : above(rect); },
            [&](const QRect &rect) { return std::labs(long(rect.center().y()) - goalY); }, acrossX);
        if (vertical != from) {
            return vertical;
        }
        const long goalX = centre.x() + (down ? page.width() : -page.width());
        return nearest(
            from, count, rectOf,
            [&](const QRect &rect) { return down ? rect.left() > origin.right() : rect.right() < origin.left(); },
            [&](const QRect &rect) { return std::labs(long(rect.center().x()) - goalX); }, acrossY);
    }
    }
    return from;
}

} // namespace tc
