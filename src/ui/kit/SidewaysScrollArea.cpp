#include "ui/kit/SidewaysScrollArea.h"

#include "ui/kit/Shadow.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TransparentScroll.h"

#include <QAbstractButton>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace tc {

namespace {

constexpr int kArrowSize = 28;
constexpr int kArrowInset = 4;
// The angle a wheel turns for one notch, in eighths of a degree.
constexpr int kNotch = 120;

// A round white button with a chevron pointing the way the band moves.
class SidewaysArrow final : public QAbstractButton {
public:
    SidewaysArrow(bool forward, QWidget *parent) : QAbstractButton(parent), forward_(forward) {
        setFocusPolicy(Qt::NoFocus); // the keys reach every card through Tab already
        setCursor(Qt::PointingHandCursor);
        setAccessibleName(forward ? QStringLiteral("Scroll right") : QStringLiteral("Scroll left"));
        setFixedSize(kArrowSize, kArrowSize);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF circle = QRectF(rect()).adjusted(2, 2, -2, -2);
        paintShadow(painter, circle, circle.width() / 2, {Theme::withOpacity(Qt::black, 0.18), 4, QPointF(0, 1)});
        painter.setPen(QPen(Theme::withOpacity(Qt::black, 0.08), 1));
        painter.setBrush(isDown() ? Theme::panel : QColor(Qt::white));
        painter.drawEllipse(circle);
        const QPointF middle = circle.center();
        const qreal reach = forward_ ? 2.5 : -2.5;
        QPainterPath chevron;
        chevron.moveTo(middle + QPointF(-reach, -5));
        chevron.lineTo(middle + QPointF(reach, 0));
        chevron.lineTo(middle + QPointF(-reach, 5));
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Theme::ink, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(chevron);
    }

private:
    bool forward_;
};

} // namespace

SidewaysScrollArea::SidewaysScrollArea(QWidget *parent)
    : QScrollArea(parent), back_(new SidewaysArrow(false, this)), forward_(new SidewaysArrow(true, this)) {
    makeTransparentScroll(this); // Tab goes to the controls inside, and scrolls to each
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(back_, &QAbstractButton::clicked, this, [this] { step(-1); });
    connect(forward_, &QAbstractButton::clicked, this, [this] { step(1); });
    QScrollBar *bar = horizontalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &SidewaysScrollArea::placeArrows);
    connect(bar, &QScrollBar::rangeChanged, this, &SidewaysScrollArea::placeArrows);
    placeArrows();
}

int SidewaysScrollArea::stepTarget(const std::vector<int> &starts, int from, int steps, int maximum) {
    int target = from;
    if (steps > 0) {
        int next = maximum;
        for (const int start : starts) {
            if (start > from && start < next) {
                next = start;
            }
        }
        target = next;
    } else if (steps < 0) {
        int previous = 0;
        for (const int start : starts) {
            if (start < from && start > previous) {
                previous = start;
            }
        }
        target = previous;
    }
    return std::clamp(target, 0, std::max(maximum, 0));
}

void SidewaysScrollArea::step(int steps) {
    QScrollBar *bar = horizontalScrollBar();
    std::vector<int> starts;
    if (widget() != nullptr) {
        for (const QWidget *card : widget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (card->isVisibleTo(widget())) {
                starts.push_back(card->x());
            }
        }
    }
    int value = bar->value();
    for (int i = 0; i < std::abs(steps); ++i) {
        value = stepTarget(starts, value, steps > 0 ? 1 : -1, bar->maximum());
    }
    bar->setValue(value);
}

void SidewaysScrollArea::wheelEvent(QWheelEvent *event) {
    const QPoint delta = event->angleDelta();
    const int turn = delta.x() != 0 ? delta.x() : delta.y();
    if (horizontalScrollBar()->maximum() == 0 || turn == 0) {
        event->ignore();
        return;
    }
    // A notch moves one card; a touchpad's small turns add up to one.
    wheelRest_ += turn;
    const int notches = wheelRest_ / kNotch;
    wheelRest_ -= notches * kNotch;
    if (notches != 0) {
        step(-notches);
    }
    event->accept();
}

void SidewaysScrollArea::resizeEvent(QResizeEvent *event) {
    QScrollArea::resizeEvent(event);
    placeArrows();
}

void SidewaysScrollArea::placeArrows() {
    const QScrollBar *bar = horizontalScrollBar();
    const int top = (height() - kArrowSize) / 2;
    back_->move(kArrowInset, top);
    forward_->move(width() - kArrowSize - kArrowInset, top);
    back_->setVisible(bar->value() > bar->minimum());
    forward_->setVisible(bar->value() < bar->maximum());
    back_->raise();
    forward_->raise();
}

} // namespace tc
