#include "ui/kit/DottedBackground.h"

#include "ui/kit/Theme.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

constexpr qreal dotDiameter = 1.5;

qreal validSpacing(qreal spacing) {
    return std::isfinite(spacing) ? std::max<qreal>(1, spacing) : 20;
}

int count(qreal length, qreal spacing) {
    const qreal first = spacing / 2;
    if (!(length > first)) {
        return 0;
    }
    // x = first + i·spacing < length
    int n = static_cast<int>(std::ceil((length - first) / spacing));
    while (n > 0 && first + (n - 1) * spacing >= length) {
        --n;
    }
    return n;
}

} // namespace

DottedBackground::DottedBackground(qreal spacing, QWidget *parent) : QWidget(parent), spacing_(validSpacing(spacing)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

DottedBackground::Grid DottedBackground::grid(QSizeF size, qreal spacing) {
    spacing = validSpacing(spacing);
    return {count(size.width(), spacing), count(size.height(), spacing)};
}

QPainterPath DottedBackground::dots(QSizeF size, qreal spacing) {
    return dots(size, spacing, QRectF(QPointF(0, 0), size));
}

QPainterPath DottedBackground::dots(QSizeF size, qreal spacing, const QRectF &area) {
    spacing = validSpacing(spacing);
    const Grid g = grid(size, spacing);
    // The rows and columns whose dots reach into the area.
    const qreal reach = dotDiameter / 2;
    const auto first = [&](qreal from) { return std::max(0, static_cast<int>(std::floor((from - reach) / spacing))); };
    const auto last = [&](qreal to, int count) {
        return std::min(count - 1, static_cast<int>(std::ceil((to + reach) / spacing)));
    };
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (int row = first(area.top()); row <= last(area.bottom(), g.rows); ++row) {
        const qreal y = spacing / 2 + row * spacing;
        for (int column = first(area.left()); column <= last(area.right(), g.columns); ++column) {
            const qreal x = spacing / 2 + column * spacing;
            path.addEllipse(QRectF(x - dotDiameter / 2, y - dotDiameter / 2, dotDiameter, dotDiameter));
        }
    }
    return path;
}

void DottedBackground::paint(QPainter &painter, const QRectF &rect, qreal spacing) {
    painter.fillRect(rect, Theme::canvas);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.topLeft());
    painter.fillPath(dots(rect.size(), spacing), Theme::dot);
    painter.restore();
}

void DottedBackground::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
}

void DottedBackground::paintEvent(QPaintEvent *event) {
    // Only the exposed area: typing in a field over the backdrop repaints a few dots, not the whole grid.
    // Each rectangle of the exposed region on its own and clipped to it, so no dot is filled twice where two
    // rectangles meet.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const QRect &area : event->region()) {
        painter.setClipRect(area);
        painter.fillRect(area, Theme::canvas);
        painter.fillPath(dots(size(), spacing_, area), Theme::dot);
    }
}

} // namespace tc
