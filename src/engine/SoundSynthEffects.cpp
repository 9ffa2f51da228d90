// The generators of the meme and retro sounds. Phases named `p` are in cycles, phases named `phase` in
// radians; time t is the sample index ÷ 48000 within the part being made.

#include "engine/Biquad.h"
#include "engine/SoundSynthParts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace tc::SoundSynth::detail {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double seconds(int sample) {
    return static_cast<double>(sample) / kRate;
}

double frac(double p) {
    return p - std::floor(p);
}

double saw(double p) {
    return 2.0 * frac(p) - 1.0;
}

double square(double p) {
    return frac(p) < 0.5 ? 1.0 : -1.0;
}

double smoothstep(double r) {
    return r * r * (3.0 - 2.0 * r);
}

// Rises linearly over `attack` seconds, then stays at 1.
double rise(double t, double attack) {
    return std::min(t / attack, 1.0);
}

// 1 until `release` seconds before the end of a part of length `length`, then a smooth fall to 0.
double fall(double t, double length, double release) {
    return smoothstep(std::clamp((length - t) / release, 0.0, 1.0));
}

} // namespace

std::vector<float> boom(RNG &rng) {
    constexpr int kFrames = 60000;
    std::vector<float> out(kFrames);
    Biquad rumble(Biquad::Kind::lowPass, 260.0, 0.8);
    Biquad crack(Biquad::Kind::highPass, 2000.0, 0.7);
    double phase = 0.0;
    for (int i = 0; i < kFrames; ++i) {
        const double t = seconds(i);
        const double tone = std::exp(-2.0 * t) * std::sin(phase);
        const double low = rumble.process(rng.noise()) * std::exp(-t / 0.32) * 1.6;
        const double high = crack.process(rng.noise()) * std::exp(-t / 0.005) * 0.7;
        out[i] = static_cast<float>(std::tanh(1.9 * (tone + low + high)));
        phase += kTwoPi * (38.0 + 95.0 * std::exp(-t / 0.08)) / kRate;
    }
    return out;
}

std::vector<float> airhorn() {
    constexpr int kFrames = 48960;
    struct Honk {
        int start;
        int end; // exclusive
    };
    // [0, 0.14) s, [0.18, 0.32) s, [0.36, 0.96) s
    constexpr std::array<Honk, 3> kHonks = {{{0, 6720}, {8640, 15360}, {17280, 46080}}};
    constexpr std::array<double, 4> kFreqs = {466.0, 468.796, 463.204, 233.0};

    std::vector<float> out(kFrames);
    Biquad band(Biquad::Kind::bandPass, 1500.0, 0.9);
    std::array<double, 4> p{};
    for (int i = 0; i < kFrames; ++i) {
        const double t = seconds(i);
        double envelope = 0.0;
        for (const Honk &honk : kHonks) {
            if (i >= honk.start && i < honk.end) {
                const double tau = seconds(i - honk.start);
                envelope = rise(tau, 0.012) * fall(tau, seconds(honk.end - honk.start), 0.03);
            }
        }
        const double x = saw(p[0]) + saw(p[1]) + saw(p[2]) + 0.5 * saw(p[3]);
        out[i] = static_cast<float>(envelope * std::tanh(1.6 * band.process(x)));
        const double flutter = 1.0 + 0.004 * std::sin(kTwoPi * 5.5 * t);
        for (std::size_t k = 0; k < p.size(); ++k) {
            p[k] += flutter * kFreqs[k] / kRate;
        }
    }
    return out;
}

std::vector<float> rimshot(RNG &rng) {
    constexpr int kFrames = 60000;
    std::vector<double> buffer(kFrames, 0.0);

    // Rim: a snare-like crack with a 190 Hz body.
    Biquad rim(Biquad::Kind::bandPass, 2000.0, 0.8);
    for (int i = 0; i < 12000; ++i) {
        const double t = seconds(i);
        buffer[i] +=
            rim.process(rng.noise()) * std::exp(-t / 0.08) * 1.4 + std::sin(1193.8052 * t) * std::exp(-t / 0.04) * 0.6;
    }

    // Tom, from 0.19 s: a falling pitch.
    double phase = 0.0;
    for (int i = 9120; i < 25920; ++i) {
        const double t = seconds(i - 9120);
        buffer[i] += std::exp(-t / 0.13) * std::sin(phase) * 0.9;
        phase += kTwoPi * (110.0 + 60.0 * std::exp(-t / 0.05)) / kRate;
    }

    // Cymbal, from 0.38 s: one noise through two filters.
    Biquad hiss(Biquad::Kind::highPass, 6500.0, 0.7);
    Biquad shimmer(Biquad::Kind::bandPass, 9000.0, 3.0);
    for (int i = 18240; i < kFrames; ++i) {
        const double t = seconds(i - 18240);
        const double noise = rng.noise();
        buffer[i] += (hiss.process(noise) * 1.2 + shimmer.process(noise) * 0.8) * std::exp(-t / 0.4);
    }

    return std::vector<float>(buffer.begin(), buffer.end());
}

std::vector<float> sadTrombone() {
    struct Note {
        double freq;
        double duration; // seconds
        int samples;
    };
    constexpr std::array<Note, 4> kNotes = {
        {{293.66, 0.34, 16320}, {277.18, 0.34, 16320}, {261.63, 0.34, 16320}, {246.94, 1.0, 48000}}};
    std::vector<float> out;
    out.reserve(96960);
    Biquad low; // its state runs on from note to note
    for (std::size_t noteIndex = 0; noteIndex < kNotes.size(); ++noteIndex) {
        const Note &note = kNotes[noteIndex];
        const bool last = noteIndex + 1 == kNotes.size();
        double p = 0.0;
        for (int j = 0; j < note.samples; ++j) {
            const double t = seconds(j);
            if (j % 64 == 0) {
                const double cutoff =
                    last ? 1800.0 - 1300.0 * std::min(t / note.duration, 1.0)
                         : 500.0 + 1400.0 * std::sin(std::numbers::pi * std::min(1.4 * t / note.duration, 1.0));
                low.set(Biquad::Kind::lowPass, cutoff, 2.0);
            }
            double voice = 0.0;
            for (int k = 1; k <= 12; ++k) {
                voice += std::sin(kTwoPi * k * p) / k;
            }
            const double envelope = rise(t, 0.03) * fall(t, note.duration, 0.06);
            out.push_back(static_cast<float>(low.process(voice) * envelope));
            // The last note wobbles, the vibrato fading in over its first quarter second.
            const double wobble = last ? 1.0 + 0.018 * std::sin(kTwoPi * 5.5 * t) * std::min(4.0 * t, 1.0) : 1.0;
            p += note.freq * wobble / kRate;
        }
    }
    return out;
}

std::vector<float> tada() {
    constexpr int kFrames = 48000;
    constexpr int kPickupEnd = 4800; // 0.1 s
    constexpr std::array<double, 4> kChord = {523.25, 659.25, 783.99, 1046.5};
    std::vector<float> out(kFrames);
    Biquad low(Biquad::Kind::lowPass, 2200.0, 0.9); // one state for the pickup and the chord

    double pickup = 0.0;
    for (int i = 0; i < kPickupEnd; ++i) {
        const double t = seconds(i);
        const double x = saw(pickup) * rise(t, 0.01) * fall(t, 0.1, 0.02);
        out[i] = static_cast<float>(std::tanh(1.4 * low.process(x)));
        pickup += 392.0 / kRate;
    }

    std::array<double, 4> p{};
    for (int i = kPickupEnd; i < kFrames; ++i) {
        const int j = i - kPickupEnd;
        const double tau = seconds(j);
        if (j % 64 == 0) {
            low.set(Biquad::Kind::lowPass, 900.0 + 2800.0 * rise(tau, 0.05) * std::exp(-tau / 0.7), 0.9);
        }
        double sum = 0.0;
        for (double phase : p) {
            sum += saw(phase);
        }
        const double x = 0.5 * sum * rise(tau, 0.01) * std::exp(-tau / 0.45);
        out[i] = static_cast<float>(std::tanh(1.4 * low.process(x)));
        for (std::size_t k = 0; k < p.size(); ++k) {
            p[k] += kChord[k] / kRate;
        }
    }
    return out;
}

std::vector<float> whoosh(RNG &rng) {
    constexpr int kFrames = 24000;
    std::vector<float> out(kFrames);
    Biquad band;
    for (int i = 0; i < kFrames; ++i) {
        const double x = std::numbers::pi * seconds(i) / 0.5;
        const double sine = std::max(std::sin(x), 0.0);
        if (i % 32 == 0) {
            band.set(Biquad::Kind::bandPass, 250.0 + 2600.0 * sine * sine, 1.5);
        }
        out[i] = static_cast<float>(band.process(rng.noise()) * std::pow(sine, 1.5) * 2.5);
    }
    return out;
}

std::vector<float> boing() {
    constexpr int kFrames = 28800;
    std::vector<float> out(kFrames);
    double phase = 0.0;
    for (int i = 0; i < kFrames; ++i) {
        const double t = seconds(i);
        out[i] =
            static_cast<float>(rise(t, 0.004) * (std::sin(phase) + 0.3 * std::sin(2.0 * phase)) * std::exp(-t / 0.32));
        const double freq = 170.0 * (1.0 + 0.5 * std::exp(-t / 0.15) * std::sin(kTwoPi * 14.0 * t)) * (1.0 + 0.3 * t);
        phase += kTwoPi * freq / kRate;
    }
    return out;
}

std::vector<float> pop(RNG &rng) {
    constexpr int kFrames = 4800;
    std::vector<float> out(kFrames);
    double phase = 0.0;
    for (int i = 0; i < kFrames; ++i) {
        const double t = seconds(i);
        out[i] = static_cast<float>(std::sin(phase) * std::exp(-t / 0.022) + rng.noise() * std::exp(-t / 0.0015) * 0.4);
        phase += kTwoPi * (380.0 + 970.0 * rise(t, 0.018)) / kRate;
    }
    return out;
}

std::vector<float> coin() {
    constexpr int kFrames = 20160;
    constexpr int kSecondNote = 3600; // 75 ms
    std::vector<float> out(kFrames);
    double p = 0.0;
    for (int i = 0; i < kFrames; ++i) {
        const double t = seconds(i);
        const bool first = i < kSecondNote;
        const double amplitude = first ? 1.0 : std::exp(-(t - 0.075) / 0.13);
        out[i] = static_cast<float>(square(p) * amplitude * 0.45);
        p += (first ? 988.0 : 1319.0) / kRate;
    }
    return out;
}

std::vector<float> jump() {
    constexpr int kFrames = 9600;
    std::vector<float> out(kFrames);
    double p = 0.0;
    for (int i = 0; i < kFrames; ++i) {
        const double u = static_cast<double>(i) / kFrames;
        const double pulse = frac(p) < 0.25 ? 1.0 : -1.0;
        out[i] = static_cast<float>(pulse * (1.0 - u) * 0.45);
        p += 280.0 * std::pow(3.0, u) / kRate;
    }
    return out;
}

std::vector<float> laser() {
    constexpr int kFrames = 14400;
    std::vector<float> out(kFrames);
    double p = 0.0;
    for (int i = 0; i < kFrames; ++i) {
        const double t = seconds(i);
        const double duty = 0.5 - 0.35 * rise(t, 0.3);
        const double pulse = (frac(p) < duty ? 1.0 : -1.0) * std::exp(-t / 0.12);
        out[i] = static_cast<float>(pulse * 0.45);
        p += (200.0 + 1900.0 * std::exp(-t / 0.06)) / kRate;
    }
    return out;
}

std::vector<float> powerUp() {
    constexpr int kFrames = 28800;
    constexpr int kStep = 1920; // 40 ms
    constexpr std::array<double, 4> kChord = {523.25, 659.25, 783.99, 1046.5};
    std::vector<float> out(kFrames);
    double p = 0.0;
    for (int i = 0; i < kFrames; ++i) {
        const double t = seconds(i);
        const int k = i / kStep;
        // Each round of four steps two semitones higher.
        const double note = kChord[k % 4] * std::pow(2.0, 2.0 * (k / 4) / 12.0);
        out[i] = static_cast<float>(square(p) * (1.0 - t / 0.6) * 0.4);
        p += note / kRate;
    }
    return out;
}

std::vector<float> blip() {
    constexpr int kFrames = 2880;
    std::vector<float> out(kFrames);
    double p = 0.0;
    for (int i = 0; i < kFrames; ++i) {
        out[i] = static_cast<float>(square(p) * std::exp(-seconds(i) / 0.025) * 0.4);
        p += 1480.0 / kRate;
    }
    return out;
}

std::vector<float> explosion(RNG &rng) {
    constexpr int kFrames = 36000;
    std::vector<float> out(kFrames);
    double clock = 0.0;
    double level = 0.0;
    for (int i = 0; i < kFrames; ++i) {
        const double t = seconds(i);
        // A sample-and-hold noise whose step rate falls from 4 kHz to 600 Hz.
        clock += (4000.0 - 3400.0 * rise(t, 0.75)) / kRate;
        if (clock >= 1.0) {
            clock -= 1.0;
            level = rng.noise() > 0.0f ? 1.0 : -1.0;
        }
        out[i] = static_cast<float>(level * std::exp(-t / 0.22) * 0.5);
    }
    return out;
}

} // namespace tc::SoundSynth::detail
