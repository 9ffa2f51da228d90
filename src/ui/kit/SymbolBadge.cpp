#include "ui/kit/SymbolBadge.h"

#include "ui/kit/Symbols.h"

#include <QLabel>
#include <QPainter>
#include <cmath>

namespace tc {

SymbolBadge::SymbolBadge(std::string_view symbol, qreal frame, qreal pixelSize, QColor color, QColor fill,
                         QWidget *parent, QFont::Weight weight)
    : QWidget(parent), symbol_(symbol), frame_(frame), pixelSize_(pixelSize), color_(color), fill_(fill),
      weight_(weight) {
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TranslucentBackground);
}

void SymbolBadge::setSymbol(std::string_view symbol) {
    symbol_ = symbol;
    update();
}

void SymbolBadge::setColors(QColor color, QColor fill) {
    color_ = color;
    fill_ = fill;
    update();
}

QSize SymbolBadge::sizeHint() const {
    const int side = static_cast<int>(std::ceil(frame_));
    return {side, side};
}

void SymbolBadge::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0, 0, frame_, frame_);
    if (fill_.alpha() > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill_);
        painter.drawEllipse(box);
    }
    Symbols::paint(painter, box, symbol_, pixelSize_, weight_, color_);
}

QLabel *textLabel(const QString &text, const QFont &font, const QColor &color, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

} // namespace tc
