#pragma once

#include "engine/Scheduler.h"

#include <QObject>

namespace tc {

// The engine's scheduler on Qt: tasks and timers run on the thread of the object this scheduler is made on
// (the main thread, with the application's event loop). Must outlive everything that posts to it.
class QtScheduler final : public Scheduler {
public:
    QtScheduler();
    ~QtScheduler() override;

    void post(std::function<void()> task) override;
    std::unique_ptr<Timer> repeat(double seconds, std::function<void()> task) override;

private:
    QObject context_; // receives the posted tasks; they are dropped with it
};

} // namespace tc
