#include "engine/SoundSynth.h"

#include "engine/SoundSynthParts.h"

#include <algorithm>
#include <cmath>

namespace tc::SoundSynth {

namespace {

using namespace detail;

// The generator of a recipe that is not a switch; the blip for anything unknown.
std::vector<float> generate(std::string_view id, RNG &rng) {
    if (id == "synth.boom") {
        return boom(rng);
    }
    if (id == "synth.airhorn") {
        return airhorn();
    }
    if (id == "synth.rimshot") {
        return rimshot(rng);
    }
    if (id == "synth.sadtrombone") {
        return sadTrombone();
    }
    if (id == "synth.tada") {
        return tada();
    }
    if (id == "synth.whoosh") {
        return whoosh(rng);
    }
    if (id == "synth.boing") {
        return boing();
    }
    if (id == "synth.pop") {
        return pop(rng);
    }
    if (id == "synth.coin") {
        return coin();
    }
    if (id == "synth.jump") {
        return jump();
    }
    if (id == "synth.laser") {
        return laser();
    }
    if (id == "synth.powerup") {
        return powerUp();
    }
    if (id == "synth.explosion") {
        return explosion(rng);
    }
    return blip();
}

} // namespace

const Recipe *findRecipe(std::string_view id) {
    const auto it = std::find_if(recipes.begin(), recipes.end(), [&](const Recipe &r) { return r.id == id; });
    return it == recipes.end() ? nullptr : &*it;
}

std::uint64_t seed(std::string_view id, Role role, int variant) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (char c : id) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    hash += static_cast<std::uint64_t>(static_cast<int>(role)) * 131u +
            static_cast<std::uint64_t>(static_cast<std::int64_t>(variant)) * 17u + 1u;
    return hash == 0 ? 0x9e3779b97f4a7c15ull : hash;
}

std::vector<float> render(std::string_view id, Role role, int variant) {
    RNG rng{seed(id, role, variant)};
    const Recipe *recipe = findRecipe(id);
    const bool isSwitch = recipe != nullptr && recipe->isSwitch;

    std::vector<float> samples;
    if (isSwitch) {
        if (id == "synth.typewriter" && role == Role::enter) {
            samples = typewriterReturn(rng);
        } else {
            samples = mechanical(*switchSpec(id), role, rng);
        }
    } else {
        samples = generate(recipe != nullptr ? id : std::string_view{}, rng);
    }
    finalize(samples, role == Role::up ? 0.4f : 0.9f, isSwitch ? std::nullopt : std::optional<float>(0.2f));
    return samples;
}

namespace detail {

void finalize(std::vector<float> &samples, float peak, std::optional<float> targetRMS) {
    const std::size_t n = samples.size();
    if (n == 0) {
        return;
    }
    double m = 0.0;
    double sumSquares = 0.0;
    for (float s : samples) {
        m = std::max(m, static_cast<double>(std::fabs(s)));
        sumSquares += static_cast<double>(s) * s;
    }
    if (m > 0.0) {
        double gain = peak / m;
        const double rms = std::sqrt(sumSquares / static_cast<double>(n));
        if (targetRMS && gain * rms > *targetRMS) {
            gain = *targetRMS / rms;
        }
        for (float &s : samples) {
            s = static_cast<float>(s * gain);
        }
    }
    const std::size_t fadeIn = std::min<std::size_t>(n, 38);
    for (std::size_t i = 0; i < fadeIn; ++i) {
        samples[i] = static_cast<float>(samples[i] * static_cast<double>(i) / static_cast<double>(fadeIn));
    }
    const std::size_t fadeOut = std::min<std::size_t>(n, 288);
    for (std::size_t k = 0; k < fadeOut; ++k) {
        float &s = samples[n - 1 - k];
        s = static_cast<float>(s * static_cast<double>(k) / static_cast<double>(fadeOut));
    }
}

} // namespace detail

} // namespace tc::SoundSynth
