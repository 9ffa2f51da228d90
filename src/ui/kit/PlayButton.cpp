#include "ui/kit/PlayButton.h"

#include "ui/kit/FocusRing.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace tc {

PlayButton::PlayButton(qreal size, std::function<void()> action, QWidget *parent)
    : QAbstractButton(parent), size_(size), action_(std::move(action)) {
    setAccessibleName(QStringLiteral("Play"));
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this);
    setFixedSize(sizeHint());
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (action_) {
            action_();
        }
    });
}

void PlayButton::setAction(std::function<void()> action) {
    action_ = std::move(action);
}

QSize PlayButton::sizeHint() const {
    const int side = static_cast<int>(std::ceil(size_));
    return {side, side};
}

void PlayButton::paint(QPainter &painter, const QRectF &rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::ink);
    painter.drawEllipse(rect);
    Symbols::paint(painter, rect, "play.fill", symbolSize(rect.width()), QFont::Bold, Qt::white);
    painter.restore();
}

void PlayButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    paint(painter, QRectF(0, 0, size_, size_));
}

bool PlayButton::hitButton(const QPoint &pos) const {
    QPainterPath circle;
    circle.addEllipse(QRectF(0, 0, size_, size_));
    return circle.contains(pos);
}

} // namespace tc
