// Render cost of the mixer for one 128-frame period (2.67 ms at 48 kHz, the low-latency buffer) with a given
// number of voices, every voice at its own rate so that each one interpolates. "core%" is the share of one
// core the mixer needs to keep up in real time (1 means 1 %, that is 26.7 µs per period); "ns/voice" the
// cost of one voice for one period. (Google Benchmark prints an "s" after inverted rates: ignore it.)
// renderPeriod plays stereo sounds, renderPeriodMono mono ones (every built-in sound is mono). masterStage is the
// limiter alone on one period: /0 a sum it leaves as it is, /1 one it holds down (the gain below 1 throughout,
// the soft knee bending part of it), its dearest case.

#include "engine/AudioBuffer.h"
#include "engine/MasterLimiter.h"
#include "engine/Mixer.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr size_t kPeriodFrames = 128;
constexpr double kPeriodSeconds = static_cast<double>(kPeriodFrames) / tc::AudioBuffer::kSampleRate;

tc::AudioBufferPtr tone(double seconds, double frequency, bool mono) {
    auto buffer = std::make_shared<tc::AudioBuffer>();
    const auto frames = static_cast<size_t>(seconds * tc::AudioBuffer::kSampleRate);
    buffer->left.resize(frames);
    if (!mono) {
        buffer->right.resize(frames);
    }
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / tc::AudioBuffer::kSampleRate;
        buffer->left[i] = static_cast<float>(0.05 * std::sin(2 * M_PI * frequency * t));
        if (!mono) {
            buffer->right[i] = static_cast<float>(0.05 * std::sin(2 * M_PI * frequency * 1.01 * t));
        }
    }
    return buffer;
}

void render(benchmark::State &state, bool mono) {
    const auto voices = static_cast<uint32_t>(state.range(0));
    std::vector<tc::AudioBufferPtr> buffers;
    for (uint32_t v = 0; v < voices; ++v) {
        buffers.push_back(tone(0.5, 220.0 + 10.0 * v, mono));
    }
    auto command = [&](uint32_t v) {
        tc::Mixer::Command play;
        play.voice = v;
        play.buffer = buffers[v].get();
        play.rate = 0.94f + 0.12f * static_cast<float>(v) / 64.0f; // like the router's pitch variation
        play.gains = tc::Mixer::panGains(0.8f, -0.7f + 1.4f * static_cast<float>(v) / 64.0f);
        return play;
    };

    tc::Mixer mixer;
    for (uint32_t v = 0; v < voices; ++v) {
        mixer.post(command(v));
    }
    std::vector<float> left(kPeriodFrames);
    std::vector<float> right(kPeriodFrames);
    for (auto _ : state) {
        mixer.render(left.data(), right.data(), kPeriodFrames);
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
        // Keep every voice sounding: a voice that reached its end starts again (as a new key press would).
        for (uint32_t v = 0; v < voices; ++v) {
            if (!mixer.isVoicePlaying(v)) {
                mixer.post(command(v));
            }
        }
    }
    state.counters["voices"] = voices;
    state.counters["ns/voice"] =
        benchmark::Counter(voices * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["core%"] = benchmark::Counter(kPeriodSeconds / 100.0, benchmark::Counter::kIsIterationInvariantRate |
                                                                             benchmark::Counter::kInvert);
}

void renderPeriod(benchmark::State &state) {
    render(state, false);
}

void renderPeriodMono(benchmark::State &state) {
    render(state, true);
}

void masterStage(benchmark::State &state) {
    const float level = state.range(0) == 0 ? 0.5f : 3.0f;
    std::vector<float> sumLeft(kPeriodFrames);
    std::vector<float> sumRight(kPeriodFrames);
    for (size_t i = 0; i < kPeriodFrames; ++i) {
        sumLeft[i] = level * static_cast<float>(std::sin(0.07 * static_cast<double>(i)));
        sumRight[i] = level * static_cast<float>(std::cos(0.05 * static_cast<double>(i)));
    }
    std::vector<float> left(kPeriodFrames);
    std::vector<float> right(kPeriodFrames);
    tc::MasterLimiter limiter;
    for (auto _ : state) {
        left = sumLeft;
        right = sumRight;
        limiter.process(left.data(), right.data(), kPeriodFrames);
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
    }
    state.counters["core%"] = benchmark::Counter(kPeriodSeconds / 100.0, benchmark::Counter::kIsIterationInvariantRate |
                                                                             benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(masterStage)->Arg(0)->Arg(1);
BENCHMARK(renderPeriod)->Arg(1)->Arg(8)->Arg(32)->Arg(64);
BENCHMARK(renderPeriodMono)->Arg(1)->Arg(8)->Arg(32)->Arg(64);

BENCHMARK_MAIN();
