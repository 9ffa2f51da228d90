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

std::optional<int> FittingText::fittingSize(int full, int smallest, qreal width,
                                            const std::function<qreal(int pixelSize)> &widthAt) {
    smallest = std::min(smallest, full);
    auto fits = [&](int size) { return widthAt(size) <= width; };
    const qreal fullWidth = widthAt(full);
    if (fullWidth <= width) {
        return full;
    }
    int size =
        std::clamp(static_cast<int>(std::floor(full * width / fullWidth)), smallest, std::max(smallest, full - 1));
    if (fits(size)) {
        // Hinting makes widths only nearly proportional: a size or two above the estimate may still fit.
        while (size + 1 < full && fits(size + 1)) {
            ++size;
        }
        return size;
    }
    while (size > smallest) {
        if (fits(--size)) {
            return size;
        }
    }
    return std::nullopt;
}

FittingText::Fit FittingText::fit(const QString &text, const QFont &font, qreal width, qreal minimumScale) {
    const int full = static_cast<int>(font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF());
    const int smallest = std::max(1, static_cast<int>(std::ceil(full * minimumScale)));
    // Only the part a line can show is measured, and a long text that fits neither at full size nor at the
    // smallest is told by a prefix (ShownText::fits), so it is never laid out whole.
    const QString shown = ShownText::bounded(text);
    if (ShownText::fits(QFontMetricsF(sized(font, full)), shown, width)) {
        return {static_cast<qreal>(full), shown, shown != text};
    }
    const QFontMetricsF smallestMetrics(sized(font, smallest));
    if (ShownText::fits(smallestMetrics, shown, width)) {
        const std::optional<int> size = fittingSize(full, smallest, width, [&](int pixelSize) {
            return QFontMetricsF(sized(font, pixelSize)).horizontalAdvance(shown);
        });
        return {static_cast<qreal>(size.value_or(smallest)), shown, shown != text};
    }
    const QString cut = ShownText::elided(smallestMetrics, text, std::max<qreal>(width, 0));
    return {static_cast<qreal>(smallest), cut, cut != text};
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
