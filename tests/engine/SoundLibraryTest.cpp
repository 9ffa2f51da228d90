#include "engine/SoundLibrary.h"
#include "engine/RecordedSounds.h"
#include "engine/SoundSynth.h"
#include "model/Uuid.h"
#include "support/FakeAudioDecoder.h"
#include "support/Rig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <mutex>
#include <set>
#include <thread>

namespace tc {
namespace {

using SoundSynth::Role;
using test::FakeAudioDecoder;
namespace fs = std::filesystem;

AudioBuffer stereo(std::vector<float> left, std::vector<float> right = {}) {
    AudioBuffer buffer;
    buffer.right = right.empty() ? left : std::move(right);
    buffer.left = std::move(left);
    return buffer;
}

// Silence, then `loud` frames alternating ±amplitude, then silence.
AudioBuffer burst(std::size_t lead, std::size_t loud, std::size_t tail, float amplitude) {
    std::vector<float> samples(lead, 0.0f);
    for (std::size_t i = 0; i < loud; ++i) {
        samples.push_back(i % 2 == 0 ? amplitude : -amplitude);
    }
    samples.resize(samples.size() + tail, 0.0f);
    return stereo(std::move(samples));
}

std::string decodeMessage(const std::function<void()> &action) {
    try {
        action();
    } catch (const AudioDecodeError &error) {
        return error.what();
    }
    return "no error";
}

const std::string kUnreadable = "This file isn't an audio format Tapchime can read.";
const std::string kSilent = "This file is silent.";

class SoundLibraryTest : public ::testing::Test {
protected:
    fs::path sounds() const { return dir_.path() / "data" / "Tapchime" / "Sounds"; }
    fs::path builtin() const { return dir_.path() / "resources"; }

    test::TempDir dir_;
    std::shared_ptr<FakeAudioDecoder> decoder_ = std::make_shared<FakeAudioDecoder>();
    SoundLibrary library_{decoder_, sounds(), builtin()};
};

// ---- trimming and normalizing ------------------------------------------------------------------------

TEST(SoundLibraryTrim, KeepsFourMillisecondsBeforeAndTwentyAfter) {
    struct Case {
        std::size_t lead;
        std::size_t expectedFrom; // first input frame kept
    };
    for (const Case c : {Case{100, 0}, Case{5000, 4808}, Case{192, 0}, Case{193, 1}}) {
        SCOPED_TRACE(c.lead);
        const AudioBuffer in = burst(c.lead, 1000, 3000, 0.5f);
        const AudioBuffer out = SoundLibrary::trimAndNormalize(in);
        // The loud part ends at lead + 999; 960 frames after it are kept.
        EXPECT_EQ(out.frames(), c.lead + 999 + 960 - c.expectedFrom + 1);
        // The first loud frame sits where it was, relative to the first kept frame.
        const std::size_t firstLoud = c.lead - c.expectedFrom;
        if (firstLoud > 0) {
            EXPECT_EQ(out.left[firstLoud - 1], 0.0f);
        }
        if (firstLoud >= 48) {
            EXPECT_FLOAT_EQ(out.left[firstLoud], 0.9f); // peak 0.5 scaled to 0.9
        }
    }
}

TEST(SoundLibraryTrim, EndStopsAtTheLastFrameAndLengthIsCappedAtTenSeconds) {
    // Loud to the very end: nothing after it to keep.
    const AudioBuffer out = SoundLibrary::trimAndNormalize(burst(0, 2000, 0, 0.25f));
    EXPECT_EQ(out.frames(), 2000u);
    // Twelve seconds of sound come out as ten.
    const AudioBuffer capped = SoundLibrary::trimAndNormalize(burst(500, 12 * 48000, 0, 0.25f));
    EXPECT_EQ(capped.frames(), 480000u);
    EXPECT_EQ(capped.left[191], 0.0f); // the 192 frames of lead-in kept: 308 to 499 of the input
    EXPECT_NE(capped.left[192], 0.0f);
}

TEST(SoundLibraryTrim, ScalesPeakToPointNineAndFades) {
    AudioBuffer in = burst(0, 4000, 0, 0.1f);
    in.left[2000] = 0.4f;   // the peak, in channel 0
    in.right[1000] = -0.2f; // channel 1 keeps its own samples
    in.right[1] = 0.3f;     // within the fade-in
    const AudioBuffer out = SoundLibrary::trimAndNormalize(in);
    ASSERT_EQ(out.frames(), 4000u);
    EXPECT_FLOAT_EQ(out.left[2000], 0.9f);
    EXPECT_FLOAT_EQ(out.right[1000], -0.45f);
    EXPECT_FLOAT_EQ(out.right[1], 0.3f * 2.25f / 48.0f);
    EXPECT_EQ(out.left[0], 0.0f);
    // Fade-out over min(n / 4, 384) = 384 frames: frame n - 384 is at full gain × 384/384, the last at 1/384.
    EXPECT_FLOAT_EQ(out.left[4000 - 384], 0.1f * 2.25f);
    EXPECT_FLOAT_EQ(std::fabs(out.left[3999]), 0.1f * 2.25f / 384.0f);
    // A short sound fades out over a quarter of its length.
    const AudioBuffer tiny = SoundLibrary::trimAndNormalize(stereo({0.5f, 0.5f, 0.5f, 0.5f}));
    ASSERT_EQ(tiny.frames(), 4u);
    EXPECT_EQ(tiny.left[0], 0.0f); // fade-in
    EXPECT_FLOAT_EQ(tiny.left[3], 0.9f * 3.0f / 48.0f * 1.0f);
}

TEST(SoundLibraryTrim, KeepsOneChannelForMonoAndForStereoWhoseChannelsMatch) {
    const std::vector<float> samples = burst(5000, 1000, 3000, 0.5f).left;
    std::vector<float> quieter = samples;
    for (float &s : quieter) {
        s *= 0.5f;
    }
    std::vector<float> differsInTheCut = samples;
    differsInTheCut[10] = 0.005f; // below the trim's threshold, in the silence it cuts
    std::vector<float> differsInTheKept = samples;
    differsInTheKept[5500] = 0.0f;
    struct Case {
        const char *name;
        AudioBuffer in;
        int channels;
    };
    const Case cases[] = {
        {"mono", AudioBuffer::mono(samples), 1},
        {"stereo, the same twice", AudioBuffer::stereo(samples, samples), 1},
        {"stereo, different only where it is cut", AudioBuffer::stereo(samples, differsInTheCut), 1},
        {"stereo, one frame different", AudioBuffer::stereo(samples, differsInTheKept), 2},
        {"stereo, right quieter", AudioBuffer::stereo(samples, quieter), 2},
    };
    const AudioBuffer reference = SoundLibrary::trimAndNormalize(AudioBuffer::mono(samples));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const AudioBuffer out = SoundLibrary::trimAndNormalize(c.in);
        EXPECT_EQ(out.channels(), c.channels);
        EXPECT_EQ(out.left, reference.left); // the loudest channel sets the gain: the left one in every case
        if (c.channels == 1) {
            EXPECT_TRUE(out.right.empty());
            EXPECT_EQ(out.right.capacity(), 0u) << "a mono sound is stored once";
        } else {
            ASSERT_EQ(out.right.size(), out.left.size());
        }
    }
    const AudioBuffer quiet = SoundLibrary::trimAndNormalize(AudioBuffer::stereo(samples, quieter));
    for (std::size_t i = 0; i < quiet.frames(); ++i) {
        ASSERT_FLOAT_EQ(quiet.right[i], 0.5f * quiet.left[i]) << i;
    }
}

TEST(SoundLibraryTrim, SilenceAndBrokenBuffersFail) {
    EXPECT_EQ(decodeMessage([] { SoundLibrary::trimAndNormalize(burst(100, 0, 100, 0.0f)); }), kSilent);
    EXPECT_EQ(decodeMessage([] { SoundLibrary::trimAndNormalize(burst(10, 10, 10, 0.001f)); }), kSilent);
    EXPECT_EQ(decodeMessage([] { SoundLibrary::trimAndNormalize(AudioBuffer{}); }), kSilent);
    EXPECT_NE(decodeMessage([] { SoundLibrary::trimAndNormalize(burst(10, 10, 10, 0.0011f)); }), kSilent);
    EXPECT_EQ(decodeMessage([] { SoundLibrary::trimAndNormalize(stereo({0.5f, 0.5f}, {0.5f})); }), kUnreadable);
    // Not-a-number samples count as silence instead of poisoning the peak.
    AudioBuffer odd = burst(10, 10, 10, 0.5f);
    odd.left[0] = std::nanf("");
    const AudioBuffer out = SoundLibrary::trimAndNormalize(odd);
    for (float s : out.left) {
        ASSERT_TRUE(std::isfinite(s));
    }
}

// ---- loudness, peaks, buffers ------------------------------------------------------------------------

TEST(SoundLibraryLoudness, MatchesTowardsTargetAndFloor) {
    struct Case {
        float amplitude; // a square wave: its RMS
        float expected;  // what a sample of +amplitude becomes
    };
    const Case cases[] = {
        {0.05f, static_cast<float>(0.95 * std::tanh(2.0 * 0.05 / 0.95))},  // raised by 2 (the cap), soft-clipped
        {0.08f, static_cast<float>(0.95 * std::tanh(1.25 * 0.08 / 0.95))}, // raised to 0.1
        {0.12f, 0.12f},                                                    // 0.1 / 0.12 < 1: unchanged
        {0.2f, 0.2f},                                                      // at the target: unchanged
        {0.4f, 0.2f},                                                      // halved
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.amplitude);
        AudioBuffer buffer = burst(0, 1000, 0, c.amplitude);
        SoundLibrary::matchLoudness(buffer, 0.2f, 0.1f);
        EXPECT_NEAR(buffer.left[0], c.expected, 1e-6);
        EXPECT_NEAR(buffer.right[1], -c.expected, 1e-6);
        AudioBuffer mono = AudioBuffer::mono(burst(0, 1000, 0, c.amplitude).left);
        SoundLibrary::matchLoudness(mono, 0.2f, 0.1f);
        EXPECT_EQ(mono.left, buffer.left);
        EXPECT_TRUE(mono.isMono());
    }
    // Soft clipping never passes 0.95.
    AudioBuffer spiky = burst(0, 1000, 0, 0.05f);
    spiky.left[3] = 1.0f;
    SoundLibrary::matchLoudness(spiky, 0.2f, 0.1f);
    EXPECT_LE(spiky.left[3], 0.95f);
    // Silence and empty buffers are left alone.
    AudioBuffer silent = burst(10, 0, 0, 0.0f);
    SoundLibrary::matchLoudness(silent, 0.2f, 0.1f);
    EXPECT_EQ(silent.left, std::vector<float>(10, 0.0f));
    AudioBuffer empty;
    SoundLibrary::matchLoudness(empty, 0.2f, 0.1f);
    EXPECT_EQ(empty.frames(), 0u);
}

TEST(SoundLibraryPeaks, BinsByNumber) {
    // Ten frames in 64 bins: one frame per bin, then zeros.
    std::vector<float> ten = {0.1f, -0.2f, 0.3f, -0.4f, 0.5f, 0.4f, 0.3f, 0.2f, 0.1f, 0.05f};
    const auto peaks = SoundLibrary::peaks(stereo(ten), 64);
    ASSERT_EQ(peaks.size(), 64u);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_FLOAT_EQ(peaks[i], std::fabs(ten[i]) / 0.5f);
    }
    for (std::size_t i = 10; i < 64; ++i) {
        EXPECT_EQ(peaks[i], 0.0f);
    }
    // 130 frames: bins of 2 frames, the last two frames in no bin.
    std::vector<float> ramp(130);
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<float>(i) / 200.0f;
    }
    ramp[129] = 1.0f; // beyond the last bin: not counted
    const auto binned = SoundLibrary::peaks(stereo(ramp), 64);
    EXPECT_FLOAT_EQ(binned[63], 1.0f);
    EXPECT_FLOAT_EQ(binned[0], 1.0f / 127.0f);
    // Channel 1 is not looked at; silence gives zeros; nothing gives nothing.
    EXPECT_EQ(SoundLibrary::peaks(stereo({0, 0, 0}, {1, 1, 1}), 4), std::vector<float>(4, 0.0f));
    EXPECT_TRUE(SoundLibrary::peaks(AudioBuffer{}, 64).empty());
}

TEST(SoundLibraryBuffers, MakeBufferKeepsMonoSamplesAsOneChannel) {
    EXPECT_EQ(SoundLibrary::makeBuffer({}), nullptr);
    const auto buffer = SoundLibrary::makeBuffer({0.25f, -0.5f});
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->channels(), 1);
    EXPECT_EQ(buffer->left, (std::vector<float>{0.25f, -0.5f}));
    EXPECT_TRUE(buffer->right.empty());
    EXPECT_EQ(buffer->channel(1), buffer->left);
}

// ---- the built-in list -------------------------------------------------------------------------------

TEST(SoundLibraryBuiltins, ListsRecipesThenRecordings) {
    const auto &items = SoundLibrary::builtinItems();
    ASSERT_EQ(items.size(), 63u);
    std::set<std::string> ids;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto &item = items[i];
        ids.insert(item.id);
        EXPECT_FALSE(item.fileName.has_value());
        EXPECT_EQ(item.duration, 0.0);
        if (i < 20) {
            EXPECT_EQ(item.id, SoundSynth::recipes[i].id);
        } else {
            EXPECT_EQ(item.id, RecordedSounds::kAll[i - 20].id);
            EXPECT_EQ(item.name, RecordedSounds::kAll[i - 20].name);
        }
    }
    EXPECT_EQ(ids.size(), 63u) << "every built-in id is unique, recordings never share a recipe's id";
    EXPECT_EQ(items[20].id, "synth.meow");
    EXPECT_EQ(items[20].category, SoundCategory::animals);
    EXPECT_EQ(items.back().id, "rec.gong");
    for (std::size_t i = 0; i < RecordedSounds::kAll.size(); ++i) {
        const auto &row = RecordedSounds::kAll[i];
        EXPECT_EQ(row.id.substr(0, i < 6 ? 6 : 4), i < 6 ? "synth." : "rec.");
        EXPECT_EQ(row.file.substr(0, 4), "rec_");
    }
}

TEST_F(SoundLibraryTest, PreloadCachesRecipesAndTheRecordingsThatDecode) {
    test::writeText(builtin() / "rec_meow.m4a", FakeAudioDecoder::tone(24000, 0.05f, 1000));
    test::writeText(builtin() / "rec_gong.m4a", FakeAudioDecoder::tone(48000, 0.9f));
    test::writeText(builtin() / "rec_bark.m4a", "not audio");
    test::writeText(builtin() / "rec_moo.wav", FakeAudioDecoder::tone(480, 0.5f)); // wrong extension

    library_.preloadBuiltins(3);

    for (const auto &recipe : SoundSynth::recipes) {
        const auto sound = library_.loaded(std::string(recipe.id));
        ASSERT_NE(sound, nullptr) << recipe.id;
        EXPECT_EQ(sound->peaks().size(), 64u);
        const auto &takes = sound->takes();
        const auto &first = *takes.at(Role::down).front();
        EXPECT_DOUBLE_EQ(sound->item().duration, first.frames() / 48000.0);
        EXPECT_EQ(sound->item().name, recipe.name);
        EXPECT_EQ(first.left, SoundSynth::render(recipe.id, Role::down, 0));
        for (const auto &[role, list] : takes) {
            for (const auto &take : list) {
                EXPECT_TRUE(take->isMono()) << "synthesized sounds are stored once";
            }
        }
        if (recipe.isSwitch) {
            EXPECT_EQ(takes.at(Role::down).size(), 5u);
            EXPECT_EQ(takes.at(Role::up).size(), 3u);
            EXPECT_EQ(takes.at(Role::space).size(), 3u);
            EXPECT_EQ(takes.at(Role::wide).size(), 3u);
            EXPECT_EQ(takes.at(Role::enter).size(), recipe.id == "synth.typewriter" ? 1u : 3u);
            EXPECT_EQ(takes.at(Role::up)[2]->left, SoundSynth::render(recipe.id, Role::up, 2));
        } else {
            EXPECT_EQ(takes.size(), 1u);
            EXPECT_EQ(takes.at(Role::down).size(), 1u);
        }
    }

    const auto meow = library_.loaded("synth.meow");
    ASSERT_NE(meow, nullptr);
    EXPECT_EQ(meow->item().name, "Cat meow");
    EXPECT_FALSE(meow->item().fileName.has_value());
    const auto &meowTake = *meow->takes().at(Role::down).front();
    EXPECT_DOUBLE_EQ(meow->item().duration, meowTake.frames() / 48000.0);
    // Trimmed (192 frames of the 1000 silent ones kept), normalized, then brought down to RMS 0.2.
    EXPECT_EQ(meowTake.frames(), 192u + 24000u);
    auto rms = [](const std::vector<float> &samples) {
        double sum = 0;
        for (float s : samples) {
            sum += static_cast<double>(s) * s;
        }
        return std::sqrt(sum / static_cast<double>(samples.size()));
    };
    EXPECT_NEAR(rms(meowTake.left), 0.2, 1e-5);
    const auto gong = library_.loaded("rec.gong");
    ASSERT_NE(gong, nullptr);
    const auto &gongTake = *gong->takes().at(Role::down).front();
    EXPECT_NEAR(rms(gongTake.left), 0.2, 1e-5);
    // The decoder gave the same samples twice: kept once.
    EXPECT_TRUE(gongTake.isMono());
    EXPECT_TRUE(meowTake.isMono());

    EXPECT_EQ(library_.loaded("rec.bark"), nullptr); // undecodable: left out
    EXPECT_EQ(library_.loaded("rec.moo"), nullptr);  // only ".m4a" is looked for
    EXPECT_EQ(library_.loaded("rec.owl"), nullptr);  // missing
    EXPECT_EQ(decoder_->reads("rec_moo.wav"), 0);

    // A second preload keeps what is cached and decodes nothing again.
    library_.preloadBuiltins();
    EXPECT_EQ(library_.loaded("synth.meow"), meow);
    EXPECT_EQ(decoder_->reads("rec_meow.m4a"), 1);
}

TEST_F(SoundLibraryTest, PreloadGivesTheSameSoundsOnOneThreadAsOnMany) {
    SoundLibrary single(decoder_, sounds(), builtin());
    single.preloadBuiltins(1);
    library_.preloadBuiltins(8);
    for (const auto &item : SoundLibrary::builtinItems()) {
        const auto a = single.loaded(item.id);
        const auto b = library_.loaded(item.id);
        ASSERT_EQ(a == nullptr, b == nullptr) << item.id;
        if (a) {
            EXPECT_EQ(a->item(), b->item());
            EXPECT_EQ(a->peaks(), b->peaks());
            EXPECT_EQ(a->takes().at(Role::down).back()->left, b->takes().at(Role::down).back()->left);
        }
    }
}

TEST_F(SoundLibraryTest, LookupsDuringPreloadSeeWholeSoundsOrNothing) {
    std::atomic<bool> done{false};
    std::thread preload([&] {
        library_.preloadBuiltins(2);
        done = true;
    });
    int found = 0;
    while (!done) {
        for (const auto &recipe : SoundSynth::recipes) {
            if (const auto sound = library_.loaded(std::string(recipe.id))) {
                ASSERT_NE(sound->buffer(Role::enter), nullptr);
                ++found;
            }
        }
    }
    preload.join();
    EXPECT_NE(library_.loaded("synth.explosion"), nullptr);
    (void)found;
}

// ---- user sounds -------------------------------------------------------------------------------------

TEST_F(SoundLibraryTest, MakesTheSoundsFolder) {
    EXPECT_TRUE(fs::is_directory(sounds()));
    EXPECT_EQ(library_.soundsFolder(), sounds());
    EXPECT_EQ(library_.builtinFolder(), builtin());
}

TEST_F(SoundLibraryTest, ImportCopiesTheFileUnderANewIdAndCachesIt) {
    const fs::path source = dir_.path() / "in" / "Clap.WAV";
    const std::string content = FakeAudioDecoder::tone(4800, 0.5f, 300);
    test::writeText(source, content);

    const SoundItem item = library_.importFile(source, std::nullopt);

    EXPECT_EQ(item.name, "Clap");
    EXPECT_EQ(item.category, SoundCategory::mine);
    ASSERT_EQ(item.id.size(), 5u + 36u);
    EXPECT_EQ(item.id.substr(0, 5), "user.");
    EXPECT_TRUE(Uuid::parse(item.id.substr(5)).has_value());
    EXPECT_EQ(item.id, "user." + Uuid::parse(item.id.substr(5))->toString()) << "upper-case UUID";
    ASSERT_TRUE(item.fileName.has_value());
    EXPECT_EQ(*item.fileName, item.id + ".wav");
    EXPECT_EQ(test::readText(sounds() / *item.fileName), content) << "the original file, not the decoded audio";
    EXPECT_DOUBLE_EQ(item.duration, (192 + 4800) / 48000.0);
    EXPECT_TRUE(fs::exists(source));

    const auto sound = library_.loaded(item.id);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->item(), item);
    EXPECT_EQ(sound->peaks().size(), 64u);

    // The only file in the folder: no temporary copy is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(sounds()), fs::directory_iterator()), 1);
}

TEST_F(SoundLibraryTest, ImportNamesAndExtensions) {
    struct Case {
        const char *file;
        std::optional<std::string> name;
        std::string expectedName;
        std::string expectedExtension;
    };
    const Case cases[] = {
        {"clap", std::nullopt, "clap", "m4a"},
        {"Take 1.MP3", std::nullopt, "Take 1", "mp3"},
        {"recording.m4a", std::string("Hello"), "Hello", "m4a"},
        {"a.b.FLAC", std::nullopt, "a.b", "flac"},
        {"Ünïcode.ÄIFF", std::nullopt, "Ünïcode", "äiff"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const fs::path source = dir_.path() / "in" / c.file;
        test::writeText(source, FakeAudioDecoder::tone(100, 0.5f));
        const SoundItem item = library_.importFile(source, c.name);
        EXPECT_EQ(item.name, c.expectedName);
        EXPECT_EQ(*item.fileName, item.id + "." + c.expectedExtension);
        EXPECT_TRUE(fs::exists(sounds() / *item.fileName));
    }
}

TEST_F(SoundLibraryTest, FailedImportsCopyNothing) {
    const fs::path text = dir_.path() / "in" / "notes.wav";
    test::writeText(text, "hello");
    EXPECT_EQ(decodeMessage([&] { library_.importFile(text, std::nullopt); }), kUnreadable);
    const fs::path silent = dir_.path() / "in" / "quiet.wav";
    test::writeText(silent, "silence 48000");
    EXPECT_EQ(decodeMessage([&] { library_.importFile(silent, std::nullopt); }), kSilent);
    EXPECT_EQ(decodeMessage([&] { library_.importFile(dir_.path() / "missing.wav", std::nullopt); }),
              AudioDecodeError::message(AudioDecodeError::Kind::missing));

    // A huge file is refused before anything reads it.
    const fs::path huge = dir_.path() / "in" / "huge.wav";
    test::writeText(huge, FakeAudioDecoder::tone(100, 0.5f));
    fs::resize_file(huge, SoundLibrary::kMaxFileBytes + 1);
    EXPECT_EQ(decodeMessage([&] { library_.importFile(huge, std::nullopt); }),
              AudioDecodeError::message(AudioDecodeError::Kind::tooLarge));
    EXPECT_EQ(decoder_->reads("huge.wav"), 0);

    EXPECT_TRUE(fs::is_empty(sounds()));
}

// An import that fails says what was wrong with the file wherever the library can tell, each case a real file.
TEST_F(SoundLibraryTest, AFailedImportSaysWhatWasWrongWithTheFile) {
    using Kind = AudioDecodeError::Kind;
    constexpr int boundFrames = AudioDecoder::kMaxReadSeconds * AudioBuffer::kSampleRate;
    struct Case {
        const char *what;
        std::string content; // written to the file; absent: no file at all
        Kind kind;
        bool exists = true;
    };
    const Case cases[] = {
        {"an empty file", "", Kind::emptyFile},
        {"no file", "", Kind::missing, false},
        {"text", "Dear diary", Kind::unreadable},
        {"silence shorter than a read", "silence 48000", Kind::empty},
        // A read that ran to its bound and heard nothing: the file goes on beyond what is read.
        {"silence as long as a read", "silence " + std::to_string(boundFrames), Kind::silentStart},
        {"silence a resampler's tail short of it",
         "silence " + std::to_string(boundFrames - static_cast<int>(SoundLibrary::kBoundSlackFrames)),
         Kind::silentStart},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path file = dir_.path() / "in" / "file.wav";
        fs::remove(file);
        if (c.exists) {
            test::writeText(file, c.content);
        }
        EXPECT_EQ(decodeMessage([&] { library_.importFile(file, std::nullopt); }), AudioDecodeError::message(c.kind));
    }

    // A sound file the user may not read.
    const fs::path locked = dir_.path() / "in" / "locked.wav";
    test::writeText(locked, FakeAudioDecoder::tone(100, 0.5f));
    EXPECT_EQ(test::decodeMessageWithoutPermission(locked, [&] { library_.importFile(locked, std::nullopt); }),
              AudioDecodeError::message(Kind::notAllowed));

    // Every kind has its own sentence.
    std::set<std::string> messages;
    for (int kind = 0; kind <= static_cast<int>(AudioDecodeError::kLastKind); ++kind) {
        messages.insert(AudioDecodeError::message(static_cast<Kind>(kind)));
    }
    EXPECT_EQ(messages.size(), static_cast<std::size_t>(AudioDecodeError::kLastKind) + 1);
    EXPECT_TRUE(fs::is_empty(sounds()));
}

TEST_F(SoundLibraryTest, LoadUserSoundDecodesFromTheSoundsFolder) {
    test::writeText(sounds() / "user.A.m4a", FakeAudioDecoder::tone(960, 0.3f));
    SoundItem item{"user.A", "Mine", SoundCategory::mine, std::string("user.A.m4a"), 99.0};

    const auto sound = library_.loadUserSound(item);
    ASSERT_NE(sound, nullptr);
    EXPECT_DOUBLE_EQ(sound->item().duration, 960 / 48000.0);
    EXPECT_EQ(sound->item().name, "Mine");
    EXPECT_EQ(library_.loaded("user.A"), sound);

    // Loading again replaces the entry.
    test::writeText(sounds() / "user.A.m4a", FakeAudioDecoder::tone(1920, 0.3f));
    const auto again = library_.loadUserSound(item);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(library_.loaded("user.A"), again);
    EXPECT_DOUBLE_EQ(again->item().duration, 1920 / 48000.0);

    // No file name, an undecodable file, a missing file: nothing, and the cache is left as it was.
    SoundItem noFile = item;
    noFile.fileName.reset();
    EXPECT_EQ(library_.loadUserSound(noFile), nullptr);
    test::writeText(sounds() / "user.B.m4a", "garbage");
    EXPECT_EQ(library_.loadUserSound(SoundItem{"user.B", "B", SoundCategory::mine, std::string("user.B.m4a"), 0}),
              nullptr);
    EXPECT_EQ(library_.loadUserSound(SoundItem{"user.C", "C", SoundCategory::mine, std::string("nope.m4a"), 0}),
              nullptr);
    EXPECT_EQ(library_.loaded("user.B"), nullptr);
    EXPECT_EQ(library_.loaded("user.A"), again);
}

TEST_F(SoundLibraryTest, UserSoundsAreBoundedByTheirDecodedAudio) {
    // Room for two sounds of 4800 frames of 32-bit samples, not for a third.
    constexpr std::size_t kSoundBytes = 4800 * sizeof(float); // one channel: the fake decodes to mono
    SoundLibrary library(decoder_, dir_.path() / "bounded", builtin(), 2 * kSoundBytes + kSoundBytes / 2);
    const std::string noRoom = AudioDecodeError::message(AudioDecodeError::Kind::noRoom);
    auto source = [&](const std::string &name) {
        test::writeText(dir_.path() / "in" / name, FakeAudioDecoder::tone(4800, 0.5f));
        return dir_.path() / "in" / name;
    };
    auto filesKept = [&] { return std::distance(fs::directory_iterator(library.soundsFolder()), {}); };

    const SoundItem first = library.importFile(source("a.wav"), std::nullopt);
    const SoundItem second = library.importFile(source("b.wav"), std::nullopt);
    EXPECT_EQ(library.userSoundBytes(), 2 * kSoundBytes);
    // Reloading a cached sound replaces it; it is not counted twice.
    ASSERT_NE(library.loadUserSound(second), nullptr);
    EXPECT_EQ(library.userSoundBytes(), 2 * kSoundBytes);

    // A third import is refused with the library's message and copies nothing.
    EXPECT_EQ(decodeMessage([&] { library.importFile(source("c.wav"), std::nullopt); }), noRoom);
    EXPECT_EQ(filesKept(), 2);
    // A sound the start-up loading reaches once the bound is met is left out.
    test::writeText(library.soundsFolder() / "user.D.wav", FakeAudioDecoder::tone(4800, 0.5f));
    const SoundItem third{"user.D", "D", SoundCategory::mine, std::string("user.D.wav"), 0};
    EXPECT_EQ(library.loadUserSound(third), nullptr);
    EXPECT_EQ(library.loaded("user.D"), nullptr);
    EXPECT_EQ(decodeMessage([&] { library.addUserSound(third); }), noRoom);
    EXPECT_EQ(library.userSoundBytes(), 2 * kSoundBytes);

    // Deleting a sound makes room again; a smaller sound fits in what is left.
    library.deleteFile(first);
    EXPECT_EQ(library.userSoundBytes(), kSoundBytes);
    ASSERT_NE(library.loadUserSound(third), nullptr);
    test::writeText(dir_.path() / "in" / "short.wav", FakeAudioDecoder::tone(2400, 0.5f));
    EXPECT_NO_THROW(library.importFile(dir_.path() / "in" / "short.wav", std::nullopt));
    EXPECT_EQ(library.userSoundBytes(), 2 * kSoundBytes + kSoundBytes / 2);
    // Full to the byte: not even decoded now.
    const int readsBefore = decoder_->reads("user.D.wav");
    EXPECT_EQ(library.loadUserSound(third), nullptr);
    EXPECT_EQ(decoder_->reads("user.D.wav"), readsBefore);
    EXPECT_EQ(library.loaded("user.D")->item().id, "user.D") << "a refused reload keeps the cached sound";
}

TEST_F(SoundLibraryTest, FileNamesFromTheDocumentNeverLeaveTheSoundsFolder) {
    // A document edited by hand could name any file; the library only opens or deletes plain names.
    const fs::path outside = dir_.path() / "data" / "Tapchime" / "precious.m4a";
    test::writeText(outside, FakeAudioDecoder::tone(960, 0.3f));
    for (const char *name : {"../precious.m4a", "/etc/passwd", "..", ".", ""}) {
        SCOPED_TRACE(name);
        const SoundItem item{"user.X", "X", SoundCategory::mine, std::string(name), 0};
        EXPECT_EQ(library_.loadUserSound(item), nullptr);
        library_.deleteFile(item);
        EXPECT_TRUE(fs::exists(outside));
    }
    EXPECT_EQ(decoder_->reads("precious.m4a"), 0);
}

TEST_F(SoundLibraryTest, DeleteRemovesFileAndCacheEntry) {
    const fs::path source = dir_.path() / "in" / "clap.wav";
    test::writeText(source, FakeAudioDecoder::tone(480, 0.5f));
    const SoundItem item = library_.importFile(source, std::nullopt);
    ASSERT_NE(library_.loaded(item.id), nullptr);
    const auto held = library_.loaded(item.id); // a player may still hold it

    library_.deleteFile(item);
    EXPECT_EQ(library_.loaded(item.id), nullptr);
    EXPECT_FALSE(fs::exists(sounds() / *item.fileName));
    EXPECT_NE(held->buffer(Role::down), nullptr);

    // Deleting again, or a file that is already gone, is harmless.
    library_.deleteFile(item);

    // An item without a file name is not touched at all, cache entry included.
    library_.preloadBuiltins();
    SoundItem builtin = SoundLibrary::builtinItems().front();
    library_.deleteFile(builtin);
    EXPECT_NE(library_.loaded(builtin.id), nullptr);
}

// ---- several threads at once -----------------------------------------------------------------------

TEST_F(SoundLibraryTest, ImportsOnTwoWorkersWhileTheMainThreadLooksUpAndDeletesStayWithinTheBound) {
    // Room for 10 sounds of 4800 mono frames; two workers import 8 each, the main thread deletes what it
    // sees come in and looks sounds up all along, as the key thread does.
    constexpr std::size_t kSoundBytes = 4800 * sizeof(float);
    constexpr int kPerWorker = 8;
    SoundLibrary library(decoder_, dir_.path() / "busy", builtin(), 10 * kSoundBytes);
    for (int i = 0; i < 2 * kPerWorker; ++i) {
        test::writeText(dir_.path() / "in" / ("s" + std::to_string(i) + ".wav"), FakeAudioDecoder::tone(4800, 0.5f));
    }
    std::mutex lock;
    std::vector<SoundItem> imported;
    int refused = 0;
    auto worker = [&](int first) {
        for (int i = first; i < first + kPerWorker; ++i) {
            try {
                SoundItem item = library.importFile(dir_.path() / "in" / ("s" + std::to_string(i) + ".wav"), {});
                std::lock_guard guard(lock);
                imported.push_back(std::move(item));
            } catch (const AudioDecodeError &error) {
                EXPECT_EQ(error.kind(), AudioDecodeError::Kind::noRoom);
                std::lock_guard guard(lock);
                ++refused;
            }
        }
    };
    std::thread a(worker, 0);
    std::thread b(worker, kPerWorker);
    std::set<std::string> deleted;
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        a.join();
        b.join();
        done = true;
    });
    while (!done) {
        std::vector<SoundItem> seen;
        {
            std::lock_guard guard(lock);
            seen = imported;
        }
        for (const auto &item : seen) {
            if (const auto sound = library.loaded(item.id)) {
                EXPECT_EQ(sound->item().id, item.id);
            }
            if (deleted.size() < 3 && deleted.insert(item.id).second) {
                library.deleteFile(item);
            }
        }
        EXPECT_LE(library.userSoundBytes(), 10 * kSoundBytes);
    }
    watcher.join();

    // Every import either came in whole (file and cache entry) or was refused for room and left no file.
    EXPECT_EQ(static_cast<int>(imported.size()) + refused, 2 * kPerWorker);
    std::size_t kept = 0;
    for (const auto &item : imported) {
        const bool gone = deleted.contains(item.id);
        EXPECT_EQ(fs::exists(library.soundsFolder() / *item.fileName), !gone) << item.name;
        EXPECT_EQ(library.loaded(item.id) != nullptr, !gone) << item.name;
        kept += gone ? 0 : 1;
    }
    EXPECT_EQ(library.userSoundBytes(), kept * kSoundBytes);
    EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(library.soundsFolder()), {})), kept);
}

} // namespace
} // namespace tc
