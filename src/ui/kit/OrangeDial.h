#pragma once

#include <QPainterPath>
#include <QSizeF>
#include <QWidget>

class QVBoxLayout;

namespace tc {

// The orange dial panel: an orange face with a darker half-disc rising from below its bottom edge, a row of
// ticks along the half-disc's arc and a short pointer over its first third, with the caller's content on top,
// 20 points in from every edge. Exactly `height` high and as wide as it is placed; clipped to a rounded
// rectangle of radius 22 and casting a warm shadow ((180, 70, 10) at 0.25, radius 24, 18 points down). Text
// in the content that sets no colour of its own is drawn in Theme.ink. It keeps no state and reads no model.
// The App rules screen shows it 230 high behind its right-now card; the tray panel 150 high.
class OrangeDial : public QWidget {
public:
    static constexpr qreal corner = 22;
    static constexpr int inset = 20;

    // `content` may be null and added later through contentLayout(); the dial takes ownership.
    OrangeDial(qreal height, QWidget *content = nullptr, QWidget *parent = nullptr);

    // The dial's drawing for a panel of `size`: the circle centred half-way across, 4 points below the bottom
    // edge, with a radius of 0.4 × width.
    struct Shapes {
        QPointF centre;
        qreal radius = 0;
        QPainterPath halfDisc; // the upper half of the circle, closed by its diameter
        QPainterPath ticks;    // the same half-circle's arc, stroked dashed
        QPainterPath pointer;  // the arc's first third, from the circle's leftmost point
    };
    static Shapes shapes(QSizeF size);
    static void paint(QPainter &painter, const QRectF &rect);

    QVBoxLayout *contentLayout() const { return layout_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVBoxLayout *layout_;
};

} // namespace tc
