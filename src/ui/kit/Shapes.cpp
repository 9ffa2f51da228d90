#include "ui/kit/Shapes.h"

#include <QPainter>
#include <algorithm>

namespace tc {

namespace {

// How far along each edge a continuous corner of radius 1 reaches.
constexpr qreal reach = 1.52866483;

// One corner as points along the incoming edge ("along", measured back from the corner) and into the
// shape ("in"); the corner is symmetric, so it ends on the outgoing edge at the same reach.
struct CornerPoint {
    qreal along;
    qreal in;
};
constexpr CornerPoint c1[] = {{1.08849323, 0.0}, {0.86840689, 0.02050658}, {0.66993427, 0.06549600}};
constexpr CornerPoint line1 = {0.63149399, 0.07491100};
constexpr CornerPoint c2[] = {{0.37282392, 0.16905899}, {0.16905899, 0.37282392}, {0.07491100, 0.63149399}};
constexpr CornerPoint line2 = {0.06549600, 0.66993427};
constexpr CornerPoint c3[] = {{0.02050658, 0.86840689}, {0.0, 1.08849323}, {0.0, reach}};

void addCorner(QPainterPath &path, QPointF corner, QPointF incoming, QPointF outgoing, qreal r) {
    const auto at = [&](CornerPoint p) { return corner - incoming * (p.along * r) + outgoing * (p.in * r); };
    path.lineTo(corner - incoming * (reach * r));
    path.cubicTo(at(c1[0]), at(c1[1]), at(c1[2]));
    path.lineTo(at(line1));
    path.cubicTo(at(c2[0]), at(c2[1]), at(c2[2]));
    path.lineTo(at(line2));
    path.cubicTo(at(c3[0]), at(c3[1]), at(c3[2]));
}

} // namespace

QPainterPath continuousRoundedRect(const QRectF &rect, qreal radius) {
    QPainterPath path;
    if (rect.isEmpty()) {
        return path;
    }
    const qreal half = std::min(rect.width(), rect.height()) / 2;
    radius = std::max<qreal>(0, radius);
    if (radius <= 0) {
        path.addRect(rect);
        return path;
    }
    if (radius * reach > half) {
        const qreal r = std::min(radius, half);
        path.addRoundedRect(rect, r, r);
        return path;
    }
    const QPointF right(1, 0);
    const QPointF down(0, 1);
    path.moveTo(rect.left() + reach * radius, rect.top());
    addCorner(path, rect.topRight(), right, down, radius);
    addCorner(path, rect.bottomRight(), down, -right, radius);
    addCorner(path, rect.bottomLeft(), -right, -down, radius);
    addCorner(path, rect.topLeft(), -down, right, radius);
    path.closeSubpath();
    return path;
}

QPainterPath capsule(const QRectF &rect) {
    return continuousRoundedRect(rect, std::min(rect.width(), rect.height()) / 2);
}

QPainterPath strokeBorderPath(const QRectF &rect, qreal radius, qreal lineWidth) {
    const qreal inset = lineWidth / 2;
    return continuousRoundedRect(rect.adjusted(inset, inset, -inset, -inset), std::max<qreal>(0, radius - inset));
}

void paintPanel(QPainter &painter, const QRectF &rect, qreal radius, const QBrush &fill,
                const std::optional<QPen> &border) {
    painter.fillPath(continuousRoundedRect(rect, radius), fill);
    if (border) {
        painter.strokePath(strokeBorderPath(rect, radius, border->widthF()), *border);
    }
}

} // namespace tc
