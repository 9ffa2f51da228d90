#include "ui/triggers/FlatButton.h"

#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace tc {

namespace {

constexpr qreal kSymbolGap = 6;

qreal symbolSize(const QFont &font) {
    return font.pixelSize() > 0 ? font.pixelSize() + 2 : 14;
}

} // namespace

FlatButton::FlatButton(QSize size, Painter paint, QWidget *parent)
    : QAbstractButton(parent), size_(size), paint_(std::move(paint)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this, 8);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void FlatButton::setPainter(Painter paint) {
    paint_ = std::move(paint);
    update();
}

void FlatButton::setFixedHint(QSize size) {
    if (size != size_) {
        size_ = size;
        updateGeometry();
    }
    update();
}

qreal FlatButton::labelWidth(const std::string &symbol, const QString &title, const QFont &font, qreal padding) {
    qreal width = QFontMetricsF(font).horizontalAdvance(title);
    if (!symbol.empty()) {
        width += symbolSize(font) + kSymbolGap;
    }
    return std::ceil(width + 2 * padding);
}

void FlatButton::paintLabel(QPainter &painter, const QRectF &rect, const std::string &symbol, const QString &title,
                            const QFont &font, const QColor &color) {
    const qreal width = labelWidth(symbol, title, font, 0);
    qreal x = rect.center().x() - width / 2;
    if (!symbol.empty()) {
        const qreal size = symbolSize(font);
        Symbols::paint(painter, QRectF(x, rect.center().y() - size / 2, size, size), symbol, size, font.weight(),
                       color);
        x += size + kSymbolGap;
    }
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(QRectF(x, rect.top(), rect.right() - x, rect.height()), Qt::AlignLeft | Qt::AlignVCenter, title);
}

void FlatButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (paint_) {
        paint_(painter, QRectF(rect()), isDown());
    }
}

} // namespace tc
