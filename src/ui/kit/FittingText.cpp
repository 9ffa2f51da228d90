#include "ui/kit/FittingText.h"
#include "ui/kit/ShownText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

QFont sized(QFont font, qreal pixelSize) {
    // Letter spacing is given in points: it shrinks with the text.
    const qreal spacing = font.letterSpacing();
    const qreal scale = font.pixelSize() > 0 ? pixelSize / font.pixelSize() : 1.0;
    font.setPixelSize(std::max(1, static_cast<int>(std::floor(pixelSize))));
    if (spacing != 0 && font.letterSpacingType() == QFont::AbsoluteSpacing) {
        font.setLetterSpacing(QFont::AbsoluteSpacing, spacing * scale);
    }
    return font;
}

} // namespace

FittingText::FittingText(const QString &text, const QFont &font, const QColor &color, qreal minimumScale,
                         Qt::Alignment alignment, QWidget *parent)
    : QWidget(parent), text_(text), font_(font), color_(color), minimumScale_(std::clamp(minimumScale, 0.05, 1.0)),
      alignment_(alignment) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(text);
}

FittingText::Fit FittingText::fit(const QString &text, const QFont &font, qreal width, qreal minimumScale) {
    const qreal full = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF();
    const qreal smallest = std::max(1.0, std::ceil(full * minimumScale));
    // Whole pixel sizes, largest first: the first one whose text fits wins. Only the part a line can show is
    // measured.
    const QString shown = ShownText::bounded(text);
    for (qreal size = full; size >= smallest; size -= 1) {
        if (ShownText::fits(QFontMetricsF(sized(font, size)), shown, width)) {
            return {size, shown, shown != text};
        }
    }
    const QFontMetricsF metrics(sized(font, smallest));
    const QString cut = ShownText::elided(metrics, text, std::max<qreal>(width, 0));
    return {smallest, cut, cut != text};
}

void FittingText::setText(const QString &text) {
    if (text == text_) {
        return;
    }
    const QSize before = sizeHint();
    text_ = text;
    setAccessibleName(text);
    refit();
    // A layout that sizes the line by its text (a Preferred policy) keeps the old room until it is told.
    if (sizeHint() != before) {
        updateGeometry();
    }
    update();
}

void FittingText::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    refit();
}

void FittingText::refit() {
    fit_ = fit(text_, font_, width(), minimumScale_);
    fitWidth_ = width();
    setToolTip(fit_.elided ? text_ : QString());
}

void FittingText::setColor(const QColor &color) {
    color_ = color;
    update();
}

FittingText::Fit FittingText::currentFit() const {
    return fitWidth_ == width() ? fit_ : fit(text_, font_, width(), minimumScale_);
}

QSize FittingText::sizeHint() const {
    const QFontMetricsF metrics(font_);
    return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(ShownText::bounded(text_)))),
                 static_cast<int>(std::ceil(metrics.height())));
}

QSize FittingText::minimumSizeHint() const {
    return QSize(0, sizeHint().height());
}

void FittingText::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const Fit f = currentFit();
    painter.setFont(sized(font_, f.pixelSize));
    painter.setPen(color_);
    painter.drawText(QRectF(rect()), static_cast<int>(alignment_ | Qt::AlignVCenter | Qt::TextSingleLine), f.text);
}

} // namespace tc
