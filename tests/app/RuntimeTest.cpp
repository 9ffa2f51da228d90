// The runtime configuration, the profile that plays, smart mute, quiet hours and the switch log.

#include "AppModelHarness.h"

#include "app/PlaybackRules.h"
#include "app/RuntimeBuilder.h"
#include "engine/TypedWord.h"

#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(RuntimeConfig, BuiltFromTheDefaultDocument) {
    Harness harness;
    auto &model = harness.started();
    const auto config = harness.router.config();
    EXPECT_TRUE(config->enabled);
    EXPECT_FALSE(config->muted);
    EXPECT_FLOAT_EQ(config->masterVolume, 0.8f);
    EXPECT_TRUE(config->stereoSpread);
    ASSERT_TRUE(config->profile);
    EXPECT_EQ(config->profile->name, "Meme mode");
    EXPECT_EQ(*config->profile, model.data().activeProfile());
    using Shortcut = RuntimeConfig::ShortcutTrigger;
    EXPECT_EQ(config->shortcutTriggers,
              (std::vector<Shortcut>{{1, 0x40000, "synth.tada"}, {12, 0x40000, "synth.sadtrombone"}}));
    EXPECT_EQ(config->wordTriggers, (std::unordered_map<std::string, std::string>{
                                        {"lol", "synth.boing"}, {"gg", "synth.powerup"}, {"wow", "synth.airhorn"}}));
    // Pools in library order, without the mechanical sounds.
    EXPECT_FALSE(config->categoryPools.contains(SoundCategory::mechanical));
    EXPECT_EQ(config->categoryPools.at(SoundCategory::animals), (std::vector<std::string>{"synth.meow", "rec.bark"}));
    EXPECT_EQ(config->categoryPools.at(SoundCategory::everyday), std::vector<std::string>{"rec.bell"});
    EXPECT_FALSE(config->categoryOf.contains("synth.cream"));
    EXPECT_EQ(config->categoryOf.at("synth.coin"), SoundCategory::retro);
}

TEST(RuntimeConfig, TriggersAreFilteredByStateAndApplicationAndLaterWordsWin) {
    auto data = AppModel::makeDefaultData();
    data.triggers.clear();
    const auto add = [&](Trigger::Kind kind, std::string sound, std::vector<std::string> apps, bool enabled) {
        data.triggers.push_back(Trigger{Uuid::random(), std::move(kind), std::move(sound), std::move(apps), enabled});
    };
    add(Trigger::Kind::word("Yay"), "first", {}, true);
    add(Trigger::Kind::word("yay"), "second", {}, true);
    add(Trigger::Kind::word("off"), "disabled", {}, false);
    add(Trigger::Kind::word("here"), "terminal only", {"org.gnome.Terminal"}, true);
    add(Trigger::Kind::word("there"), "firefox only", {"firefox"}, true);
    add(Trigger::Kind::shortcut(1, 0x40000), "terminal shortcut", {"firefox", "org.gnome.Terminal"}, true);

    LiveState live;
    live.currentAppBundleID = "org.gnome.Terminal";
    const auto config = buildRuntimeConfig(data, live, {});
    EXPECT_EQ(config.wordTriggers,
              (std::unordered_map<std::string, std::string>{{"yay", "second"}, {"here", "terminal only"}}));
    ASSERT_EQ(config.shortcutTriggers.size(), 1u);
    EXPECT_EQ(config.shortcutTriggers[0].soundID, "terminal shortcut");
}

// A word is the same word whatever Unicode form it was saved or is typed in: "é" as one code point or as "e"
// and a combining accent. What typing builds is what the router looks up.
TEST(RuntimeConfig, WordsMatchWhateverTheirUnicodeForm) {
    const std::string precomposed = "caf\xC3\xA9"; // café, é as one code point
    const std::string decomposed = "cafe\xCC\x81"; // café, e + combining acute
    const std::string upperDecomposed = "CAFE\xCC\x81";
    std::string longDecomposed; // 33 characters, the last one decomposed: found by its last 32
    for (int i = 0; i < 32; ++i) {
        longDecomposed += static_cast<char>('a' + i % 26);
    }
    longDecomposed += decomposed.substr(3);
    const auto typedWord = [](const std::vector<std::string> &keys) {
        TypedWord word;
        for (const std::string &characters : keys) {
            word.appendIfWordCharacter(characters);
        }
        return word;
    };
    const std::vector<std::string> cafePrecomposed = {"c", "a", "f", "\xC3\xA9"};
    const std::vector<std::string> cafeDecomposed = {"c", "a", "f", "e\xCC\x81"};
    std::vector<std::string> longTyped;
    for (int i = 0; i < 32; ++i) {
        longTyped.emplace_back(1, static_cast<char>('a' + i % 26));
    }
    longTyped.push_back("\xC3\xA9");
    const struct {
        const char *name;
        std::string saved;
        std::vector<std::string> keys;
    } cases[] = {
        {"saved decomposed, typed precomposed", decomposed, cafePrecomposed},
        {"saved precomposed, typed decomposed", precomposed, cafeDecomposed},
        {"saved decomposed in capitals", upperDecomposed, cafePrecomposed},
        {"both decomposed", decomposed, cafeDecomposed},
        {"a long word saved decomposed", longDecomposed, longTyped},
    };
    for (const auto &c : cases) {
        auto data = AppModel::makeDefaultData();
        data.triggers = {Trigger{Uuid::random(), Trigger::Kind::word(c.saved), "sound", {}, true}};
        const auto config = buildRuntimeConfig(data, LiveState{}, {});
        const TypedWord word = typedWord(c.keys);
        const auto &table = word.outgrown() ? config.longWordTriggers : config.wordTriggers;
        EXPECT_EQ(table.count(word.text()), 1u) << c.name;
    }
}

// The model keeps the lower-cased words from one push to the next; each step's words must still be those of a
// configuration built afresh from the document, whatever the edits before it left behind.
TEST(RuntimeConfig, WordsFollowEveryEditOfTheTriggers) {
    Harness harness;
    AppModel &model = harness.started();
    model.commitEdit([](AppData &data) { data.triggers.clear(); });
    std::vector<Uuid> ids;
    const auto add = [&](const std::string &word, const std::string &sound) {
        ids.push_back(model.addTrigger(Trigger::Kind::word(word), sound));
    };
    // Words as a hand-edited document may hold them: the model's own edits store them lower-cased.
    const auto setWord = [&](std::size_t trigger, const std::string &word) {
        model.commitEdit([&](AppData &data) { data.triggers[trigger].kind = Trigger::Kind::word(word); });
    };
    using Words = std::unordered_map<std::string, std::string>;
    const auto uumlauts = [](int count, const std::string &letter) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += letter;
        }
        return text;
    };
    struct Step {
        const char *name;
        std::function<void()> edit;
        Words words;
        Words longWords = {}; // words longer than the router keeps of the typing, by their last 32 characters
    };
    const Step steps[] = {
        {"a word in capitals", [&] { add("ÄRGER", "a"); }, {{"ärger", "a"}}},
        {"a longer word sharing its start", [&] { setWord(0, "ÄRGERN"); }, {{"ärgern", "a"}}},
        {"back to the shorter word", [&] { setWord(0, "ÄRGER"); }, {{"ärger", "a"}}},
        {"a later trigger with the same word wins", [&] { add("ärger", "b"); }, {{"ärger", "b"}}},
        {"the later one moves to a prefix", [&] { setWord(1, "ÄR"); }, {{"ärger", "a"}, {"är", "b"}}},
        {"an ASCII word in capitals", [&] { setWord(1, "GG"); }, {{"ärger", "a"}, {"gg", "b"}}},
        {"the first becomes ASCII", [&] { setWord(0, "GGWP"); }, {{"ggwp", "a"}, {"gg", "b"}}},
        {"and Unicode again", [&] { setWord(0, "ÉCOLE"); }, {{"école", "a"}, {"gg", "b"}}},
        {"two triggers trade words",
         [&] {
             setWord(0, "GG");
             setWord(1, "ÉCOLE");
         },
         {{"gg", "a"}, {"école", "b"}}},
        {"the same word in other capitals", [&] { setWord(1, "ÉcOlE"); }, {{"gg", "a"}, {"école", "b"}}},
        {"a third trigger", [&] { add("Straße", "c"); }, {{"gg", "a"}, {"école", "b"}, {"straße", "c"}}},
        {"the first trigger deleted", [&] { model.deleteTrigger(ids[0]); }, {{"école", "b"}, {"straße", "c"}}},
        {"one switched off", [&] { model.setTriggerEnabled(ids[1], false); }, {{"straße", "c"}}},
        {"and on again", [&] { model.setTriggerEnabled(ids[1], true); }, {{"école", "b"}, {"straße", "c"}}},
        {"a word typed into the field",
         [&] { model.setTriggerWord(ids[2], "Ökonom"); },
         {{"école", "b"}, {"ökonom", "c"}}},
        {"a word longer than the router keeps",
         [&] { model.setTriggerWord(ids[2], "Supercalifragilisticexpialidocious"); },
         {{"école", "b"}},
         {{"percalifragilisticexpialidocious", "c"}}},
        {"long in capitals outside ASCII, its end by whole characters",
         [&] { model.setTriggerWord(ids[1], "X" + uumlauts(32, "Ü")); },
         {},
         {{"percalifragilisticexpialidocious", "c"}, {uumlauts(32, "ü"), "b"}}},
        {"short again", [&] { model.setTriggerWord(ids[2], "Ökonom"); }, {{"ökonom", "c"}}, {{uumlauts(32, "ü"), "b"}}},
        {"every trigger deleted",
         [&] {
             model.deleteTrigger(ids[1]);
             model.deleteTrigger(ids[2]);
         },
         {}},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        step.edit();
        EXPECT_EQ(harness.router.config()->wordTriggers, step.words);
        EXPECT_EQ(harness.router.config()->wordTriggers, buildRuntimeConfig(model.data(), {}, {}).wordTriggers);
        EXPECT_EQ(harness.router.config()->longWordTriggers, step.longWords);
        EXPECT_EQ(harness.router.config()->longWordTriggers, buildRuntimeConfig(model.data(), {}, {}).longWordTriggers);
    }
}

TEST(RuntimeConfig, KeptWordsAreThoseOfTheTriggersThereAre) {
    // Words are kept by their trigger while the trigger is there, enabled and a word trigger; a kept word in lower
    // case that changes to another word in capitals of the same length is lower-cased again.
    AppData data = AppModel::makeDefaultData();
    const auto word = [](const char *text) {
        return Trigger{Uuid::random(), Trigger::Kind::word(text), "s", {}, true};
    };
    data.triggers = {word("ÄRGER"), word("gg"), word("ÉCOLE"), word("lol")};
    TriggerWords kept;
    const auto words = [&] { return buildRuntimeConfig(data, {}, {}, {}, &kept).wordTriggers; };
    using Words = std::unordered_map<std::string, std::string>;
    EXPECT_EQ(words(), (Words{{"ärger", "s"}, {"gg", "s"}, {"école", "s"}, {"lol", "s"}}));
    EXPECT_EQ(kept.size(), 4u);
    data.triggers.erase(data.triggers.begin());
    data.triggers[0].kind = Trigger::Kind::word("GP");
    data.triggers[1].kind = Trigger::Kind::shortcut(1, 0x40000);
    data.triggers[2].enabled = false;
    EXPECT_EQ(words(), (Words{{"gp", "s"}}));
    EXPECT_EQ(kept.size(), 1u);
    // Malformed UTF-8 is read as Qt reads it, the first time and when kept.
    data.triggers[0].kind = Trigger::Kind::word("A\xff\xfe"
                                                "B");
    const auto fresh = buildRuntimeConfig(data, {}, {}).wordTriggers;
    EXPECT_EQ(words(), fresh);
    EXPECT_EQ(words(), fresh);
}

TEST(EffectiveProfile, FirstRuleWinsAndADeletedProfileFallsBackToTheActiveOne) {
    Harness harness;
    auto &model = harness.started();
    const auto arcade = profileNamed(model, "Arcade").id;
    const auto animals = profileNamed(model, "Animals").id;
    model.setRule("firefox", "Firefox", arcade);
    model.commitEdit([&](AppData &data) {
        data.appRules.push_back(AppRule{"firefox", "Firefox", animals}); // a second rule for Firefox
        data.appRules.push_back(AppRule{"gimp", "GIMP", Uuid::random()});
    });

    harness.activate("firefox", "Firefox");
    EXPECT_EQ(model.effectiveProfile().name, "Arcade");
    EXPECT_EQ(harness.router.config()->profile->name, "Arcade");

    harness.activate("gimp", "GIMP"); // its rule names no existing profile
    EXPECT_EQ(model.effectiveProfile().name, "Meme mode");
    EXPECT_FALSE(model.effectiveProfileIsMutedByApp());
    EXPECT_FALSE(harness.router.config()->muted);
}

TEST(SmartMute, ASilencedApplicationPlaysNoProfile) {
    Harness harness;
    auto &model = harness.started();
    harness.activate("Zoom", "Zoom");
    EXPECT_EQ(model.currentAppName(), "Zoom");
    EXPECT_TRUE(model.effectiveProfileIsMutedByApp());
    EXPECT_EQ(model.muteReason(), QString("Muted in Zoom"));
    const auto config = harness.router.config();
    EXPECT_FALSE(config->profile);
    EXPECT_TRUE(config->muted);
}

// Typing into the program itself (the Keys page's test field) plays the profile its screens show, whatever
// the application the user came from is ruled to; what the program reports about that application stays.
TEST(SmartMute, NoAppRuleAppliesWhileTheProgramsOwnWindowHasTheFocus) {
    Harness harness;
    auto &model = harness.started();
    const auto arcade = profileNamed(model, "Arcade").id;
    model.setRule("xterm", "XTerm", arcade);
    struct Case {
        const char *app;
        bool mutedOutside;
        const char *playsOutside;
    };
    for (const Case &c : {Case{"Zoom", true, nullptr}, Case{"xterm", false, "Arcade"}}) {
        SCOPED_TRACE(c.app);
        harness.activate(c.app, c.app);
        model.setOwnWindowFocused(true);
        auto config = harness.router.config();
        EXPECT_FALSE(config->muted);
        ASSERT_TRUE(config->profile);
        EXPECT_EQ(config->profile->name, "Meme mode"); // the active profile
        // The application in front, its rule and the mute reason the screens show are the user's app's.
        EXPECT_EQ(model.currentAppName(), c.app);
        EXPECT_EQ(model.effectiveProfileIsMutedByApp(), c.mutedOutside);

        model.setOwnWindowFocused(false);
        config = harness.router.config();
        EXPECT_EQ(config->muted, c.mutedOutside);
        if (c.playsOutside) {
            ASSERT_TRUE(config->profile);
            EXPECT_EQ(config->profile->name, c.playsOutside);
        } else {
            EXPECT_FALSE(config->profile);
        }
    }
    // Other reasons to be silent still hold in the program's own window.
    model.setOwnWindowFocused(true);
    model.commitEdit([](AppData &data) { data.settings.muteWhenMicInUse = true; });
    *harness.mic = true;
    harness.time.advance(1.0);
    EXPECT_TRUE(harness.router.config()->muted);
}

TEST(SmartMute, WithNoApplicationKnownNoRuleApplies) {
    Harness harness;
    auto &model = harness.started();
    model.commitEdit([](AppData &data) { data.appRules.push_back(AppRule{"", "Nameless", std::nullopt}); });
    harness.activate("", ""); // a Wayland session names no application
    EXPECT_FALSE(model.effectiveProfileIsMutedByApp());
    EXPECT_FALSE(harness.router.config()->muted);
    EXPECT_FALSE(model.addRule("", "Nameless"));
}

TEST(SmartMute, MicrophoneAndPasswordFieldsMuteWhileTheirSettingsAreOn) {
    Harness harness;
    auto &model = harness.started();
    *harness.mic = true;
    harness.time.advance(1.0); // the watchers poll every second
    EXPECT_TRUE(model.micInUse());
    EXPECT_EQ(model.muteReason(), QString("Muted while the mic is on"));
    EXPECT_TRUE(harness.router.config()->muted);

    model.setSetting(&AppSettings::muteWhenMicInUse, false);
    EXPECT_FALSE(model.muteReason());
    EXPECT_FALSE(harness.router.config()->muted);

    *harness.secure = true;
    harness.time.advance(1.0);
    EXPECT_EQ(model.muteReason(), QString("Silent in password fields"));
    EXPECT_TRUE(harness.router.config()->muted);
    *harness.secure = false;
    harness.time.advance(1.0);
    EXPECT_FALSE(harness.router.config()->muted);
}

TEST(QuietHours, StartIsQuietEndIsNot) {
    struct Case {
        int start, end, minute;
        bool quiet;
    };
    const Case cases[] = {
        {1380, 480, 23 * 60, true},
        {1380, 480, 3 * 60, true},
        {1380, 480, 7 * 60 + 59, true},
        {1380, 480, 8 * 60, false},
        {1380, 480, 22 * 60 + 59, false},
        {480, 1020, 8 * 60, true},
        {480, 1020, 17 * 60, false},
        {600, 600, 600, false},
        {600, 600, 0, false},
        // Hand-edited minutes outside a day count modulo a day.
        {1380 + 1440, -960, 23 * 60, true},
        {-60, 480, 23 * 60 + 30, true},
        {-60, 480, 22 * 60, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << "-" << c.end << " at " << c.minute);
        AppSettings settings;
        settings.quietHoursEnabled = true;
        settings.quietStartMinutes = c.start;
        settings.quietEndMinutes = c.end;
        EXPECT_EQ(isInQuietHours(settings, c.minute), c.quiet);
        settings.quietHoursEnabled = false;
        EXPECT_FALSE(isInQuietHours(settings, c.minute));
    }
}

TEST(QuietHours, TheTickMutesAndUnmutesAtTheBoundaries) {
    Harness harness;
    auto &model = harness.started();
    model.setSetting(&AppSettings::quietHoursEnabled, true); // 23:00 to 08:00
    harness.time.advanceTo(QTime(22, 59, 45));
    EXPECT_FALSE(harness.router.config()->muted);
    harness.time.advance(30); // past 23:00, with one 30 s tick on the way
    EXPECT_TRUE(model.isInQuietHours());
    EXPECT_TRUE(harness.router.config()->muted);
    EXPECT_EQ(model.silence()->kind, Silence::Kind::quiet);
    harness.time.advanceTo(QTime(8, 0, 30));
    EXPECT_FALSE(harness.router.config()->muted);
    EXPECT_FALSE(model.silence());
}

TEST(SwitchLog, RecordsChangesOfWhatPlaysNewestFirst) {
    Harness harness;
    auto &model = harness.started();
    const auto arcade = profileNamed(model, "Arcade").id;
    model.setRule("firefox", "Firefox", arcade);

    harness.activate("org.gnome.Terminal", "Terminal"); // first report: recorded, not logged
    EXPECT_TRUE(model.switchLog().empty());
    harness.activate("gedit", "Text Editor"); // same effective profile
    EXPECT_TRUE(model.switchLog().empty());
    harness.activate("firefox", "Firefox");
    ASSERT_EQ(model.switchLog().size(), 1u);
    EXPECT_EQ(model.switchLog()[0].appName, "Firefox");
    EXPECT_EQ(model.switchLog()[0].profileName, "Arcade");
    EXPECT_EQ(model.switchLog()[0].date, harness.time.now());
    harness.activate("Zoom", "Zoom");
    EXPECT_EQ(model.switchLog()[0].profileName, "Muted");
    harness.activate("org.gnome.Calls", "Calls"); // silenced as well: no change
    EXPECT_EQ(model.switchLog().size(), 2u);
    harness.activate("gedit", "Text Editor");
    EXPECT_EQ(model.switchLog()[0].profileName, "Meme mode");
    EXPECT_NE(model.switchLog()[0].id, model.switchLog()[1].id);

    for (int i = 0; i < 6; ++i) {
        harness.activate(i % 2 ? "gedit" : "firefox", i % 2 ? "Text Editor" : "Firefox");
    }
    ASSERT_EQ(model.switchLog().size(), 8u); // nine switches, the oldest dropped
    EXPECT_EQ(model.switchLog().back().appName, "Zoom");
}

TEST(SwitchLog, TheProgramsOwnWindowsAreNotASwitch) {
    Harness harness;
    auto &model = harness.started();
    harness.activate("firefox", "Firefox");
    harness.activate(SystemWatchers::kOwnAppId, "Tapchime");
    EXPECT_EQ(model.currentAppBundleID(), "firefox");
}

} // namespace
} // namespace tc::test
