#include "ui/kit/CardScrollBar.h"

#include "ui/kit/Shapes.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QPainterPath>
#include <QRegion>
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

namespace {

// Sets the viewport's mask to the card's rounded shape whenever the viewport's size or place changes.
class CardClip final : public QObject {
public:
    CardClip(QWidget *viewport, QWidget *card, qreal radius)
        : QObject(viewport), viewport_(viewport), card_(card), radius_(radius) {
        viewport->installEventFilter(this);
        apply();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == viewport_ &&
            (event->type() == QEvent::Resize || event->type() == QEvent::Move || event->type() == QEvent::Show)) {
            apply();
        }
        return false;
    }

private:
    void apply() {
        const QPoint offset = viewport_->mapTo(card_, QPoint(0, 0));
        const QPainterPath shape = continuousRoundedRect(QRectF(card_->rect()), radius_).translated(-offset);
        viewport_->setMask(QRegion(shape.toFillPolygon().toPolygon()));
    }

    QWidget *viewport_;
    QWidget *card_;
    qreal radius_;
};

} // namespace

void clipToCard(QAbstractScrollArea *area, QWidget *card, qreal radius) {
    new CardClip(area->viewport(), card, radius);
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
