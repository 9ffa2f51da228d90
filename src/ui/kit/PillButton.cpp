#include "ui/kit/PillButton.h"

#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace tc {

namespace {

constexpr qreal padding = 16;

QFont labelFont() {
    return Fonts::system(13, QFont::DemiBold);
}

} // namespace

PillButton::PillButton(const QString &text, BlackPillButtonStyle style, QWidget *parent)
    : PillButton(text, Kind::black, style.height, parent) {}

PillButton::PillButton(const QString &text, OutlinePillButtonStyle style, QWidget *parent)
    : PillButton(text, Kind::outline, style.height, parent) {}

PillButton::PillButton(const QString &text, Kind kind, qreal height, QWidget *parent)
    : QAbstractButton(parent), kind_(kind), height_(height) {
    setText(text);
    setFont(labelFont());
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSizeF PillButton::size(const QString &text, qreal height) {
    const QFontMetricsF metrics(labelFont());
    return {std::ceil(metrics.horizontalAdvance(text)) + 2 * padding, height};
}

qreal PillButton::fillOpacity(Kind kind, bool pressed) {
    if (!pressed) {
        return 1.0;
    }
    return kind == Kind::black ? 0.8 : 0.7;
}

void PillButton::paint(QPainter &painter, const QRectF &rect, Kind kind, const QString &text, bool pressed) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath pill = capsule(rect);
    const qreal opacity = fillOpacity(kind, pressed);
    if (kind == Kind::black) {
        painter.fillPath(pill, Theme::withOpacity(Theme::ink, opacity));
    } else {
        painter.fillPath(pill, Theme::withOpacity(Qt::white, opacity));
        painter.strokePath(strokeBorderPath(rect, std::min(rect.width(), rect.height()) / 2, 1),
                           QPen(Theme::border, 1));
    }
    painter.setFont(labelFont());
    painter.setPen(kind == Kind::black ? QColor(Qt::white) : Theme::ink);
    painter.drawText(rect.adjusted(padding, 0, -padding, 0), Qt::AlignCenter | Qt::TextSingleLine, text);
    painter.restore();
}

QSize PillButton::sizeHint() const {
    return size(text(), height_).toSize();
}

QSize PillButton::minimumSizeHint() const {
    return sizeHint();
}

void PillButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), kind_, text(), isDown());
}

bool PillButton::hitButton(const QPoint &pos) const {
    return capsule(QRectF(rect())).contains(pos);
}

} // namespace tc
