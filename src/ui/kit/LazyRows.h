#pragma once

#include <vector>

class QScrollArea;
class QWidget;

namespace tc {

// For a long list in a scroll area that keeps widgets only for the rows near what shows: which rows those are,
// and where rows made late go in the Tab order. Main thread only.
namespace LazyRows {

// A run of rows by index: [first, end).
struct Span {
    int first = 0;
    int end = 0;
    bool contains(int index) const { return index >= first && index < end; }
};

// The rows of a list of `count` rows, the first `top` points down the scroll area's content and each `pitch`
// below the one before, that come within `margin` points of the part the scroll area shows. The viewport is
// taken to be at least `leastHeight` high: before the scroll area is laid out it has no height of its own, and
// a list about to show should have its first screenful made.
Span near(const QScrollArea &scroll, int top, int pitch, int count, int margin, int leastHeight);
// The same for a view `viewHeight` high whose top is `viewTop` points down the content.
Span near(int viewTop, int viewHeight, int top, int pitch, int count, int margin);

// Puts `controls` (focusable widgets, in reading order) in the Tab order right after `anchor` (focusable too),
// in that order. A widget made after its neighbours would otherwise come last in its window's Tab order.
void chainAfter(QWidget *anchor, const std::vector<QWidget *> &controls);

} // namespace LazyRows

} // namespace tc
