// Each of the rig's sound servers really carries sound: a tone written to tc_out comes back on its monitor.

#include "support/MonitorCapture.h"
#include "support/Rig.h"

#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <thread>
#include <vector>

using namespace tc::test;

namespace {

constexpr int kRate = 48000;

std::vector<float> tone(double seconds, double frequency, float amplitude) {
    const auto frames = static_cast<size_t>(seconds * kRate);
    std::vector<float> samples(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        auto value = static_cast<float>(amplitude * std::sin(2 * M_PI * frequency * static_cast<double>(i) / kRate));
        samples[2 * i] = value;
        samples[2 * i + 1] = value;
    }
    return samples;
}

class PulseRig : public ::testing::TestWithParam<SoundServer> {};

} // namespace

TEST_P(PulseRig, ToneWrittenToTheNullSinkIsHeardOnItsMonitorWithItsLength) {
    RigPulse pulse(GetParam());
    MonitorCapture capture;

    pa_sample_spec sampleSpec{};
    sampleSpec.format = PA_SAMPLE_FLOAT32LE;
    sampleSpec.rate = kRate;
    sampleSpec.channels = 2;
    int error = 0;
    pa_simple *out = pa_simple_new(nullptr, "tapchime-tests", PA_STREAM_PLAYBACK, "tc_out", "tone", &sampleSpec,
                                   nullptr, nullptr, &error);
    ASSERT_NE(out, nullptr) << pa_strerror(error);

    // Silence first: a fresh stream on an idle null sink takes a moment to start running.
    std::vector<float> silence(kRate * 2, 0.0f);
    auto signal = tone(0.5, 440.0, 0.5f);
    ASSERT_EQ(pa_simple_write(out, silence.data(), silence.size() * sizeof(float), &error), 0) << pa_strerror(error);
    ASSERT_EQ(pa_simple_write(out, signal.data(), signal.size() * sizeof(float), &error), 0) << pa_strerror(error);
    ASSERT_EQ(pa_simple_write(out, silence.data(), silence.size() / 2 * sizeof(float), &error), 0);
    ASSERT_EQ(pa_simple_drain(out, &error), 0) << pa_strerror(error);
    pa_simple_free(out);

    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    auto heard = capture.stop();

    auto span = findSound(heard, 0.05f);
    ASSERT_TRUE(span.found) << "nothing heard in " << heard.size() / 2 << " frames";
    // The tone's length, within a few milliseconds (the threshold cuts the sine's zero crossings at the ends).
    EXPECT_NEAR(static_cast<double>(span.length()), 0.5 * kRate, 0.005 * kRate);
    EXPECT_NEAR(channelPeak(heard, 0), 0.5f, 0.02f);
    EXPECT_NEAR(channelPeak(heard, 1), 0.5f, 0.02f);
}

INSTANTIATE_TEST_SUITE_P(SoundServers, PulseRig, kSoundServers, SoundServerName());
