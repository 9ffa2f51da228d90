#include "ui/kit/DottedBackground.h"

#include "ui/kit/Theme.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

constexpr qreal dotDiameter = 1.5;
// Cells along each side of the tile a repaint copies.
constexpr int kTileCells = 8;

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

QPixmap DottedBackground::tile(qreal dpr) {
    // A square of grid cells, each dot in the middle of its cell, in device pixels. Only a whole number of device
    // pixels per cell at a whole pixel ratio tiles to exactly the pixels of the dots filled one by one (each dot is
    // then the same dot moved by whole pixels); otherwise there is no tile.
    const qreal cell = spacing_ * dpr;
    if (!(cell >= 1 && cell <= 128 && std::abs(cell - std::round(cell)) < 1e-9 && dpr == std::round(dpr))) {
        return {};
    }
    if (tile_.isNull() || tile_.devicePixelRatio() != dpr) {
        const int pixels = static_cast<int>(std::round(cell)) * kTileCells;
        const QSizeF size(kTileCells * spacing_, kTileCells * spacing_);
        QPixmap pixmap(pixels, pixels);
        pixmap.setDevicePixelRatio(dpr);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(QRectF(QPointF(0, 0), size), Theme::canvas);
        painter.fillPath(dots(size, spacing_), Theme::dot);
        painter.end();
        tile_ = pixmap;
    }
    return tile_;
}

void DottedBackground::paintEvent(QPaintEvent *event) {
    // Only the exposed area: typing in a field over the backdrop repaints a few dots, not the whole grid.
    // Each rectangle of the exposed region on its own and clipped to it, so no dot is filled twice where two
    // rectangles meet.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The painter's own device decides the pixels (a widget rendered into a sharper image has a ratio of its
    // own); a painter that scales or moves by part of a pixel gets the dots one by one.
    const qreal dpr = painter.device()->devicePixelRatioF();
    const QTransform &moved = painter.deviceTransform();
    const bool wholePixels = moved.type() <= QTransform::TxScale && moved.m11() == dpr && moved.m22() == dpr &&
                             moved.dx() == std::round(moved.dx()) && moved.dy() == std::round(moved.dy());
    const QPixmap cell = wholePixels ? tile(dpr) : QPixmap();
    if (!cell.isNull()) {
        // The whole cells are copies of one tile: a large repaint (the area under a card that changed) costs a
        // copy, not thousands of antialiased dots. The strips at the right and bottom that hold no whole cell
        // (and so no dot) are plain canvas.
        const Grid g = grid(size(), spacing_);
        const QRectF cells(0, 0, g.columns * spacing_, g.rows * spacing_);
        const qreal step = kTileCells * spacing_;
        for (const QRect &area : event->region()) {
            painter.setClipRect(area);
            painter.fillRect(area, Theme::canvas);
            const QRectF target = cells & QRectF(area);
            if (target.isEmpty()) {
                continue;
            }
            // Copies laid on whole tiles from the top-left corner, so every dot lands where it is filled alone.
            painter.setClipRect(target);
            for (qreal y = std::floor(target.top() / step) * step; y < target.bottom(); y += step) {
                for (qreal x = std::floor(target.left() / step) * step; x < target.right(); x += step) {
                    painter.drawPixmap(QPointF(x, y), cell);
                }
            }
        }
        return;
    }
    for (const QRect &area : event->region()) {
        painter.setClipRect(area);
        painter.fillRect(area, Theme::canvas);
        painter.fillPath(dots(size(), spacing_, area), Theme::dot);
    }
}

} // namespace tc
