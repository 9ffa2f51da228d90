#include "engine/PackIO.h"
#include "model/KeyLayout.h"
#include "model/TapchimePack.h"
#include "support/FakeAudioDecoder.h"
#include "support/Rig.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <malloc.h>
#include <map>

namespace tc {
namespace {

using test::FakeAudioDecoder;
namespace fs = std::filesystem;

const std::string kClapID = "user.11111111-2222-4333-8444-555555555555";
const std::string kSnapID = "user.21111111-2222-4333-8444-555555555555";
const std::string kUnusedID = "user.31111111-2222-4333-8444-555555555555";
const std::string kMissingID = "user.41111111-2222-4333-8444-555555555555";

// The codes of the keyboard's keys, in layout order.
std::vector<std::uint16_t> keyboardCodes() {
    std::vector<std::uint16_t> codes;
    for (const KeyDef &key : KeyLayout::allKeys()) {
        if (key.code) {
            codes.push_back(*key.code);
        }
    }
    return codes;
}

// A packed sound's JSON: the catalogue entry under `id` and `data` as its bytes.
nlohmann::json packedSound(const std::string &id, const std::optional<std::string> &fileName, const std::string &data) {
    nlohmann::json item = {{"id", id}, {"name", "x"}, {"category", "mine"}, {"duration", 0.1}};
    if (fileName) {
        item["fileName"] = *fileName;
    }
    return {{"item", item}, {"data", base64::encode(std::vector<std::uint8_t>(data.begin(), data.end()))}};
}

// A pack's JSON with a profile whose base sound is `base` and whose keys are `keys` (key text to sound id).
nlohmann::json packDocument(const std::string &base, const std::map<std::string, std::string> &keys,
                            const nlohmann::json &sounds) {
    nlohmann::json keyMap = nlohmann::json::object();
    for (const auto &[key, soundID] : keys) {
        keyMap[key] = {{"soundID", soundID}};
    }
    return {{"version", 1},
            {"profile",
             {{"id", Uuid::random().toString()},
              {"name", "Evil"},
              {"color", "red"},
              {"baseSoundID", base},
              {"keys", keyMap}}},
            {"sounds", sounds}};
}

std::string userID(std::size_t n) {
    char text[64];
    std::snprintf(text, sizeof text, "user.%08zX-2222-4333-8444-555555555555", n);
    return text;
}

class PackIOTest : public ::testing::Test {
protected:
    PackIOTest() {
        test::writeText(library_.soundsFolder() / "clap.WAV", clapAudio_);
        test::writeText(library_.soundsFolder() / "snap", snapAudio_);
        test::writeText(library_.soundsFolder() / "unused.m4a", FakeAudioDecoder::tone(100, 0.2f));
        userSounds_ = {
            SoundItem{kUnusedID, "Unused", SoundCategory::mine, std::string("unused.m4a"), 0.1},
            SoundItem{kClapID, "Clap", SoundCategory::mine, std::string("clap.WAV"), 0.5},
            SoundItem{kSnapID, "Snap", SoundCategory::animals, std::string("snap"), 0.25},
            SoundItem{kMissingID, "Gone", SoundCategory::mine, std::string("gone.m4a"), 1.0},
        };
        profile_.id = Uuid::random();
        profile_.name = "Pack";
        profile_.color = ProfileColor::red;
        profile_.baseSoundID = kClapID;
        profile_.keys["0"] = KeyAssignment{kClapID, 0.5, 0.1, true, false, true};
        profile_.keys["1"] = KeyAssignment{kClapID, 1.0, 0.06, false, false, false};
        profile_.keys["2"] = KeyAssignment{kSnapID, 0.25, 0.0, false, true, false};
        profile_.keys["49"] = KeyAssignment{"synth.boom", 1.0, 0.06, false, false, false};
        profile_.keys["50"] = KeyAssignment{kMissingID, 1.0, 0.06, false, false, false};
    }

    fs::path packPath() const { return dir_.path() / "out" / "Pack.tapchime"; }

    TapchimePack exportAndRead() {
        fs::create_directories(packPath().parent_path());
        io_.exportPack(profile_, userSounds_, packPath());
        return decodePack(test::readText(packPath()));
    }

    std::string packFailure(const fs::path &path) {
        try {
            io_.importPack(path, {});
        } catch (const PackError &error) {
            EXPECT_STREQ(error.what(), "This .tapchime file couldn't be read.");
            return error.detail();
        }
        return "imported";
    }

    fs::path writePack(const nlohmann::json &document) {
        const fs::path path = dir_.path() / "in" / "pack.tapchime";
        test::writeText(path, document.dump());
        return path;
    }

    test::TempDir dir_;
    std::shared_ptr<FakeAudioDecoder> decoder_ = std::make_shared<FakeAudioDecoder>();
    SoundLibrary library_{decoder_, dir_.path() / "Sounds", dir_.path() / "resources"};
    PackIO io_{library_};
    std::string clapAudio_ = FakeAudioDecoder::tone(4800, 0.5f);
    std::string snapAudio_ = FakeAudioDecoder::tone(960, 0.25f);
    std::vector<SoundItem> userSounds_;
    Profile profile_;
};

TEST_F(PackIOTest, ExportPacksTheUsedUserSoundsOnce) {
    testing::internal::CaptureStderr();
    const TapchimePack pack = exportAndRead();
    const std::string log = testing::internal::GetCapturedStderr();

    EXPECT_EQ(pack.version, 1);
    EXPECT_EQ(pack.profile, profile_);
    ASSERT_EQ(pack.sounds.size(), 2u); // the unused one and the one whose file is gone are left out
    EXPECT_EQ(pack.sounds[0].item, userSounds_[1]);
    EXPECT_EQ(pack.sounds[0].data, std::vector<std::uint8_t>(clapAudio_.begin(), clapAudio_.end()));
    EXPECT_EQ(pack.sounds[1].item, userSounds_[2]);

    // The missing file does not fail the export, but it is logged.
    EXPECT_EQ(log.rfind("Tapchime: ", 0), 0u) << log;
    EXPECT_NE(log.find("\"Gone\""), std::string::npos) << log;
    EXPECT_NE(log.find(kMissingID), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
}

TEST_F(PackIOTest, ExportOfBuiltinsOnlyHasNoSounds) {
    profile_.baseSoundID = "none";
    profile_.keys = {{"49", KeyAssignment{"synth.boom"}}, {"0", KeyAssignment{"rec.gong"}}};
    const TapchimePack pack = exportAndRead();
    EXPECT_TRUE(pack.sounds.empty());

    const auto imported = io_.importPack(packPath(), {});
    EXPECT_TRUE(imported.sounds.empty());
    EXPECT_EQ(imported.profile.keys, profile_.keys);
    EXPECT_EQ(imported.profile.baseSoundID, "none");
}

TEST_F(PackIOTest, ExportReplacesTheTargetAtomically) {
    fs::create_directories(packPath().parent_path());
    test::writeText(packPath(), "old pack");
    testing::internal::CaptureStderr();
    io_.exportPack(profile_, userSounds_, packPath());
    testing::internal::GetCapturedStderr();
    EXPECT_NO_THROW(decodePack(test::readText(packPath())));
    // Nothing but the pack is left in its folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(packPath().parent_path()), fs::directory_iterator()), 1);
    // A folder that does not exist fails the export and leaves nothing behind.
    EXPECT_THROW(io_.exportPack(profile_, {}, dir_.path() / "nowhere" / "x.tapchime"), fs::filesystem_error);
    EXPECT_FALSE(fs::exists(dir_.path() / "nowhere"));
}

TEST_F(PackIOTest, ImportInstallsNewSoundsAndRemapsTheProfile) {
    testing::internal::CaptureStderr();
    exportAndRead();
    testing::internal::GetCapturedStderr();

    const auto imported = io_.importPack(packPath(), {"Other"});

    ASSERT_EQ(imported.sounds.size(), 2u);
    const SoundItem &clap = imported.sounds[0];
    const SoundItem &snap = imported.sounds[1];
    for (const SoundItem &item : imported.sounds) {
        EXPECT_EQ(item.id.substr(0, 5), "user.");
        EXPECT_TRUE(Uuid::parse(item.id.substr(5)).has_value());
        EXPECT_NE(item.id, kClapID);
        EXPECT_NE(item.id, kSnapID);
        EXPECT_EQ(item.category, SoundCategory::mine); // whatever it was in the pack
        EXPECT_NE(library_.loaded(item.id), nullptr) << "loaded into the library";
    }
    EXPECT_EQ(clap.name, "Clap");
    EXPECT_EQ(clap.duration, 0.5);
    EXPECT_EQ(*clap.fileName, clap.id + ".WAV"); // the packed extension, case kept
    EXPECT_EQ(*snap.fileName, snap.id + ".m4a"); // no extension: m4a
    EXPECT_EQ(test::readText(library_.soundsFolder() / *clap.fileName), clapAudio_);
    EXPECT_EQ(test::readText(library_.soundsFolder() / *snap.fileName), snapAudio_);

    const Profile &profile = imported.profile;
    EXPECT_NE(profile.id, profile_.id);
    EXPECT_EQ(profile.name, "Pack");
    EXPECT_EQ(profile.color, ProfileColor::red);
    EXPECT_EQ(profile.baseSoundID, clap.id);
    EXPECT_EQ(profile.keys.at("0"), (KeyAssignment{clap.id, 0.5, 0.1, true, false, true}));
    EXPECT_EQ(profile.keys.at("1").soundID, clap.id);
    EXPECT_EQ(profile.keys.at("2"), (KeyAssignment{snap.id, 0.25, 0.0, false, true, false}));
    EXPECT_EQ(profile.keys.at("49").soundID, "synth.boom");
    EXPECT_EQ(profile.keys.at("50").soundID, kMissingID) << "a sound the exporter left out keeps its id";

    // Importing again gives an independent copy.
    const auto again = io_.importPack(packPath(), {"Pack"});
    EXPECT_EQ(again.profile.name, "Pack 2");
    EXPECT_NE(again.profile.id, profile.id);
    EXPECT_NE(again.sounds[0].id, clap.id);
    EXPECT_NE(again.sounds[0].fileName, clap.fileName);
}

TEST_F(PackIOTest, UniqueNamesCountUpExactly) {
    struct Case {
        std::set<std::string> existing;
        std::string expected;
    };
    const Case cases[] = {
        {{}, "Pack"},
        {{"pack"}, "Pack"}, // exact comparison
        {{"Pack"}, "Pack 2"},
        {{"Pack", "Pack 2"}, "Pack 3"},
        {{"Pack", "Pack 3"}, "Pack 2"},
        {{"Pack", "Pack 2", "Pack 3", "Pack 4"}, "Pack 5"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(PackIO::uniqueName("Pack", c.existing), c.expected);
    }
}

TEST_F(PackIOTest, PackedFileNamesCannotReachOutsideTheSoundsFolder) {
    struct Case {
        std::optional<std::string> fileName;
        std::string extension;
    };
    const Case cases[] = {
        {std::nullopt, "m4a"},   {"clap.WAV", "WAV"},
        {"clap.Opus", "Opus"},   {"x.flac", "flac"},
        {"x.caf", "caf"},        {"x.aif", "aif"},
        {"clap", "m4a"},         {"../../x", "m4a"},
        {"../../x.sh/", "m4a"},  {"a/b.WAV", "WAV"},
        {"/etc/passwd", "m4a"},  {"x.sh", "m4a"},
        {"x.EXE", "m4a"},        {"x.desktop", "m4a"},
        {"x.abcdefghij", "m4a"}, {"x." + std::string(5000, 'a'), "m4a"},
        {"x.w@v", "m4a"},        {"x.wav ", "m4a"},
        {"x.", "m4a"},           {".wav", "m4a"},
        {"x.m4a/..", "m4a"},     {"..\\..\\x.mp3", "mp3"},
        {"x.mp3\n", "m4a"},      {std::string("x.w\0v", 5), "m4a"},
        {"x.wäv", "m4a"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fileName.value_or("(none)"));
        EXPECT_EQ(PackIO::safeExtension(c.fileName), c.extension);
    }

    // End to end: a hostile pack writes only inside the sounds folder. Each sound plays on a key of its own.
    const auto codes = keyboardCodes();
    nlohmann::json sounds = nlohmann::json::array();
    std::map<std::string, std::string> keys;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        sounds.push_back(packedSound(userID(i), cases[i].fileName, "hi"));
        keys[std::to_string(codes[i])] = userID(i);
    }
    const fs::path pack = writePack(packDocument("none", keys, sounds));
    const auto before = std::distance(fs::recursive_directory_iterator(dir_.path()), {});
    const auto imported = io_.importPack(pack, {});
    ASSERT_EQ(imported.sounds.size(), std::size(cases));
    for (std::size_t i = 0; i < imported.sounds.size(); ++i) {
        const SoundItem &item = imported.sounds[i];
        EXPECT_EQ(*item.fileName, item.id + "." + cases[i].extension);
        EXPECT_EQ(test::readText(library_.soundsFolder() / *item.fileName), "hi");
    }
    // Exactly one new file per sound, all of them in the sounds folder.
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(dir_.path()), {}),
              before + static_cast<std::ptrdiff_t>(std::size(cases)));
}

TEST_F(PackIOTest, ImportInstallsOnlyTheSoundsTheProfilePlays) {
    const std::string tone = FakeAudioDecoder::tone(480, 0.5f);
    nlohmann::json sounds = nlohmann::json::array({
        packedSound(userID(1), "first.wav", "tone 100 0.5"), // replaced by the later sound under the same id
        packedSound(userID(2), "unused.wav", tone),          // no key plays it
        packedSound(userID(1), "second.wav", tone),
        packedSound(userID(3), "base.wav", tone),
        packedSound(userID(4), "odd.wav", tone), // only under key texts the keyboard does not have
        packedSound(userID(5), "space.wav", tone),
    });
    const std::map<std::string, std::string> keys = {
        {"0", userID(1)}, {"49", userID(5)}, {"1", userID(1)}, {"200", userID(4)}, {"049", userID(4)}, {"a", userID(4)},
    };
    const auto filesBefore = std::distance(fs::directory_iterator(library_.soundsFolder()), {});
    const auto imported = io_.importPack(writePack(packDocument(userID(3), keys, sounds)), {});

    // In pack order: the last sound under the first id, the base sound, the Space sound.
    ASSERT_EQ(imported.sounds.size(), 3u);
    EXPECT_EQ(imported.sounds[0].fileName, imported.sounds[0].id + ".wav");
    EXPECT_EQ(test::readText(library_.soundsFolder() / *imported.sounds[0].fileName), tone);
    EXPECT_EQ(std::distance(fs::directory_iterator(library_.soundsFolder()), {}), filesBefore + 3);
    const Profile &profile = imported.profile;
    EXPECT_EQ(profile.keys.at("0").soundID, imported.sounds[0].id);
    EXPECT_EQ(profile.keys.at("1").soundID, imported.sounds[0].id);
    EXPECT_EQ(profile.baseSoundID, imported.sounds[1].id);
    EXPECT_EQ(profile.keys.at("49").soundID, imported.sounds[2].id);
    // Key texts the keyboard has no key for keep their assignments, with the old id (they never play).
    EXPECT_EQ(profile.keys.at("200").soundID, userID(4));
    EXPECT_EQ(profile.keys.at("049").soundID, userID(4));
    EXPECT_EQ(profile.keys.at("a").soundID, userID(4));

    // The exporter packs by the same rule.
    EXPECT_EQ(PackIO::usedSoundIDs(profile_), (std::set<std::string>{kClapID, kSnapID, kMissingID, "synth.boom"}));
}

TEST_F(PackIOTest, AHugePackInstallsAtMostOneSoundPerKey) {
    // Every key of the keyboard plays a sound of its own, and hundreds more sounds come along.
    const auto codes = keyboardCodes();
    nlohmann::json sounds = nlohmann::json::array();
    std::map<std::string, std::string> keys;
    for (std::size_t i = 0; i < 1000; ++i) {
        sounds.push_back(packedSound(userID(i), "s.wav", "tone 48 0.5"));
        if (i < codes.size()) {
            keys[std::to_string(codes[i])] = userID(i);
        }
    }
    const auto imported = io_.importPack(writePack(packDocument(userID(999), keys, sounds)), {});
    EXPECT_EQ(imported.sounds.size(), codes.size() + 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(library_.soundsFolder()), {}),
              static_cast<std::ptrdiff_t>(3 + codes.size() + 1)); // the fixture's three files and these

    // A profile that would swell the document is refused before anything is written.
    std::map<std::string, std::string> many;
    for (std::size_t i = 0; i < 2000; ++i) {
        many[std::to_string(100000 + i)] = userID(i) + std::string(600, 'x');
    }
    const auto filesBefore = std::distance(fs::directory_iterator(library_.soundsFolder()), {});
    EXPECT_NE(packFailure(writePack(packDocument("none", many, nlohmann::json::array()))).find("larger than"),
              std::string::npos);
    nlohmann::json longName = packDocument("none", {}, nlohmann::json::array());
    longName["profile"]["name"] = std::string(PackIO::kMaxProfileBytes, 'a');
    EXPECT_NE(packFailure(writePack(longName)).find("larger than"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(library_.soundsFolder()), {}), filesBefore);
}

TEST_F(PackIOTest, APackTheLibraryHasNoRoomForLeavesNothingBehind) {
    // Room for two and a half sounds of 4800 frames, and one is there already.
    constexpr std::size_t kSoundBytes = 4800 * sizeof(float); // one channel: the fake decodes to mono
    SoundLibrary library(decoder_, dir_.path() / "bounded", dir_.path() / "resources",
                         2 * kSoundBytes + kSoundBytes / 2);
    test::writeText(dir_.path() / "in" / "mine.wav", FakeAudioDecoder::tone(4800, 0.5f));
    library.importFile(dir_.path() / "in" / "mine.wav", std::nullopt);
    PackIO io(library);

    const std::string tone = FakeAudioDecoder::tone(4800, 0.5f);
    const nlohmann::json sounds = nlohmann::json::array({
        packedSound(userID(1), "a.wav", tone),
        packedSound(userID(2), "broken.wav", "not audio"), // arrives, costs nothing
        packedSound(userID(3), "c.wav", tone),
    });
    const fs::path pack = writePack(packDocument(userID(1), {{"0", userID(2)}, {"1", userID(3)}}, sounds));
    try {
        io.importPack(pack, {});
        ADD_FAILURE() << "the import succeeded";
    } catch (const PackError &error) {
        EXPECT_STREQ(error.what(), PackError::kMessage);
        EXPECT_NE(error.detail().find("no room"), std::string::npos) << error.detail();
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(library.soundsFolder()), {}), 1) << "only the sound already there";
    EXPECT_EQ(library.userSoundBytes(), kSoundBytes);

    // Without the third sound it fits.
    const auto imported = io.importPack(writePack(packDocument(userID(1), {{"0", userID(2)}}, sounds)), {});
    ASSERT_EQ(imported.sounds.size(), 2u);
    EXPECT_NE(library.loaded(imported.sounds[0].id), nullptr);
    EXPECT_EQ(library.loaded(imported.sounds[1].id), nullptr);
    EXPECT_EQ(library.userSoundBytes(), 2 * kSoundBytes);
}

TEST_F(PackIOTest, VersionIsRequiredButAnyIntegerWill) {
    testing::internal::CaptureStderr();
    exportAndRead();
    testing::internal::GetCapturedStderr();
    nlohmann::json document = nlohmann::json::parse(test::readText(packPath()));

    document["version"] = 7;
    const auto seven = io_.importPack(writePack(document), {});
    EXPECT_EQ(seven.sounds.size(), 2u);
    EXPECT_EQ(seven.profile.keys.size(), profile_.keys.size());

    document.erase("version");
    const auto filesBefore = std::distance(fs::directory_iterator(library_.soundsFolder()), {});
    EXPECT_NE(packFailure(writePack(document)).find("version"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(library_.soundsFolder()), {}), filesBefore)
        << "nothing is written for a pack that does not read";
}

TEST_F(PackIOTest, BrokenPacksFailWithTheOneMessage) {
    testing::internal::CaptureStderr();
    exportAndRead();
    testing::internal::GetCapturedStderr();
    const nlohmann::json valid = nlohmann::json::parse(test::readText(packPath()));
    const auto filesBefore = std::distance(fs::directory_iterator(library_.soundsFolder()), {});

    nlohmann::json badData = valid;
    badData["sounds"][1]["data"] = "@@@@";
    EXPECT_NE(packFailure(writePack(badData)).find("base64"), std::string::npos);

    nlohmann::json badKey = valid;
    badKey["profile"]["keys"]["0"]["volume"] = "loud";
    packFailure(writePack(badKey));

    test::writeText(dir_.path() / "in" / "text.tapchime", "this is not json");
    packFailure(dir_.path() / "in" / "text.tapchime");

    EXPECT_NE(packFailure(dir_.path() / "in" / "missing.tapchime"), "imported");
    EXPECT_NE(packFailure(dir_.path() / "in"), "imported"); // a folder

    // A pack file larger than any real pack is refused before it is read.
    const fs::path huge = dir_.path() / "in" / "huge.tapchime";
    test::writeText(huge, "{}");
    fs::resize_file(huge, PackIO::kMaxPackBytes + 1);
    EXPECT_NE(packFailure(huge).find("larger than"), std::string::npos);

    EXPECT_EQ(std::distance(fs::directory_iterator(library_.soundsFolder()), {}), filesBefore);
}

TEST_F(PackIOTest, UndecodableSoundsStillArrive) {
    userSounds_[1].fileName = "clap.WAV";
    test::writeText(library_.soundsFolder() / "clap.WAV", "not audio at all");
    testing::internal::CaptureStderr();
    exportAndRead();
    testing::internal::GetCapturedStderr();

    const auto imported = io_.importPack(packPath(), {});
    ASSERT_EQ(imported.sounds.size(), 2u);
    EXPECT_EQ(library_.loaded(imported.sounds[0].id), nullptr); // plays nothing
    EXPECT_NE(library_.loaded(imported.sounds[1].id), nullptr);
}

TEST_F(PackIOTest, AFailedSoundWriteStopsTheImport) {
    testing::internal::CaptureStderr();
    exportAndRead();
    testing::internal::GetCapturedStderr();

    // A sounds "folder" that is a file: the first write fails.
    const fs::path notAFolder = dir_.path() / "blocked";
    test::writeText(notAFolder, "a file");
    SoundLibrary blocked(decoder_, notAFolder, dir_.path() / "resources");
    PackIO io(blocked);
    try {
        io.importPack(packPath(), {});
        ADD_FAILURE() << "the import succeeded";
    } catch (const SoundsFolderError &error) {
        EXPECT_EQ(error.kind(), SoundsFolderError::Kind::notAFolder); // read, not unreadable
    }
    EXPECT_EQ(test::readText(notAFolder), "a file");
}

// Heap bytes in use now, over every arena (glibc).
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Samples the heap each time the library reads a sound, then reads it as the fake decoder does.
class HeapSamplingDecoder final : public AudioDecoder {
public:
    AudioBuffer read(const std::filesystem::path &path) const override {
        samples.push_back(heapInUse());
        return fake.read(path);
    }
    mutable std::vector<std::size_t> samples;
    FakeAudioDecoder fake;
};

// A pack near its size bound must not cost several times its size: its sounds are written and loaded one at a
// time, while neither the pack's text nor the other sounds' audio is held.
TEST(PackImportMemory, EachSoundIsInstalledWithoutThePacksTextOrTheOtherSoundsHeld) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers keep their own heap";
#else
    constexpr std::size_t kSounds = 4;
    constexpr std::size_t kSoundBytes = 6u * 1024u * 1024u;
    test::TempDir dir;
    nlohmann::json sounds = nlohmann::json::array();
    std::map<std::string, std::string> keys;
    for (std::size_t i = 0; i < kSounds; ++i) {
        std::string audio(kSoundBytes, '\0');
        for (std::size_t k = 0; k < audio.size(); ++k) {
            audio[k] = static_cast<char>((k * 2654435761u + i) >> 13);
        }
        sounds.push_back(packedSound(userID(i), "s.wav", audio));
        keys[std::to_string(i)] = userID(i);
    }
    const fs::path path = dir.path() / "big.tapchime";
    test::writeText(path, packDocument("none", keys, sounds).dump());
    sounds = nlohmann::json();
    const auto packBytes = fs::file_size(path);

    auto decoder = std::make_shared<HeapSamplingDecoder>();
    SoundLibrary library(decoder, dir.path() / "Sounds", dir.path() / "resources");
    PackIO io(library);
    const std::size_t before = heapInUse();
    const auto imported = io.importPack(path, {});
    ASSERT_EQ(imported.sounds.size(), kSounds);
    ASSERT_EQ(decoder->samples.size(), kSounds);
    for (std::size_t i = 0; i < kSounds; ++i) {
        EXPECT_EQ(fs::file_size(library.soundsFolder() / *imported.sounds[i].fileName), kSoundBytes);
        const std::size_t held = decoder->samples[i] > before ? decoder->samples[i] - before : 0;
        // One sound's text as the reader holds it (base64: 4/3 of its audio, in a buffer that grew by doubling)
        // is all; the whole pack's text alone would be more than this.
        EXPECT_LT(held, packBytes * 3 / 4) << "sound " << i << ": " << held / 1024 / 1024 << " MiB held while the "
                                           << packBytes / 1024 / 1024 << " MiB pack was installed";
    }
#endif
}

} // namespace
} // namespace tc
