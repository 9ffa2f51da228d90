#include "model/TapchimePack.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace tc {
namespace {

using nlohmann::json;

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

TapchimePack samplePack() {
    TapchimePack pack;
    pack.profile.id = *Uuid::parse("6F1C2A3B-4D5E-4F60-8172-839A4B5C6D7E");
    pack.profile.name = "Späße/Pack";
    pack.profile.color = ProfileColor::blue;
    pack.profile.baseSoundID = "user.11111111-2222-4333-8444-555555555555";
    pack.profile.keys["49"] = KeyAssignment{"synth.boom", 0.5, 0.0, true, false, true};
    pack.profile.keys["0"] = KeyAssignment{"user.11111111-2222-4333-8444-555555555555", 1.0, 0.06, false, true, false};
    pack.sounds.push_back({SoundItem{"user.11111111-2222-4333-8444-555555555555", "Clap", SoundCategory::mine,
                                     std::string("user.11111111-2222-4333-8444-555555555555.wav"), 0.25},
                           {0xFF, 0xFE, 0xFD, 0x00, 0x01}}); // base64 "//79AAE="
    return pack;
}

TEST(Base64, EncodesAndDecodesTheStandardAlphabet) {
    const std::pair<std::string_view, std::string_view> cases[] = {{"", ""},
                                                                   {"f", "Zg=="},
                                                                   {"fo", "Zm8="},
                                                                   {"foo", "Zm9v"},
                                                                   {"foob", "Zm9vYg=="},
                                                                   {"fooba", "Zm9vYmE="},
                                                                   {"foobar", "Zm9vYmFy"},
                                                                   {"\xff\xfe\xfd", "//79"},
                                                                   {"\xfb\xff", "+/8="}};
    for (const auto &[plain, encoded] : cases) {
        SCOPED_TRACE(encoded);
        EXPECT_EQ(base64::encode(bytesOf(plain)), encoded);
        EXPECT_EQ(base64::decode(encoded), bytesOf(plain));
        EXPECT_EQ(base64::decodedSize(encoded), plain.size());
    }
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i) {
        all[i] = static_cast<std::uint8_t>(i);
    }
    EXPECT_EQ(base64::decode(base64::encode(all)), all);
}

TEST(Base64, RejectsAnythingButStrictText) {
    for (const char *bad : {"Zg", "Zg=", "Zm9", "Zg\n==", "Zm9v\n", "Zm9v ", " Zm9v", "Z===", "====", "=m9v", "Zm=v",
                            "Zg==Zg==", "Zm9v====", "Zm-v", "Zm_v", "Zh==", "Zm9="}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(base64::decode(bad).has_value());
    }
}

TEST(TapchimePackFile, WritesSortedPrettyJsonWithEscapedSlashes) {
    const std::string text = encodePack(samplePack());
    // Pretty-printed, "/" escaped everywhere, no raw slash left.
    EXPECT_NE(text.find('\n'), std::string::npos);
    EXPECT_NE(text.find("\"data\": \"\\/\\/79AAE=\""), std::string::npos) << text;
    EXPECT_NE(text.find("Späße\\/Pack"), std::string::npos);
    for (std::size_t i = text.find('/'); i != std::string::npos; i = text.find('/', i + 1)) {
        ASSERT_GT(i, 0u);
        EXPECT_EQ(text[i - 1], '\\') << "unescaped slash at " << i;
    }
    // Members sorted by name at every level.
    EXPECT_LT(text.find("\"profile\""), text.find("\"sounds\""));
    EXPECT_LT(text.find("\"sounds\""), text.find("\"version\": 1"));
    EXPECT_LT(text.find("\"baseSoundID\""), text.find("\"color\""));
    EXPECT_LT(text.find("\"data\""), text.find("\"item\""));
    EXPECT_LT(text.find("\"category\""), text.find("\"duration\""));
    EXPECT_LT(text.find("\"duration\""), text.find("\"fileName\""));
    // And it reads back to the same pack.
    EXPECT_EQ(decodePack(text), samplePack());
}

TEST(TapchimePackFile, ReadsAnyLayoutAndAnyIntegerVersion) {
    json document = toJson(samplePack());
    document["version"] = 7;
    document["extra"] = "ignored";
    const TapchimePack seven = decodePack(document.dump());
    EXPECT_EQ(seven.version, 7);
    EXPECT_EQ(seven.profile, samplePack().profile);
    EXPECT_EQ(seven.sounds, samplePack().sounds);

    document["version"] = -3;
    EXPECT_EQ(decodePack(document.dump()).version, -3);
    document["version"] = 2.0;
    EXPECT_EQ(decodePack(document.dump()).version, 2);

    document["sounds"] = json::array();
    EXPECT_TRUE(decodePack(document.dump(4)).sounds.empty());
}

TEST(TapchimePackFile, RejectsWhatIsNotAPack) {
    const json valid = toJson(samplePack());
    struct Case {
        const char *name;
        std::function<void(json &)> breakIt;
    };
    const Case cases[] = {
        {"no version", [](json &d) { d.erase("version"); }},
        {"null version", [](json &d) { d["version"] = nullptr; }},
        {"version text", [](json &d) { d["version"] = "1"; }},
        {"version fraction", [](json &d) { d["version"] = 1.5; }},
        {"no profile", [](json &d) { d.erase("profile"); }},
        {"no sounds", [](json &d) { d.erase("sounds"); }},
        {"sounds not a list", [](json &d) { d["sounds"] = json::object(); }},
        {"sound without data", [](json &d) { d["sounds"][0].erase("data"); }},
        {"sound without item", [](json &d) { d["sounds"][0].erase("item"); }},
        {"data with line break", [](json &d) { d["sounds"][0]["data"] = "//79\nAAE="; }},
        {"data not base64", [](json &d) { d["sounds"][0]["data"] = "not base64!"; }},
        {"data a number", [](json &d) { d["sounds"][0]["data"] = 12; }},
        {"item with bad category", [](json &d) { d["sounds"][0]["item"]["category"] = "loud"; }},
        {"profile with bad id", [](json &d) { d["profile"]["id"] = "nope"; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        json document = valid;
        c.breakIt(document);
        EXPECT_THROW(decodePack(document.dump()), DecodeError);
    }
    EXPECT_THROW(decodePack("not json"), DecodeError);
    EXPECT_THROW(decodePack("[]"), DecodeError);
    EXPECT_THROW(decodePack(""), DecodeError);
}

TEST(TapchimePackFile, BoundsEachSoundsData) {
    TapchimePack pack = samplePack();
    pack.sounds[0].data.assign(1000, 7);
    const std::string text = encodePack(pack);
    EXPECT_EQ(decodePack(text, 1000).sounds[0].data.size(), 1000u);
    try {
        decodePack(text, 999);
        ADD_FAILURE() << "a sound over the limit was read";
    } catch (const DecodeError &error) {
        EXPECT_EQ(error.path(), "sounds[0].data");
    }
}

} // namespace
} // namespace tc
