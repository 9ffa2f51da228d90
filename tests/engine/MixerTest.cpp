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

Mixer::Command pannedCommand(uint32_t voice, const AudioBufferPtr &buffer, float rate, float volume, float pan) {
    Mixer::Command command = playCommand(voice, buffer, rate);
    command.gains = Mixer::panGains(volume, pan);
    return command;
}

// A wobbling ramp, different on every frame, that stays well inside ±1.
std::vector<float> wobble(size_t frames, float scale) {
    std::vector<float> samples(frames);
    for (size_t i = 0; i < frames; ++i) {
        samples[i] = scale * static_cast<float>(std::sin(0.05 * static_cast<double>(i)) * 0.5 + 0.001 * i);
    }
    return samples;
}

AudioBufferPtr shared(AudioBuffer buffer) {
    return std::make_shared<const AudioBuffer>(std::move(buffer));
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
        ramp->left.push_back(static_cast<float>(i) / 2000.0f); // under the limiter's threshold
        ramp->right.push_back(-static_cast<float>(i) / 2000.0f);
    }
    Mixer mixer;
    ASSERT_NE(mixer.post(playCommand(0, ramp, 0.5f)), 0u);
    const Rendered out = render(mixer, 2000);
    for (size_t k : {0u, 1u, 2u, 3u, 501u, 1997u}) {
        EXPECT_NEAR(out.left[k], static_cast<float>(k) / 4000.0f, 1e-6f) << "frame " << k;
        EXPECT_NEAR(out.right[k], -static_cast<float>(k) / 4000.0f, 1e-6f) << "frame " << k;
    }
    // The last frame fades out over the half step after it, then the voice is done.
    EXPECT_NEAR(out.left[1998], 0.4995f, 1e-6f);
    EXPECT_NEAR(out.left[1999], 0.24975f, 1e-6f);
    EXPECT_FALSE(mixer.isVoicePlaying(0));
}

TEST(Mixer, VoicesContinueAcrossRenderCallsAndTheirSumIsLimitedUnderFullScale) {
    auto loud = constantBuffer(300, 0.8f, -0.8f);
    auto soft = constantBuffer(250, 0.1f, 0.1f);
    auto start = [&](Mixer &mixer) {
        mixer.post(playCommand(0, loud));
        mixer.post(playCommand(1, loud));
        mixer.post(playCommand(2, soft));
    };
    // Rendered in uneven pieces: the result must not depend on the period size, the limiter's gain included.
    Mixer mixer;
    start(mixer);
    Rendered all;
    for (size_t frames : {64u, 1u, 100u, 235u}) {
        const Rendered piece = render(mixer, frames);
        all.left.insert(all.left.end(), piece.left.begin(), piece.left.end());
        all.right.insert(all.right.end(), piece.right.begin(), piece.right.end());
    }
    Mixer whole;
    start(whole);
    const Rendered once = render(whole, 400);
    EXPECT_EQ(all.left, once.left);
    EXPECT_EQ(all.right, once.right);

    EXPECT_GT(all.left[0], 0.95f); // 1.7 at the onset: bent under full scale
    EXPECT_LT(all.left[0], 1.0f);
    EXPECT_GT(all.right[0], -1.0f); // -1.5
    EXPECT_NEAR(all.left[240], MasterLimiter::kThreshold, 1e-3f) << "the gain has come down";
    EXPECT_NEAR(all.right[240], -0.95f * 1.5f / 1.7f, 1e-3f) << "one gain for both channels";
    // The soft voice has ended: the sum falls to 1.6 and the gain rises again only slowly.
    EXPECT_LT(all.left[260], MasterLimiter::kThreshold);
    EXPECT_GT(all.left[260], 0.85f);
    EXPECT_GT(all.left[299], all.left[260]);
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

TEST(Mixer, NewSoundsWaitThroughRenderPlayingAndStartOnlyInRenderNewSounds) {
    auto playing = constantBuffer(1000, 0.25f, 0.25f);
    auto fresh = constantBuffer(1000, 0.5f, -0.5f);
    Mixer mixer;
    mixer.post(playCommand(0, playing));
    render(mixer, 10); // voice 0 plays from here on

    mixer.post(playCommand(1, fresh));
    EXPECT_TRUE(mixer.hasNewSounds());
    Rendered queued{std::vector<float>(20), std::vector<float>(20)};
    mixer.renderPlaying(queued.left.data(), queued.right.data(), 20);
    EXPECT_EQ(peak(queued.left), 0.25f) << "only the sound that was playing";
    EXPECT_TRUE(mixer.hasNewSounds());
    EXPECT_EQ(mixer.consumedSerial(), 1u);

    // The new sound goes over the last 8 of the queued frames; the playing one is not rendered twice.
    std::vector<float> left(queued.left.end() - 8, queued.left.end());
    std::vector<float> right(queued.right.end() - 8, queued.right.end());
    mixer.renderNewSounds(left.data(), right.data(), 8);
    EXPECT_FALSE(mixer.hasNewSounds());
    EXPECT_EQ(mixer.consumedSerial(), 2u);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_FLOAT_EQ(left[i], 0.75f) << i;
        EXPECT_FLOAT_EQ(right[i], -0.25f) << i;
    }

    // Both go on from where they were: voice 0 after its 30 frames, voice 1 after its first 8.
    Rendered next{std::vector<float>(1000), std::vector<float>(1000)};
    mixer.renderPlaying(next.left.data(), next.right.data(), 1000);
    EXPECT_FLOAT_EQ(next.left[0], 0.75f);
    EXPECT_FLOAT_EQ(next.left[969], 0.75f);
    EXPECT_FLOAT_EQ(next.left[970], 0.5f) << "voice 0 ended after 1000 frames";
    EXPECT_EQ(soundEnd(next.left), 992u) << "voice 1 ended after 1000 frames";
}

TEST(Mixer, RenderNewSoundsAddsToTheQueuedSumAndAStopClearsWhatWasStarted) {
    struct Case {
        bool stopAfter;
        float queued;
        float expected;
    };
    const Case cases[] = {{false, 0.0f, 0.5f}, {false, 0.75f, 1.25f}, {false, -0.25f, 0.25f}, {true, 0.3f, 0.3f}};
    for (const Case &c : cases) {
        Mixer mixer;
        auto sound = constantBuffer(100, 0.5f, 0.5f);
        mixer.post(playCommand(3, sound));
        if (c.stopAfter) {
            Mixer::Command stop;
            stop.kind = Mixer::Command::Kind::stopAll;
            mixer.post(stop);
        }
        std::vector<float> left(4, c.queued);
        std::vector<float> right(4, c.queued);
        mixer.renderNewSounds(left.data(), right.data(), 4);
        EXPECT_FLOAT_EQ(left[0], c.expected) << "queued " << c.queued << " stop " << c.stopAfter;
        EXPECT_EQ(mixer.isVoicePlaying(3), !c.stopAfter);
    }
}

TEST(Mixer, MonoBufferIsPannedByThePanLawAndRendersLikeTheSameSoundStoredAsStereo) {
    struct Case {
        float pan;
        float rate;
    };
    const Case cases[] = {{-1.0f, 1.0f},  {-0.35f, 1.0f}, {0.0f, 1.0f},  {0.6f, 1.0f},  {1.0f, 1.0f},
                          {-1.0f, 0.73f}, {0.0f, 0.73f},  {1.0f, 0.73f}, {0.25f, 1.31f}};
    const std::vector<float> samples = wobble(300, 0.8f);
    const AudioBufferPtr mono = shared(AudioBuffer::mono(samples));
    const AudioBufferPtr twice = shared(AudioBuffer::stereo(samples, samples));
    ASSERT_EQ(mono->channels(), 1);
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "pan " << c.pan << " rate " << c.rate);
        const StereoGains gains = Mixer::panGains(0.9f, c.pan);
        Mixer monoMixer;
        monoMixer.post(pannedCommand(0, mono, c.rate, 0.9f, c.pan));
        const Rendered fromMono = render(monoMixer, 512); // past the end: the last frame's fade and silence
        Mixer stereoMixer;
        stereoMixer.post(pannedCommand(0, twice, c.rate, 0.9f, c.pan));
        const Rendered fromStereo = render(stereoMixer, 512);

        EXPECT_EQ(fromMono.left, fromStereo.left);
        EXPECT_EQ(fromMono.right, fromStereo.right);
        EXPECT_FALSE(monoMixer.isVoicePlaying(0));
        if (c.rate == 1.0f) {
            // Frame for frame: each side is the sample times that side's gain, exactly.
            for (size_t k = 0; k < samples.size(); ++k) {
                ASSERT_EQ(fromMono.left[k], samples[k] * gains.left) << "frame " << k;
                ASSERT_EQ(fromMono.right[k], samples[k] * gains.right) << "frame " << k;
            }
            EXPECT_EQ(soundEnd(fromMono.left), c.pan == 1.0f ? 0u : samples.size());
            EXPECT_EQ(soundEnd(fromMono.right), c.pan == -1.0f ? 0u : samples.size());
        }
    }
}

TEST(Mixer, StereoBufferKeepsEachChannelOnItsOwnSide) {
    const std::vector<float> leftSamples = wobble(200, 0.7f);
    const std::vector<float> rightSamples = wobble(200, -0.4f);
    const AudioBufferPtr buffer = shared(AudioBuffer::stereo(leftSamples, rightSamples));
    for (float pan : {-1.0f, -0.5f, 0.0f, 0.5f, 1.0f}) {
        SCOPED_TRACE(pan);
        const StereoGains gains = Mixer::panGains(1.0f, pan);
        Mixer mixer;
        mixer.post(pannedCommand(0, buffer, 1.0f, 1.0f, pan));
        const Rendered out = render(mixer, 256);
        for (size_t k = 0; k < leftSamples.size(); ++k) {
            ASSERT_EQ(out.left[k], leftSamples[k] * gains.left) << "frame " << k;
            ASSERT_EQ(out.right[k], rightSamples[k] * gains.right) << "frame " << k;
        }
        EXPECT_EQ(soundEnd(out.left, 0.0f), pan == 1.0f ? 0u : leftSamples.size());
    }
}

TEST(Mixer, MonoAndStereoVoicesSumAndEndOnTheirOwn) {
    const AudioBufferPtr mono = shared(AudioBuffer::mono(std::vector<float>(100, 0.25f)));
    const AudioBufferPtr stereo =
        shared(AudioBuffer::stereo(std::vector<float>(60, 0.5f), std::vector<float>(60, -0.5f)));
    Mixer mixer;
    mixer.post(pannedCommand(0, mono, 1.0f, 1.0f, -0.5f)); // gains 1 and 0.5
    mixer.post(playCommand(1, stereo));
    Rendered all;
    for (size_t frames : {7u, 64u, 129u}) { // uneven periods
        const Rendered piece = render(mixer, frames);
        all.left.insert(all.left.end(), piece.left.begin(), piece.left.end());
        all.right.insert(all.right.end(), piece.right.begin(), piece.right.end());
    }
    EXPECT_FLOAT_EQ(all.left[0], 0.75f);
    EXPECT_FLOAT_EQ(all.right[0], -0.375f);
    EXPECT_FLOAT_EQ(all.left[58], 0.75f);
    EXPECT_FLOAT_EQ(all.left[60], 0.25f) << "the stereo voice ended";
    EXPECT_FLOAT_EQ(all.right[60], 0.125f);
    EXPECT_EQ(soundEnd(all.left), 100u);
    EXPECT_EQ(soundEnd(all.right), 100u);
}

TEST(Mixer, BuffersWithoutSamplesOrWithUnevenChannelsPlaySafely) {
    struct Case {
        const char *name;
        AudioBuffer buffer;
        size_t heard; // frames that sound
    };
    const Case cases[] = {
        {"empty", AudioBuffer{}, 0},
        {"right channel only", AudioBuffer::stereo({}, std::vector<float>(50, 0.5f)), 0},
        {"right shorter", AudioBuffer::stereo(std::vector<float>(50, 0.5f), std::vector<float>(30, 0.5f)), 30},
        {"left shorter", AudioBuffer::stereo(std::vector<float>(20, 0.5f), std::vector<float>(50, 0.5f)), 20},
        {"one frame", AudioBuffer::mono({0.5f}), 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const AudioBufferPtr buffer = shared(c.buffer);
        Mixer mixer;
        mixer.post(playCommand(0, buffer));
        const Rendered out = render(mixer, 64);
        EXPECT_EQ(soundEnd(out.left), c.heard);
        EXPECT_EQ(soundEnd(out.right), c.heard);
        EXPECT_FALSE(mixer.isVoicePlaying(0));
    }
}
