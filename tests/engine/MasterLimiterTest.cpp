// The master stage: one voice passes untouched, overlapping voices are brought under full scale smoothly.
// Rendered offline through the real mixer and checked by number.

#include "engine/MasterLimiter.h"
#include "engine/FastRandom.h"
#include "engine/Mixer.h"
#include "support/AudioSignals.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <vector>

using namespace tc;
using namespace tc::test;

namespace {

constexpr size_t kPeriod = 128;

// Noise scaled so that its loudest sample is exactly `peak` (the sound library makes no sound louder than 0.95).
AudioBufferPtr noise(size_t frames, float peak, bool stereo, uint64_t seed) {
    FastRandom random(seed);
    auto channel = [&] {
        std::vector<float> samples(frames);
        for (float &sample : samples) {
            sample = random.uniform(-1.0f, 1.0f);
        }
        const float loudest = *std::max_element(samples.begin(), samples.end(),
                                                [](float a, float b) { return std::fabs(a) < std::fabs(b); });
        for (float &sample : samples) {
            sample = sample * peak / std::fabs(loudest);
        }
        return samples;
    };
    if (!stereo) {
        return std::make_shared<const AudioBuffer>(AudioBuffer::mono(channel()));
    }
    std::vector<float> left = channel();
    return std::make_shared<const AudioBuffer>(AudioBuffer::stereo(std::move(left), channel()));
}

// A cosine, so that every voice starts at its peak together: the worst onset a limiter without look-ahead meets.
AudioBufferPtr cosine(size_t frames, double frequency, float amplitude) {
    std::vector<float> samples(frames);
    for (size_t i = 0; i < frames; ++i) {
        samples[i] =
            amplitude *
            static_cast<float>(std::cos(2 * M_PI * frequency * static_cast<double>(i) / AudioBuffer::kSampleRate));
    }
    return std::make_shared<const AudioBuffer>(AudioBuffer::mono(std::move(samples)));
}

struct Voice {
    AudioBufferPtr buffer;
    float volume = 1.0f;
    float pan = 0.0f;
    float rate = 1.0f;
};

void start(Mixer &mixer, const std::vector<Voice> &voices) {
    for (size_t i = 0; i < voices.size(); ++i) {
        Mixer::Command command;
        command.voice = static_cast<uint32_t>(i);
        command.buffer = voices[i].buffer.get();
        command.rate = voices[i].rate;
        command.gains = Mixer::panGains(voices[i].volume, voices[i].pan);
        ASSERT_NE(mixer.post(command), 0u);
    }
}

struct Rendered {
    std::vector<float> left;
    std::vector<float> right;
};

// `frames` frames in periods of kPeriod: the finished output (render) or the plain sum of the voices.
Rendered renderAll(Mixer &mixer, size_t frames, bool finished) {
    Rendered out{std::vector<float>(frames), std::vector<float>(frames)};
    for (size_t done = 0; done < frames; done += kPeriod) {
        const size_t n = std::min(kPeriod, frames - done);
        if (finished) {
            mixer.render(out.left.data() + done, out.right.data() + done, n);
        } else {
            mixer.applyCommands();
            mixer.renderPlaying(out.left.data() + done, out.right.data() + done, n);
        }
    }
    return out;
}

} // namespace

TEST(MasterLimiter, OneVoiceAtItsNormalLevelPassesBitForBit) {
    struct Case {
        const char *name;
        std::vector<Voice> voices;
    };
    const Case cases[] = {
        {"the loudest mono sound, centred", {{noise(9000, 0.95f, false, 1)}}},
        {"the loudest stereo sound, panned", {{noise(9000, 0.95f, true, 2), 1.0f, -0.4f}}},
        {"pitched up", {{noise(9000, 0.95f, false, 3), 1.0f, 0.3f, 1.06f}}},
        {"pitched down, quieter", {{noise(9000, 0.9f, false, 4), 0.85f, 0.0f, 0.94f}}},
        {"a full-scale cosine", {{cosine(9000, 440, 0.95f)}}},
        {"two quiet voices whose sum stays under the threshold",
         {{noise(9000, 0.45f, false, 5)}, {noise(5000, 0.5f, true, 6), 1.0f, 0.5f}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Mixer limited;
        start(limited, c.voices);
        Mixer plain;
        start(plain, c.voices);
        const Rendered out = renderAll(limited, 12000, true);
        const Rendered sum = renderAll(plain, 12000, false);
        EXPECT_EQ(out.left, sum.left);
        EXPECT_EQ(out.right, sum.right);
        EXPECT_GT(peak(out.left), 0.4f);
    }
}

TEST(MasterLimiter, EightLoudVoicesAtOnceStayUnderFullScaleWithoutAStepInTheGain) {
    struct Case {
        const char *name;
        float pan;
        float volume;
    };
    // Eight voices that start together at their peaks (7.6 at once), centred or panned to one side.
    const Case cases[] = {{"centred", 0.0f, 1.0f}, {"panned left", -0.8f, 1.0f}, {"at the key volume", 0.3f, 0.85f}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Voice> voices;
        for (int v = 0; v < 8; ++v) {
            voices.push_back({cosine(9600, 180.0 + 97.0 * v, 0.95f), c.volume, c.pan, 1.0f});
        }
        const size_t frames = 9600 + 48000; // the voices (0.2 s), then a second of silence
        Mixer mixer;
        start(mixer, voices);
        const Rendered out = renderAll(mixer, frames, true);
        Mixer plain;
        start(plain, voices);
        Rendered sum = renderAll(plain, frames, false);

        // The limiter on the plain sum shows the gain it applied to every frame.
        MasterLimiter limiter;
        std::vector<float> gains(frames);
        Rendered again = sum;
        limiter.process(again.left.data(), again.right.data(), frames, gains.data());
        EXPECT_EQ(again.left, out.left) << "the mixer's master stage is this limiter";
        EXPECT_EQ(again.right, out.right);

        float loudest = 0.0f;
        float largestStep = 1.0f - gains[0];
        for (size_t i = 0; i < frames; ++i) {
            loudest = std::max({loudest, std::fabs(out.left[i]), std::fabs(out.right[i])});
            if (i > 0) {
                largestStep = std::max(largestStep, std::fabs(gains[i] - gains[i - 1]));
            }
            // One gain for both channels; the knee bends only what the gain has not brought down yet.
            ASSERT_EQ(out.left[i], MasterLimiter::softKnee(sum.left[i] * gains[i])) << "frame " << i;
            ASSERT_EQ(out.right[i], MasterLimiter::softKnee(sum.right[i] * gains[i])) << "frame " << i;
        }
        EXPECT_LT(loudest, 1.0f);
        EXPECT_LE(loudest, MasterLimiter::kCeiling);
        EXPECT_GT(loudest, MasterLimiter::kThreshold) << "the onset is bent, not cut";
        EXPECT_LT(largestStep, 0.04f) << "the gain glides: no click";
        EXPECT_LT(*std::min_element(gains.begin(), gains.end()), 0.3f) << "the gain held the sum down";
        EXPECT_EQ(gains.back(), 1.0f) << "a second after the voices the gain is back at 1";

        // So the next single voice passes untouched again.
        const std::vector<Voice> single = {{noise(4000, 0.95f, false, 7)}};
        start(mixer, single);
        Mixer reference;
        start(reference, single);
        EXPECT_EQ(renderAll(mixer, 4096, true).left, renderAll(reference, 4096, false).left);
    }
}

TEST(MasterLimiter, SoftKneeIsTheIdentityUpToTheThresholdThenBendsSmoothlyUnderTheCeiling) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    for (float sample : {0.0f, 0.1f, -0.5f, 0.9f, MasterLimiter::kThreshold, -MasterLimiter::kThreshold}) {
        EXPECT_EQ(MasterLimiter::softKnee(sample), sample);
    }
    // Rising, odd, under the ceiling, and with a slope of 1 where the bend begins.
    float previous = 0.0f;
    for (float sample = 0.0f; sample < 70.0f; sample += 0.001f) {
        const float bent = MasterLimiter::softKnee(sample);
        ASSERT_GE(bent, previous) << sample;
        ASSERT_LT(bent, MasterLimiter::kCeiling + 1e-6f) << sample;
        ASSERT_EQ(MasterLimiter::softKnee(-sample), -bent) << sample;
        previous = bent;
    }
    const float step = 1e-3f;
    const float slope = (MasterLimiter::softKnee(MasterLimiter::kThreshold + step) - MasterLimiter::kThreshold) / step;
    EXPECT_NEAR(slope, 1.0f, 0.03f);
    EXPECT_LE(MasterLimiter::softKnee(kInf), MasterLimiter::kCeiling);
    EXPECT_LT(MasterLimiter::softKnee(1e30f), 1.0f);

    // Broken samples are silence and leave the gain alone.
    float left[] = {std::numeric_limits<float>::quiet_NaN(), kInf, 0.5f};
    float right[] = {0.25f, -kInf, 0.5f};
    MasterLimiter limiter;
    limiter.process(left, right, 3);
    EXPECT_EQ(left[0], 0.0f);
    EXPECT_EQ(right[0], 0.25f);
    EXPECT_EQ(left[1], 0.0f);
    EXPECT_EQ(right[1], 0.0f);
    EXPECT_EQ(left[2], 0.5f);
    EXPECT_EQ(limiter.gain(), 1.0f);
}
