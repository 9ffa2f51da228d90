#include "ui/kit/Chip.h"

#include "ui/kit/Fonts.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace tc {

Chip::Chip(const QString &text, const CapPalette &palette, QWidget *parent)
    : QWidget(parent), text_(text), palette_(palette) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QFont Chip::font() {
    return Fonts::system(12, QFont::DemiBold);
}

QSizeF Chip::size(const QString &text) {
    return {std::ceil(QFontMetricsF(font()).horizontalAdvance(text)) + 20, 26};
}

void Chip::setText(const QString &text) {
    text_ = text;
    updateGeometry();
    update();
}

void Chip::setCapPalette(const CapPalette &palette) {
    palette_ = palette;
    update();
}

QSize Chip::sizeHint() const {
    return size(text_).toSize();
}

void Chip::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    painter.fillPath(capsule(bounds), palette_.swatch);
    painter.strokePath(strokeBorderPath(bounds, bounds.height() / 2, 1), QPen(Theme::withOpacity(Qt::black, 0.08), 1));
    painter.setFont(font());
    painter.setPen(palette_.ink);
    painter.drawText(bounds.adjusted(10, 0, -10, 0), Qt::AlignCenter | Qt::TextSingleLine, text_);
}

} // namespace tc
