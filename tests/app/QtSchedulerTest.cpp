// Posted tasks and timers run on the main thread through Qt's event loop.

#include "app/QtScheduler.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <atomic>
#include <memory>
#include <thread>

using namespace tc;

namespace {

struct App {
    int argc = 1;
    char name[9] = "test_app";
    char *argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
};

} // namespace

TEST(QtScheduler, TasksPostedFromAnyThreadRunOnTheMainThreadInOrder) {
    App app;
    QtScheduler scheduler;
    std::vector<int> order;
    std::atomic<bool> wrongThread = false;
    std::thread([&] {
        for (int i = 0; i < 3; ++i) {
            scheduler.post([&, i] {
                wrongThread = wrongThread || QThread::currentThread() != app.app.thread();
                order.push_back(i);
            });
        }
    }).join();
    EXPECT_TRUE(order.empty()) << "a posted task runs later, from the event loop";
    EXPECT_TRUE(QTest::qWaitFor([&] { return order.size() == 3; }, 5000));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(wrongThread);
}

TEST(QtScheduler, TimersRepeatUntilTheirHandleGoesAlsoFromInsideTheirOwnTask) {
    App app;
    QtScheduler scheduler;
    int ticks = 0;
    std::unique_ptr<Scheduler::Timer> timer;
    timer = scheduler.repeat(0.01, [&] {
        if (++ticks == 3) {
            timer.reset();
        }
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks == 3; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(timer, nullptr);
}
