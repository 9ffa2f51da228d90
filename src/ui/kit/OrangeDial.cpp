#include "ui/kit/OrangeDial.h"

#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"

#include <QPainter>
#include <QVBoxLayout>

namespace tc {

OrangeDial::OrangeDial(qreal height, QWidget *content, QWidget *parent)
    : QWidget(parent), layout_(new QVBoxLayout(this)) {
    setFixedHeight(qRound(height));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout_->setContentsMargins(inset, inset, inset, inset);
    layout_->setSpacing(0);
    if (content) {
        layout_->addWidget(content);
    }
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, Theme::ink);
    palette.setColor(QPalette::Text, Theme::ink);
    setPalette(palette);
    setGraphicsEffect(new ShadowEffect({{QColor(180, 70, 10, qRound(0.25 * 255)), 24, QPointF(0, 18)}}, corner, this));
}

OrangeDial::Shapes OrangeDial::shapes(QSizeF size) {
    Shapes s;
    s.centre = QPointF(0.5 * size.width(), size.height() + 4);
    s.radius = 0.4 * size.width();
    const QRectF circle(s.centre.x() - s.radius, s.centre.y() - s.radius, 2 * s.radius, 2 * s.radius);
    const QPointF leftmost(s.centre.x() - s.radius, s.centre.y());
    // Qt's angles run counter-clockwise on screen: a negative sweep from 180° goes up over the top.
    s.halfDisc.moveTo(leftmost);
    s.halfDisc.arcTo(circle, 180, -180);
    s.halfDisc.closeSubpath();
    s.ticks.moveTo(leftmost);
    s.ticks.arcTo(circle, 180, -180);
    s.pointer.moveTo(leftmost);
    s.pointer.arcTo(circle, 180, -60);
    return s;
}

void OrangeDial::paint(QPainter &painter, const QRectF &rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(continuousRoundedRect(rect, corner));
    painter.fillRect(rect, Theme::orange);
    painter.translate(rect.topLeft());
    const Shapes s = shapes(rect.size());
    painter.fillPath(s.halfDisc, Theme::orangeDeep);

    QPen ticks(Theme::ink, 2, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    ticks.setMiterLimit(10);
    ticks.setDashPattern({2.0 / 2, 9.0 / 2}); // 2 on, 9 off, in units of the line width
    painter.strokePath(s.ticks, ticks);

    QPen pointer(Theme::ink, 4, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
    pointer.setMiterLimit(10);
    painter.strokePath(s.pointer, pointer);
    painter.restore();
}

void OrangeDial::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    paint(painter, QRectF(rect()));
}

} // namespace tc
