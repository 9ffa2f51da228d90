#include "app/QtScheduler.h"

#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <cmath>

namespace tc {

namespace {

class QtTimer final : public Scheduler::Timer {
public:
    explicit QtTimer(QTimer *timer) : timer_(timer) {}
    ~QtTimer() override {
        if (timer_) {
            timer_->stop();
            // The handle may be destroyed inside the timer's own task: let Qt delete it after the signal.
            timer_->deleteLater();
        }
    }

private:
    QPointer<QTimer> timer_;
};

} // namespace

QtScheduler::QtScheduler() = default;

QtScheduler::~QtScheduler() = default;

void QtScheduler::post(std::function<void()> task) {
    QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
}

std::unique_ptr<Scheduler::Timer> QtScheduler::repeat(double seconds, std::function<void()> task) {
    auto *timer = new QTimer(&context_);
    // Short intervals (the level meter) keep their pace; the others may be batched by the system.
    timer->setTimerType(seconds < 1.0 ? Qt::PreciseTimer : Qt::CoarseTimer);
    timer->setInterval(static_cast<int>(std::lround(seconds * 1000)));
    QObject::connect(timer, &QTimer::timeout, timer, std::move(task));
    timer->start();
    return std::make_unique<QtTimer>(timer);
}

} // namespace tc
