#include "engine/SoundRouter.h"

#include "model/KeyLayout.h"
#include "model/Modifiers.h"
#include "support/FakeSoundLookup.h"
#include "support/FakeSoundPlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tc {
namespace {

using Role = SoundSynth::Role;
using Played = std::pair<std::uint16_t, std::string>;

constexpr std::uint64_t kShift = Modifiers::kShift;
constexpr std::uint64_t kControl = Modifiers::kControl;
constexpr std::uint64_t kOption = Modifiers::kOption;
constexpr std::uint64_t kCommand = Modifiers::kCommand;
constexpr std::uint64_t kCapsLock = Modifiers::kCapsLock;

constexpr std::uint16_t kA = 0, kB = 11, kK = 40, kP = 35, kJ = 38;
constexpr std::uint16_t kReturn = 36, kSpace = 49, kDelete = 51, kPeriod = 47, kLeftArrow = 123;
constexpr std::uint16_t kControlKey = 59, kRightControl = 62, kKeypadEnter = 76, kUpDown = 126, kDownArrow = 125;
constexpr std::uint16_t kLeftShift = 56;

// The key code of a letter or digit on the drawn keyboard.
std::uint16_t codeOf(char c) {
    const std::string label(1, static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    for (const auto &key : KeyLayout::allKeys()) {
        if (key.label == label && key.code) {
            return *key.code;
        }
    }
    ADD_FAILURE() << "no key for " << c;
    return 0;
}

float panOf(std::uint16_t code) {
    return (2.0f * KeyLayout::panPosition().at(code) - 1.0f) * 0.7f;
}

KeyAssignment assigned(std::string soundID, double volume = 1.0, double pitchVariation = 0.0) {
    KeyAssignment assignment;
    assignment.soundID = std::move(soundID);
    assignment.volume = volume;
    assignment.pitchVariation = pitchVariation;
    return assignment;
}

// One key down as the keyboard monitor would report it.
struct Key {
    std::uint16_t code = 0;
    std::string characters;
    std::uint64_t flags = 0;
    bool isRepeat = false;
};

// The key downs for typing ASCII letters, digits, space and full stop; capitals come with Shift held.
std::vector<Key> typed(const std::string &text) {
    std::vector<Key> keys;
    for (const char c : text) {
        if (c == ' ') {
            keys.push_back({kSpace, " "});
        } else if (c == '.') {
            keys.push_back({kPeriod, "."});
        } else {
            keys.push_back({codeOf(c), std::string(1, c), std::isupper(static_cast<unsigned char>(c)) ? kShift : 0});
        }
    }
    return keys;
}

std::vector<Key> operator+(std::vector<Key> a, const std::vector<Key> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class SoundRouterTest : public ::testing::Test {
protected:
    SoundRouterTest() {
        router.onKey = [this](std::uint16_t code, bool isDown) { keys.emplace_back(code, isDown); };
        router.onPlayed = [this](std::uint16_t code, const std::string &id) { played.emplace_back(code, id); };
        router.onHotkey = [this](Hotkey hotkey) { hotkeys.push_back(hotkey); };
        library.addSound("base", SoundCategory::mechanical,
                         {Role::down, Role::up, Role::space, Role::wide, Role::enter});
        library.addSound("plain", SoundCategory::mechanical, {Role::down, Role::space, Role::wide, Role::enter});
        library.addSound("own", SoundCategory::mechanical, {Role::down, Role::up});
        library.addSound("trig", SoundCategory::memes);
    }

    // Sounds on at full master volume, stereo spread off, a profile whose keys play "base".
    static RuntimeConfig playing() {
        RuntimeConfig config;
        config.masterVolume = 1.0f;
        config.stereoSpread = false;
        Profile profile;
        profile.name = "Test";
        profile.baseSoundID = "base";
        config.profile = profile;
        return config;
    }

    void down(const Key &key) { router.handle({key.code, true, key.isRepeat, key.flags, key.characters}); }
    void down(std::uint16_t code, std::string characters = "", std::uint64_t flags = 0) {
        down(Key{code, std::move(characters), flags});
    }
    void up(std::uint16_t code, std::uint64_t flags = 0) { router.handle({code, false, false, flags, ""}); }
    void type(const std::vector<Key> &sequence) {
        for (const auto &key : sequence) {
            down(key);
        }
    }

    // The plays so far as "sound/role" texts.
    std::vector<std::string> takes() const {
        std::vector<std::string> result;
        for (const auto &play : player.plays()) {
            result.push_back(library.describe(play.buffer));
        }
        return result;
    }

    void forget() {
        player.clear();
        keys.clear();
        played.clear();
        hotkeys.clear();
    }

    FakeSoundLookup library;
    FakeSoundPlayer player;
    SoundRouter router{library, player};
    std::vector<std::pair<std::uint16_t, bool>> keys;
    std::vector<Played> played;
    std::vector<Hotkey> hotkeys;
};

TEST_F(SoundRouterTest, NothingPlaysBeforeTheFirstConfiguration) {
    EXPECT_EQ(*router.config(), RuntimeConfig{});
    EXPECT_FLOAT_EQ(router.config()->masterVolume, 0.8f);
    down(kA, "a");
    up(kA);
    EXPECT_EQ(keys, (std::vector<std::pair<std::uint16_t, bool>>{{kA, true}, {kA, false}}));
    EXPECT_TRUE(player.plays().empty());
    EXPECT_TRUE(played.empty());
}

TEST_F(SoundRouterTest, HotkeysActBeforeTheConfigurationAndNeverPlay) {
    struct Case {
        const char *name;
        std::uint64_t flags;
        std::uint16_t code;
        std::optional<Hotkey> hotkey;
    };
    const Case cases[] = {
        {"Control-Alt-K", kControl | kOption, kK, Hotkey::toggleSounds},
        {"Control-Alt-P", kControl | kOption, kP, Hotkey::nextProfile},
        {"with device bits and Caps Lock", kControl | kOption | 0x1 | 0x20 | 0x2000 | kCapsLock, kK,
         Hotkey::toggleSounds},
        {"with Shift", kControl | kOption | kShift, kK, std::nullopt},
        {"with Super", kControl | kOption | kCommand, kP, std::nullopt},
        {"Control only", kControl, kK, std::nullopt},
        {"Alt only", kOption, kP, std::nullopt},
        {"another key", kControl | kOption, kJ, std::nullopt},
    };
    RuntimeConfig disabled = playing();
    disabled.enabled = false;
    RuntimeConfig muted = playing();
    muted.muted = true;
    RuntimeConfig noProfile = playing();
    noProfile.profile.reset();

    for (const auto &c : cases) {
        for (const auto *config : {&disabled, &muted, &noProfile}) {
            router.setConfig(*config);
            forget();
            down(c.code, "", c.flags);
            EXPECT_EQ(hotkeys.size(), c.hotkey ? 1u : 0u) << c.name;
            if (c.hotkey && !hotkeys.empty()) {
                EXPECT_EQ(hotkeys[0], *c.hotkey) << c.name;
            }
            EXPECT_TRUE(player.plays().empty()) << c.name;
            EXPECT_EQ(keys.size(), 1u) << c.name;
        }

        // While sounds play, a hotkey still plays nothing; anything else is an ordinary key.
        router.setConfig(playing());
        forget();
        down(c.code, "", c.flags);
        if (c.hotkey) {
            EXPECT_TRUE(player.plays().empty()) << c.name;
            EXPECT_TRUE(played.empty()) << c.name;
        } else {
            EXPECT_TRUE(hotkeys.empty()) << c.name;
            EXPECT_EQ(played, (std::vector<Played>{{c.code, "base"}})) << c.name;
        }
    }
}

TEST_F(SoundRouterTest, HotkeyWithoutHandlerRepeatAndKeyUpAreHandledAsTheRulesSay) {
    router.setConfig(playing());

    // A repeat of the hotkey is only reported.
    router.handle({kK, true, true, kControl | kOption, ""});
    EXPECT_TRUE(hotkeys.empty());

    // The key up after the hotkey is routed as any key up: "base" has up takes.
    up(kK, kControl | kOption);
    EXPECT_EQ(takes(), std::vector<std::string>{"base/up"});

    // Without a handler the hotkey still stops there.
    forget();
    router.onHotkey = nullptr;
    down(kK, "", kControl | kOption);
    EXPECT_TRUE(player.plays().empty());
    EXPECT_TRUE(played.empty());
    EXPECT_EQ(keys.size(), 1u);
}

TEST_F(SoundRouterTest, RepeatsAreOnlyReported) {
    RuntimeConfig config = playing();
    config.wordTriggers = {{"yay", "trig"}};
    router.setConfig(config);
    type(typed("ya"));
    forget();
    down(Key{codeOf('y'), "y", 0, true});
    EXPECT_EQ(keys, (std::vector<std::pair<std::uint16_t, bool>>{{codeOf('y'), true}}));
    EXPECT_TRUE(player.plays().empty());
    EXPECT_TRUE(played.empty());
    // The repeat did not reach the typed word either.
    type(typed("y "));
    EXPECT_EQ(played.back(), Played(kSpace, "trig"));
}

TEST_F(SoundRouterTest, ASilencedConfigurationPlaysNothingAndForgetsTheWord) {
    RuntimeConfig on = playing();
    on.wordTriggers = {{"c", "trig"}, {"abc", "abc-trig"}};
    library.addSound("abc-trig", SoundCategory::memes);
    RuntimeConfig disabled = on;
    disabled.enabled = false;
    RuntimeConfig muted = on;
    muted.muted = true;
    RuntimeConfig noProfile = on;
    noProfile.profile.reset();

    for (const auto &silenced : {disabled, muted, noProfile}) {
        router.setConfig(on);
        type(typed("ab"));
        router.setConfig(silenced);
        forget();
        down(kP, "p");
        up(kP);
        EXPECT_EQ(keys.size(), 2u);
        EXPECT_TRUE(player.plays().empty());
        EXPECT_TRUE(played.empty());

        router.setConfig(on);
        type(typed("c "));
        EXPECT_EQ(played.back(), Played(kSpace, "trig"));
    }
}

TEST_F(SoundRouterTest, FoldedKeysPlayTheSharedAssignmentAndReportTheirOwnCode) {
    RuntimeConfig config = playing();
    config.stereoSpread = true;
    library.addSound("control", SoundCategory::mechanical);
    library.addSound("return", SoundCategory::mechanical);
    library.addSound("updown", SoundCategory::mechanical);
    for (const auto &[code, id] : {std::pair{kControlKey, "control"}, {kReturn, "return"}, {kUpDown, "updown"}}) {
        KeyAssignment assignment = assigned(id);
        assignment.playOnKeyUp = true;
        config.profile->keys[std::to_string(code)] = assignment;
    }
    router.setConfig(config);

    struct Case {
        std::uint16_t code;
        const char *take;
        float pan;
    };
    // Right Control and keypad Enter have no place on the drawn keyboard; the down arrow shares its key.
    const Case cases[] = {
        {kRightControl, "control/down", 0.0f},       {kControlKey, "control/down", panOf(kControlKey)},
        {kKeypadEnter, "return/down", 0.0f},         {kReturn, "return/down", panOf(kReturn)},
        {kDownArrow, "updown/down", panOf(kUpDown)},
    };
    for (const auto &c : cases) {
        forget();
        down(c.code);
        up(c.code);
        EXPECT_EQ(keys, (std::vector<std::pair<std::uint16_t, bool>>{{c.code, true}, {c.code, false}}));
        EXPECT_EQ(played,
                  (std::vector<Played>{{c.code, std::string(c.take).substr(0, std::string(c.take).find('/'))}}));
        ASSERT_EQ(takes(), (std::vector<std::string>{c.take, c.take})) << c.code; // key down, then again on key up
        for (const auto &play : player.plays()) {
            EXPECT_FLOAT_EQ(play.pan, c.pan) << c.code;
        }
    }
}

TEST_F(SoundRouterTest, PanPlacesKeysLeftToRightOnlyWithStereoSpread) {
    const std::uint16_t codes[] = {53, kA, kSpace, 124, 200};
    for (const bool spread : {true, false}) {
        RuntimeConfig config = playing();
        config.stereoSpread = spread;
        router.setConfig(config);
        for (const auto code : codes) {
            forget();
            down(code);
            ASSERT_EQ(player.plays().size(), 1u);
            const float pan = player.plays()[0].pan;
            const bool placed = spread && code != 200; // 200 is no key of the drawn keyboard
            EXPECT_FLOAT_EQ(pan, placed ? panOf(code) : 0.0f) << code << " spread " << spread;
            EXPECT_LE(std::abs(pan), 0.7f);
        }
    }
    router.setConfig([] {
        RuntimeConfig config = playing();
        config.stereoSpread = true;
        return config;
    }());
    forget();
    down(53);     // esc, far left
    down(124);    // right arrow, far right
    down(kSpace); // near the middle
    const auto plays = player.plays();
    EXPECT_LT(plays[0].pan, -0.6f);
    EXPECT_GT(plays[1].pan, 0.6f);
    EXPECT_LT(std::abs(plays[2].pan), 0.1f);
}

TEST_F(SoundRouterTest, ShortcutTriggersMatchTheReportedKeyAndTheMaskedModifiers) {
    RuntimeConfig config = playing();
    config.masterVolume = 0.5f;
    config.profile->keys[std::to_string(kB)] = assigned("own");
    config.shortcutTriggers = {
        {kB, kCommand, "trig"},          {kB, kCommand, "second"}, // a later duplicate never fires
        {kB, kShift, "shift-only"},      // needs Control, Alt or Super held to be compared at all
        {kDownArrow, kCommand, "arrow"}, // the reported code, not the folded one
        {kA, kControl, "missing"},       // a sound the library does not have
    };
    library.addSound("second", SoundCategory::memes);
    library.addSound("shift-only", SoundCategory::memes);
    library.addSound("arrow", SoundCategory::memes);
    router.setConfig(config);

    struct Case {
        const char *name;
        std::uint16_t code;
        std::uint64_t flags;
        const char *id;                 // reported to onPlayed
        std::vector<std::string> plays; // what played, in order
    };
    const Case cases[] = {
        {"Super-B", kB, kCommand, "trig", {"trig/down"}},
        {"Super-B with device bits and Caps Lock", kB, kCommand | 0x8 | kCapsLock, "trig", {"trig/down"}},
        {"Super-Shift-B", kB, kCommand | kShift, "own", {"own/down"}},
        {"Control-B", kB, kControl, "own", {"own/down"}},
        {"Shift-B", kB, kShift, "own", {"own/down"}},
        {"Super-Down", kDownArrow, kCommand, "arrow", {"arrow/down"}},
        {"Super-Up", kUpDown, kCommand, "base", {"base/down"}},
        {"Control-A with a missing sound", kA, kControl, "missing", {}},
    };
    for (const auto &c : cases) {
        forget();
        down(c.code, "", c.flags);
        EXPECT_EQ(played, (std::vector<Played>{{c.code, c.id}})) << c.name;
        EXPECT_EQ(takes(), c.plays) << c.name;
        if (!c.plays.empty() && c.plays[0] != "own/down" && c.plays[0] != "base/down") {
            EXPECT_FLOAT_EQ(player.plays()[0].volume, 0.5f) << c.name; // a trigger plays at the master volume
        }
    }
}

TEST_F(SoundRouterTest, WordTriggersFireOnTheKeyThatEndsTheWord) {
    const std::string long35 = "abcdefghijklmnopqrstuvwxyzabcdefghi";
    struct Case {
        const char *name;
        std::unordered_map<std::string, std::string> words;
        std::vector<Key> keys;
        Played last; // the last key's report
    };
    const Key space{kSpace, " "};
    const Key del{kDelete, "\x7F"};
    const Key returnKey{kReturn, "\r"};
    const Case cases[] = {
        {"word and space", {{"yay", "trig"}}, typed("yay "), {kSpace, "trig"}},
        {"longer word", {{"yay", "trig"}}, typed("yayy "), {kSpace, "base"}},
        {"delete then retype",
         {{"yay", "trig"}},
         typed("ya") + std::vector{del} + typed("ay") + std::vector{returnKey},
         {kReturn, "trig"}},
        {"delete on an empty word", {{"yay", "trig"}}, std::vector{del, del} + typed("yay."), {kPeriod, "trig"}},
        {"capitals", {{"yay", "trig"}}, typed("YaY."), {kPeriod, "trig"}},
        {"letter outside ASCII",
         {{"caf\xC3\xA9", "trig"}},
         typed("caf") + std::vector<Key>{{14, "\xC3\x89", kShift}, space},
         {kSpace, "trig"}},
        {"digits", {{"42", "trig"}}, typed("42 "), {kSpace, "trig"}},
        {"Return without text", {{"yay", "trig"}}, typed("yay") + std::vector<Key>{{kReturn, ""}}, {kReturn, "trig"}},
        {"keys without text leave the word",
         {{"yay", "trig"}},
         typed("ya") + std::vector<Key>{{kLeftArrow, ""}, {kLeftShift, "", kShift}, {122, ""}} + typed("y "),
         {kSpace, "trig"}},
        {"pressing Super clears the word",
         {{"yay", "trig"}, {"y", "y-trig"}},
         typed("ya") + std::vector<Key>{{55, "", kCommand}} + typed("y "),
         {kSpace, "y-trig"}},
        {"Super-letter ends the word",
         {{"yay", "trig"}, {"y", "y-trig"}},
         typed("yay") + std::vector<Key>{{codeOf('x'), "x", kCommand}} + typed("y "),
         {kSpace, "y-trig"}},
        {"Control letter is not appended",
         {{"yay", "trig"}, {"ya", "ya-trig"}},
         typed("ya") + std::vector<Key>{{codeOf('y'), "\x19", kControl}} + typed(" "),
         {kSpace, "base"}},
        {"any text ends the word", {{"yay", "trig"}}, typed("yay.yay "), {kSpace, "trig"}},
        {"empty word is never looked up", {{"", "trig"}, {"yay", "other"}}, typed("yay  "), {kSpace, "base"}},
        {"empty word after a lookup", {{"", "trig"}}, typed(". "), {kSpace, "base"}},
        {"last 32 characters", {{long35.substr(3), "trig"}}, typed(long35 + " "), {kSpace, "trig"}},
        {"not the first three", {{long35, "trig"}}, typed(long35 + " "), {kSpace, "base"}},
    };
    // Words longer than the router keeps come by their last 32 characters and match only a word typed longer.
    const std::string last32 = long35.substr(3);
    const struct {
        const char *name;
        std::vector<Key> keys;
        Played last;
    } longCases[] = {
        {"a long word typed whole", typed(long35 + " "), {kSpace, "trig"}},
        {"only its last 32 letters", typed(last32 + " "), {kSpace, "short"}},
        {"longer still", typed("zz" + long35 + " "), {kSpace, "trig"}},
        {"a long word after a short one", typed("ab " + long35 + "."), {kPeriod, "trig"}},
    };
    library.addSound("y-trig", SoundCategory::memes);
    library.addSound("ya-trig", SoundCategory::memes);
    library.addSound("other", SoundCategory::memes);
    for (const auto &c : cases) {
        RuntimeConfig config = playing();
        config.wordTriggers = c.words;
        router.setConfig(config);
        type({{kPeriod, "."}}); // start from an empty word
        type(std::vector(c.keys.begin(), c.keys.end() - 1));
        forget();
        down(c.keys.back());
        EXPECT_EQ(played, std::vector<Played>{c.last}) << c.name;
        // The trigger replaces the key's own sound.
        ASSERT_EQ(player.plays().size(), 1u) << c.name;
        EXPECT_EQ(takes()[0].substr(0, takes()[0].find('/')), c.last.second) << c.name;
    }
    library.addSound("short", SoundCategory::memes);
    for (const auto &c : longCases) {
        RuntimeConfig config = playing();
        config.longWordTriggers = {{last32, "trig"}};
        config.wordTriggers = {{last32, "short"}};
        router.setConfig(config);
        type({{kPeriod, "."}});
        type(std::vector(c.keys.begin(), c.keys.end() - 1));
        forget();
        down(c.keys.back());
        EXPECT_EQ(played, std::vector<Played>{c.last}) << c.name;
    }
    // Long words alone collect the typing too.
    RuntimeConfig onlyLong = playing();
    onlyLong.longWordTriggers = {{last32, "trig"}};
    router.setConfig(onlyLong);
    type(typed("." + long35));
    forget();
    down({kSpace, " "});
    EXPECT_EQ(played, std::vector<Played>{Played(kSpace, "trig")});
}

TEST_F(SoundRouterTest, LettersAreCollectedOnlyWhileWordTriggersExist) {
    RuntimeConfig withWords = playing();
    withWords.wordTriggers = {{"yay", "trig"}, {"y", "y-trig"}};
    library.addSound("y-trig", SoundCategory::memes);
    const RuntimeConfig withoutWords = playing();

    // Letters typed without word triggers are not collected.
    router.setConfig(withoutWords);
    type(typed("ya"));
    router.setConfig(withWords);
    type(typed("y "));
    EXPECT_EQ(played.back(), Played(kSpace, "y-trig"));

    // ... and the word already typed is left alone meanwhile.
    type(typed("ya"));
    router.setConfig(withoutWords);
    type(typed(" "));
    router.setConfig(withWords);
    type(typed("y "));
    EXPECT_EQ(played.back(), Played(kSpace, "trig"));
}

TEST_F(SoundRouterTest, GainsFollowWhatPlays) {
    RuntimeConfig config = playing();
    config.masterVolume = 0.5f;
    auto &keyMap = config.profile->keys;
    keyMap["0"] = assigned("own", 0.4); // A: own sound only
    keyMap["1"] = assigned("own", 0.4); // S: layered over the base sound
    keyMap["1"].layerBase = true;
    keyMap["2"] = assigned("own", 0.4); // D: layered and played again on key up
    keyMap["2"].layerBase = true;
    keyMap["2"].playOnKeyUp = true;
    keyMap["49"] = assigned("own", 0.4); // Space: layered, so the base plays its space take
    keyMap["49"].layerBase = true;
    RuntimeConfig plainBase = config; // a base sound without up takes
    plainBase.profile->baseSoundID = "plain";

    struct Expected {
        std::string take;
        float volume;
    };
    struct Case {
        const char *name;
        const RuntimeConfig *config;
        std::uint16_t code;
        bool isDown;
        std::vector<Expected> plays;
    };
    const Case cases[] = {
        {"own sound", &config, 0, true, {{"own/down", 0.2f}}},
        {"own sound, key up", &config, 0, false, {}},
        {"layered", &config, 1, true, {{"own/down", 0.2f}, {"base/down", 0.3f}}},
        {"layered, key up", &config, 1, false, {{"base/up", 0.3f}}},
        {"layered and key up", &config, 2, true, {{"own/down", 0.2f}, {"base/down", 0.3f}}},
        {"layered and key up, key up", &config, 2, false, {{"own/down", 0.12f}}},
        {"layered Space", &config, kSpace, true, {{"own/down", 0.2f}, {"base/space", 0.3f}}},
        {"base sound", &config, 3, true, {{"base/down", 0.425f}}},
        {"base sound, key up", &config, 3, false, {{"base/up", 0.425f}}},
        {"base Return", &config, kReturn, true, {{"base/enter", 0.425f}}},
        {"layered, base without up takes, key up", &plainBase, 1, false, {}},
        {"base without up takes, key up", &plainBase, 3, false, {}},
        {"base without up takes", &plainBase, 3, true, {{"plain/down", 0.425f}}},
    };
    for (const auto &c : cases) {
        router.setConfig(*c.config);
        forget();
        if (c.isDown) {
            down(c.code);
        } else {
            up(c.code);
        }
        const auto plays = player.plays();
        ASSERT_EQ(plays.size(), c.plays.size()) << c.name;
        for (std::size_t i = 0; i < plays.size(); ++i) {
            EXPECT_EQ(library.describe(plays[i].buffer), c.plays[i].take) << c.name;
            EXPECT_FLOAT_EQ(plays[i].volume, c.plays[i].volume) << c.name;
        }
        EXPECT_EQ(played.size(), c.isDown ? 1u : 0u) << c.name; // key ups are never reported as played
    }
}

TEST_F(SoundRouterTest, PitchVariesWithinTheRangeOfWhatPlays) {
    RuntimeConfig config = playing();
    config.profile->keys["0"] = assigned("own", 1.0, 0.1);
    config.profile->keys["0"].playOnKeyUp = true;
    config.profile->keys["1"] = assigned("own", 1.0, 0.0);
    config.profile->keys["1"].layerBase = true;
    config.shortcutTriggers = {{kB, kCommand, "trig"}};
    router.setConfig(config);

    struct Case {
        const char *name;
        std::uint16_t code;
        bool isDown;
        std::uint64_t flags;
        std::string take;
        float spread; // rate within 1 ± spread; 0 means exactly 1
    };
    const Case cases[] = {
        {"own sound with variation", 0, true, 0, "own/down", 0.1f},
        {"own sound again on key up", 0, false, 0, "own/down", 0.1f},
        {"own sound without variation", 1, true, 0, "own/down", 0.0f},
        {"layered base", 1, true, 0, "base/down", 0.03f},
        {"layered base on key up", 1, false, 0, "base/up", 0.03f},
        {"base sound", 3, true, 0, "base/down", 0.03f},
        {"base sound on key up", 3, false, 0, "base/up", 0.03f},
        {"shortcut trigger", kB, true, kCommand, "trig/down", 0.02f},
    };
    for (const auto &c : cases) {
        forget();
        for (int i = 0; i < 2000; ++i) {
            router.handle({c.code, c.isDown, false, c.flags, ""});
        }
        float low = 10.0f, high = -10.0f;
        int count = 0;
        for (const auto &play : player.plays()) {
            if (library.describe(play.buffer) == c.take) {
                low = std::min(low, play.rate);
                high = std::max(high, play.rate);
                ++count;
            }
        }
        ASSERT_EQ(count, 2000) << c.name;
        EXPECT_GE(low, 1.0f - c.spread - 1e-6f) << c.name;
        EXPECT_LE(high, 1.0f + c.spread + 1e-6f) << c.name;
        // It really varies, over most of the range, on both sides of 1.
        EXPECT_GE(high - low, c.spread * 1.8f) << c.name;
        if (c.spread > 0) {
            EXPECT_LT(low, 1.0f);
            EXPECT_GT(high, 1.0f);
        }
    }
}

TEST_F(SoundRouterTest, RandomInCategoryDrawsFromThePoolAndNeverFromMechanical) {
    for (const char *id : {"m1", "m2", "m3"}) {
        library.addSound(id, SoundCategory::memes);
    }
    library.addSound("mech", SoundCategory::mechanical);
    library.addSound("lonely", SoundCategory::animals);
    RuntimeConfig config = playing();
    config.categoryPools = {{SoundCategory::memes, {"m1", "m2", "m3"}}, {SoundCategory::animals, {}}};
    config.categoryOf = {{"m1", SoundCategory::memes},
                         {"m2", SoundCategory::memes},
                         {"m3", SoundCategory::memes},
                         {"lonely", SoundCategory::animals}};
    auto randomKey = [](const char *id) {
        KeyAssignment assignment = assigned(id);
        assignment.randomInCategory = true;
        assignment.playOnKeyUp = true;
        return assignment;
    };
    config.profile->keys["0"] = randomKey("m1");
    config.profile->keys["1"] = randomKey("mech");   // mechanical sounds are in no pool
    config.profile->keys["2"] = randomKey("lonely"); // its category's pool is empty
    router.setConfig(config);

    std::set<std::string> seen;
    for (int i = 0; i < 300; ++i) {
        forget();
        down(0);
        ASSERT_EQ(played.size(), 1u);
        ASSERT_EQ(takes().size(), 1u);
        EXPECT_EQ(takes()[0], played[0].second + "/down"); // reports the sound it really played
        seen.insert(played[0].second);
        up(0);
        EXPECT_EQ(takes().back(), "m1/down"); // the key up plays the assigned sound itself
    }
    EXPECT_EQ(seen, (std::set<std::string>{"m1", "m2", "m3"}));

    for (const std::uint16_t code : {1, 2}) {
        for (int i = 0; i < 50; ++i) {
            forget();
            down(code);
            EXPECT_EQ(played[0].second, code == 1 ? "mech" : "lonely");
        }
    }
}

TEST_F(SoundRouterTest, SoundsThatPlayNothingAreStillReported) {
    library.addSound("empty", SoundCategory::mine, {}); // a sound without takes
    library.addSound("uponly", SoundCategory::mine, {Role::up});
    RuntimeConfig config = playing();
    config.profile->keys["0"] = assigned("missing");
    config.profile->keys["1"] = assigned("empty");
    config.profile->keys["2"] = assigned("uponly"); // no key-down take: buffer() has nothing for down
    config.profile->keys["3"] = assigned("missing");
    config.profile->keys["3"].randomInCategory = true;
    RuntimeConfig silentBase = playing();
    silentBase.profile->baseSoundID = "none";

    struct Case {
        const RuntimeConfig *config;
        std::uint16_t code;
        const char *id;
    };
    const Case cases[] = {{&config, 0, "missing"},
                          {&config, 1, "empty"},
                          {&config, 2, "uponly"},
                          {&config, 3, "missing"},
                          {&silentBase, 4, "none"}};
    for (const auto &c : cases) {
        router.setConfig(*c.config);
        forget();
        down(c.code);
        up(c.code);
        EXPECT_EQ(played, (std::vector<Played>{{c.code, c.id}}));
        EXPECT_TRUE(player.plays().empty()) << c.id;
    }
}

TEST_F(SoundRouterTest, TheBaseSoundPlaysTheTakeForTheKeysRole) {
    router.setConfig(playing());
    const std::pair<std::uint16_t, const char *> cases[] = {
        {kReturn, "base/enter"},
        {kKeypadEnter, "base/enter"},
        {kSpace, "base/space"},
        {48, "base/wide"},
        {kDelete, "base/wide"},
        {kLeftShift, "base/wide"},
        {57, "base/wide"},
        {60, "base/wide"},
        {kA, "base/down"},
        {kControlKey, "base/down"},
        {kRightControl, "base/down"},
        {53, "base/down"},
        {kUpDown, "base/down"},
    };
    for (const auto &[code, take] : cases) {
        forget();
        down(code);
        EXPECT_EQ(takes(), std::vector<std::string>{take}) << code;
    }
}

TEST_F(SoundRouterTest, ProfileKeysMatchOnlyTheirPlainDecimalText) {
    RuntimeConfig config = playing();
    config.profile->keys["049"] = assigned("own");
    config.profile->keys["+0"] = assigned("own");
    config.profile->keys["65536"] = assigned("own");
    config.profile->keys["x"] = assigned("own");
    config.profile->keys["65535"] = assigned("trig");
    router.setConfig(config);
    for (const std::uint16_t code : {kSpace, kA, std::uint16_t(0)}) {
        forget();
        down(code);
        EXPECT_EQ(played.back().second, "base") << code;
    }
    down(65535);
    EXPECT_EQ(played.back(), Played(65535, "trig"));
}

TEST_F(SoundRouterTest, ConfigurationsReplacedWhileKeysAreRoutedStayWhole) {
    RuntimeConfig a = playing();
    a.profile->keys["0"] = assigned("own");
    a.wordTriggers = {{"yay", "trig"}};
    RuntimeConfig b = playing();
    b.profile->baseSoundID = "plain";
    router.onKey = nullptr;
    router.onPlayed = nullptr;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            router.setConfig(i % 2 ? a : b);
        }
        done = true;
    });
    int events = 0;
    while (!done || events < 1000) {
        down(kA, "a");
        up(kA);
        ++events;
    }
    writer.join();
    for (const auto &take : takes()) {
        // Every play comes from one configuration or the other, never a mixture.
        EXPECT_TRUE(take == "own/down" || take == "plain/down") << take;
    }
}

TEST_F(SoundRouterTest, TheKeyStateIsReportedOnceAfterTheSoundIsOnItsWayAndBeforeTheOtherReports) {
    // The report of the key state wakes the main thread; the sound must not wait for that.
    struct LoggingPlayer : SoundPlayer {
        std::vector<std::string> *log;
        void play(const AudioBufferPtr &, float, float, float) override { log->push_back("play"); }
    };
    std::vector<std::string> log;
    LoggingPlayer logging;
    logging.log = &log;
    SoundRouter logged(library, logging);
    logged.onKey = [&](std::uint16_t, bool isDown) { log.push_back(isDown ? "key down" : "key up"); };
    logged.onPlayed = [&](std::uint16_t, const std::string &) { log.push_back("played"); };
    logged.onHotkey = [&](Hotkey) { log.push_back("hotkey"); };

    struct Case {
        const char *name;
        bool configured;
        KeyEvent event;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"key down", true, {kJ, true, false, 0, "j"}, {"play", "key down", "played"}},
        {"key up with an up take", true, {kJ, false, false, 0, ""}, {"play", "key up"}},
        {"repeat", true, {kJ, true, true, 0, "j"}, {"key down"}},
        {"hotkey", true, {kK, true, false, kControl | kOption, ""}, {"key down", "hotkey"}},
        {"before any configuration", false, {kJ, true, false, 0, "j"}, {"key down"}},
    };
    for (const Case &c : cases) {
        logged.setConfig(c.configured ? playing() : RuntimeConfig{});
        log.clear();
        logged.handle(c.event);
        EXPECT_EQ(log, c.expected) << c.name;
    }
}

} // namespace
} // namespace tc
