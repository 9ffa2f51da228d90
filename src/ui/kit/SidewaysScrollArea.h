#pragma once

#include <QScrollArea>

namespace tc {

// A band that scrolls sideways without a scroll bar: its content is as wide as it needs (at least the band's
// width), a plain wheel turn scrolls it too, and Tab goes to the controls inside, scrolling to each. Transparent:
// what lies behind it shows through. Main thread.
class SidewaysScrollArea final : public QScrollArea {
public:
    explicit SidewaysScrollArea(QWidget *parent = nullptr);

protected:
    void wheelEvent(QWheelEvent *event) override;
};

} // namespace tc
