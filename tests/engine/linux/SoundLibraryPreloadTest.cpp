#include "engine/RecordedSounds.h"
#include "engine/SoundLibrary.h"
#include "engine/SoundSynth.h"
#include "engine/linux/ffmpeg/FfmpegDecoder.h"
#include "support/Rig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace tc {
namespace {

namespace fs = std::filesystem;
using SoundSynth::Role;

double rms(const std::vector<float> &samples) {
    double sum = 0.0;
    for (float s : samples) {
        sum += static_cast<double>(s) * s;
    }
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

// Built-in recordings made here with ffmpeg, in a resources folder of the test's own.
TEST(SoundLibraryPreload, LoadsTheRecordingsOfAResourcesFolder) {
    test::TempDir dir;
    const fs::path resources = dir.path() / "resources" / "sounds";
    fs::create_directories(resources);
    auto make = [&](const std::string &file, const std::string &source) {
        test::runCommand("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i \"" + source +
                         "\" -c:a aac -b:a 96k '" + (resources / file).string() + "' 2>&1");
    };
    make("rec_meow.m4a", "sine=frequency=700:sample_rate=44100:duration=0.6");
    // Mostly quiet with one loud click: low RMS after peak normalization, so it is raised.
    make("rec_drop.m4a", "aevalsrc=exprs='0.02*sin(2*PI*900*t)+if(between(t,0.1,0.102),0.9,0)':s=44100:d=0.5");
    std::ofstream(resources / "rec_bark.m4a") << "not a recording";

    SoundLibrary library(std::make_shared<FfmpegDecoder>(), dir.path() / "Sounds", resources);
    library.preloadBuiltins();

    const auto meow = library.loaded("synth.meow");
    ASSERT_NE(meow, nullptr);
    EXPECT_EQ(meow->item().name, "Cat meow");
    const auto &meowTake = *meow->takes().at(Role::down).front();
    EXPECT_NEAR(meow->item().duration, 0.6, 0.05);
    EXPECT_NEAR(rms(meowTake.left), 0.2, 1e-3); // a sine at peak 0.9 has RMS 0.64: lowered to 0.2
    EXPECT_TRUE(meowTake.isMono()) << "a mono recording is stored once";
    EXPECT_EQ(meow->peaks().size(), 64u);

    const auto drop = library.loaded("rec.drop");
    ASSERT_NE(drop, nullptr);
    const auto &dropTake = *drop->takes().at(Role::down).front();
    EXPECT_GT(rms(dropTake.left), 0.04); // doubled from about 0.025
    float peak = 0.0f;
    for (float s : dropTake.left) {
        peak = std::max(peak, std::fabs(s));
    }
    EXPECT_LE(peak, 0.95f);

    EXPECT_EQ(library.loaded("rec.bark"), nullptr);
    EXPECT_EQ(library.loaded("rec.gong"), nullptr);
    for (const auto &recipe : SoundSynth::recipes) {
        EXPECT_NE(library.loaded(std::string(recipe.id)), nullptr) << recipe.id;
    }
}

} // namespace
} // namespace tc

namespace tc {
namespace {

// The recordings the program ships: every one decodes, so every built-in plays.
TEST(SoundLibraryPreload, EveryShippedRecordingLoads) {
    test::TempDir dir;
    const fs::path resources = fs::path(TAPCHIME_SOURCE_DIR) / "resources" / "sounds";
    SoundLibrary library(std::make_shared<FfmpegDecoder>(), dir.path() / "Sounds", resources);
    library.preloadBuiltins();
    for (const auto &item : SoundLibrary::builtinItems()) {
        const auto sound = library.loaded(item.id);
        ASSERT_NE(sound, nullptr) << item.id;
        EXPECT_EQ(sound->item().name, item.name);
        EXPECT_GT(sound->item().duration, 0.05) << item.id;
        EXPECT_LE(sound->item().duration, 10.0) << item.id;
    }
}

} // namespace
} // namespace tc
