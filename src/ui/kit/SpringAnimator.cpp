#include "ui/kit/SpringAnimator.h"

#include "app/Motion.h"

#include <QVariantAnimation>
#include <cmath>
#include <numbers>

namespace tc {

SpringAnimator::SpringAnimator(qreal response, qreal damping, std::function<void(qreal)> onValue, QObject *parent)
    : QObject(parent), response_(response), damping_(damping), onValue_(std::move(onValue)),
      animation_(new QVariantAnimation(this)) {
    animation_->setStartValue(0.0);
    animation_->setEndValue(1.0);
    animation_->setDuration(static_cast<int>(std::ceil(settleSeconds(response_, damping_) * 1000)));
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant &t) {
        const qreal seconds = t.toReal() * animation_->duration() / 1000.0;
        set(from_ + (to_ - from_) * progress(seconds, response_, damping_));
    });
    connect(animation_, &QVariantAnimation::finished, this, [this] { set(to_); });
}

SpringAnimator::~SpringAnimator() = default;

qreal SpringAnimator::progress(qreal seconds, qreal response, qreal damping) {
    if (seconds <= 0) {
        return 0;
    }
    const qreal omega = 2 * std::numbers::pi / response;
    const qreal decay = damping * omega;
    if (damping >= 1) {
        return 1 - std::exp(-omega * seconds) * (1 + omega * seconds);
    }
    const qreal ringing = omega * std::sqrt(1 - damping * damping);
    return 1 -
           std::exp(-decay * seconds) * (std::cos(ringing * seconds) + decay / ringing * std::sin(ringing * seconds));
}

qreal SpringAnimator::settleSeconds(qreal response, qreal damping) {
    const qreal omega = 2 * std::numbers::pi / response;
    return std::log(1000.0) / (std::min<qreal>(damping, 1) * omega);
}

bool SpringAnimator::isRunning() const {
    return animation_->state() == QAbstractAnimation::Running;
}

void SpringAnimator::animateTo(qreal target) {
    if (!motion::enabled()) {
        jumpTo(target);
        return;
    }
    if (target == to_ && (isRunning() || value_ == target)) {
        return;
    }
    animation_->stop();
    from_ = value_;
    to_ = target;
    animation_->start();
}

void SpringAnimator::jumpTo(qreal target) {
    animation_->stop();
    from_ = to_ = target;
    set(target);
}

void SpringAnimator::finish() {
    jumpTo(to_);
}

void SpringAnimator::set(qreal value) {
    if (value == value_) {
        return;
    }
    value_ = value;
    if (onValue_) {
        onValue_(value_);
    }
}

} // namespace tc
