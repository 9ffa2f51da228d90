#pragma once

#include <QObject>
#include <functional>

class QVariantAnimation;

namespace tc {

// A value that moves to its target like a damped spring (a response in seconds and a damping fraction, as the
// caps and toggles specify their motion), reporting every frame. With motion turned off it jumps.
// Main thread only.
class SpringAnimator : public QObject {
    Q_OBJECT
public:
    SpringAnimator(qreal response, qreal damping, std::function<void(qreal)> onValue, QObject *parent = nullptr);
    ~SpringAnimator() override;

    // The spring's progress from 0 towards 1 at `seconds` after release (it may overshoot 1 when underdamped).
    static qreal progress(qreal seconds, qreal response, qreal damping);
    // How long until the spring has settled within a thousandth of its travel.
    static qreal settleSeconds(qreal response, qreal damping);

    // Moves from the current value to `target`; a change of target mid-way starts from where the value is.
    void animateTo(qreal target);
    void jumpTo(qreal target);
    // Ends a running motion at its target.
    void finish();

    qreal value() const { return value_; }
    qreal target() const { return to_; }
    bool isRunning() const;

private:
    void set(qreal value);

    qreal response_;
    qreal damping_;
    std::function<void(qreal)> onValue_;
    QVariantAnimation *animation_;
    qreal from_ = 0;
    qreal to_ = 0;
    qreal value_ = 0;
};

} // namespace tc
