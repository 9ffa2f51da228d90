#include "ui/kit/RoundedPanel.h"

#include "ui/kit/Shapes.h"

#include <QPainter>

namespace tc {

RoundedPanel::RoundedPanel(qreal radius, QBrush fill, QWidget *parent)
    : QWidget(parent), radius_(radius), fill_(std::move(fill)) {}

RoundedPanel::RoundedPanel(qreal radius, QBrush fill, QPen border, QWidget *parent)
    : QWidget(parent), radius_(radius), fill_(std::move(fill)), border_(std::move(border)) {}

void RoundedPanel::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintPanel(painter, QRectF(rect()), radius_, fill_, border_);
}

} // namespace tc
