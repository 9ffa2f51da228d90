// The watchers report changes only, on the scheduler's thread, and never the program itself.

#include "engine/SystemWatchers.h"
#include "support/FakeScheduler.h"
#include "support/FakeSystemSources.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace tc;
using namespace tc::test;

namespace {

struct Watched {
    FakeScheduler scheduler;
    std::shared_ptr<FakeFrontmostAppSource::State> app = std::make_shared<FakeFrontmostAppSource::State>();
    std::shared_ptr<std::atomic<bool>> mic = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<std::atomic<bool>> secure = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<SystemWatchers> watchers;
    std::vector<std::string> events;

    Watched() {
        watchers = std::make_unique<SystemWatchers>(scheduler, std::make_unique<FakeFrontmostAppSource>(app),
                                                    std::make_unique<FakeMicrophoneActivitySource>(mic),
                                                    std::make_unique<FakeSecureInputSource>(secure));
        watchers->onFrontmostApp = [this](const std::string &id, const std::string &name) {
            events.push_back("app " + id + " " + name);
        };
        watchers->onMicChange = [this](bool on) { events.push_back(on ? "mic on" : "mic off"); };
        watchers->onSecureInputChange = [this](bool on) { events.push_back(on ? "secure on" : "secure off"); };
        watchers->onMinuteTick = [this] { events.push_back("tick"); };
    }
};

} // namespace

TEST(SystemWatchers, FirstPollReportsOnlyStatesThatAreTrue) {
    struct Case {
        bool mic, secure;
        std::vector<std::string> expected;
    };
    for (const auto &c : std::vector<Case>{{false, false, {}},
                                           {true, false, {"mic on"}},
                                           {false, true, {"secure on"}},
                                           {true, true, {"mic on", "secure on"}}}) {
        Watched w;
        *w.mic = c.mic;
        *w.secure = c.secure;
        w.watchers->start();
        EXPECT_EQ(w.events, c.expected) << c.mic << c.secure;
    }
}

TEST(SystemWatchers, PollEverySecondReportsEachChangeOnce) {
    Watched w;
    w.watchers->start();
    w.scheduler.advance(1.0);
    EXPECT_TRUE(w.events.empty());

    *w.mic = true;
    w.scheduler.advance(0.5);
    EXPECT_TRUE(w.events.empty()) << "no poll before a second has passed";
    w.scheduler.advance(0.5);
    w.scheduler.advance(3.0);
    *w.secure = true;
    w.scheduler.advance(1.0);
    *w.mic = false;
    *w.secure = false;
    w.scheduler.advance(1.0);
    // A flicker between two polls is never seen.
    *w.mic = true;
    *w.mic = false;
    w.scheduler.advance(1.0);
    EXPECT_EQ(w.events, (std::vector<std::string>{"mic on", "secure on", "mic off", "secure off"}));
    EXPECT_FALSE(w.watchers->lastMic());
}

TEST(SystemWatchers, MicrophoneReportedInUseIsReportedFreeWhenTheSourceLosesIt) {
    // With no input device (or no sound server) the source says "not in use".
    Watched w;
    *w.mic = true;
    w.watchers->start();
    *w.mic = false;
    w.watchers->poll();
    EXPECT_EQ(w.events, (std::vector<std::string>{"mic on", "mic off"}));
}

TEST(SystemWatchers, TicksEveryThirtySeconds) {
    Watched w;
    w.watchers->start();
    w.scheduler.advance(29.9);
    EXPECT_TRUE(w.events.empty());
    w.scheduler.advance(0.1);
    w.scheduler.advance(60.0);
    EXPECT_EQ(w.events, (std::vector<std::string>{"tick", "tick", "tick"}));
}

TEST(SystemWatchers, ActivationsArriveOnTheSchedulerThreadAndTheProgramItselfIsNeverReported) {
    Watched w;
    w.watchers->start();
    EXPECT_EQ(w.app->starts, 1);

    FakeFrontmostAppSource::activate(*w.app, {"org.example.Tool", "Tool"});
    EXPECT_TRUE(w.events.empty()) << "reported on the source's thread";
    w.scheduler.runPosted();
    FakeFrontmostAppSource::activate(*w.app, {SystemWatchers::kOwnAppId, "Tapchime"});
    FakeFrontmostAppSource::activate(*w.app, {"", "no id"});
    FakeFrontmostAppSource::activate(*w.app, {"firefox", ""});
    // Activating the same application again is reported again; the model compares.
    FakeFrontmostAppSource::activate(*w.app, {"firefox", "Firefox"});
    w.scheduler.runPosted();
    EXPECT_EQ(w.events,
              (std::vector<std::string>{"app org.example.Tool Tool", "app firefox firefox", "app firefox Firefox"}));
}

TEST(SystemWatchers, StartTwiceStartsOnceAndNothingArrivesAfterDestruction) {
    Watched w;
    w.watchers->start();
    w.watchers->start();
    EXPECT_EQ(w.app->starts, 1);
    EXPECT_EQ(w.scheduler.activeTimers(), 2u);

    FakeFrontmostAppSource::activate(*w.app, {"org.example.Tool", "Tool"});
    w.watchers.reset();
    EXPECT_EQ(w.scheduler.activeTimers(), 0u);
    w.scheduler.runPosted();
    w.scheduler.advance(60);
    EXPECT_TRUE(w.events.empty());
}

TEST(SystemWatchers, NullSourcesReportNothing) {
    FakeScheduler scheduler;
    SystemWatchers watchers(scheduler, std::make_unique<NullFrontmostAppSource>(),
                            std::make_unique<NullMicrophoneActivitySource>(),
                            std::make_unique<NullSecureInputSource>());
    int reports = 0;
    watchers.onMicChange = [&](bool) { ++reports; };
    watchers.onSecureInputChange = [&](bool) { ++reports; };
    watchers.start();
    scheduler.advance(5);
    EXPECT_EQ(reports, 0);
}

TEST(OutputVolume, SilentWhenMutedOrLoudestChannelBelowOnePercent) {
    struct Case {
        bool muted;
        double loudest;
        bool silent;
    };
    for (const auto &c : std::vector<Case>{
             {false, 1.0, false}, {true, 1.0, true}, {false, 0.009, true}, {false, 0.01, false}, {false, 0.0, true}}) {
        EXPECT_EQ(OutputVolume::silentFor(c.muted, c.loudest), c.silent) << c.muted << " " << c.loudest;
    }
    EXPECT_FALSE(NullOutputVolume().isSilent());
}
