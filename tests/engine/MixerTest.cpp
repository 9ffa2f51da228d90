// The mixer's stages, rendered offline and checked by number.

#include "engine/Mixer.h"
#include "support/AudioSignals.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <vector>

using namespace tc;
using namespace tc::test;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

Mixer::Command playCommand(uint32_t voice, const AudioBufferPtr &buffer, float rate = 1.0f, float gain = 1.0f) {
    Mixer::Command command;
    command.voice = voice;
    command.buffer = buffer.get();
    command.rate = rate;
    command.gains = {gain, gain};
    return command;
}

struct Rendered {
    std::vector<float> left;
    std::vector<float> right;
};

Rendered render(Mixer &mixer, size_t frames) {
    Rendered out{std::vector<float>(frames, 7.0f), std::vector<float>(frames, 7.0f)};
    mixer.render(out.left.data(), out.right.data(), frames);
    return out;
}

} // namespace

TEST(Mixer, FinishStageClampsToUnitRangeAndRemovesNaN) {
    struct Case {
        float in;
        float out;
    };
    const Case cases[] = {{0.3f, 0.3f}, {-0.7f, -0.7f}, {1.0f, 1.0f}, {1.5f, 1.0f},  {-2.0f, -1.0f},
                          {kNaN, 0.0f}, {-kNaN, 0.0f},  {kInf, 1.0f}, {-kInf, -1.0f}};
    for (const Case &c : cases) {
        float left = c.in;
        float right = -c.in;
        Mixer::finishStage(&left, &right, 1);
        EXPECT_EQ(left, c.out) << "in " << c.in;
        EXPECT_EQ(right, c.out == 0.0f ? 0.0f : -c.out) << "in " << -c.in;
    }
}

TEST(Mixer, PanLawKeepsTheNearChannelFullAndFadesTheFarOne) {
    struct Case {
        float volume;
        float pan;
        float left;
        float right;
    };
    const Case cases[] = {{1.0f, 0.0f, 1.0f, 1.0f},  {1.0f, -1.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f, 1.0f},
                          {1.0f, -0.5f, 1.0f, 0.5f}, {0.8f, 0.25f, 0.6f, 0.8f}, {0.0f, 0.3f, 0.0f, 0.0f}};
    for (const Case &c : cases) {
        const StereoGains gains = Mixer::panGains(c.volume, c.pan);
        EXPECT_FLOAT_EQ(gains.left, c.left) << "volume " << c.volume << " pan " << c.pan;
        EXPECT_FLOAT_EQ(gains.right, c.right) << "volume " << c.volume << " pan " << c.pan;
    }
}

TEST(Mixer, SilentWithoutVoicesAndOverwritesTheOutput) {
    Mixer mixer;
    const Rendered out = render(mixer, 64);
    EXPECT_EQ(peak(out.left), 0.0f);
    EXPECT_EQ(peak(out.right), 0.0f);
}

TEST(Mixer, HalfRateInterpolatesBetweenFrames) {
    auto ramp = std::make_shared<AudioBuffer>();
    for (int i = 0; i < 1000; ++i) {
        ramp->left.push_back(static_cast<float>(i) / 1000.0f);
        ramp->right.push_back(-static_cast<float>(i) / 1000.0f);
    }
    Mixer mixer;
    ASSERT_NE(mixer.post(playCommand(0, ramp, 0.5f)), 0u);
    const Rendered out = render(mixer, 2000);
    for (size_t k : {0u, 1u, 2u, 3u, 501u, 1997u}) {
        EXPECT_NEAR(out.left[k], static_cast<float>(k) / 2000.0f, 1e-6f) << "frame " << k;
        EXPECT_NEAR(out.right[k], -static_cast<float>(k) / 2000.0f, 1e-6f) << "frame " << k;
    }
    // The last frame fades out over the half step after it, then the voice is done.
    EXPECT_NEAR(out.left[1998], 0.999f, 1e-6f);
    EXPECT_NEAR(out.left[1999], 0.4995f, 1e-6f);
    EXPECT_FALSE(mixer.isVoicePlaying(0));
}

TEST(Mixer, VoicesContinueAcrossRenderCallsAndSumBeforeTheClamp) {
    auto loud = constantBuffer(300, 0.8f, -0.8f);
    auto soft = constantBuffer(100, 0.1f, 0.1f);
    Mixer mixer;
    mixer.post(playCommand(0, loud));
    mixer.post(playCommand(1, loud));
    mixer.post(playCommand(2, soft));
    // Rendered in uneven pieces: the result must not depend on the period size.
    Rendered all;
    for (size_t frames : {64u, 1u, 100u, 235u}) {
        const Rendered piece = render(mixer, frames);
        all.left.insert(all.left.end(), piece.left.begin(), piece.left.end());
        all.right.insert(all.right.end(), piece.right.begin(), piece.right.end());
    }
    EXPECT_EQ(all.left[0], 1.0f);         // 1.7 clamped
    EXPECT_FLOAT_EQ(all.right[0], -1.0f); // -1.5 clamped
    EXPECT_FLOAT_EQ(all.right[99], -1.0f);
    EXPECT_FLOAT_EQ(all.right[150], -1.0f); // -1.6 clamped
    EXPECT_EQ(soundEnd(all.left), 300u);
}

TEST(Mixer, NaNInABufferIsSilencedAndNeverReachesTheOutput) {
    auto broken = std::make_shared<AudioBuffer>();
    broken->left = {0.5f, kNaN, 0.5f, 0.5f, kInf, 0.5f};
    broken->right = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    Mixer mixer;
    mixer.post(playCommand(0, broken));
    const Rendered out = render(mixer, 8);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_TRUE(std::isfinite(out.left[i])) << i;
        EXPECT_LE(std::fabs(out.left[i]), 1.0f) << i;
    }
    EXPECT_EQ(out.left[2], 0.5f);
    EXPECT_FLOAT_EQ(out.right[5], 0.5f);
}

TEST(Mixer, PlayOnABusyVoiceReplacesItsSoundFromTheStart) {
    auto first = constantBuffer(1000, 0.2f, 0.2f);
    auto second = constantBuffer(50, 0.5f, 0.5f);
    Mixer mixer;
    mixer.post(playCommand(0, first));
    render(mixer, 100);
    mixer.post(playCommand(0, second));
    const Rendered out = render(mixer, 200);
    EXPECT_EQ(out.left[0], 0.5f);
    EXPECT_EQ(soundEnd(out.left), 50u);
}

TEST(Mixer, ConsumedSerialFollowsAppliedCommandsAndResetDropsTheQueue) {
    auto buffer = constantBuffer(10, 0.5f, 0.5f);
    Mixer mixer;
    const uint64_t first = mixer.post(playCommand(0, buffer));
    const uint64_t second = mixer.post(playCommand(1, buffer));
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(second, 2u);
    EXPECT_EQ(mixer.consumedSerial(), 0u);
    render(mixer, 1);
    EXPECT_EQ(mixer.consumedSerial(), 2u);

    mixer.post(playCommand(2, buffer));
    mixer.reset();
    EXPECT_EQ(mixer.consumedSerial(), 3u);
    EXPECT_EQ(peak(render(mixer, 10).left), 0.0f);
}

TEST(Mixer, AFullQueueRefusesCommandsInsteadOfOverwriting) {
    auto buffer = constantBuffer(10, 0.5f, 0.5f);
    Mixer mixer;
    for (size_t i = 0; i < Mixer::kQueueCapacity; ++i) {
        ASSERT_NE(mixer.post(playCommand(0, buffer)), 0u);
    }
    EXPECT_EQ(mixer.post(playCommand(0, buffer)), 0u);
    render(mixer, 1);
    EXPECT_EQ(mixer.consumedSerial(), Mixer::kQueueCapacity);
    EXPECT_NE(mixer.post(playCommand(0, buffer)), 0u);
}
