#pragma once

#include "engine/SoundRole.h"
#include "model/SoundItem.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

// The synthesizer of the 20 built-in synthesized sounds: six mechanical switches, eight meme sounds and
// six retro game sounds, made from code alone as mono 48 kHz samples. Every take comes from a generator
// seeded by the sound id, the key role and the take number, so rendering is deterministic: the same
// arguments give the same samples on every run, and the takes of one switch differ slightly.
// Stateless; any thread may render. Called by the sound library's preload, never on the key path.
namespace tc::SoundSynth {

// One synthesized sound of the built-in list.
struct Recipe {
    std::string_view id;
    std::string_view name;
    SoundCategory category;
    bool isSwitch; // a mechanical switch: several takes per key role
};

// The 20 recipes in the order of the built-in list.
inline constexpr std::array<Recipe, 20> recipes = {{
    {"synth.brown", "Brown switch", SoundCategory::mechanical, true},
    {"synth.blue", "Blue switch, clicky", SoundCategory::mechanical, true},
    {"synth.red", "Red switch, linear", SoundCategory::mechanical, true},
    {"synth.cream", "Creamy thock", SoundCategory::mechanical, true},
    {"synth.typewriter", "Typewriter", SoundCategory::mechanical, true},
    {"synth.laptop", "Laptop scissor", SoundCategory::mechanical, true},
    {"synth.boom", "Big boom", SoundCategory::memes, false},
    {"synth.airhorn", "Air horn", SoundCategory::memes, false},
    {"synth.rimshot", "Ba-dum-tss", SoundCategory::memes, false},
    {"synth.sadtrombone", "Sad trombone", SoundCategory::memes, false},
    {"synth.tada", "Ta-da", SoundCategory::memes, false},
    {"synth.whoosh", "Whoosh", SoundCategory::memes, false},
    {"synth.boing", "Boing", SoundCategory::memes, false},
    {"synth.pop", "Pop", SoundCategory::memes, false},
    {"synth.coin", "8-bit coin", SoundCategory::retro, false},
    {"synth.jump", "8-bit jump", SoundCategory::retro, false},
    {"synth.laser", "Laser", SoundCategory::retro, false},
    {"synth.powerup", "Power-up", SoundCategory::retro, false},
    {"synth.blip", "Blip", SoundCategory::retro, false},
    {"synth.explosion", "8-bit explosion", SoundCategory::retro, false},
}};

// The recipe with this id, or null.
const Recipe *findRecipe(std::string_view id);

// The seeded xorshift generator every random draw of a render comes from.
struct RNG {
    std::uint64_t state;

    std::uint64_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
    // Uniform in [0, 1): the top 24 bits of one draw.
    float uniform() { return static_cast<float>(next() >> 40) * 0x1p-24f; }
    // Bipolar noise in [-1, 1): 2u - 1 of one draw.
    float noise() { return 2.0f * uniform() - 1.0f; }
};

// The generator's starting state for one take: FNV-1a (64-bit) over the id's UTF-8 bytes, plus
// role × 131 + variant × 17 + 1, wrapping; a zero result (which xorshift cannot leave) is replaced.
std::uint64_t seed(std::string_view id, Role role, int variant);

// Take number `variant` (0, 1, 2, ...) of the sound `id` for the key role, as mono samples at 48 kHz.
// Never fails: an id that names no recipe renders the blip. The first and last samples are 0.
std::vector<float> render(std::string_view id, Role role, int variant);

} // namespace tc::SoundSynth
