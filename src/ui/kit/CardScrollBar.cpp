#include "ui/kit/CardScrollBar.h"

#include "ui/kit/Shapes.h"

#include <QAbstractScrollArea>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <cmath>

namespace tc::CardScrollBar {

int cornerInset(qreal radius) {
    // A card large enough for whole corners; the bar runs down its right edge.
    const qreal side = 8 * std::max<qreal>(radius, 1);
    const QPainterPath card = continuousRoundedRect(QRectF(0, 0, side, side), radius);
    const qreal outer = side - kEdgeGap;
    const qreal inner = outer - kWidth;
    for (int y = 0; y < side / 2; ++y) {
        if (card.contains(QPointF(outer, y)) && card.contains(QPointF(inner, y))) {
            return y;
        }
    }
    return static_cast<int>(std::ceil(radius));
}

void fit(QAbstractScrollArea *area, qreal radius, bool roundedTop, bool roundedBottom) {
    const int inset = cornerInset(radius);
    const int top = roundedTop ? inset : kEdgeGap;
    const int bottom = roundedBottom ? inset : kEdgeGap;
    area->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { width: %1px; background: transparent; margin: %2px %3px %4px 0; }"
                       "QScrollBar::handle:vertical { background: rgba(0, 0, 0, 46); border-radius: 4px;"
                       " min-height: 32px; }"
                       "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                       "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }")
            .arg(kWidth)
            .arg(top)
            .arg(kEdgeGap)
            .arg(bottom));
}

QRect thumbIn(const QAbstractScrollArea *area, const QWidget *card, bool atEnd) {
    const QScrollBar *bar = area->verticalScrollBar();
    if (!bar->isVisible()) {
        return {};
    }
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_All;
    option.orientation = Qt::Vertical;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.pageStep = bar->pageStep();
    option.singleStep = bar->singleStep();
    option.sliderPosition = atEnd ? bar->maximum() : bar->minimum();
    option.sliderValue = option.sliderPosition;
    option.upsideDown = bar->invertedAppearance();
    const QRect thumb = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
    return QRect(bar->mapTo(card, thumb.topLeft()), thumb.size());
}

} // namespace tc::CardScrollBar
