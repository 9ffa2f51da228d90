#include "app/QtTime.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>

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

class EventFdWakeup final : public TimerFactory::Wakeup {
public:
    explicit EventFdWakeup(std::function<void()> task) : task_(std::move(task)) {
        fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (fd_ < 0) {
            return; // wake() then does nothing; the reports wait for the next wake that can be delivered
        }
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto ignored = read(fd_, &count, sizeof count);
            // Cleared before the task, so a wake() during the task brings another run.
            pending_.store(false);
            task_();
        });
    }
    ~EventFdWakeup() override {
        notifier_.reset();
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    void wake() override {
        if (fd_ >= 0 && !pending_.exchange(true)) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const auto ignored = write(fd_, &one, sizeof one);
        }
    }

private:
    std::function<void()> task_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::atomic<bool> pending_{false};
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

std::unique_ptr<TimerFactory::Wakeup> QtTimerFactory::wakeup(std::function<void()> task) {
    return std::make_unique<EventFdWakeup>(std::move(task));
}

void QtTimerFactory::post(std::function<void()> task) {
    // Queued to the context's thread; Qt keeps the order of calls from one sending thread and drops them when
    // the context is destroyed first.
    QMetaObject::invokeMethod(context_.get(), std::move(task), Qt::QueuedConnection);
}

} // namespace tc
