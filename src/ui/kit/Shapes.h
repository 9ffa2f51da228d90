#pragma once

#include <QPainterPath>
#include <QRectF>

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

} // namespace tc
