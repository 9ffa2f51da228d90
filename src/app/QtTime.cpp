#include "app/QtTime.h"

#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace tc {

namespace {

class QtTimer final : public TimerFactory::Timer {
public:
    QtTimer(double seconds, bool repeating, std::function<void()> task) : timer_(new QTimer) {
        timer_->setSingleShot(!repeating);
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_, &QTimer::timeout, [task = std::move(task)] { task(); });
        timer_->start(static_cast<int>(std::lround(std::max(0.0, seconds) * 1000.0)));
    }
    // The handle may be destroyed inside the timer's own timeout; the QTimer is released by the event loop.
    ~QtTimer() override {
        timer_->stop();
        timer_->deleteLater();
    }

private:
    QTimer *timer_;
};

} // namespace

QtTimerFactory::QtTimerFactory() : context_(std::make_unique<QObject>()) {}

QtTimerFactory::~QtTimerFactory() = default;

std::unique_ptr<TimerFactory::Timer> QtTimerFactory::singleShot(double seconds, std::function<void()> task) {
    return std::make_unique<QtTimer>(seconds, false, std::move(task));
}

std::unique_ptr<TimerFactory::Timer> QtTimerFactory::repeat(double seconds, std::function<void()> task) {
    return std::make_unique<QtTimer>(seconds, true, std::move(task));
}

void QtTimerFactory::post(std::function<void()> task) {
    // Queued to the context's thread; Qt keeps the order of calls from one sending thread and drops them when
    // the context is destroyed first.
    QMetaObject::invokeMethod(context_.get(), std::move(task), Qt::QueuedConnection);
}

} // namespace tc
