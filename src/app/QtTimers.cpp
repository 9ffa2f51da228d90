#include "app/QtTimers.h"

#include <QTimer>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

class QtPending final : public Timers::Pending {
public:
    QtPending(double seconds, std::function<void()> task) : timer_(new QTimer) {
        timer_->setSingleShot(true);
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_, &QTimer::timeout, timer_, std::move(task));
        timer_->start(static_cast<int>(std::lround(std::max(0.0, seconds) * 1000.0)));
    }

    ~QtPending() override {
        // The handle may be dropped from inside the timer's own timeout: delete the timer once that returns.
        timer_->stop();
        timer_->deleteLater();
    }

private:
    QTimer *timer_;
};

} // namespace

std::unique_ptr<Timers::Pending> QtTimers::after(double seconds, std::function<void()> task) {
    return std::make_unique<QtPending>(seconds, std::move(task));
}

} // namespace tc
