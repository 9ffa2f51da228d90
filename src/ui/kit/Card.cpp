#include "ui/kit/Card.h"

#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"

#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

namespace tc {

Card::Card(qreal padding, qreal corner, QWidget *content, QWidget *parent)
    : QWidget(parent), corner_(corner), layout_(new QVBoxLayout(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    const int margin = static_cast<int>(std::lround(padding));
    layout_->setContentsMargins(margin, margin, margin, margin);
    layout_->setSpacing(0);
    if (content) {
        layout_->addWidget(content);
    }
    setGraphicsEffect(new ShadowEffect(shadows(), corner_, this));
}

std::vector<Shadow> Card::shadows() {
    return {{Theme::withOpacity(Qt::black, 0.05), 0.5, QPointF(0, 0)},
            {QColor(30, 30, 25, qRound(0.12 * 255)), 26, QPointF(0, 18)}};
}

void Card::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintPanel(painter, QRectF(rect()), corner_, Qt::white);
}

void applyCardShadow(QWidget *widget, qreal corner) {
    widget->setGraphicsEffect(new ShadowEffect({{Theme::withOpacity(Qt::black, 0.05), 0.5, QPointF(0, 0)},
                                                {QColor(30, 30, 25, qRound(0.1 * 255)), 16, QPointF(0, 10)}},
                                               corner, widget));
}

} // namespace tc
