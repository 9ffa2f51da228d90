// The audio settings reconfigure the running engine under its lock, after saving and pushing.

#include "AppModelHarness.h"

#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(AudioSettings, EachSequenceRunsUnderTheEngineLock) {
    Harness harness;
    auto &model = harness.started(); // 12 voices
    harness.audio.calls.clear();

    model.setMaxVoices(12);
    EXPECT_TRUE(harness.audio.calls.empty()); // the engine already has 12: no restart
    EXPECT_EQ(model.data().settings.maxVoices, 12);
    model.setMaxVoices(24);
    EXPECT_EQ(harness.audio.calls, (std::vector<std::string>{"stopEngine", "rebuildVoices(24)", "startEngine"}));
    EXPECT_EQ(model.data().settings.maxVoices, 24);

    harness.audio.calls.clear();
    model.setLowLatency(false);
    EXPECT_EQ(harness.audio.calls, (std::vector<std::string>{"setLowLatency(false)", "applyBufferSize"}));
    EXPECT_FALSE(model.data().settings.lowLatency);

    harness.audio.calls.clear();
    model.setOutputDevice("alsa_output.hdmi");
    EXPECT_EQ(harness.audio.calls, (std::vector<std::string>{"setOutputDeviceUID(alsa_output.hdmi)", "stopEngine",
                                                             "applyOutputDevice", "startEngine"}));
    EXPECT_EQ(model.data().settings.outputDeviceUID, std::optional<std::string>("alsa_output.hdmi"));
    model.setOutputDevice(std::nullopt);
    EXPECT_FALSE(model.data().settings.outputDeviceUID);

    model.flushPendingSave();
    EXPECT_EQ(harness.writeCount(), 1u);
}

TEST(Preview, PlaysOneKeyDownTakeAtLeastAtFortyPercent) {
    Harness harness;
    auto &model = harness.started();
    model.setSetting(&AppSettings::masterVolume, 0.1);
    model.preview("synth.meow");
    ASSERT_EQ(harness.audio.plays.size(), 1u);
    EXPECT_FLOAT_EQ(harness.audio.plays[0].volume, 0.4f);
    EXPECT_FLOAT_EQ(harness.audio.plays[0].rate, 1.0f);
    EXPECT_FLOAT_EQ(harness.audio.plays[0].pan, 0.0f);
    EXPECT_EQ(harness.library.lookup.describe(harness.audio.plays[0].buffer), "synth.meow/down");
    model.setSetting(&AppSettings::masterVolume, 0.9);
    model.preview("synth.meow");
    EXPECT_FLOAT_EQ(harness.audio.plays[1].volume, 0.9f);
    model.preview("none");
    model.preview("synth.unknown");
    EXPECT_EQ(harness.audio.plays.size(), 2u);
}

} // namespace
} // namespace tc::test
