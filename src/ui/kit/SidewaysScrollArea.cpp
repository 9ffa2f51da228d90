#include "ui/kit/SidewaysScrollArea.h"

#include "ui/kit/TransparentScroll.h"

#include <QScrollBar>
#include <QWheelEvent>

namespace tc {

SidewaysScrollArea::SidewaysScrollArea(QWidget *parent) : QScrollArea(parent) {
    makeTransparentScroll(this);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void SidewaysScrollArea::wheelEvent(QWheelEvent *event) {
    const QPoint delta = event->angleDelta();
    const int step = delta.x() != 0 ? delta.x() : delta.y();
    QScrollBar *bar = horizontalScrollBar();
    if (bar->maximum() == 0 || step == 0) {
        event->ignore();
        return;
    }
    bar->setValue(bar->value() - step / 2);
    event->accept();
}

} // namespace tc
