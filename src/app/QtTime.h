#pragma once

#include "app/Clock.h"

#include <QObject>
#include <QPointer>

namespace tc {

// The system's local wall clock.
class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// Timers on the Qt event loop of the thread that made the factory (the main thread). Posted tasks from other
// threads are queued to that loop in order; tasks posted after the factory is gone are dropped.
class QtTimerFactory final : public TimerFactory {
public:
    QtTimerFactory();
    ~QtTimerFactory() override;

    std::unique_ptr<Timer> singleShot(double seconds, std::function<void()> task) override;
    std::unique_ptr<Timer> repeat(double seconds, std::function<void()> task) override;
    void post(std::function<void()> task) override;
    // An eventfd watched by the event loop: wake() is one write() at most, without a lock or an allocation.
    std::unique_ptr<Wakeup> wakeup(std::function<void()> task) override;

private:
    std::unique_ptr<QObject> context_; // lives on the main thread; the receiver of posted tasks
};

} // namespace tc
