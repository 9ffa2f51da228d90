// Key activity from the router: held keys, the day's presses, the hotkeys and the silent-typing notice.

#include "AppModelHarness.h"

#include "model/Modifiers.h"

#include <gtest/gtest.h>

namespace tc::test {
namespace {

constexpr std::uint64_t kControlOption = Modifiers::kControl | Modifiers::kOption;
constexpr std::uint16_t kK = 40;
constexpr std::uint16_t kP = 35;

TEST(PressedKeys, PairedKeysLightOneCap) {
    struct Case {
        std::uint16_t pressed, lit;
    };
    for (const auto c : {Case{62, 59}, Case{76, 36}, Case{125, 126}, Case{12, 12}}) {
        Harness harness;
        auto &model = harness.started();
        harness.monitor->down(c.pressed);
        harness.time.runPosted();
        EXPECT_EQ(model.pressedKeys(), KeySet{c.lit}) << c.pressed;
        harness.monitor->up(c.pressed);
        harness.time.runPosted();
        EXPECT_TRUE(model.pressedKeys().empty()) << c.pressed;
    }
}

TEST(PressedKeys, CapsLockFlashesWithoutAKeyUp) {
    Harness harness;
    auto &model = harness.started();
    harness.monitor->down(57);
    harness.time.runPosted();
    EXPECT_EQ(model.pressedKeys(), KeySet{57});
    harness.time.advance(0.14);
    EXPECT_EQ(model.pressedKeys(), KeySet{57});
    harness.time.advance(0.01);
    EXPECT_TRUE(model.pressedKeys().empty());
}

TEST(PressesToday, CountedPressesAreStoredEveryTenth) {
    Harness harness;
    auto &model = harness.started();
    for (int i = 0; i < 9; ++i) {
        harness.press(12, 0, "q");
    }
    EXPECT_EQ(model.pressesToday(), 9);
    EXPECT_EQ(model.lastPlayedKey(), std::optional<std::uint16_t>(12));
    EXPECT_EQ(model.lastPlayedSoundID(), std::optional<std::string>("synth.quack"));
    EXPECT_EQ(harness.stats.storedDay, QString("2024-05-14"));
    EXPECT_EQ(harness.stats.storedCount, 0); // stored with the new day
    harness.press(12, 0, "q");
    EXPECT_EQ(harness.stats.storedCount, 10);
    harness.press(12, 0, "q");
    EXPECT_EQ(model.pressesToday(), 11);
    EXPECT_EQ(harness.stats.storedCount, 10);

    // A repeat, or a press while sounds are off, reaches no sound stage and is not counted.
    harness.monitor->down(12, 0, "q", true);
    harness.time.runPosted();
    model.setSetting(&AppSettings::enabled, false);
    harness.press(12, 0, "q");
    EXPECT_EQ(model.pressesToday(), 11);
}

TEST(PressesToday, RestoredOnlyForToday) {
    struct Case {
        const char *day;
        std::optional<std::int64_t> count;
        std::int64_t restored;
    };
    for (const auto &c : {Case{"2024-05-14", 37, 37}, Case{"2024-05-13", 37, 0}, Case{"2024-05-14", std::nullopt, 0}}) {
        Harness harness;
        harness.stats.storedDay = QString(c.day);
        harness.stats.storedCount = c.count;
        EXPECT_EQ(harness.make().pressesToday(), c.restored) << c.day;
    }
}

TEST(PressesToday, MidnightStartsANewCountAndStoresIt) {
    Harness harness;
    harness.stats.storedDay = QString("2024-05-14");
    harness.stats.storedCount = 30;
    auto &model = harness.started();
    for (int i = 0; i < 5; ++i) {
        harness.press(12, 0, "q");
    }
    EXPECT_EQ(model.pressesToday(), 35);

    harness.time.advanceTo(QTime(0, 0, 30)); // the 30 s tick notices the new day
    EXPECT_EQ(model.pressesToday(), 0);
    EXPECT_EQ(harness.stats.storedDay, QString("2024-05-15"));
    EXPECT_EQ(harness.stats.storedCount, 0);
    harness.press(12, 0, "q");
    EXPECT_EQ(model.pressesToday(), 1);

    // A restart now does not bring back yesterday's count.
    Harness restarted;
    restarted.stats = harness.stats;
    restarted.time.advanceTo(QTime(0, 1));
    EXPECT_EQ(restarted.make().pressesToday(), 0);
}

TEST(Hotkeys, ControlOptionKTogglesSoundsWithANotice) {
    Harness harness;
    auto &model = harness.started();
    harness.press(kK, kControlOption);
    EXPECT_FALSE(model.data().settings.enabled);
    EXPECT_FALSE(harness.router.config()->enabled);
    ASSERT_EQ(harness.notices.size(), 1u);
    EXPECT_EQ(harness.notices[0].kind, Notice::Kind::soundsOff);
    EXPECT_EQ(model.pressesToday(), 0); // hotkeys play nothing

    harness.press(kK, kControlOption); // works while sounds are off
    EXPECT_TRUE(model.data().settings.enabled);
    ASSERT_EQ(harness.notices.size(), 2u);
    EXPECT_EQ(harness.notices[1].kind, Notice::Kind::soundsOn);

    harness.time.advance(AppModel::kSaveDelay);
    model.flushPendingSave();
    EXPECT_EQ(harness.writeCount(), 1u);
}

TEST(Hotkeys, ControlOptionPCyclesProfilesWithoutANotice) {
    Harness harness;
    auto &model = harness.started();
    const auto &profiles = model.data().profiles; // Meme mode (second of four) is active
    harness.press(kP, kControlOption);
    EXPECT_EQ(model.data().activeProfileID, profiles[2].id);
    harness.press(kP, kControlOption);
    EXPECT_EQ(model.data().activeProfileID, profiles[3].id);
    harness.press(kP, kControlOption);
    EXPECT_EQ(model.data().activeProfileID, profiles[0].id); // wraps
    EXPECT_EQ(harness.router.config()->profile->id, profiles[0].id);
    EXPECT_TRUE(harness.notices.empty());

    while (model.data().profiles.size() > 1) {
        model.deleteProfile(model.data().profiles.back().id);
    }
    harness.press(kP, kControlOption); // a single profile stays active
    EXPECT_EQ(model.data().activeProfileID, model.data().profiles[0].id);
}

// Presses `count` key downs `spacing` seconds apart.
void typeKeys(Harness &harness, int count, double spacing) {
    for (int i = 0; i < count; ++i) {
        harness.press(12, 0, "q");
        harness.time.advance(spacing);
    }
}

TEST(SilentTypingNotice, TwelveKeyDownsWithinSixSecondsWhileInaudible) {
    struct Case {
        const char *name;
        std::function<void(Harness &, AppModel &)> silence;
        Silence::Kind kind;
    };
    const Case cases[] = {
        {"off", [](Harness &, AppModel &m) { m.setSetting(&AppSettings::enabled, false); }, Silence::Kind::off},
        {"volume", [](Harness &, AppModel &m) { m.setSetting(&AppSettings::masterVolume, 0.0); },
         Silence::Kind::volume},
        {"muted output",
         [](Harness &h, AppModel &) {
             h.output.muted = true;
             h.time.advance(AppModel::kOutputSampling);
         },
         Silence::Kind::macMuted},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Harness harness;
        auto &model = harness.started();
        c.silence(harness, model);
        typeKeys(harness, 11, 0.3);
        EXPECT_TRUE(harness.notices.empty());
        typeKeys(harness, 1, 0.3);
        ASSERT_EQ(harness.notices.size(), 1u);
        EXPECT_EQ(harness.notices[0].kind, Notice::Kind::silent);
        EXPECT_EQ(harness.notices[0].silence->kind, c.kind);

        typeKeys(harness, 24, 0.3); // within 600 s: no second notice
        EXPECT_EQ(harness.notices.size(), 1u);
        harness.time.advance(600);
        typeKeys(harness, 12, 0.3);
        EXPECT_EQ(harness.notices.size(), 2u);
    }
}

TEST(SilentTypingNotice, SlowTypingOrOtherSilencesShowNothing) {
    {
        Harness harness;
        auto &model = harness.started();
        model.setSetting(&AppSettings::enabled, false);
        typeKeys(harness, 12, 10.0 / 11); // twelve key downs over 10 s
        EXPECT_TRUE(harness.notices.empty());
    }
    {
        Harness harness;
        harness.started();
        harness.activate("Zoom", "Zoom"); // silenced by an app rule: the user knows why
        typeKeys(harness, 20, 0.1);
        EXPECT_TRUE(harness.notices.empty());
    }
}

TEST(SilentTypingNotice, KeyRepeatsCountAsKeyDowns) {
    Harness harness;
    auto &model = harness.started();
    model.setSetting(&AppSettings::enabled, false);
    for (int i = 0; i < 12; ++i) {
        harness.monitor->down(12, 0, "q", i > 0);
        harness.time.advance(0.05);
    }
    EXPECT_EQ(harness.notices.size(), 1u);
}

TEST(SilentTypingNotice, BecomingAudibleAllowsTheNextNoticeAtOnce) {
    Harness harness;
    auto &model = harness.started();
    model.setSetting(&AppSettings::enabled, false);
    typeKeys(harness, 12, 0.1);
    ASSERT_EQ(harness.notices.size(), 1u);
    model.setSetting(&AppSettings::enabled, true);
    typeKeys(harness, 1, 0.1); // audible: the spacing is forgotten
    model.setSetting(&AppSettings::enabled, false);
    typeKeys(harness, 12, 0.1);
    EXPECT_EQ(harness.notices.size(), 2u);
}

} // namespace
} // namespace tc::test
