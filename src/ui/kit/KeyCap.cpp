#include "ui/kit/KeyCap.h"

#include "ui/kit/Shapes.h"
#include "ui/kit/SpringAnimator.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

qreal mix(qreal up, qreal down, qreal press) {
    return up + (down - up) * press;
}

} // namespace

KeyCap::Metrics KeyCap::metrics(qreal width, qreal height, qreal corner, qreal press) {
    Metrics g;
    g.skirt = std::max<qreal>(height * 0.15, 3);
    g.sideInset = width < 40 ? 3 : 4;
    g.topInset = mix(2, g.skirt * 0.5, press);
    g.bottomInset = mix(g.skirt, g.skirt * 0.6, press);
    g.body = QRectF(0, 0, width, height);
    g.face = g.body.adjusted(g.sideInset, g.topInset, -g.sideInset, -g.bottomInset);
    g.faceCorner = corner * 0.75;
    g.drop = mix(0, 1.5, press);
    const qreal opacity = std::clamp<qreal>(mix(0.22, 0.12, press), 0, 1);
    g.shadow = {Theme::withOpacity(Qt::black, opacity), std::max<qreal>(0, mix(2.5, 1, press)),
                QPointF(0, mix(2, 0.5, press))};
    g.ring = g.body.adjusted(-4, -4, 4, 4);
    g.ringCorner = corner + 3;
    return g;
}

void KeyCap::paint(QPainter &painter, const QRectF &cap, const CapPalette &palette, qreal corner, qreal press,
                   bool selected, const Legend &legend) {
    const Metrics g = metrics(cap.width(), cap.height(), corner, press);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(cap.topLeft());

    if (selected) {
        // The ring stays on the unmoved frame while the cap sinks.
        painter.strokePath(strokeBorderPath(g.ring, g.ringCorner, 2), QPen(Theme::ink, 2));
    }

    painter.translate(0, g.drop);
    paintShadow(painter, g.body, corner, g.shadow);

    // Body: the skirt gradient, darkened towards both sides.
    const QPainterPath body = continuousRoundedRect(g.body, corner);
    QLinearGradient skirt(g.body.topLeft(), g.body.bottomLeft());
    skirt.setColorAt(0, palette.skirt.first);
    skirt.setColorAt(1, palette.skirt.second);
    painter.fillPath(body, skirt);
    QLinearGradient sides(g.body.topLeft(), g.body.topRight());
    sides.setColorAt(0, Theme::withOpacity(Qt::black, 0.1));
    sides.setColorAt(0.16, Qt::transparent);
    sides.setColorAt(0.84, Qt::transparent);
    sides.setColorAt(1, Theme::withOpacity(Qt::black, 0.12));
    painter.fillPath(body, sides);

    // Face: a radial gradient lit from above, a light rim along its upper edge, a hairline shadow below.
    if (!g.face.isEmpty()) {
        paintShadow(painter, g.face, g.faceCorner, {Theme::withOpacity(Qt::black, 0.1), 0.5, QPointF(0, 1)});
        const QPainterPath face = continuousRoundedRect(g.face, g.faceCorner);
        QRadialGradient light(QPointF(g.face.left() + g.face.width() * 0.5, g.face.top() + g.face.height() * 0.3),
                              std::max(cap.width(), cap.height()) * 0.8);
        light.setColorAt(0, palette.top.first);
        light.setColorAt(1, palette.top.second);
        painter.fillPath(face, light);
        QLinearGradient rim(g.face.topLeft(), QPointF(g.face.left(), g.face.center().y()));
        rim.setColorAt(0, Theme::withOpacity(Qt::white, palette.dark ? 0.28 : 0.95));
        rim.setColorAt(1, Theme::withOpacity(Qt::white, 0));
        painter.strokePath(strokeBorderPath(g.face, g.faceCorner, 1), QPen(QBrush(rim), 1));
        if (legend) {
            legend(painter, g.face, palette.ink);
        }
    }
    painter.restore();
}

KeyCap::Legend KeyCap::text(const QString &text, const QFont &font) {
    return [text, font](QPainter &painter, const QRectF &face, const QColor &ink) {
        painter.save();
        painter.setFont(font);
        painter.setPen(ink);
        painter.drawText(face, Qt::AlignCenter, text);
        painter.restore();
    };
}

KeyCap::Legend KeyCap::symbol(const char *name, qreal pixelSize, QFont::Weight weight) {
    const std::string symbolName(name);
    return [symbolName, pixelSize, weight](QPainter &painter, const QRectF &face, const QColor &ink) {
        Symbols::paint(painter, face, symbolName, pixelSize, weight, ink);
    };
}

KeyCap::KeyCap(const CapPalette &palette, qreal width, qreal height, qreal corner, QWidget *parent)
    : QWidget(parent), palette_(palette), width_(width), height_(height), corner_(corner),
      press_(new SpringAnimator(
          0.12, 0.6, [this](qreal) { update(); }, this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    resize(sizeHint());
}

KeyCap::~KeyCap() = default;

QSize KeyCap::sizeHint() const {
    return {static_cast<int>(std::ceil(width_)) + 2 * outset, static_cast<int>(std::ceil(height_)) + 2 * outset};
}

QRectF KeyCap::capRect() const {
    return {outset, outset, width_, height_};
}

qreal KeyCap::pressAmount() const {
    return press_->value();
}

void KeyCap::setCapPalette(const CapPalette &palette) {
    palette_ = palette;
    update();
}

void KeyCap::setCapSize(qreal width, qreal height) {
    width_ = width;
    height_ = height;
    resize(sizeHint());
    updateGeometry();
    update();
}

void KeyCap::setCorner(qreal corner) {
    corner_ = corner;
    update();
}

void KeyCap::setPressed(bool pressed) {
    if (pressed == pressed_) {
        return;
    }
    pressed_ = pressed;
    press_->animateTo(pressed ? 1 : 0);
}

void KeyCap::setSelected(bool selected) {
    if (selected == selected_) {
        return;
    }
    selected_ = selected;
    update();
}

void KeyCap::setLegend(Legend legend) {
    legend_ = std::move(legend);
    update();
}

void KeyCap::setCapGeometry(const QRectF &cap) {
    if (cap.width() != width_ || cap.height() != height_) {
        setCapSize(cap.width(), cap.height());
    }
    move(static_cast<int>(std::lround(cap.x())) - outset, static_cast<int>(std::lround(cap.y())) - outset);
}

void KeyCap::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    paint(painter, capRect(), palette_, corner_, press_->value(), selected_, legend_);
}

} // namespace tc
