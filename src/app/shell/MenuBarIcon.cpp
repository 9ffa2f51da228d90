#include "app/shell/MenuBarIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace tc {

namespace {

// The drawing is given with y growing upwards from the bottom edge; this turns a rectangle of that form into
// the painter's downward coordinates.
QRectF fromBottom(qreal x, qreal y, qreal w, qreal h) {
    return {x, MenuBarIcon::height - y - h, w, h};
}
QPointF fromBottom(qreal x, qreal y) {
    return {x, MenuBarIcon::height - y};
}

void fillRounded(QPainter &painter, const QRectF &rect, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    painter.fillPath(path, painter.brush());
}

class MenuBarIconEngine final : public QIconEngine {
public:
    MenuBarIconEngine(MenuBarIcon::State state, QColor ink) : state_(state), ink_(ink) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QRectF target = fitted(rect);
        const QImage drawn = MenuBarIcon::image(state_, ink_, dpr * target.width() / MenuBarIcon::width);
        painter->drawImage(target, drawn);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        painter.end();
        return QPixmap::fromImage(canvas);
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override {
        return fitted(QRect({}, size)).size().toSize();
    }

    QIconEngine *clone() const override { return new MenuBarIconEngine(state_, ink_); }
    QString key() const override { return QStringLiteral("tapchime.menubar"); }

private:
    static QRectF fitted(const QRect &rect) {
        const qreal scale =
            std::min(rect.width() / qreal(MenuBarIcon::width), rect.height() / qreal(MenuBarIcon::height));
        const QSizeF size(MenuBarIcon::width * scale, MenuBarIcon::height * scale);
        return {rect.x() + (rect.width() - size.width()) / 2, rect.y() + (rect.height() - size.height()) / 2,
                size.width(), size.height()};
    }

    MenuBarIcon::State state_;
    QColor ink_;
};

} // namespace

MenuBarIcon::State MenuBarIcon::state(const std::optional<Silence> &silence) {
    if (!silence) {
        return State::playing;
    }
    return silence->kind == Silence::Kind::off ? State::off : State::silenced;
}

void MenuBarIcon::paint(QPainter &painter, State state, const QColor &ink) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(ink);
    const QRectF cap(1, 1, 18, 14);
    QPainterPath capPath;
    capPath.addRoundedRect(cap, 4, 4);
    const QRectF leftEye = fromBottom(6.5, 4.5, 2.2, 6.5);
    const QRectF rightEye = fromBottom(11.5, 4.5, 2.2, 6.5);

    if (state == State::playing) {
        painter.fillPath(capPath, ink);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        fillRounded(painter, leftEye, 1.1);
        fillRounded(painter, rightEye, 1.1);
    } else {
        painter.strokePath(capPath, QPen(ink, 1.5));
        if (state == State::off) {
            fillRounded(painter, fromBottom(5.5, 6.6, 3.5, 1.6), 0.8);
            fillRounded(painter, fromBottom(11.0, 6.6, 3.5, 1.6), 0.8);
        } else {
            fillRounded(painter, leftEye, 1.1);
            fillRounded(painter, rightEye, 1.1);
            painter.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(fromBottom(2.5, 14), fromBottom(17.5, 2));
        }
    }
    painter.restore();
}

QImage MenuBarIcon::image(State state, const QColor &ink, qreal devicePixelRatio) {
    const QSize pixels(static_cast<int>(std::ceil(width * devicePixelRatio)),
                       static_cast<int>(std::ceil(height * devicePixelRatio)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter, state, ink);
    painter.end();
    return image;
}

QImage MenuBarIcon::image(const std::optional<Silence> &silence, const QColor &ink, qreal devicePixelRatio) {
    return image(state(silence), ink, devicePixelRatio);
}

QIcon MenuBarIcon::icon(State state, const QColor &ink) {
    QIcon icon(new MenuBarIconEngine(state, ink));
    icon.setIsMask(true);
    return icon;
}

} // namespace tc
