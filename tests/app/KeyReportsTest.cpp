// The keyboard thread's reports reach the main thread in order, through a bounded queue, and a full queue loses
// nothing the counters need: the held keys are let go and the lost plays are still counted.

#include "AppModelHarness.h"

#include "app/KeyReports.h"
#include "app/QtTime.h"
#include "support/QtTestApp.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace tc::test {
namespace {

// A report as text: "down 12", "up 12", "played 12 synth.coin", "lost 3".
std::string describe(const KeyReports::Report &report) {
    using Kind = KeyReports::Report::Kind;
    switch (report.kind) {
    case Kind::down:
        return "down " + std::to_string(report.code);
    case Kind::up:
        return "up " + std::to_string(report.code);
    case Kind::played:
        return "played " + std::to_string(report.code) + " " + std::string(report.soundID());
    case Kind::lost:
        return "lost " + std::to_string(report.lostPlays);
    }
    return "?";
}

std::vector<std::string> takeAll(KeyReports &reports) {
    std::vector<std::string> seen;
    reports.take([&](const KeyReports::Report &report) { seen.push_back(describe(report)); });
    return seen;
}

TEST(KeyReports, KeepOrderAndCarryTheSoundPlayed) {
    KeyReports reports;
    const std::string longest(KeyReports::kMaxSoundID, 'x');
    EXPECT_TRUE(reports.key(12, true));
    EXPECT_TRUE(reports.played(12, "user.0C3E1F8A-5B2D-4C6E-9F10-A1B2C3D4E5F6"));
    EXPECT_TRUE(reports.played(13, longest));
    EXPECT_FALSE(reports.played(13, longest + "x")); // too long: not queued, not lost
    EXPECT_TRUE(reports.key(12, false));
    EXPECT_EQ(takeAll(reports),
              (std::vector<std::string>{"down 12", "played 12 user.0C3E1F8A-5B2D-4C6E-9F10-A1B2C3D4E5F6",
                                        "played 13 " + longest, "up 12"}));
    EXPECT_TRUE(takeAll(reports).empty());
}

TEST(KeyReports, AFullQueueCountsWhatItLostAndThenTakesReportsAgain) {
    KeyReports reports;
    for (std::size_t i = 0; i < KeyReports::kCapacity; ++i) {
        EXPECT_TRUE(reports.key(1, true));
    }
    EXPECT_FALSE(reports.key(2, true));
    EXPECT_FALSE(reports.played(2, "synth.coin"));
    EXPECT_FALSE(reports.played(2, "synth.coin"));
    const auto seen = takeAll(reports);
    ASSERT_EQ(seen.size(), KeyReports::kCapacity + 1);
    EXPECT_EQ(seen.back(), "lost 2"); // three reports lost, two of them plays
    EXPECT_TRUE(reports.played(3, "synth.coin"));
    EXPECT_EQ(takeAll(reports), std::vector<std::string>{"played 3 synth.coin"});
}

TEST(KeyReports, ReportsFromTheKeyboardThreadArriveWholeAndInOrderThroughTheProgramsWakeup) {
    qtApp();
    QtTimerFactory timers;
    KeyReports reports;
    std::vector<int> codes;
    const auto collect = [&](const KeyReports::Report &report) {
        if (report.kind != KeyReports::Report::Kind::lost) { // a full queue's refusals, which are added again
            codes.push_back(report.code);
        }
    };
    const auto wakeup = timers.wakeup([&] { reports.take(collect); });
    constexpr int kReports = 20000; // many times the queue: the thread waits while the queue is full
    std::thread keyboard([&] {
        for (int code = 0; code < kReports;) {
            if (reports.key(static_cast<std::uint16_t>(code), true)) {
                ++code;
            } else {
                std::this_thread::yield();
            }
            wakeup->wake();
        }
    });
    QElapsedTimer waited;
    waited.start();
    while (codes.size() < static_cast<std::size_t>(kReports) && waited.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    keyboard.join();
    ASSERT_EQ(codes.size(), static_cast<std::size_t>(kReports));
    for (int i = 0; i < kReports; ++i) {
        ASSERT_EQ(codes[static_cast<std::size_t>(i)], i);
    }
}

TEST(KeyReports, TheModelCountsEveryPressAndLetsEveryKeyGoWhenItFellBehind) {
    Harness harness;
    AppModel &model = harness.started();
    const auto before = model.pressesToday();
    constexpr int kPresses = 600; // three reports each: more than the queue holds
    for (int i = 0; i < kPresses; ++i) {
        harness.monitor->down(12, 0, "q");
        harness.monitor->up(12);
    }
    harness.monitor->down(13, 0, "w"); // held, but its report is lost
    harness.time.runPosted();
    EXPECT_EQ(model.pressesToday(), before + kPresses + 1);
    EXPECT_TRUE(model.pressedKeys().empty());
    EXPECT_EQ(model.lastPlayedKey(), std::optional<std::uint16_t>(12)); // the last report that fitted
}

} // namespace
} // namespace tc::test
