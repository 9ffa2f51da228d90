#include "model/Json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>

namespace tc {
namespace {

using nlohmann::json;

const char *const kProfileID = "6F1C2A3B-4D5E-4F60-8172-839A4B5C6D7E";

// A small valid document touching every record; the malformed cases each break one member of it.
json validDocument() {
    return json::parse(R"({
        "profiles": [{"id": "6F1C2A3B-4D5E-4F60-8172-839A4B5C6D7E", "name": "Default", "color": "white",
                      "baseSoundID": "synth.cream", "keys": {"49": {"soundID": "synth.boom", "volume": 0.5}}}],
        "activeProfileID": "6F1C2A3B-4D5E-4F60-8172-839A4B5C6D7E",
        "triggers": [
            {"id": "11111111-2222-4333-8444-555555555555", "kind": {"shortcut": {"keyCode": 3, "modifiers": 1179648}},
             "soundID": "synth.pop", "appBundleIDs": [], "enabled": true},
            {"id": "21111111-2222-4333-8444-555555555555", "kind": {"word": {"_0": "hello"}},
             "soundID": "synth.tada", "appBundleIDs": ["firefox"], "enabled": false}],
        "appRules": [{"bundleID": "Zoom", "appName": "Zoom"}],
        "userSounds": [{"id": "user.31111111-2222-4333-8444-555555555555", "name": "Clap", "category": "mine",
                        "fileName": "clap.m4a", "duration": 0.5}],
        "settings": {}
    })");
}

AppData decode(const json &document) {
    return decodeAppData(document.dump());
}

// Every field of every record set away from its default, each named, so a field added to a record has to be
// added here (EveryRecordFieldIsSetAwayFromItsDefault stops compiling until it is).
AppData fullDocument() {
    const Uuid first = Uuid::random();
    const Uuid second = Uuid::random();
    const Profile profile{
        .id = first,
        .name = "Späße ✓",
        .color = ProfileColor::green,
        .baseSoundID = "synth.blue",
        .keys = {{"49", KeyAssignment{.soundID = "rec.wow",
                                      .volume = 0.25,
                                      .pitchVariation = 0.125,
                                      .randomInCategory = true,
                                      .layerBase = true,
                                      .playOnKeyUp = true}},
                 {"not a code", KeyAssignment{.soundID = "synth.pop",
                                              .volume = 0.0,
                                              .pitchVariation = 0.0,
                                              .randomInCategory = false,
                                              .layerBase = true,
                                              .playOnKeyUp = false}}},
    };
    const Profile other{.id = second,
                        .name = profile.name,
                        .color = ProfileColor::black,
                        .baseSoundID = profile.baseSoundID,
                        .keys = {}};
    return AppData{
        .profiles = {profile, other},
        .activeProfileID = second,
        .triggers = {Trigger{.id = Uuid::random(),
                             .kind = Trigger::Kind::shortcut(65535, std::numeric_limits<std::uint64_t>::max()),
                             .soundID = "rec.aww",
                             .appBundleIDs = {"firefox", "org.gnome.Terminal"},
                             .enabled = false},
                     Trigger{.id = Uuid::random(),
                             .kind = Trigger::Kind::word("gg"),
                             .soundID = "synth.tada",
                             .appBundleIDs = {},
                             .enabled = true}},
        .appRules = {AppRule{.bundleID = "Zoom", .appName = "Zoom Meetings", .profileID = first},
                     AppRule{.bundleID = "org.gnome.Calls", .appName = "Calls", .profileID = std::nullopt}},
        .userSounds = {SoundItem{.id = "user.A",
                                 .name = "Clap",
                                 .category = SoundCategory::everyday,
                                 .fileName = "clap.m4a",
                                 .duration = 1.75}},
        .settings = AppSettings{.enabled = false,
                                .masterVolume = 0.3,
                                .lowLatency = false,
                                .maxVoices = 5'000'000'000, // beyond 32 bits: kept as it was stored
                                .muteWhenMicInUse = false,
                                .muteInSecureInput = false,
                                .quietHoursEnabled = true,
                                .quietStartMinutes = std::numeric_limits<std::int64_t>::min(),
                                .quietEndMinutes = 62,
                                .outputDeviceUID = "alsa_output.usb",
                                .hasCompletedOnboarding = true,
                                .coachStep = std::numeric_limits<std::int64_t>::max(),
                                .coachDismissed = true,
                                .stereoSpread = false,
                                .seededPacks = {"mixed-packs-1.0.3"},
                                .tipsSeen = {"apps", "sounds"}},
    };
}

TEST(Json, EveryRecordFieldIsSetAwayFromItsDefault) {
    // Each binding names every field of its record: a record that gains one no longer compiles here, which
    // leads to fullDocument() (the compiler does not warn about a designated initializer that leaves out a
    // field with a default).
    const AppData data = fullDocument();
    const AppData none;
    const auto &[profiles, activeProfileID, triggers, appRules, userSounds, settings] = data;
    EXPECT_NE(profiles, none.profiles);
    EXPECT_NE(activeProfileID, none.activeProfileID);
    EXPECT_NE(triggers, none.triggers);
    EXPECT_NE(appRules, none.appRules);
    EXPECT_NE(userSounds, none.userSounds);

    const Profile blankProfile;
    const auto &[id, name, color, baseSoundID, keys] = profiles[0];
    EXPECT_NE(id, blankProfile.id);
    EXPECT_NE(name, blankProfile.name);
    EXPECT_NE(color, blankProfile.color);
    EXPECT_NE(baseSoundID, blankProfile.baseSoundID);
    EXPECT_NE(keys, blankProfile.keys);

    const KeyAssignment blankKey;
    const auto &[soundID, volume, pitchVariation, randomInCategory, layerBase, playOnKeyUp] = keys.at("49");
    EXPECT_NE(soundID, blankKey.soundID);
    EXPECT_NE(volume, blankKey.volume);
    EXPECT_NE(pitchVariation, blankKey.pitchVariation);
    EXPECT_NE(randomInCategory, blankKey.randomInCategory);
    EXPECT_NE(layerBase, blankKey.layerBase);
    EXPECT_NE(playOnKeyUp, blankKey.playOnKeyUp);

    const Trigger blankTrigger;
    const auto &[triggerID, kind, triggerSound, appBundleIDs, enabled] = triggers[0];
    EXPECT_NE(triggerID, blankTrigger.id);
    EXPECT_NE(kind, blankTrigger.kind);
    EXPECT_NE(triggerSound, blankTrigger.soundID);
    EXPECT_NE(appBundleIDs, blankTrigger.appBundleIDs);
    EXPECT_NE(enabled, blankTrigger.enabled);

    const AppRule blankRule;
    const auto &[bundleID, appName, profileID] = appRules[0];
    EXPECT_NE(bundleID, blankRule.bundleID);
    EXPECT_NE(appName, blankRule.appName);
    EXPECT_NE(profileID, blankRule.profileID);

    const SoundItem blankItem;
    const auto &[itemID, itemName, category, fileName, duration] = userSounds[0];
    EXPECT_NE(itemID, blankItem.id);
    EXPECT_NE(itemName, blankItem.name);
    EXPECT_NE(category, blankItem.category);
    EXPECT_NE(fileName, blankItem.fileName);
    EXPECT_NE(duration, blankItem.duration);

    const AppSettings defaults;
    const auto &[settingsEnabled, masterVolume, lowLatency, maxVoices, muteWhenMicInUse, muteInSecureInput,
                 quietHoursEnabled, quietStartMinutes, quietEndMinutes, outputDeviceUID, hasCompletedOnboarding,
                 coachStep, coachDismissed, stereoSpread, seededPacks, tipsSeen] = settings;
    EXPECT_NE(settingsEnabled, defaults.enabled);
    EXPECT_NE(masterVolume, defaults.masterVolume);
    EXPECT_NE(lowLatency, defaults.lowLatency);
    EXPECT_NE(maxVoices, defaults.maxVoices);
    EXPECT_NE(muteWhenMicInUse, defaults.muteWhenMicInUse);
    EXPECT_NE(muteInSecureInput, defaults.muteInSecureInput);
    EXPECT_NE(quietHoursEnabled, defaults.quietHoursEnabled);
    EXPECT_NE(quietStartMinutes, defaults.quietStartMinutes);
    EXPECT_NE(quietEndMinutes, defaults.quietEndMinutes);
    EXPECT_NE(outputDeviceUID, defaults.outputDeviceUID);
    EXPECT_NE(hasCompletedOnboarding, defaults.hasCompletedOnboarding);
    EXPECT_NE(coachStep, defaults.coachStep);
    EXPECT_NE(coachDismissed, defaults.coachDismissed);
    EXPECT_NE(stereoSpread, defaults.stereoSpread);
    EXPECT_NE(seededPacks, defaults.seededPacks);
    EXPECT_NE(tipsSeen, defaults.tipsSeen);
}

TEST(Json, EveryFieldSurvivesARoundTrip) {
    const AppData data = fullDocument();
    EXPECT_EQ(decodeAppData(encodeAppData(data, false)), data);
    EXPECT_EQ(decodeAppData(encodeAppData(data, true)), data);
    // Integers wider than 32 bits are written as the integers they are.
    const json written = json::parse(encodeAppData(data, false));
    EXPECT_EQ(written["settings"]["maxVoices"], 5'000'000'000);
    EXPECT_EQ(written["settings"]["coachStep"], std::numeric_limits<std::int64_t>::max());
}

TEST(Json, WritesTheDocumentedShapes) {
    const json kinds = toJson(Trigger::Kind::shortcut(3, 0x20000 | 0x100000));
    EXPECT_EQ(kinds, json::parse(R"({"shortcut": {"keyCode": 3, "modifiers": 1179648}})"));
    EXPECT_EQ(toJson(Trigger::Kind::word("hi")), json::parse(R"({"word": {"_0": "hi"}})"));

    // Defaults of the settings, written out member by member; the absent device is left out.
    EXPECT_EQ(toJson(AppSettings{}), json::parse(R"({
        "enabled": true, "masterVolume": 0.8, "lowLatency": true, "maxVoices": 12, "muteWhenMicInUse": true,
        "muteInSecureInput": true, "quietHoursEnabled": false, "quietStartMinutes": 1380, "quietEndMinutes": 480,
        "hasCompletedOnboarding": false, "coachStep": 1, "coachDismissed": false, "stereoSpread": true,
        "seededPacks": [], "tipsSeen": []})"));

    // A key assignment always writes all six members.
    EXPECT_EQ(toJson(KeyAssignment{.soundID = "x"}).size(), 6u);
}

TEST(Json, AbsentOptionalsAreLeftOutNeverNull) {
    AppData data = fullDocument();
    data.appRules[0].profileID.reset();
    data.userSounds[0].fileName.reset();
    data.settings.outputDeviceUID.reset();
    const json written = json::parse(encodeAppData(data, false));
    EXPECT_FALSE(written["appRules"][0].contains("profileID"));
    EXPECT_FALSE(written["userSounds"][0].contains("fileName"));
    EXPECT_FALSE(written["settings"].contains("outputDeviceUID"));

    std::function<void(const json &)> expectNoNull = [&](const json &value) {
        EXPECT_FALSE(value.is_null());
        if (value.is_structured()) {
            for (const auto &child : value) {
                expectNoNull(child);
            }
        }
    };
    expectNoNull(written);
    EXPECT_EQ(decodeAppData(written.dump()), data);
}

TEST(Json, UuidsAreWrittenUpperCase) {
    json document = validDocument();
    document["activeProfileID"] = "6f1c2a3b-4d5e-4f60-8172-839a4b5c6d7e";
    const json written = toJson(decode(document));
    EXPECT_EQ(written["activeProfileID"], kProfileID);
}

TEST(Json, MissingOrNullMembersTakeTheirDefaults) {
    const KeyAssignment onlySound = fromJson<KeyAssignment>(json::parse(R"({"soundID": "a"})"));
    EXPECT_EQ(onlySound, (KeyAssignment{"a", 1.0, 0.06, false, false, false}));
    const KeyAssignment withVolume = fromJson<KeyAssignment>(json::parse(R"({"soundID": "a", "volume": 0.4})"));
    EXPECT_EQ(withVolume, (KeyAssignment{"a", 0.4, 0.06, false, false, false}));
    const KeyAssignment allNull = fromJson<KeyAssignment>(json::parse(
        R"({"soundID": "a", "volume": null, "pitchVariation": null, "randomInCategory": null, "layerBase": null,
            "playOnKeyUp": null})"));
    EXPECT_EQ(allNull, (KeyAssignment{"a", 1.0, 0.06, false, false, false}));

    EXPECT_EQ(fromJson<AppSettings>(json::object()), AppSettings{});
    AppSettings expected;
    expected.masterVolume = 0.5;
    EXPECT_EQ(fromJson<AppSettings>(json::parse(R"({"masterVolume": 0.5})")), expected);
    json allNullSettings = toJson(AppSettings{});
    for (auto &member : allNullSettings) {
        member = nullptr;
    }
    allNullSettings["outputDeviceUID"] = nullptr;
    EXPECT_EQ(fromJson<AppSettings>(allNullSettings), AppSettings{});
}

TEST(Json, AcceptsTheLenientButValidForms) {
    struct Case {
        const char *name;
        const char *pointer;
        json value;
        std::function<void(const AppData &)> check;
    };
    const std::vector<Case> cases = {
        {"lower-case UUID", "/profiles/0/id", "6f1c2a3b-4d5e-4f60-8172-839a4b5c6d7e",
         [](const AppData &d) { EXPECT_EQ(d.profiles[0].id.toString(), kProfileID); }},
        {"integral float for an integer", "/triggers/0/kind/shortcut/keyCode", 12.0,
         [](const AppData &d) { EXPECT_EQ(d.triggers[0].kind.asShortcut()->keyCode, 12); }},
        {"largest key code", "/triggers/0/kind/shortcut/keyCode", 65535,
         [](const AppData &d) { EXPECT_EQ(d.triggers[0].kind.asShortcut()->keyCode, 65535); }},
        {"largest modifiers", "/triggers/0/kind/shortcut/modifiers", std::numeric_limits<std::uint64_t>::max(),
         [](const AppData &d) {
             EXPECT_EQ(d.triggers[0].kind.asShortcut()->modifiers, std::numeric_limits<std::uint64_t>::max());
         }},
        {"integer for a double", "/userSounds/0/duration", 2,
         [](const AppData &d) { EXPECT_EQ(d.userSounds[0].duration, 2.0); }},
        {"word kind with another member", "/triggers/1/kind", json::parse(R"({"word": {"_0": "hey"}, "extra": 1})"),
         [](const AppData &d) { EXPECT_EQ(d.triggers[1].kind, Trigger::Kind::word("hey")); }},
        {"unknown member", "/profiles/0/unknown", json::array({1, 2}),
         [](const AppData &d) { EXPECT_EQ(d.profiles[0].name, "Default"); }},
        {"null optional file name", "/userSounds/0/fileName", nullptr,
         [](const AppData &d) { EXPECT_FALSE(d.userSounds[0].fileName); }},
        {"null optional profile id", "/appRules/0/profileID", nullptr,
         [](const AppData &d) { EXPECT_FALSE(d.appRules[0].profileID); }},
        {"key map name that is no code", "/profiles/0/keys/049", json{{"soundID", "x"}},
         [](const AppData &d) { EXPECT_EQ(d.profiles[0].keys.count("049"), 1u); }},
        {"active id naming no profile", "/activeProfileID", "00000000-0000-0000-0000-000000000000",
         [](const AppData &d) { EXPECT_EQ(d.activeProfile().name, "Default"); }},
        // Int fields are 64-bit: the values are kept as stored, and each use brings them into its range.
        {"voice count beyond 32 bits", "/settings/maxVoices", 5'000'000'000LL,
         [](const AppData &d) {
             EXPECT_EQ(d.settings.maxVoices, 5'000'000'000LL);
             EXPECT_EQ(d.profiles[0].name, "Default"); // and the rest of the document with it
         }},
        {"voice count as a float", "/settings/maxVoices", 5e9,
         [](const AppData &d) { EXPECT_EQ(d.settings.maxVoices, 5'000'000'000LL); }},
        {"smallest quiet minute", "/settings/quietStartMinutes", std::numeric_limits<std::int64_t>::min(),
         [](const AppData &d) { EXPECT_EQ(d.settings.quietStartMinutes, std::numeric_limits<std::int64_t>::min()); }},
        {"largest coach step", "/settings/coachStep", std::numeric_limits<std::int64_t>::max(),
         [](const AppData &d) { EXPECT_EQ(d.settings.coachStep, std::numeric_limits<std::int64_t>::max()); }},
        {"master volume beyond one", "/settings/masterVolume", 7.5,
         [](const AppData &d) { EXPECT_EQ(d.settings.masterVolume, 7.5); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        json document = validDocument();
        document[json::json_pointer(c.pointer)] = c.value;
        c.check(decode(document));
    }
}

TEST(Json, RejectsAWholeDocumentForAnyBadMember) {
    struct Case {
        const char *pointer;
        std::optional<json> value; // nullopt removes the member
        const char *path;          // where the error must point
    };
    const json badUnsigned = 18446744073709551616.0; // 2^64, one past the largest modifiers
    const std::vector<Case> cases = {
        {"/triggers/0/kind/shortcut/keyCode", 70000, "triggers[0].kind.shortcut.keyCode"},
        {"/triggers/0/kind/shortcut/keyCode", -1, "triggers[0].kind.shortcut.keyCode"},
        {"/triggers/0/kind/shortcut/keyCode", 1.5, "triggers[0].kind.shortcut.keyCode"},
        {"/triggers/0/kind/shortcut/keyCode", "3", "triggers[0].kind.shortcut.keyCode"},
        {"/triggers/0/kind/shortcut/keyCode", std::nullopt, "triggers[0].kind.shortcut.keyCode"},
        {"/triggers/0/kind/shortcut/modifiers", -1, "triggers[0].kind.shortcut.modifiers"},
        {"/triggers/0/kind/shortcut/modifiers", badUnsigned, "triggers[0].kind.shortcut.modifiers"},
        {"/triggers/0/kind/shortcut", nullptr, "triggers[0].kind.shortcut"},
        {"/triggers/1/kind/word/_0", std::nullopt, "triggers[1].kind.word._0"},
        {"/triggers/1/kind/word", "hello", "triggers[1].kind.word"},
        {"/triggers/0/appBundleIDs", nullptr, "triggers[0].appBundleIDs"},
        {"/triggers/1/appBundleIDs/0", 5, "triggers[1].appBundleIDs[0]"},
        {"/triggers/0/enabled", "true", "triggers[0].enabled"},
        {"/triggers/0/id", "not-a-uuid", "triggers[0].id"},
        {"/settings/maxVoices", "12", "settings.maxVoices"},
        {"/settings/maxVoices", 9223372036854775808ULL, "settings.maxVoices"}, // one past the largest Int
        {"/settings/quietEndMinutes", 1e19, "settings.quietEndMinutes"},
        {"/settings/coachStep", 1.5, "settings.coachStep"},
        {"/settings/enabled", 1, "settings.enabled"},
        {"/settings/masterVolume", "loud", "settings.masterVolume"},
        {"/settings/outputDeviceUID", 3, "settings.outputDeviceUID"},
        {"/settings/seededPacks", json::array({1}), "settings.seededPacks[0]"},
        {"/settings/tipsSeen", "apps", "settings.tipsSeen"},
        {"/settings", std::nullopt, "settings"},
        {"/settings", nullptr, "settings"},
        {"/settings", json::array(), "settings"},
        {"/userSounds/0/category", "noises", "userSounds[0].category"},
        {"/userSounds/0/category", "Mine", "userSounds[0].category"},
        {"/userSounds/0/duration", std::nullopt, "userSounds[0].duration"},
        {"/userSounds/0/fileName", 7, "userSounds[0].fileName"},
        {"/profiles/0/color", "purple", "profiles[0].color"},
        {"/profiles/0/color", "White", "profiles[0].color"},
        {"/profiles/0/id", "{6F1C2A3B-4D5E-4F60-8172-839A4B5C6D}", "profiles[0].id"},
        {"/profiles/0/id", 42, "profiles[0].id"},
        {"/profiles/0/name", std::nullopt, "profiles[0].name"},
        {"/profiles/0/name", nullptr, "profiles[0].name"},
        {"/profiles/0/keys", json::array(), "profiles[0].keys"},
        {"/profiles/0/keys/49/soundID", std::nullopt, "profiles[0].keys.49.soundID"},
        {"/profiles/0/keys/49/volume", true, "profiles[0].keys.49.volume"},
        {"/profiles/0/keys/49/playOnKeyUp", 0, "profiles[0].keys.49.playOnKeyUp"},
        {"/profiles/0", "Default", "profiles[0]"},
        {"/profiles", json::object(), "profiles"},
        {"/activeProfileID", std::nullopt, "activeProfileID"},
        {"/appRules/0/profileID", "123", "appRules[0].profileID"},
        {"/appRules/0/appName", std::nullopt, "appRules[0].appName"},
        {"/triggers", std::nullopt, "triggers"},
        {"/userSounds", nullptr, "userSounds"},
    };
    for (const auto &c : cases) {
        json document = validDocument();
        const json::json_pointer pointer(c.pointer);
        if (c.value) {
            document[pointer] = *c.value;
        } else {
            document[pointer.parent_pointer()].erase(pointer.back());
        }
        try {
            decode(document);
            ADD_FAILURE() << c.pointer << " = " << (c.value ? c.value->dump() : "(removed)") << " was accepted";
        } catch (const DecodeError &error) {
            EXPECT_EQ(error.path(), c.path) << error.what();
            EXPECT_NE(std::string(error.what()).find(c.path), std::string::npos) << error.what();
        }
    }
}

TEST(Json, KindWithoutExactlyOneCaseFailsWithTheFixedMessage) {
    for (const char *kind : {R"({"shortcut": {"keyCode": 1, "modifiers": 0}, "word": {"_0": "x"}})", R"({})",
                             R"({"other": {"_0": "x"}})", R"({"shortcut": null, "word": {"_0": "x"}})"}) {
        json document = validDocument();
        document["triggers"][0]["kind"] = json::parse(kind);
        try {
            decode(document);
            ADD_FAILURE() << kind << " was accepted";
        } catch (const DecodeError &error) {
            EXPECT_STREQ(error.what(), "Invalid number of keys found, expected one.") << kind;
            EXPECT_EQ(error.path(), "triggers[0].kind");
        }
    }
}

TEST(Json, TextThatIsNotADocumentIsRejected) {
    for (const char *text : {"", "{", "[1, 2]", "null", "\"text\"", R"({"profiles": [}"})", "{\"a\": 1e400}"}) {
        EXPECT_THROW(decodeAppData(text), DecodeError) << text;
    }
}

TEST(Json, WritingANonFiniteNumberFails) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::function<void(AppData &)>> breakers = {
        [&](AppData &d) { d.profiles[0].keys["49"].volume = nan; },
        [&](AppData &d) { d.profiles[0].keys["49"].pitchVariation = -inf; },
        [&](AppData &d) { d.userSounds[0].duration = inf; },
        [&](AppData &d) { d.settings.masterVolume = nan; },
    };
    for (std::size_t i = 0; i < breakers.size(); ++i) {
        AppData data = fullDocument();
        breakers[i](data);
        EXPECT_THROW(encodeAppData(data, false), EncodeError) << "case " << i;
    }
}

TEST(Json, TextThatIsNotUtf8StillSaves) {
    AppData data = fullDocument();
    data.profiles[0].name = "bad \xff byte";
    const AppData back = decodeAppData(encodeAppData(data, false));
    EXPECT_EQ(back.profiles[0].name, "bad \xEF\xBF\xBD byte");
}

// The saved text is made a record at a time; it must be exactly the text of the whole document's JSON tree, member
// order, separators and escapes included, whatever the lists hold.
TEST(Json, CompactTextIsTheWholeTreeDumped) {
    const std::vector<std::pair<const char *, std::function<void(AppData &)>>> documents = {
        {"every field", [](AppData &) {}},
        {"empty lists",
         [](AppData &d) {
             d.profiles.clear();
             d.triggers.clear();
             d.appRules.clear();
             d.userSounds.clear();
         }},
        {"one record each",
         [](AppData &d) {
             d.profiles.resize(1);
             d.triggers.resize(1);
             d.appRules.resize(1);
             d.userSounds.resize(1);
         }},
        {"names to escape and bytes that are not UTF-8",
         [](AppData &d) {
             d.profiles[0].name = "quote \" backslash \\ tab \t newline \n nul " + std::string(1, '\0') + " end";
             d.appRules[0].appName = "bad \xff byte, caf\xc3\xa9, \xe2\x9c\x93";
             d.userSounds[0].name = std::string(5000, 'x');
             d.settings.outputDeviceUID = "\x01"
                                          "device";
         }},
    };
    for (const auto &[what, change] : documents) {
        AppData data = fullDocument();
        change(data);
        EXPECT_EQ(encodeAppData(data, false), dumpJson(toJson(data), false)) << what;
    }
}

} // namespace
} // namespace tc
