#pragma once

#include <QColor>
#include <QGraphicsEffect>
#include <QImage>
#include <QMarginsF>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <vector>

class QPainter;

namespace tc {

// A soft drop shadow: `color` (its alpha is the shadow's opacity) blurred by `radius` points and moved by
// `offset`. The blur is Gaussian with a standard deviation of half the radius, so the shadow fades out
// about `radius` points beyond the shape's edge.
struct Shadow {
    QColor color;
    qreal radius = 0;
    QPointF offset;

    // How far beyond the shape the shadow can reach on any side.
    qreal reach() const;
    // The room around the shape in the shadow's image, in points on each side.
    qreal padding() const;
    // The shadow of a continuous rounded rectangle of `size` (at `padding()` from the image's top-left corner,
    // not moved by `offset`) for a device pixel ratio: built from the blur of a short shape's corners.
    QImage image(QSizeF size, qreal corner, qreal dpr) const;
    // The same image from the blur of the whole shape, pixel for pixel.
    QImage wholeImage(QSizeF size, qreal corner, qreal dpr) const;
};

// Paints the shadow of a continuous rounded rectangle. The blurred image is cached by its size, radius and
// colour, so many equal caps cost one blur. Main thread only.
void paintShadow(QPainter &painter, const QRectF &rect, qreal corner, const Shadow &shadow);

// Draws shadows under a widget, outside its bounds: a widget cannot paint beyond its own rectangle, but a
// graphics effect can. The shadows are of the widget's rectangle shrunk by `shapeInsets`, with corners of
// `corner`.
class ShadowEffect : public QGraphicsEffect {
    Q_OBJECT
public:
    explicit ShadowEffect(std::vector<Shadow> shadows, qreal corner, QObject *parent = nullptr);

    void setShadows(std::vector<Shadow> shadows);
    void setCorner(qreal corner);
    void setShapeInsets(const QMarginsF &insets);
    const std::vector<Shadow> &shadows() const { return shadows_; }

    QRectF boundingRectFor(const QRectF &sourceRect) const override;

protected:
    void draw(QPainter *painter) override;

private:
    std::vector<Shadow> shadows_;
    qreal corner_;
    QMarginsF insets_;
};

} // namespace tc
