#include "ui/kit/DottedBackground.h"

#include "ui/kit/Theme.h"

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
    spacing = validSpacing(spacing);
    const Grid g = grid(size, spacing);
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (int row = 0; row < g.rows; ++row) {
        const qreal y = spacing / 2 + row * spacing;
        for (int column = 0; column < g.columns; ++column) {
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
    dots_ = dots(size(), spacing_);
}

void DottedBackground::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::canvas);
    if (dots_.isEmpty()) {
        dots_ = dots(size(), spacing_);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(dots_, Theme::dot);
}

} // namespace tc
