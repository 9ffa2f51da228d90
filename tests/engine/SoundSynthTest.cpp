#include "engine/SoundSynth.h"
#include "engine/Biquad.h"
#include "engine/SoundSynthParts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>
#include <string>

namespace tc {
namespace {

using SoundSynth::Role;

// The samples as they were before finalize's fades: the fades scale sample i of the first 38 by i/38 and
// sample n-1-k of the last 288 by k/288, so dividing them out gives the scaled sound back (samples 0 and
// n-1, which the fades zero, count as 0).
std::vector<double> beforeFades(const std::vector<float> &samples) {
    const std::size_t n = samples.size();
    std::vector<double> out(samples.begin(), samples.end());
    const std::size_t fadeIn = std::min<std::size_t>(n, 38);
    const std::size_t fadeOut = std::min<std::size_t>(n, 288);
    for (std::size_t i = 0; i < n; ++i) {
        double factor = 1.0;
        if (i < fadeIn) {
            factor *= static_cast<double>(i) / fadeIn;
        }
        if (i >= n - fadeOut) {
            factor *= static_cast<double>(n - 1 - i) / fadeOut;
        }
        out[i] = factor > 0.0 ? out[i] / factor : 0.0;
    }
    return out;
}

double peakOf(const std::vector<double> &samples) {
    double peak = 0.0;
    for (double s : samples) {
        peak = std::max(peak, std::fabs(s));
    }
    return peak;
}

double rmsOf(const std::vector<double> &samples) {
    double sum = 0.0;
    for (double s : samples) {
        sum += s * s;
    }
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

TEST(SoundSynth, RenderingIsDeterministicAndTakesDiffer) {
    const auto first = SoundSynth::render("synth.brown", Role::down, 0);
    EXPECT_EQ(first, SoundSynth::render("synth.brown", Role::down, 0));
    EXPECT_NE(first, SoundSynth::render("synth.brown", Role::down, 1));
    EXPECT_NE(first, SoundSynth::render("synth.blue", Role::down, 0));
    // Generators that draw noise differ per take; the others are the same for every seed.
    EXPECT_NE(SoundSynth::render("synth.boom", Role::down, 0), SoundSynth::render("synth.boom", Role::down, 1));
    EXPECT_EQ(SoundSynth::render("synth.coin", Role::down, 0), SoundSynth::render("synth.coin", Role::down, 1));
}

TEST(SoundSynth, SeedIsFnv1aPlusRoleAndVariant) {
    // FNV-1a of "" is the offset basis; of "a" the published 0xaf63dc4c8601ec8c.
    EXPECT_EQ(SoundSynth::seed("", Role::down, 0), 0xcbf29ce484222325ull + 1);
    EXPECT_EQ(SoundSynth::seed("a", Role::down, 0), 0xaf63dc4c8601ec8cull + 1);
    EXPECT_EQ(SoundSynth::seed("a", Role::enter, 3), 0xaf63dc4c8601ec8cull + 4 * 131 + 3 * 17 + 1);
}

TEST(SoundSynth, RngIsXorshift64WithTopBitsForUniforms) {
    SoundSynth::RNG rng{1};
    EXPECT_EQ(rng.next(), 1082269761ull); // 1 ^ 1<<13 = 8193; ^ >>7 = 8257; ^ <<17
    SoundSynth::RNG uniform{0xFFFFFFFFFFFFFFFFull};
    const std::uint64_t drawn = SoundSynth::RNG{0xFFFFFFFFFFFFFFFFull}.next();
    EXPECT_FLOAT_EQ(uniform.uniform(), static_cast<float>(drawn >> 40) / 16777216.0f);
    SoundSynth::RNG noise{12345};
    for (int i = 0; i < 1000; ++i) {
        const float value = noise.noise();
        ASSERT_GE(value, -1.0f);
        ASSERT_LT(value, 1.0f);
    }
}

TEST(SoundSynth, EveryTakeHasItsLengthPeakAndSilentEnds) {
    const std::map<std::string_view, std::size_t> lengths = {
        {"synth.boom", 60000}, {"synth.airhorn", 48960},  {"synth.rimshot", 60000}, {"synth.sadtrombone", 96960},
        {"synth.tada", 48000}, {"synth.whoosh", 24000},   {"synth.boing", 28800},   {"synth.pop", 4800},
        {"synth.coin", 20160}, {"synth.jump", 9600},      {"synth.laser", 14400},   {"synth.powerup", 28800},
        {"synth.blip", 2880},  {"synth.explosion", 36000}};
    for (const auto &recipe : SoundSynth::recipes) {
        for (Role role : SoundSynth::kAllRoles) {
            SCOPED_TRACE(std::string(recipe.id) + " role " + std::to_string(static_cast<int>(role)));
            const auto samples = SoundSynth::render(recipe.id, role, 2);
            ASSERT_FALSE(samples.empty());
            EXPECT_EQ(samples.front(), 0.0f);
            EXPECT_EQ(samples.back(), 0.0f);
            const auto scaled = beforeFades(samples);
            if (recipe.isSwitch) {
                std::size_t length = role == Role::space ? 7680 : 5280;
                if (recipe.id == "synth.typewriter" && role == Role::enter) {
                    length = 52800; // the carriage return
                }
                EXPECT_EQ(samples.size(), length);
                EXPECT_NEAR(peakOf(scaled), role == Role::up ? 0.4 : 0.9, 1e-4);
            } else {
                EXPECT_EQ(samples.size(), lengths.at(recipe.id));
                // Scaled to peak 0.9, unless that makes it louder than RMS 0.2. (The blip's peak is its
                // first sample, which the fade zeroes: the next one is 0.1 % lower.)
                const double peak = peakOf(scaled);
                const double rms = rmsOf(scaled);
                const double wanted = role == Role::up ? 0.4 : 0.9;
                EXPECT_LE(peak, wanted + 1e-4);
                if (peak < wanted - 2e-3) {
                    EXPECT_NEAR(rms, 0.2, 1e-3);
                } else {
                    EXPECT_LE(rms, 0.2 + 1e-3);
                }
            }
        }
    }
}

TEST(SoundSynth, UnknownIdsRenderTheBlip) {
    const auto blip = SoundSynth::render("synth.blip", Role::down, 0);
    EXPECT_EQ(blip.size(), 2880u);
    for (const char *id : {"nothing", "", "synth.meow", "rec.gong", "user.1234"}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(SoundSynth::render(id, Role::down, 4), blip);
    }
    EXPECT_EQ(SoundSynth::findRecipe("synth.meow"), nullptr);
    ASSERT_NE(SoundSynth::findRecipe("synth.laptop"), nullptr);
    EXPECT_EQ(SoundSynth::findRecipe("synth.laptop")->name, "Laptop scissor");
}

TEST(SoundSynth, RecipesAreTheTwentyInOrder) {
    ASSERT_EQ(SoundSynth::recipes.size(), 20u);
    EXPECT_EQ(SoundSynth::recipes.front().id, "synth.brown");
    EXPECT_EQ(SoundSynth::recipes[5].id, "synth.laptop");
    EXPECT_EQ(SoundSynth::recipes[6].id, "synth.boom");
    EXPECT_EQ(SoundSynth::recipes.back().id, "synth.explosion");
    std::set<std::string_view> ids;
    int switches = 0;
    for (const auto &recipe : SoundSynth::recipes) {
        ids.insert(recipe.id);
        switches += recipe.isSwitch ? 1 : 0;
        EXPECT_EQ(recipe.isSwitch, recipe.category == SoundCategory::mechanical);
    }
    EXPECT_EQ(ids.size(), 20u);
    EXPECT_EQ(switches, 6);
}

TEST(SoundSynth, TypewriterEnterIsTheCarriageReturnOthersTheSwitchModel) {
    using namespace SoundSynth::detail;
    SoundSynth::RNG rng{SoundSynth::seed("synth.typewriter", Role::enter, 0)};
    auto expected = typewriterReturn(rng);
    finalize(expected, 0.9f, std::nullopt);
    EXPECT_EQ(SoundSynth::render("synth.typewriter", Role::enter, 0), expected);

    SoundSynth::RNG wideRng{SoundSynth::seed("synth.typewriter", Role::wide, 0)};
    auto wide = mechanical(*switchSpec("synth.typewriter"), Role::wide, wideRng);
    finalize(wide, 0.9f, std::nullopt);
    EXPECT_EQ(SoundSynth::render("synth.typewriter", Role::wide, 0), wide);
    // The switch model draws exactly: 4 variations, 960 contact noise, body and rattle per sample.
    const int bodyStart = 576; // 0.012 s
    const std::uint64_t draws = 4 + 960 + (5280 - bodyStart) + (5280 - bodyStart - 336);
    SoundSynth::RNG counted{SoundSynth::seed("synth.typewriter", Role::wide, 0)};
    for (std::uint64_t i = 0; i < draws; ++i) {
        counted.next();
    }
    EXPECT_EQ(counted.state, wideRng.state);
}

TEST(SoundSynth, ClickBurstsDrawTheirCentresAndSamples) {
    using namespace SoundSynth::detail;
    // The blue switch clicks: 2 × (1 centre + 480 samples) more draws than the same switch without a click.
    auto params = *switchSpec("synth.blue");
    SoundSynth::RNG withClick{99};
    mechanical(params, Role::down, withClick);
    params.click = false;
    SoundSynth::RNG withoutClick{99};
    mechanical(params, Role::down, withoutClick);
    for (int i = 0; i < 2 * 481; ++i) {
        withoutClick.next();
    }
    // The body draws follow the clicks, so only the count can match, not the order.
    SoundSynth::RNG expected{99};
    const int bodyStart = 528; // 0.011 s in single precision
    for (int i = 0; i < 4 + 960 + 2 * 481 + (5280 - bodyStart); ++i) {
        expected.next();
    }
    EXPECT_EQ(withClick.state, expected.state);
    EXPECT_EQ(withoutClick.state, expected.state);
}

TEST(SoundSynth, FinalizeScalesToPeakOrTargetRmsThenFades) {
    using SoundSynth::detail::finalize;
    std::vector<float> empty;
    finalize(empty, 0.9f, 0.2f);
    EXPECT_TRUE(empty.empty());

    // A constant 0.5: peak scaling would give RMS 0.9, so the target RMS 0.2 wins.
    std::vector<float> loud(1000, 0.5f);
    finalize(loud, 0.9f, 0.2f);
    EXPECT_FLOAT_EQ(loud[500], 0.2f);
    EXPECT_FLOAT_EQ(loud[19], 0.2f * 19 / 38);
    EXPECT_FLOAT_EQ(loud[999 - 144], 0.2f * 144 / 288);
    EXPECT_EQ(loud[0], 0.0f);
    EXPECT_EQ(loud[999], 0.0f);

    // Without a target the peak goes to 0.9.
    std::vector<float> plain(1000, -0.25f);
    finalize(plain, 0.9f, std::nullopt);
    EXPECT_FLOAT_EQ(plain[500], -0.9f);

    // A sparse click stays at peak 0.9: its RMS is far below 0.2.
    std::vector<float> click(1000, 0.0f);
    click[500] = 0.1f;
    finalize(click, 0.9f, 0.2f);
    EXPECT_FLOAT_EQ(click[500], 0.9f);

    // Silence is left unscaled; short sounds fade over their whole length.
    std::vector<float> silent(10, 0.0f);
    finalize(silent, 0.9f, 0.2f);
    EXPECT_EQ(silent, std::vector<float>(10, 0.0f));
    std::vector<float> shortOne(10, 1.0f);
    finalize(shortOne, 1.0f, std::nullopt);
    EXPECT_FLOAT_EQ(shortOne[5], 0.5f * 0.4f); // fade-in 5/10, fade-out k = 4: 4/10
}

TEST(Biquad, CookbookResponses) {
    auto gainAt = [](Biquad filter, double frequency) {
        double peak = 0.0;
        for (int i = 0; i < 48000; ++i) {
            const double y = filter.process(std::sin(2.0 * std::numbers::pi * frequency * i / 48000.0));
            if (i > 24000) {
                peak = std::max(peak, std::fabs(y));
            }
        }
        return peak;
    };
    EXPECT_NEAR(gainAt(Biquad(Biquad::Kind::bandPass, 1000, 2), 1000), 1.0, 1e-3);
    EXPECT_LT(gainAt(Biquad(Biquad::Kind::bandPass, 1000, 2), 8000), 0.1);
    EXPECT_NEAR(gainAt(Biquad(Biquad::Kind::lowPass, 1000, 0.7071), 50), 1.0, 1e-2);
    EXPECT_NEAR(gainAt(Biquad(Biquad::Kind::lowPass, 1000, 0.7071), 1000), 0.7071, 1e-2);
    EXPECT_LT(gainAt(Biquad(Biquad::Kind::lowPass, 1000, 0.7071), 10000), 0.02);
    EXPECT_NEAR(gainAt(Biquad(Biquad::Kind::highPass, 60, 0.7071), 5000), 1.0, 1e-2);
    EXPECT_LT(gainAt(Biquad(Biquad::Kind::highPass, 1000, 0.7071), 50), 0.01);
    // Out-of-range frequencies are clamped, so the coefficients stay finite.
    Biquad low(Biquad::Kind::lowPass, 0.0, 0.7);
    Biquad high(Biquad::Kind::bandPass, 1e9, 0.7);
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(std::isfinite(low.process(1.0)));
        ASSERT_TRUE(std::isfinite(high.process(i % 2 ? 1.0 : -1.0)));
    }
}

} // namespace
} // namespace tc
