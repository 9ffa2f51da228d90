// Start-up: the engine requests, the preload, the monitor with its retry, the watchers and output sampling.

#include "AppModelHarness.h"

#include "model/Json.h"
#include "model/Modifiers.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(Start, AsksTheEngineForTheSettingsThenToStart) {
    Harness harness;
    auto data = AppModel::makeDefaultData();
    data.settings.lowLatency = false;
    data.settings.outputDeviceUID = "alsa_output.usb";
    data.settings.maxVoices = 20;
    harness.writeDocument(QByteArray::fromStdString(encodeAppData(data, false)));
    harness.started();
    EXPECT_EQ(harness.audio.calls, (std::vector<std::string>{"setLowLatency(false)", "setOutputDevice(alsa_output.usb)",
                                                             "setVoiceCount(20)", "start"}));
}

TEST(Start, RunsOnce) {
    Harness harness;
    auto &model = harness.started();
    const auto timers = harness.time.timersMade();
    model.start();
    EXPECT_EQ(harness.audio.calls.size(), 4u);
    EXPECT_EQ(harness.library.preloads, 1);
    EXPECT_EQ(harness.monitor->startCalls, 1);
    EXPECT_EQ(harness.time.timersMade(), timers);
}

TEST(Start, PreloadsBuiltinsAndTheUserSoundsOfStartThenRaisesTheVersion) {
    Harness harness;
    auto data = AppModel::makeDefaultData();
    data.userSounds = {{"user.1", "One", SoundCategory::mine, "user.1.wav", 0},
                       {"user.2", "No file", SoundCategory::mine, std::nullopt, 0}};
    harness.writeDocument(QByteArray::fromStdString(encodeAppData(data, false)));
    auto &model = harness.make();
    QSignalSpy ready(&model, &AppModel::soundsReadyChanged);
    QSignalSpy version(&model, &AppModel::soundsVersionChanged);
    model.start();
    EXPECT_FALSE(model.soundsReady()); // the end of the preload arrives on the main thread later
    ASSERT_TRUE(harness.finishWork()); // the model's lane preloads; its end lands
    EXPECT_TRUE(model.soundsReady());
    EXPECT_EQ(model.soundsVersion(), 1);
    EXPECT_EQ(ready.count(), 1);
    EXPECT_EQ(version.count(), 1);
    EXPECT_EQ(harness.library.userLoads, (std::vector<std::string>{"user.1", "user.2"}));
    EXPECT_TRUE(harness.library.loaded("user.1"));
    EXPECT_GT(model.sound("synth.meow")->duration, 0.0); // loaded durations show now
}

TEST(Start, WithoutKeyboardAccessRetriesEveryOneAndAHalfSeconds) {
    Harness harness;
    harness.monitorStarts = false;
    auto &model = harness.started();
    EXPECT_FALSE(model.permissionGranted());
    EXPECT_FALSE(model.tapRunning());
    EXPECT_EQ(model.silence()->kind, Silence::Kind::permission);
    EXPECT_EQ(harness.monitor->startCalls, 1);
    harness.time.advance(1.5);
    EXPECT_EQ(harness.monitor->startCalls, 2);
    model.startMonitorIfPossible(); // asked again from a screen: still one timer
    harness.time.advance(1.5);
    EXPECT_EQ(harness.monitor->startCalls, 4);
    const auto timersBefore = harness.time.timersMade();

    harness.monitor->startSucceeds = true; // the user joined the input group
    harness.time.advance(1.5);
    EXPECT_TRUE(model.permissionGranted());
    EXPECT_TRUE(model.tapRunning());
    EXPECT_EQ(harness.time.timersMade(), timersBefore);
    const auto calls = harness.monitor->startCalls;
    harness.time.advance(10);
    EXPECT_EQ(harness.monitor->startCalls, calls); // the retry timer is gone
    model.startMonitorIfPossible();
    EXPECT_EQ(harness.monitor->startCalls, calls); // a running monitor is not started again
}

TEST(Start, KeysReachTheRouterOnTheMonitorsThreadAndTheModelAfterwards) {
    Harness harness;
    auto &model = harness.started();
    EXPECT_TRUE(model.permissionGranted());
    harness.monitor->down(49, 0, " ");
    EXPECT_TRUE(model.pressedKeys().empty()); // reports hop to the main thread
    harness.time.runPosted();
    EXPECT_EQ(model.pressedKeys(), KeySet{49});
    EXPECT_EQ(model.lastPlayedSoundID(), std::optional<std::string>("synth.boom"));
}

TEST(Start, SamplesTheSystemOutputEveryTwoSecondsWithoutPushing) {
    Harness harness;
    harness.output.muted = true;
    auto &model = harness.started();
    EXPECT_TRUE(model.macOutputSilent()); // sampled at start
    harness.output.muted = false;
    harness.output.loudest = 0.005;
    harness.time.advance(2.0);
    EXPECT_TRUE(model.macOutputSilent());
    harness.output.loudest = 0.5;
    harness.time.advance(1.9);
    EXPECT_TRUE(model.macOutputSilent());
    harness.time.advance(0.1);
    EXPECT_FALSE(model.macOutputSilent());
    EXPECT_FALSE(harness.router.config()->muted);
}

TEST(Start, ShowsOnboardingUntilItIsCompleted) {
    Harness harness;
    auto &model = harness.make();
    EXPECT_FALSE(model.showOnboarding()); // the constructor starts nothing
    model.start();
    EXPECT_TRUE(model.showOnboarding());
}

TEST(Start, ListeningFirstHearsAHotkeyAndStartThenOnlyAsksForTheOnboarding) {
    Harness harness;
    auto &model = harness.make();
    model.startListening(); // before the window shows
    EXPECT_EQ(harness.monitor->startCalls, 1);
    EXPECT_FALSE(model.showOnboarding());
    harness.press(40, Modifiers::kControl | Modifiers::kOption); // Ctrl+Alt+K
    ASSERT_EQ(harness.notices.size(), 1u);
    EXPECT_EQ(harness.notices[0].kind, Notice::Kind::soundsOff);

    const auto timers = harness.time.timersMade();
    model.start();
    EXPECT_TRUE(model.showOnboarding());
    EXPECT_EQ(harness.audio.calls.size(), 4u); // nothing brought up twice
    ASSERT_TRUE(harness.finishWork());
    EXPECT_EQ(harness.library.preloads, 1);
    EXPECT_EQ(harness.monitor->startCalls, 1);
    EXPECT_EQ(harness.time.timersMade(), timers);
}

TEST(Start, ReportsArrivingAfterTheModelIsGoneAreDropped) {
    Harness harness;
    harness.started();
    harness.monitor->down(49, 0, " "); // posted, not yet delivered
    auto *monitor = harness.monitor;
    (void)monitor;
    harness.model.reset();
    harness.time.runPosted(); // must not touch the destroyed model
    SUCCEED();
}

} // namespace
} // namespace tc::test
