#pragma once

#include "engine/SoundSynth.h"

#include <optional>
#include <string_view>
#include <vector>

// The building blocks behind SoundSynth::render, shared by the synthesizer's source files and open to
// tests. Nothing outside the synthesizer calls them.
namespace tc::SoundSynth::detail {

inline constexpr int kRate = 48000;

// The parameters of one mechanical switch (times in seconds, frequencies in Hz).
struct SwitchSpec {
    float bodyFreq;
    float bodyDecay;
    float bodyLevel;
    float noiseFreq;
    float noiseQ;
    float noiseDecay;
    float noiseLevel;
    float bodyStart;
    bool click;
    float ringFreq;
    float ringDecay;
    float ringLevel;
    bool noRing;
    float cutoff;
};

// The parameters of one of the six switch ids, or nullopt.
std::optional<SwitchSpec> switchSpec(std::string_view id);

// One press of a switch for a key role (5280 samples, 7680 for space), before finalize.
std::vector<float> mechanical(SwitchSpec params, Role role, RNG &rng);
// The typewriter's carriage return with its bell (52800 samples), before finalize.
std::vector<float> typewriterReturn(RNG &rng);

// The generators of the other recipes, before finalize. Those without an RNG are the same on every run.
std::vector<float> boom(RNG &rng);
std::vector<float> airhorn();
std::vector<float> rimshot(RNG &rng);
std::vector<float> sadTrombone();
std::vector<float> tada();
std::vector<float> whoosh(RNG &rng);
std::vector<float> boing();
std::vector<float> pop(RNG &rng);
std::vector<float> coin();
std::vector<float> jump();
std::vector<float> laser();
std::vector<float> powerUp();
std::vector<float> blip();
std::vector<float> explosion(RNG &rng);

// Scales to the peak (or down to the target RMS when the peak-scaled sound would be louder), then fades
// in over 38 samples and out over 288, so the first and last samples are 0.
void finalize(std::vector<float> &samples, float peak, std::optional<float> targetRMS);

} // namespace tc::SoundSynth::detail
