// The two-pass pack reader reads exactly what decodePack reads, and fails where it fails with its message.

#include "model/PackStream.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tc {
namespace {

// What a reader made of a text: the pack with its audio, or the error's message.
struct Reading {
    std::optional<TapchimePack> pack;
    std::string error;
};

Reading withDecodePack(const std::string &text, std::size_t maxBytes) {
    try {
        return {decodePack(text, maxBytes), {}};
    } catch (const DecodeError &error) {
        return {std::nullopt, error.what()};
    }
}

Reading withTwoPasses(const std::string &text, std::size_t maxBytes) {
    try {
        std::istringstream first(text);
        PackOutline outline = readPackOutline(first, maxBytes);
        for (const auto &sound : outline.pack.sounds) {
            EXPECT_TRUE(sound.data.empty()) << "the first pass keeps no audio";
        }
        std::istringstream second(text);
        std::vector<std::size_t> order;
        std::vector<std::uint8_t> bytes;
        PackSoundSink sink;
        sink.begin = [&](std::size_t) { bytes.clear(); };
        sink.write = [&](const std::uint8_t *data, std::size_t size) { bytes.insert(bytes.end(), data, data + size); };
        sink.end = [&](std::size_t index) {
            order.push_back(index);
            outline.pack.sounds.at(index).data = bytes;
        };
        readPackSounds(
            second, outline, [](std::size_t) { return true; }, sink, maxBytes);
        for (std::size_t i = 1; i < order.size(); ++i) {
            EXPECT_LT(order[i - 1], order[i]) << "each sound once, in pack order";
        }
        return {std::move(outline.pack), {}};
    } catch (const DecodeError &error) {
        return {std::nullopt, error.what()};
    }
}

std::string sound(const std::string &id, const std::string &data) {
    return R"({"item": {"id": ")" + id + R"(", "name": "x", "category": "mine", "duration": 0.1}, "data": ")" + data +
           R"("})";
}

std::string pack(const std::string &sounds, const std::string &extra = "") {
    return R"({"version": 1, "profile": {"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "P", "color": "red",
               "baseSoundID": "none", "keys": {}}, "sounds": [)" +
           sounds + "]" + extra + "}";
}

TEST(PackStream, ReadsWhatDecodePackReadsAndFailsWhereItFails) {
    std::string corpus;
    {
        std::ifstream in(std::string(TAPCHIME_SOURCE_DIR) + "/tests/fuzz/corpus/pack/two.tapchime", std::ios::binary);
        corpus.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_FALSE(corpus.empty());
    struct Case {
        const char *name;
        std::string text;
        std::size_t maxBytes = TapchimePack::kMaxSoundBytes;
        bool ownMessage = false; // JSON that is not valid inside a sound's data: refused, in words of its own
    };
    const Case cases[] = {
        {"an exported pack", corpus},
        {"two sounds", pack(sound("a", "AAEC") + "," + sound("b", "/w=="))},
        {"no sounds", pack("")},
        {"a later data wins", pack(R"({"data": "AAEC", "item": {"id": "a", "name": "x", "category": "mine",
                                     "duration": 0.1}, "data": "/w=="})")},
        {"a later sounds member wins", pack(sound("a", "AAEC"), R"(, "sounds": [)" + sound("b", "/w==") + "]")},
        {"data elsewhere is no audio", pack(sound("a", "AAEC"), R"(, "extra": {"data": "not base64!"})")},
        {"escaped characters", pack(sound("a", "\\/w\\u003d\\u003D") + "," + sound("b", "AA\\u00e9="))},
        {"a broken escape", pack(sound("a", "AA\\q=")), TapchimePack::kMaxSoundBytes, true},
        {"a control character", pack(sound("a", "AA\n=")), TapchimePack::kMaxSoundBytes, true},
        {"the text ends in the data", pack(sound("a", "AAEC")).substr(0, pack(sound("a", "AAEC")).find("AAEC") + 2),
         TapchimePack::kMaxSoundBytes, true},
        {"not base64", pack(sound("a", "AAE"))},
        {"a group of padding", pack(sound("a", "===="))},
        {"padding in the middle", pack(sound("a", "AA==AAAA"))},
        {"a stray bit", pack(sound("a", "AAF="))},
        {"data of another type", pack(R"({"item": {"id": "a", "name": "x", "category": "mine", "duration": 0.1},
                                        "data": 12})")},
        {"a sound too large", pack(sound("a", "AAECAwQF")), 5},
        {"not JSON", "{\"version\": 1,"},
        {"trailing text", pack("") + " x"},
        {"not a pack", "[1, 2, 3]"},
        {"empty", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Reading expected = withDecodePack(c.text, c.maxBytes);
        const Reading streamed = withTwoPasses(c.text, c.maxBytes);
        if (c.ownMessage) {
            EXPECT_FALSE(expected.error.empty());
            EXPECT_EQ(streamed.error.rfind("sounds[0].data: ", 0), 0u) << streamed.error;
        } else {
            EXPECT_EQ(streamed.error, expected.error);
        }
        EXPECT_EQ(streamed.pack, expected.pack);
    }
}

// Only the sounds asked for are decoded and handed over.
TEST(PackStream, HandsOverOnlyTheWantedSounds) {
    const std::string text = pack(sound("a", "AAEC") + "," + sound("b", "/w==") + "," + sound("c", "AA=="));
    std::istringstream first(text);
    const PackOutline outline = readPackOutline(first);
    std::istringstream second(text);
    std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> handed;
    PackSoundSink sink;
    sink.begin = [&](std::size_t index) { handed.emplace_back(index, std::vector<std::uint8_t>()); };
    sink.write = [&](const std::uint8_t *data, std::size_t size) {
        handed.back().second.insert(handed.back().second.end(), data, data + size);
    };
    sink.end = [](std::size_t) {};
    readPackSounds(
        second, outline, [](std::size_t index) { return index != 1; }, sink);
    const std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> expected = {{0, {0, 1, 2}}, {2, {0}}};
    EXPECT_EQ(handed, expected);
}

} // namespace
} // namespace tc
