#include "ui/kit/LazyRows.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <algorithm>

namespace tc::LazyRows {

Span near(const QScrollArea &scroll, int top, int pitch, int count, int margin, int leastHeight) {
    return near(scroll.verticalScrollBar()->value(), std::max(scroll.viewport()->height(), leastHeight), top, pitch,
                count, margin);
}

Span near(int viewTop, int viewHeight, int top, int pitch, int count, int margin) {
    if (count <= 0 || pitch <= 0) {
        return {};
    }
    // Row i covers [top + i·pitch, top + (i + 1)·pitch); the part worth having is [from, to).
    const long long from = static_cast<long long>(viewTop) - margin - top;
    const long long to = static_cast<long long>(viewTop) + viewHeight + margin - top;
    const long long first = from <= 0 ? 0 : from / pitch;
    const long long end = to <= 0 ? 0 : (to + pitch - 1) / pitch;
    Span span;
    span.first = static_cast<int>(std::clamp<long long>(first, 0, count));
    span.end = static_cast<int>(std::clamp<long long>(end, span.first, count));
    return span;
}

void chainAfter(QWidget *anchor, const std::vector<QWidget *> &controls) {
    QWidget *previous = anchor;
    for (QWidget *control : controls) {
        QWidget::setTabOrder(previous, control); // returns at once when `control` follows already
        previous = control;
    }
}

} // namespace tc::LazyRows
