// The audio settings reach the engine as requests, after saving and pushing; previews play through it.

#include "AppModelHarness.h"

#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(AudioSettings, EachIsSavedAndHandedToTheEngineAsARequest) {
    // The engine compares a request with what it runs (a voice count of 1 builds the 2 voices it may have
    // already), so the model forwards every change, including one to the current value.
    Harness harness;
    auto &model = harness.started(); // 12 voices
    harness.audio.calls.clear();

    model.setMaxVoices(1);
    model.setMaxVoices(24);
    model.setLowLatency(false);
    model.setOutputDevice("alsa_output.hdmi");
    model.setOutputDevice(std::nullopt);
    EXPECT_EQ(harness.audio.calls,
              (std::vector<std::string>{"setVoiceCount(1)", "setVoiceCount(24)", "setLowLatency(false)",
                                        "setOutputDevice(alsa_output.hdmi)", "setOutputDevice(default)"}));
    EXPECT_EQ(model.data().settings.maxVoices, 24);
    EXPECT_FALSE(model.data().settings.lowLatency);
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
