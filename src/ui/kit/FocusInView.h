#pragma once

class QWidget;

namespace tc {

// Keeps the keyboard focus in view: a control that takes focus other than by a click (Tab, an arrow key, the
// program) is scrolled into view in every scroll area it sits in, and so is the focused control when the layout
// around it moves it (a card above it grows, the page grows) while it keeps the focus. A scroll the user makes
// is left alone. Main thread; one watcher for the whole application.
class FocusInView {
public:
    // Starts watching, once (FocusRing::attach calls it).
    static void watch();
    // Scrolls `widget` into view in each scroll area around it, innermost first.
    static void reveal(QWidget *widget);
};

} // namespace tc
