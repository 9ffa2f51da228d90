// The FFmpeg module as the program uses it: loaded for each read or write, unloaded when idle, and a module that
// cannot be loaded reported once.

#include "engine/linux/FfmpegModule.h"
#include "engine/linux/ModuleAudioFiles.h"
#include "engine/linux/ffmpeg/AacFileWriter.h"
#include "engine/linux/ffmpeg/FfmpegDecoder.h"
#include "support/Rig.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <thread>
#include <vector>

namespace tc {
namespace {

using namespace std::chrono_literals;
using Kind = AudioDecodeError::Kind;

std::vector<float> tone(double seconds) {
    std::vector<float> samples(static_cast<size_t>(seconds * 48000));
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = 0.5f * static_cast<float>(std::sin(2 * M_PI * 440 * static_cast<double>(i) / 48000));
    }
    return samples;
}

Kind kindOf(const AudioDecoder &decoder, const std::filesystem::path &file) {
    try {
        decoder.read(file);
    } catch (const AudioDecodeError &error) {
        return error.kind();
    }
    ADD_FAILURE() << file << " was read";
    return Kind::unreadable;
}

TEST(FfmpegModule, ReadsAndWritesAsTheDecoderAndWriterThemselvesAndLetsGoWhenIdle) {
    test::TempDir folder;
    auto module = std::make_shared<FfmpegModule>(TAPCHIME_FFMPEG_MODULE, 50ms);
    ModuleDecoder decoder(module);
    const AacWriter write = moduleAacWriter(module);
    EXPECT_FALSE(module->loaded());

    const auto samples = tone(0.5);
    const auto take = folder.path() / "take.m4a";
    std::string error;
    ASSERT_TRUE(write(samples.data(), samples.size(), 48000, take, error)) << error;
    const AudioBuffer read = decoder.read(take);
    const AudioBuffer direct = FfmpegDecoder().read(take);
    EXPECT_EQ(read.frames(), direct.frames());
    EXPECT_EQ(read.left, direct.left);
    EXPECT_NEAR(read.seconds(), 0.5, 0.05);

    // The decoder's and writer's refusals come through with their kinds and reasons.
    std::ofstream(folder.path() / "noise.wav") << "not audio at all";
    EXPECT_EQ(kindOf(decoder, folder.path() / "noise.wav"), Kind::unreadable);
    EXPECT_FALSE(write(samples.data(), samples.size(), 48000, folder.path() / "missing" / "take.m4a", error));
    EXPECT_FALSE(error.empty());

    // Idle for the linger: unloaded; the next read loads it again.
    EXPECT_TRUE(test::waitUntil([&] { return !module->loaded(); }));
    EXPECT_EQ(decoder.read(take).frames(), direct.frames());
}

TEST(FfmpegModule, StaysLoadedWhileAnyReadRuns) {
    auto module = std::make_shared<FfmpegModule>(TAPCHIME_FFMPEG_MODULE, 1ms);
    bool loadedInside = false;
    ASSERT_TRUE(module->with([&](const FfmpegModule::Entries &entries) {
        EXPECT_NE(entries.read, nullptr);
        std::this_thread::sleep_for(100ms); // far past the linger
        loadedInside = module->loaded();
    }));
    EXPECT_TRUE(loadedInside);
    EXPECT_TRUE(test::waitUntil([&] { return !module->loaded(); }));
}

TEST(FfmpegModule, AModuleThatIsNotThereMakesEveryFileUnreadableAndIsLoggedOnce) {
    test::TempDir folder;
    std::vector<std::string> lines;
    auto module = std::make_shared<FfmpegModule>(folder.path() / "tapchime-ffmpeg.so", 50ms,
                                                 [&](const std::string &line) { lines.push_back(line); });
    ModuleDecoder decoder(module);
    EXPECT_EQ(kindOf(decoder, folder.path() / "a.wav"), Kind::unreadable);
    EXPECT_EQ(kindOf(decoder, folder.path() / "b.wav"), Kind::unreadable);
    const auto samples = tone(0.1);
    std::string error;
    EXPECT_FALSE(moduleAacWriter(module)(samples.data(), samples.size(), 48000, folder.path() / "t.m4a", error));
    EXPECT_FALSE(error.empty());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines.front().find("tapchime-ffmpeg.so"), std::string::npos);
}

TEST(FfmpegModule, IsFoundBesideTheProgramOrInLibBesideItsBin) {
    test::TempDir prefix;
    std::filesystem::create_directories(prefix.path() / "bin");
    EXPECT_EQ(FfmpegModule::pathFor(prefix.path() / "bin"), prefix.path() / "lib" / "tapchime" / "tapchime-ffmpeg.so");
    std::ofstream(prefix.path() / "bin" / "tapchime-ffmpeg.so") << "";
    EXPECT_EQ(FfmpegModule::pathFor(prefix.path() / "bin"), prefix.path() / "bin" / "tapchime-ffmpeg.so");
}

} // namespace
} // namespace tc
