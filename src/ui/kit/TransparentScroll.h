#pragma once

class QScrollArea;

namespace tc {

// Makes `scroll` a frameless scroll area that paints nothing of its own, so that what lies behind it (the
// window's dotted backdrop, a card) shows through around and behind its content. The content takes the area's
// size where it is smaller, and the area takes no focus: Tab goes to the controls inside and scrolls to each.
// The scroll bars are left to the caller. Main thread.
void makeTransparentScroll(QScrollArea *scroll);

} // namespace tc
