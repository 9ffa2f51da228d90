#include "ui/kit/SectionTitle.h"

#include "ui/kit/Fonts.h"
#include "ui/kit/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

constexpr qreal spacing = 14;

} // namespace

SectionTitle::SectionTitle(const QString &title, std::optional<QString> detail, QWidget *parent)
    : QWidget(parent), title_(title), detail_(std::move(detail)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QFont SectionTitle::titleFont() {
    QFont font = Fonts::system(44, QFont::ExtraBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -1.5);
    return font;
}

QFont SectionTitle::detailFont() {
    return Fonts::mono(11, QFont::Medium);
}

SectionTitle::Layout SectionTitle::layout(const QString &title, const std::optional<QString> &detail) {
    const QFontMetricsF titleMetrics(titleFont());
    const QFontMetricsF detailMetrics(detailFont());
    Layout l;
    const qreal titleWidth = titleMetrics.horizontalAdvance(title);
    qreal ascent = titleMetrics.ascent();
    qreal descent = titleMetrics.descent();
    qreal width = titleWidth;
    if (detail) {
        l.detailText = detail->toUpper();
        ascent = std::max(ascent, detailMetrics.ascent());
        descent = std::max(descent, detailMetrics.descent());
        width += spacing + detailMetrics.horizontalAdvance(l.detailText);
    }
    l.titleOrigin = QPointF(0, ascent);
    l.detailOrigin = QPointF(titleWidth + spacing, ascent);
    l.size = QSizeF(std::ceil(width), std::ceil(ascent + descent));
    return l;
}

void SectionTitle::setTitle(const QString &title) {
    title_ = title;
    updateGeometry();
    update();
}

void SectionTitle::setDetail(std::optional<QString> detail) {
    if (detail == detail_) {
        return; // a page refreshes its title on every edit: the same words ask for no layout pass
    }
    detail_ = std::move(detail);
    updateGeometry();
    update();
}

QSize SectionTitle::sizeHint() const {
    return layout(title_, detail_).size.toSize();
}

void SectionTitle::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const Layout l = layout(title_, detail_);
    painter.setFont(titleFont());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(l.titleOrigin, title_);
    if (detail_) {
        painter.setFont(detailFont());
        painter.setPen(Theme::ink2);
        painter.drawText(l.detailOrigin, l.detailText);
    }
}

} // namespace tc
