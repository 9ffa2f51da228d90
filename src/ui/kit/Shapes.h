#pragma once

#include <QBrush>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <optional>

class QPainter;

namespace tc {

// Rounded rectangles with continuous corners: the curvature eases into the straight edges instead of
// jumping, as the program's caps, cards and pills are drawn. A radius too large for the continuous corner to
// fit falls back to circular corners (clamped to half the shorter side), so capsules stay capsules.
QPainterPath continuousRoundedRect(const QRectF &rect, qreal radius);

// A capsule: corners of half the shorter side.
QPainterPath capsule(const QRectF &rect);

// The outline of `rect` stroked inside its edge: the rectangle inset by half the line width, with the radius
// shrunk to match, for a stroke of `lineWidth` that stays within the shape.
QPainterPath strokeBorderPath(const QRectF &rect, qreal radius, qreal lineWidth);

// A rounded panel: `rect` with continuous corners of `radius` filled with `fill`, and, when `border` is given,
// that pen stroked along the inside of its edge (strokeBorderPath with the pen's width). Leaves the painter's
// pen and brush as they were.
void paintPanel(QPainter &painter, const QRectF &rect, qreal radius, const QBrush &fill,
                const std::optional<QPen> &border = std::nullopt);

} // namespace tc
