// The mechanical switch model and the typewriter's carriage return.

#include "engine/Biquad.h"
#include "engine/SoundSynthParts.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tc::SoundSynth::detail {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// A per-press variation of plus or minus 6 % from one draw.
float vary(RNG &rng) {
    return 1.0f + (rng.uniform() - 0.5f) * 0.12f;
}

} // namespace

std::optional<SwitchSpec> switchSpec(std::string_view id) {
    // bodyFreq, bodyDecay, bodyLevel, noiseFreq, noiseQ, noiseDecay, noiseLevel, bodyStart, click,
    // ringFreq, ringDecay, ringLevel, noRing, cutoff
    if (id == "synth.brown") {
        return SwitchSpec{210, 0.016f, 0.9f, 2600, 1.2f, 0.0025f, 0.55f, 0.007f, false, 0, 0, 0, true, 9000};
    }
    if (id == "synth.blue") {
        return SwitchSpec{240, 0.012f, 0.6f, 4800, 5.0f, 0.0012f, 1.0f, 0.011f, true, 0, 0, 0, true, 9000};
    }
    if (id == "synth.red") {
        return SwitchSpec{190, 0.014f, 0.85f, 1800, 0.8f, 0.0035f, 0.3f, 0.009f, false, 0, 0, 0, true, 6000};
    }
    if (id == "synth.cream") {
        return SwitchSpec{128, 0.024f, 1.0f, 1200, 0.7f, 0.004f, 0.25f, 0.008f, false, 0, 0, 0, true, 3200};
    }
    if (id == "synth.typewriter") {
        return SwitchSpec{95, 0.026f, 0.9f, 3000, 1.5f, 0.004f, 0.9f, 0.012f, false, 2800, 0.05f, 0.22f, false, 9000};
    }
    if (id == "synth.laptop") {
        return SwitchSpec{320, 0.006f, 0.45f, 3500, 1.4f, 0.0015f, 0.35f, 0.004f, false, 0, 0, 0, true, 7000};
    }
    return std::nullopt;
}

std::vector<float> mechanical(SwitchSpec params, Role role, RNG &rng) {
    // Per-press variation, in this draw order.
    params.bodyFreq *= vary(rng);
    params.bodyDecay *= vary(rng);
    params.noiseFreq *= vary(rng);
    params.noiseLevel *= vary(rng);

    float rattle = 0.0f;
    switch (role) {
    case Role::down:
        break;
    case Role::up:
        params.bodyLevel *= 0.35f;
        params.bodyFreq *= 1.3f;
        params.bodyDecay *= 0.6f;
        params.noiseLevel *= 0.55f;
        params.bodyStart = 0.001f;
        params.click = false;
        params.noRing = true;
        break;
    case Role::space:
        params.bodyFreq *= 0.6f;
        params.bodyDecay *= 1.7f;
        params.bodyLevel *= 1.15f;
        rattle = 0.5f;
        break;
    case Role::wide:
    case Role::enter:
        params.bodyFreq *= 0.8f;
        params.bodyDecay *= 1.3f;
        rattle = 0.3f;
        break;
    }

    const int n = role == Role::space ? 7680 : 5280;
    std::vector<double> buffer(static_cast<std::size_t>(n), 0.0);

    // Contact noise, the first 20 ms.
    {
        Biquad band(Biquad::Kind::bandPass, params.noiseFreq, std::max(params.noiseQ, 0.1f));
        for (int i = 0; i < std::min(n, 960); ++i) {
            const double t = static_cast<double>(i) / kRate;
            buffer[i] += band.process(rng.noise()) * std::exp(-t / params.noiseDecay) * params.noiseLevel * 2.5;
        }
    }

    // Click: two short bright bursts, 9 ms apart.
    if (params.click && role != Role::up) {
        for (int start : {0, 432}) { // 0 and 9 ms
            const double centre = 5200.0 * vary(rng);
            Biquad band(Biquad::Kind::bandPass, centre, 6.0);
            for (int j = 0; j < 480 && start + j < n; ++j) {
                const double t = static_cast<double>(j) / kRate;
                buffer[start + j] += band.process(rng.noise()) * std::exp(-t / 0.0009) * 3.2;
            }
        }
    }

    // Body: a pitched thump whose pitch falls quickly to bodyFreq, with a little noise at its start.
    const int s = static_cast<int>(params.bodyStart * 48000.0f);
    {
        Biquad low(Biquad::Kind::lowPass, 1400.0, 0.7);
        double phase = 0.0;
        for (int i = s; i < n; ++i) {
            const double t = static_cast<double>(i - s) / kRate;
            const double tone = std::exp(-t / params.bodyDecay) * std::min(t / 0.0006, 1.0) *
                                (std::sin(phase) + 0.32 * std::sin(2.31 * phase));
            const double noise = low.process(rng.noise()) * std::exp(-t / 0.003) * 0.8;
            buffer[i] += params.bodyLevel * (tone + noise);
            phase += kTwoPi * params.bodyFreq * (1.0 + 0.35 * std::exp(-t / 0.004)) / kRate;
        }
    }

    // Rattle of the stabiliser wire on wide keys.
    if (rattle > 0.0f) {
        Biquad band(Biquad::Kind::bandPass, 2200.0, 2.0);
        for (int i = s + 336; i < n; ++i) {
            const double t = static_cast<double>(i - s - 336) / kRate;
            buffer[i] += band.process(rng.noise()) * std::exp(-t / 0.006) * rattle;
        }
    }

    // Ring of a metal part (the typewriter's type bar).
    if (!params.noRing && role != Role::up && s < n) {
        for (int i = s; i < n; ++i) {
            const double t = static_cast<double>(i - s) / kRate;
            buffer[i] += params.ringLevel * std::exp(-t / params.ringDecay) *
                         (std::sin(kTwoPi * params.ringFreq * t) + 0.6 * std::sin(kTwoPi * 1.47 * params.ringFreq * t));
        }
    }

    // Output filters.
    Biquad low(Biquad::Kind::lowPass, params.cutoff, 0.7);
    Biquad high(Biquad::Kind::highPass, 60.0, 0.7);
    std::vector<float> out(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        out[i] = static_cast<float>(high.process(low.process(buffer[i])));
    }
    return out;
}

std::vector<float> typewriterReturn(RNG &rng) {
    constexpr int kFrames = 52800;
    std::vector<float> out(kFrames, 0.0f);

    // Ratchet of the carriage, 0.35 s, gated 38 times a second.
    Biquad band(Biquad::Kind::bandPass, 2400.0, 1.5);
    for (int i = 0; i < 16800; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double gate = std::sin(kTwoPi * 38.0 * t) > 0.6 ? 1.0 : 0.25;
        out[i] = static_cast<float>(0.5 * gate * band.process(rng.noise()) * (1.0 - t / 0.35));
    }

    // The bell at the end of the line, from 50 ms on.
    for (int i = 2400; i < kFrames; ++i) {
        const double t = static_cast<double>(i - 2400) / kRate;
        const double bell = std::sin(13150.706 * t) * std::exp(-t / 0.55) +
                            0.45 * std::sin(36295.95 * t) * std::exp(-4.0 * t) +
                            0.2 * std::sin(71013.81 * t) * std::exp(-t / 0.12);
        out[i] = static_cast<float>(out[i] + 0.7 * bell);
    }
    return out;
}

} // namespace tc::SoundSynth::detail
