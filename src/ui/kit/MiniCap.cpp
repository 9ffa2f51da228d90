#include "ui/kit/MiniCap.h"

#include "ui/kit/CategorySymbols.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

#include <QLinearGradient>
#include <QPainter>
#include <cmath>

namespace tc {

namespace {

const Shadow capShadow{Theme::withOpacity(Qt::black, 0.18), 1.5, QPointF(0, 1.5)};

void paintFace(QPainter &painter, const QRectF &frame, qreal size, const MiniCap::Content &content) {
    const MiniCap::Metrics g = MiniCap::metrics(size);
    const QPainterPath shape = continuousRoundedRect(frame, g.corner);
    QLinearGradient fill(frame.topLeft(), frame.bottomLeft());
    fill.setColorAt(0, content.palette.top.first);
    fill.setColorAt(0.72, content.palette.top.second);
    fill.setColorAt(1, content.palette.skirt.second);
    painter.fillPath(shape, fill);

    // Only the upper rim catches the light.
    QLinearGradient rim(frame.topLeft(), QPointF(frame.left(), frame.center().y()));
    rim.setColorAt(0, Theme::withOpacity(Qt::white, content.palette.dark ? 0.25 : 0.9));
    rim.setColorAt(1, Theme::withOpacity(Qt::white, 0));
    painter.strokePath(strokeBorderPath(frame, g.corner, 1), QPen(QBrush(rim), 1));

    const QRectF legend = frame.translated(0, -g.legendLift);
    if (content.symbol) {
        Symbols::paint(painter, legend, *content.symbol, g.symbolSize, QFont::Bold, content.palette.ink);
    } else if (content.text) {
        painter.setFont(Fonts::system(g.textSize, QFont::Bold));
        painter.setPen(content.palette.ink);
        painter.drawText(legend, Qt::AlignCenter, *content.text);
    }
    painter.strokePath(shape, QPen(Theme::withOpacity(Qt::black, 0.07), 0.5));
}

} // namespace

MiniCap::Metrics MiniCap::metrics(qreal size) {
    return {QSizeF(size, size * 0.94), size * 0.24, size * 0.42, size * 0.36, size * 0.05};
}

MiniCap::Content MiniCap::forCategory(SoundCategory category) {
    const CapPalette &palette = CapPalette::forCategory(category);
    if (category == SoundCategory::mechanical) {
        return {palette, std::nullopt, QStringLiteral("K")};
    }
    const char *symbol = CategorySymbols::badge(category);
    return {palette, symbol ? std::optional<std::string>(symbol) : std::nullopt, std::nullopt};
}

void MiniCap::paint(QPainter &painter, QPointF origin, qreal size, const Content &content) {
    const QRectF frame(origin, metrics(size).frame);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    paintShadow(painter, frame, metrics(size).corner, capShadow);
    paintFace(painter, frame, size, content);
    painter.restore();
}

MiniCap::MiniCap(Content content, qreal size, QWidget *parent)
    : QWidget(parent), content_(std::move(content)), size_(size) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(sizeHint());
    // The shadow falls outside the badge's frame, as it does not take layout space.
    auto *effect = new ShadowEffect({capShadow}, metrics(size_).corner, this);
    effect->setShapeInsets(QMarginsF(0, 0, 0, sizeHint().height() - metrics(size_).frame.height()));
    setGraphicsEffect(effect);
}

void MiniCap::setContent(Content content) {
    content_ = std::move(content);
    update();
}

QSize MiniCap::sizeHint() const {
    const QSizeF frame = metrics(size_).frame;
    return {static_cast<int>(std::ceil(frame.width())), static_cast<int>(std::ceil(frame.height()))};
}

void MiniCap::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintFace(painter, QRectF(QPointF(0, 0), metrics(size_).frame), size_, content_);
}

MiniCap *cap(const SoundItem &sound, QWidget *parent) {
    return new MiniCap(MiniCap::forCategory(sound.category), 30, parent);
}

} // namespace tc
