#pragma once

#include <QScrollArea>
#include <vector>

class QAbstractButton;

namespace tc {

// A band of cards that scrolls sideways without a scroll bar: its content is as wide as it needs (at least the
// band's width), and Tab goes to the controls inside, scrolling to each. While more lies out of view on a side,
// a round arrow button on that edge says so; a click on it, or a wheel notch, moves the band by one card, so a
// card never stops half in view. The cards are the content's child widgets. Transparent: what lies behind it
// shows through. Main thread.
class SidewaysScrollArea final : public QScrollArea {
public:
    explicit SidewaysScrollArea(QWidget *parent = nullptr);

    // The arrow buttons; each is shown while the band can move that way.
    QAbstractButton *backArrow() const { return back_; }
    QAbstractButton *forwardArrow() const { return forward_; }

    // Where the band scrolls from `from` for one step forward (`steps` 1) or back (-1): the next card's left
    // edge beyond it (the previous card's before it), within 0 and `maximum`. `starts` are the cards' left
    // edges in the content, in any order.
    static int stepTarget(const std::vector<int> &starts, int from, int steps, int maximum);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void step(int steps);
    void placeArrows();

    QAbstractButton *back_;
    QAbstractButton *forward_;
    int wheelRest_ = 0; // the part of a wheel notch turned so far (touchpads send fractions)
};

} // namespace tc
