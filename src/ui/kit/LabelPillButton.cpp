#include "ui/kit/LabelPillButton.h"

#include "ui/kit/Fonts.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace tc {

namespace {

constexpr qreal padding = 16;
constexpr qreal symbolGap = 6;
constexpr qreal hintGap = 8;

QFont titleFont() {
    return Fonts::system(13, QFont::DemiBold);
}

QFont hintFont() {
    return Fonts::mono(11, QFont::Medium);
}

qreal symbolWidth() {
    return 16;
}

} // namespace

LabelPillButton::LabelPillButton(Label label, BlackPillButtonStyle style, QWidget *parent)
    : PillButton(label.title, style, parent), label_(std::move(label)) {
    setAccessibleName(label_.title);
}

void LabelPillButton::setLabel(Label label) {
    label_ = std::move(label);
    setText(label_.title);
    setAccessibleName(label_.title);
    updateGeometry();
    update();
}

qreal LabelPillButton::labelWidth(const Label &label) {
    qreal width = QFontMetricsF(titleFont()).horizontalAdvance(label.title);
    if (!label.symbol.empty()) {
        width += symbolWidth() + symbolGap;
    }
    if (!label.hint.isEmpty()) {
        width += hintGap + QFontMetricsF(hintFont()).horizontalAdvance(label.hint);
    }
    return width;
}

QSize LabelPillButton::sizeHint() const {
    return QSize(static_cast<int>(std::ceil(labelWidth(label_) + 2 * padding)), static_cast<int>(pillHeight()));
}

QSize LabelPillButton::minimumSizeHint() const {
    return sizeHint();
}

void LabelPillButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QRectF pill(rect());
    PillButton::paint(painter, pill, kind(), QString(), isDown());

    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink = kind() == Kind::black ? QColor(Qt::white) : Theme::ink;
    qreal x = pill.center().x() - labelWidth(label_) / 2;
    if (!label_.symbol.empty()) {
        Symbols::paint(painter, QRectF(x, 0, symbolWidth(), pill.height()), label_.symbol, 13, QFont::DemiBold, ink);
        x += symbolWidth() + symbolGap;
    }
    painter.setPen(ink);
    painter.setFont(titleFont());
    const qreal titleWidth = QFontMetricsF(titleFont()).horizontalAdvance(label_.title);
    painter.drawText(QRectF(x, 0, titleWidth + 1, pill.height()), Qt::AlignLeft | Qt::AlignVCenter, label_.title);
    x += titleWidth;
    if (!label_.hint.isEmpty()) {
        x += hintGap;
        painter.setFont(hintFont());
        painter.setOpacity(0.7);
        painter.drawText(QRectF(x, 0, pill.right() - x, pill.height()), Qt::AlignLeft | Qt::AlignVCenter, label_.hint);
    }
}

} // namespace tc
