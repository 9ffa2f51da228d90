// The recorder's state machine, meter and take file, driven through a fake backend and a fake clock.

#include "engine/Recorder.h"
#include "support/FakeRecordingBackend.h"
#include "support/FakeScheduler.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace tc;
using namespace tc::test;
using Kind = Recorder::State::Kind;
using Authorization = RecordingBackend::Authorization;

namespace {

struct Rig {
    FakeScheduler scheduler;
    FakeRecordingBackend backend;
    Recorder recorder{scheduler, backend};
    int changes = 0;
    Rig() {
        recorder.onChange = [this] { ++changes; };
    }
};

} // namespace

TEST(Recorder, LevelFollowsTheDecibelScale) {
    struct Case {
        float db, level;
    };
    for (const auto &c : std::vector<Case>{
             {-160, 0}, {-60, 0}, {-50, 0}, {-25, 0.5f}, {-5, 0.9f}, {0, 1}, {3, 1}, {std::nanf(""), 0}}) {
        EXPECT_FLOAT_EQ(Recorder::levelFor(c.db), c.level) << c.db;
    }
}

TEST(Recorder, TakePathIsAnM4aNamedWithAUuidInTheTemporaryFolder) {
    const auto a = Recorder::makeTakePath();
    const auto b = Recorder::makeTakePath();
    EXPECT_NE(a, b);
    EXPECT_EQ(a.parent_path(), std::filesystem::temp_directory_path());
    const auto name = a.filename().string();
    ASSERT_EQ(name.size(), std::string("Tapchime-").size() + 36 + 4) << name;
    EXPECT_EQ(name.substr(0, 9), "Tapchime-");
    EXPECT_EQ(name.substr(name.size() - 4), ".m4a");
    EXPECT_EQ(name[9 + 14], '4') << "a version 4 UUID: " << name;
}

TEST(Recorder, AuthorizedStartRecordsWithTheMeterAndFinishesWithTheFile) {
    Rig r;
    r.recorder.start();
    ASSERT_EQ(r.recorder.state().kind, Kind::recording);
    ASSERT_EQ(r.backend.takes.size(), 1u);
    auto take = r.backend.takes[0];
    EXPECT_EQ(take->maxSeconds, 3.0);
    EXPECT_EQ(r.scheduler.activeTimers(), 1u);

    take->powerDb = -25;
    take->time = 0.03;
    r.scheduler.advance(0.03);
    EXPECT_EQ(r.recorder.levels(), std::vector<float>{0.5f});
    EXPECT_DOUBLE_EQ(r.recorder.elapsed(), 0.03);

    // 101 ticks in all: the oldest value is dropped.
    take->powerDb = 0;
    for (int i = 0; i < 100; ++i) {
        r.scheduler.advance(0.03);
    }
    ASSERT_EQ(r.recorder.levels().size(), 100u);
    EXPECT_EQ(r.recorder.levels().front(), 1.0f);

    take->finish(true);
    r.scheduler.runPosted();
    EXPECT_EQ(r.recorder.state(), Recorder::State::finished(take->file));
    EXPECT_EQ(r.scheduler.activeTimers(), 0u);
    EXPECT_EQ(r.recorder.levels().size(), 100u) << "the finished take keeps its meter";
}

TEST(Recorder, StopEndsTheTakeEarlyAndAFailedEndIsReported) {
    Rig r;
    r.recorder.start();
    r.recorder.stop();
    r.scheduler.runPosted();
    EXPECT_EQ(r.recorder.state().kind, Kind::finished);
    EXPECT_EQ(r.backend.takes[0]->stops, 1);

    r.recorder.start();
    ASSERT_EQ(r.backend.takes.size(), 2u);
    r.backend.takes[1]->finish(false);
    r.scheduler.runPosted();
    EXPECT_EQ(r.recorder.state(), Recorder::State::failed("Recording stopped unexpectedly."));
    EXPECT_EQ(r.scheduler.activeTimers(), 0u);
    EXPECT_EQ(r.backend.liveTakes(), 0u) << "ended takes are released";
}

TEST(Recorder, StartFailuresGiveTheirMessages) {
    {
        Rig r;
        r.backend.createError = "The file couldn't be created.";
        r.recorder.start();
        EXPECT_EQ(r.recorder.state(), Recorder::State::failed("The file couldn't be created."));
    }
    {
        Rig r;
        r.backend.startResult = RecordingTake::StartResult::unavailable;
        r.recorder.start();
        EXPECT_EQ(r.recorder.state(), Recorder::State::failed("The microphone isn't available right now."));
        EXPECT_EQ(r.scheduler.activeTimers(), 0u);
        EXPECT_EQ(r.backend.liveTakes(), 0u);
    }
    {
        Rig r;
        r.backend.startResult = RecordingTake::StartResult::refused;
        r.recorder.start();
        EXPECT_EQ(r.recorder.state().kind, Kind::denied);
    }
    {
        Rig r;
        r.backend.status = Authorization::denied;
        r.recorder.start();
        EXPECT_EQ(r.recorder.state().kind, Kind::denied);
        EXPECT_TRUE(r.backend.takes.empty());
        // Start may be called again from denied (and from failed and finished).
        r.backend.status = Authorization::authorized;
        r.recorder.start();
        EXPECT_EQ(r.recorder.state().kind, Kind::recording);
    }
}

TEST(Recorder, PermissionAskedFirstAndAGrantStartsRecordingWithoutASecondCall) {
    for (bool granted : {true, false}) {
        Rig r;
        r.backend.status = Authorization::notDetermined;
        r.recorder.start();
        EXPECT_EQ(r.recorder.state().kind, Kind::needsPermission);
        r.backend.answer(granted);
        EXPECT_EQ(r.recorder.state().kind, Kind::needsPermission) << "the answer is moved to the main thread";
        r.scheduler.runPosted();
        EXPECT_EQ(r.recorder.state().kind, granted ? Kind::recording : Kind::denied);
        EXPECT_EQ(r.backend.takes.size(), granted ? 1u : 0u);
    }
}

TEST(Recorder, SecondStartWhileAskingOrRecordingStartsNoSecondTakeAndNoSecondTimer) {
    Rig r;
    r.backend.status = Authorization::notDetermined;
    r.recorder.start();
    r.recorder.start();
    EXPECT_EQ(r.backend.accessRequests, 1);

    r.backend.answer(true);
    r.scheduler.runPosted();
    ASSERT_EQ(r.recorder.state().kind, Kind::recording);
    r.recorder.start();
    r.recorder.start();
    EXPECT_EQ(r.backend.takes.size(), 1u);
    EXPECT_EQ(r.scheduler.activeTimers(), 1u);
    EXPECT_EQ(r.scheduler.timersMade(), 1u);
}

TEST(Recorder, EndOfAReplacedTakeLeavesTheNewerTakeAlone) {
    // A take stopped, then replaced by a newer start before its end report arrived.
    Rig r;
    r.backend.finishOnStop = false;
    r.recorder.start();
    auto first = r.backend.takes[0];
    first->finish(false); // reported, but not yet delivered
    r.recorder.reset();
    r.recorder.start();
    ASSERT_EQ(r.backend.takes.size(), 2u);
    r.scheduler.runPosted();
    EXPECT_EQ(r.recorder.state().kind, Kind::recording);
    EXPECT_EQ(r.scheduler.activeTimers(), 1u);

    // The newer take's meter still runs.
    r.backend.takes[1]->powerDb = -25;
    r.scheduler.advance(0.03);
    EXPECT_EQ(r.recorder.levels().size(), 1u);

    // And a take that a reset replaced leaves idle alone.
    r.recorder.reset();
    r.backend.takes[1]->finish(true);
    r.scheduler.runPosted();
    EXPECT_EQ(r.recorder.state().kind, Kind::idle);
}

TEST(Recorder, PermissionAnswerAfterResetStartsNothing) {
    Rig r;
    r.backend.status = Authorization::notDetermined;
    r.recorder.start();
    r.recorder.reset();
    r.backend.answer(true);
    r.scheduler.runPosted();
    EXPECT_EQ(r.recorder.state().kind, Kind::idle);
    EXPECT_TRUE(r.backend.takes.empty());
}

TEST(Recorder, ResetStopsEverythingAndReturnsToIdle) {
    Rig r;
    r.recorder.reset();
    EXPECT_EQ(r.recorder.state().kind, Kind::idle);
    EXPECT_TRUE(r.recorder.levels().empty());
    EXPECT_EQ(r.recorder.elapsed(), 0);

    r.recorder.start();
    r.backend.takes[0]->time = 1.0;
    r.scheduler.advance(0.3);
    ASSERT_FALSE(r.recorder.levels().empty());
    r.recorder.reset();
    EXPECT_EQ(r.recorder.state().kind, Kind::idle);
    EXPECT_TRUE(r.recorder.levels().empty());
    EXPECT_EQ(r.recorder.elapsed(), 0);
    EXPECT_EQ(r.scheduler.activeTimers(), 0u);
    EXPECT_TRUE(r.backend.takes[0]->destroyed);
}

TEST(Recorder, NothingArrivesAfterTheRecorderIsGone) {
    FakeScheduler scheduler;
    FakeRecordingBackend backend;
    backend.finishOnStop = false;
    {
        Recorder recorder(scheduler, backend);
        recorder.start();
        backend.takes[0]->finish(true);
    }
    scheduler.runPosted(); // the posted finish finds no recorder
    scheduler.advance(1.0);
    EXPECT_EQ(scheduler.activeTimers(), 0u);
}

TEST(Recorder, NullBackendSaysTheMicrophoneIsUnavailable) {
    FakeScheduler scheduler;
    NullRecordingBackend backend;
    Recorder recorder(scheduler, backend);
    recorder.start();
    EXPECT_EQ(recorder.state(), Recorder::State::failed(Recorder::kUnavailableMessage));
}

// With a start runner the window never waits for the stream to open: start() returns at once in `recording`,
// and the take's answer lands later; a take that cannot start, a stop while starting and a reset while starting
// each end as they would have.
TEST(Recorder, ATakeStartedElsewhereLandsLaterAndEndsAsItWouldHave) {
    struct Case {
        const char *name;
        RecordingTake::StartResult result;
        std::function<void(Recorder &)> whileStarting;
        Kind expected;
        bool meterRuns;
        int stops;
    };
    const Case cases[] = {
        {"started", RecordingTake::StartResult::started, [](Recorder &) {}, Kind::recording, true, 0},
        {"unavailable", RecordingTake::StartResult::unavailable, [](Recorder &) {}, Kind::failed, false, 0},
        {"refused", RecordingTake::StartResult::refused, [](Recorder &) {}, Kind::denied, false, 0},
        {"stopped while starting", RecordingTake::StartResult::started, [](Recorder &r) { r.stop(); }, Kind::finished,
         false, 1},
        {"reset while starting", RecordingTake::StartResult::started, [](Recorder &r) { r.reset(); }, Kind::idle, false,
         0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakeScheduler scheduler;
        FakeRecordingBackend backend;
        backend.startResult = c.result;
        std::vector<std::function<void()>> starts;
        Recorder recorder(scheduler, backend, [&](std::function<void()> start) { starts.push_back(std::move(start)); });
        recorder.start();
        EXPECT_EQ(recorder.state().kind, Kind::recording);
        ASSERT_EQ(starts.size(), 1u);
        ASSERT_EQ(backend.takes.size(), 1u);
        EXPECT_FALSE(backend.takes[0]->started) << "the stream opens elsewhere";
        c.whileStarting(recorder);

        starts[0]();           // the stream opens
        scheduler.runPosted(); // its answer lands
        scheduler.runPosted(); // and what that made the take report
        EXPECT_EQ(recorder.state().kind, c.expected);
        EXPECT_EQ(scheduler.activeTimers(), c.meterRuns ? 1u : 0u);
        EXPECT_EQ(backend.takes[0]->stops, c.stops);
        if (c.expected == Kind::idle) {
            EXPECT_TRUE(backend.takes[0]->destroyed) << "a replaced take stops when it lands";
        }
    }
}
