// Why key presses are silent, and the one remedy.

#include "AppModelHarness.h"

#include "app/SilenceDiagnosis.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(Silence, CausesAreTestedInOrderAndTheFirstWins) {
    // Each row adds one more cause; the earliest in the order must still win.
    auto data = AppModel::makeDefaultData();
    LiveState live;
    live.permissionGranted = true;
    EXPECT_FALSE(diagnoseSilence(data, live));

    struct Step {
        std::function<void()> add;
        Silence::Kind expected;
    };
    const Step steps[] = {
        {[&] { live.minuteOfDay = 23 * 60, data.settings.quietHoursEnabled = true; }, Silence::Kind::quiet},
        {[&] { live.secureInput = true; }, Silence::Kind::password},
        {[&] { live.micInUse = true; }, Silence::Kind::mic},
        {[&] { live.currentAppBundleID = "Zoom", live.currentAppName = "Zoom"; }, Silence::Kind::app},
        {[&] { live.macOutputSilent = true; }, Silence::Kind::macMuted},
        {[&] { data.settings.masterVolume = 0.005; }, Silence::Kind::volume},
        {[&] { data.settings.enabled = false; }, Silence::Kind::off},
        {[&] { live.permissionGranted = false; }, Silence::Kind::permission},
    };
    for (const auto &step : steps) {
        step.add();
        const auto silence = diagnoseSilence(data, live);
        ASSERT_TRUE(silence);
        EXPECT_EQ(silence->kind, step.expected);
    }
}

TEST(Silence, TextsOfEachKind) {
    auto data = AppModel::makeDefaultData();
    LiveState live;
    const auto expect = [&](const char *title, const char *detail, std::optional<QString> fix) {
        const auto silence = diagnoseSilence(data, live);
        ASSERT_TRUE(silence);
        EXPECT_EQ(silence->title, QString(title));
        EXPECT_EQ(silence->detail, QString(detail));
        EXPECT_EQ(silence->fix, fix);
    };
    expect("Can't hear your keys", "Allow keyboard access: join the input group.", "Allow");
    live.permissionGranted = true;
    data.settings.enabled = false;
    expect("Sounds are off", "Press Ctrl+Alt+K or turn them on here.", "Turn on");
    data.settings.enabled = true;
    data.settings.masterVolume = 0.0;
    expect("Volume is at 0", "Tapchime's own volume is all the way down.", "Set to 80%");
    data.settings.masterVolume = 0.01; // the threshold itself is audible
    EXPECT_FALSE(diagnoseSilence(data, live));
    live.macOutputSilent = true;
    expect("Your computer is muted", "Turn up the computer's sound to hear your keys.", std::nullopt);
    live.outputUnreachable = true;
    expect("Can't reach the sound server", "Tapchime plays again as soon as the sound server answers.", std::nullopt);
    live.outputUnreachable = false;
    live.macOutputSilent = false;
    live.currentAppBundleID = "org.gnome.Calls";
    live.currentAppName = "Calls";
    expect("Muted in Calls", "An App rule keeps this app quiet.", "Edit rules");
    live.currentAppBundleID = "";
    live.micInUse = true;
    expect("Muted while the mic is on", "Sounds come back when your call ends.", "Play in calls");
    live.micInUse = false;
    live.secureInput = true;
    expect("Silent in password fields", "Keeps what you type private.", std::nullopt);
    live.secureInput = false;
    data.settings.quietHoursEnabled = true;
    live.minuteOfDay = 0;
    expect("Quiet hours", "Sounds come back at 08:00.", "Play now");
    data.settings.quietEndMinutes = 75;
    expect("Quiet hours", "Sounds come back at 01:15.", "Play now");
    data.settings.quietEndMinutes = 75 + 1440; // a hand-edited minute beyond a day
    expect("Quiet hours", "Sounds come back at 01:15.", "Play now");
}

TEST(Silence, TwoApplicationsGiveUnequalSilences) {
    auto data = AppModel::makeDefaultData();
    LiveState live;
    live.permissionGranted = true;
    live.currentAppBundleID = "Zoom";
    live.currentAppName = "Zoom";
    const auto zoom = diagnoseSilence(data, live);
    live.currentAppBundleID = "org.gnome.Calls";
    live.currentAppName = "Calls";
    EXPECT_NE(zoom, diagnoseSilence(data, live));
}

TEST(FixSilence, RemovesWhatTheProgramCanAndSendsAppRulesToTheirSection) {
    Harness harness;
    auto &model = harness.started();
    ASSERT_FALSE(model.silence());
    EXPECT_TRUE(model.fixSilence());

    model.setSetting(&AppSettings::enabled, false);
    model.setSetting(&AppSettings::masterVolume, 0.0);
    EXPECT_TRUE(model.fixSilence());
    EXPECT_TRUE(model.data().settings.enabled);
    EXPECT_EQ(model.silence()->kind, Silence::Kind::volume); // moves on to the next cause
    EXPECT_TRUE(model.fixSilence());
    EXPECT_EQ(model.data().settings.masterVolume, 0.8);
    EXPECT_FALSE(model.silence());
    EXPECT_FLOAT_EQ(harness.router.config()->masterVolume, 0.8f);

    harness.activate("Zoom", "Zoom");
    EXPECT_FALSE(model.fixSilence());
    EXPECT_EQ(model.section(), AppSection::apps);
    EXPECT_EQ(model.data().appRules.size(), 2u); // the rule stays

    harness.activate("firefox", "Firefox");
    *harness.mic = true;
    harness.time.advance(1);
    EXPECT_TRUE(model.fixSilence());
    EXPECT_FALSE(model.data().settings.muteWhenMicInUse);
    EXPECT_FALSE(harness.router.config()->muted);

    *harness.secure = true;
    harness.time.advance(1);
    const auto before = model.data();
    EXPECT_TRUE(model.fixSilence()); // password fields: nothing to change
    EXPECT_EQ(model.data(), before);
    *harness.secure = false;
    harness.output.muted = true;
    harness.time.advance(AppModel::kOutputSampling);
    EXPECT_EQ(model.silence()->kind, Silence::Kind::macMuted);
    EXPECT_TRUE(model.fixSilence());
    EXPECT_EQ(model.data(), before);
    harness.output.muted = false;
    harness.time.advance(AppModel::kOutputSampling);

    model.setSetting(&AppSettings::quietHoursEnabled, true);
    harness.time.advanceTo(QTime(23, 30));
    EXPECT_EQ(model.silence()->kind, Silence::Kind::quiet);
    EXPECT_TRUE(model.fixSilence());
    EXPECT_FALSE(model.data().settings.quietHoursEnabled);
    EXPECT_FALSE(model.silence());
}

TEST(FixSilence, PermissionShowsTheKeyboardAccessHelpAndTriesAgain) {
    Harness harness;
    harness.monitorStarts = false;
    auto &model = harness.started();
    ASSERT_EQ(model.silence()->kind, Silence::Kind::permission);
    QSignalSpy help(&model, &AppModel::keyboardAccessHelpRequested);
    harness.monitor->startSucceeds = true;
    EXPECT_TRUE(model.fixSilence());
    EXPECT_EQ(help.count(), 1);
    EXPECT_TRUE(model.permissionGranted());
    EXPECT_FALSE(model.silence());
}

TEST(Silence, AnOutputTheEngineCannotReachIsSilentUntilTheEngineReachesItAgain) {
    // No sound server answers: the status surfaces say so instead of "On", and clear on their own once the
    // engine's retry succeeds. Looked at with the system output, every 2 s.
    Harness harness;
    harness.audio.reachable = false;
    auto &model = harness.started();
    ASSERT_TRUE(model.silence()); // looked at during start-up
    EXPECT_EQ(model.silence()->kind, Silence::Kind::macMuted);
    EXPECT_EQ(model.silence()->title, QString("Can't reach the sound server"));
    EXPECT_EQ(model.silence()->detail, QString("Tapchime plays again as soon as the sound server answers."));
    EXPECT_FALSE(model.silence()->fix);

    QSignalSpy silence(&model, &AppModel::silenceChanged);
    QSignalSpy output(&model, &AppModel::macOutputSilentChanged);
    harness.audio.reachable = true;
    harness.time.advance(AppModel::kOutputSampling - 0.1);
    EXPECT_TRUE(model.silence());
    harness.time.advance(0.1);
    EXPECT_FALSE(model.silence());
    EXPECT_EQ(silence.count(), 1);
    EXPECT_EQ(output.count(), 1);

    harness.audio.reachable = false; // the server went away again
    harness.time.advance(AppModel::kOutputSampling);
    EXPECT_EQ(model.silence()->kind, Silence::Kind::macMuted);
    harness.output.muted = true; // muted as well: the server is still what the user hears of first
    harness.time.advance(AppModel::kOutputSampling);
    EXPECT_EQ(model.silence()->title, QString("Can't reach the sound server"));
    harness.audio.reachable = true;
    harness.time.advance(AppModel::kOutputSampling);
    EXPECT_EQ(model.silence()->kind, Silence::Kind::macMuted);
    EXPECT_EQ(model.silence()->title, QString("Your computer is muted")) << "the cause changed, the kind did not";
    EXPECT_EQ(silence.count(), 3);
    EXPECT_FALSE(harness.router.config()->muted) << "the router is not told: it plays on once the output is back";
}

TEST(Silence, ChangesAreSignalledAlsoWhenOnlyTheClockMoves) {
    Harness harness;
    auto &model = harness.started();
    QSignalSpy spy(&model, &AppModel::silenceChanged);
    model.setSetting(&AppSettings::quietHoursEnabled, true);
    EXPECT_EQ(spy.count(), 0); // 12:00 is not quiet
    harness.time.advanceTo(QTime(22, 59, 50));
    EXPECT_EQ(spy.count(), 0);
    harness.time.advance(40); // a tick after 23:00
    EXPECT_EQ(spy.count(), 1);
    harness.time.advance(60);
    EXPECT_EQ(spy.count(), 1); // still the same silence
    model.setSetting(&AppSettings::enabled, false);
    EXPECT_EQ(spy.count(), 2);
}

} // namespace
} // namespace tc::test
