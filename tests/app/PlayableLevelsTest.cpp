// Hand-edited volumes and pitch variations (a master volume of 7.5, a negative key volume, NaN) play as the
// nearest value in range: rendered through the runtime configuration, the router and the audio engine, and
// in previews and the silence diagnosis.

#include "AppModelHarness.h"

#include "app/RuntimeBuilder.h"
#include "engine/AudioEngine.h"
#include "engine/LoadedSound.h"
#include "model/Json.h"
#include "support/AudioSignals.h"
#include "support/FakeAudioDevices.h"
#include "support/FakeAudioOutput.h"
#include "support/FakeSoundLookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace tc::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr float kLevel = 0.5f;             // every frame of the test sound
constexpr std::uint16_t kOwnKey = 0;       // A: a sound of its own
constexpr std::uint16_t kBaseKey = 1;      // S: the base sound
constexpr std::size_t kSoundFrames = 4800; // 0.1 s

// A document whose key A plays the test sound at `keyVolume` and whose other keys play it as the base sound.
AppData document(double masterVolume, double keyVolume) {
    Profile profile;
    profile.id = Uuid::random();
    profile.name = "Levels";
    profile.baseSoundID = "level";
    profile.keys["0"] = KeyAssignment{.soundID = "level", .volume = keyVolume, .pitchVariation = 0.0};
    AppData data;
    data.profiles = {profile};
    data.activeProfileID = profile.id;
    data.settings.masterVolume = masterVolume;
    data.settings.stereoSpread = false;
    return data;
}

// The loudest sample the real engine renders for one press of `code`.
float loudest(const AppData &data, std::uint16_t code) {
    FakeAudioOutput output;
    FakeAudioDevices devices;
    devices.add({"tc_out", "Null Output"});
    AudioEngine engine(output, devices, AudioEngine::Options{nullptr, {}, [](const std::string &) {}, {}});
    engine.setVoiceCount(12);
    engine.start();
    engine.waitUntilSettled();
    FakeSoundLookup lookup;
    LoadedSound::Takes takes;
    takes[SoundSynth::Role::down].push_back(constantBuffer(kSoundFrames, kLevel, kLevel));
    lookup.add(std::make_shared<const LoadedSound>(SoundItem{"level", "Level", SoundCategory::mechanical, {}, 0.1},
                                                   std::move(takes), std::vector<float>(64, kLevel)));
    SoundRouter router(lookup, engine);
    LiveState live;
    live.permissionGranted = true;
    router.setConfig(buildRuntimeConfig(data, live, {}));
    router.handle(KeyEvent{code, true, false, 0, code == kOwnKey ? "a" : "s"});

    std::vector<float> left;
    std::vector<float> right;
    output.render(3 * kSoundFrames, left, right);
    return std::max(peak(left), peak(right));
}

TEST(PlayableLevels, VolumesOutOfRangeRenderAsTheNearestVolumeInRange) {
    struct Case {
        const char *name;
        double master;
        double key;
        float ownKeyPeak; // kLevel × master × key, each brought into 0…1
    };
    const Case cases[] = {
        {"as stored", 0.8, 0.5, kLevel * 0.8f * 0.5f},
        {"master 7.5", 7.5, 1.0, kLevel},
        {"master 7.5 under a quiet key", 7.5, 0.2, kLevel * 0.2f},
        {"master 1e300", 1e300, 0.2, kLevel * 0.2f},
        {"key 7.5", 0.4, 7.5, kLevel * 0.4f},
        {"negative master", -2.0, 1.0, 0.0f},
        {"negative key", 1.0, -0.5, 0.0f},
        {"NaN master", kNaN, 1.0, 0.0f},
        {"NaN key", 0.6, kNaN, 0.0f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const AppData data = document(c.master, c.key);
        EXPECT_NEAR(loudest(data, kOwnKey), c.ownKeyPeak, 1e-6f);
        const float master = std::isnan(c.master) ? 0.0f : std::clamp(static_cast<float>(c.master), 0.0f, 1.0f);
        EXPECT_NEAR(loudest(data, kBaseKey), kLevel * master * SoundRouter::kBaseGain, 1e-6f);
    }
}

TEST(PlayableLevels, AHandEditedPitchVariationKeepsRatesWithinHalfAndOneAndAHalf) {
    Harness harness;
    auto stored = document(0.8, 1.0);
    stored.profiles[0].keys["0"] = KeyAssignment{.soundID = "synth.meow", .volume = 1.0, .pitchVariation = 5.0};
    stored.profiles[0].keys["1"] = KeyAssignment{.soundID = "synth.meow", .volume = 1.0, .pitchVariation = -5.0};
    stored.settings.seededPacks = {"mixed-packs-1.0.3"}; // no upgrade
    harness.writeDocument(QByteArray::fromStdString(encodeAppData(stored, false)));
    harness.started();
    for (int i = 0; i < 200; ++i) {
        harness.press(kOwnKey, 0, "a");
        harness.press(kBaseKey, 0, "s");
    }
    ASSERT_EQ(harness.audio.plays.size(), 400u);
    float lowest = 2.0f;
    float highest = 0.0f;
    for (std::size_t i = 0; i < harness.audio.plays.size(); ++i) {
        const float rate = harness.audio.plays[i].rate;
        if (i % 2 == 1) {
            EXPECT_EQ(rate, 1.0f); // a negative variation is none
        }
        lowest = std::min(lowest, rate);
        highest = std::max(highest, rate);
    }
    EXPECT_GE(lowest, 0.5f);
    EXPECT_LE(highest, 1.5f);
    EXPECT_LT(lowest, 0.9f); // still a wide variation
    EXPECT_GT(highest, 1.1f);
}

TEST(PlayableLevels, PreviewsAndTheSilenceDiagnosisUseTheVolumeInRange) {
    struct Case {
        const char *name;
        double master;
        float preview;
        bool silentForVolume;
    };
    const Case cases[] = {
        {"as stored", 0.6, 0.6f, false},
        {"beyond one", 7.5, 1.0f, false},
        {"negative", -3.0, 0.4f, true}, // a preview is never quieter than 0.4
        {"NaN", kNaN, 0.4f, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Harness harness;
        auto &model = harness.started();
        model.setSetting(&AppSettings::masterVolume, c.master);
        model.preview("synth.meow");
        ASSERT_FALSE(harness.audio.plays.empty());
        EXPECT_EQ(harness.audio.plays.back().volume, c.preview);
        const auto silence = model.silence();
        EXPECT_EQ(silence && silence->kind == Silence::Kind::volume, c.silentForVolume);
    }
}

} // namespace
} // namespace tc::test
