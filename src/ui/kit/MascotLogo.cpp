#include "ui/kit/MascotLogo.h"

#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"

#include <QPainter>
#include <cmath>

namespace tc {

MascotLogo::MascotLogo(qreal size, QWidget *parent) : QWidget(parent), size_(size) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(sizeHint());
}

std::array<QRectF, 2> MascotLogo::eyes(qreal size) {
    const qreal width = size * 0.15;
    const qreal height = size * 0.33;
    const qreal gap = size * 0.12;
    const qreal left = (size - (2 * width + gap)) / 2;
    const qreal top = (size - height) / 2;
    return {QRectF(left, top, width, height), QRectF(left + width + gap, top, width, height)};
}

void MascotLogo::paint(QPainter &painter, const QRectF &rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.topLeft());
    const qreal size = std::min(rect.width(), rect.height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::ink);
    painter.drawEllipse(QRectF(0, 0, size, size));
    for (const QRectF &eye : eyes(size)) {
        painter.fillPath(capsule(eye), Qt::white);
    }
    painter.restore();
}

void MascotLogo::setOpacity(qreal opacity) {
    opacity_ = opacity;
    update();
}

QSize MascotLogo::sizeHint() const {
    const int side = static_cast<int>(std::ceil(size_));
    return {side, side};
}

void MascotLogo::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setOpacity(opacity_);
    paint(painter, QRectF(0, 0, size_, size_));
}

} // namespace tc
