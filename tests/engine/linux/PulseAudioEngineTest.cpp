// The audio engine on the rig's private sound servers (PulseAudio, and PipeWire through pipewire-pulse): sound
// really comes out of the null sink, the device list follows hot-plugged sinks, a removed chosen sink hands
// over to the default, and the program keeps running without a server.

#include "engine/AudioEngine.h"
#include "engine/SoundLibrary.h"
#include "engine/linux/NullAudioOutput.h"
#include "engine/linux/PulseAudioDevices.h"
#include "engine/linux/PulseAudioOutput.h"
#include "engine/linux/ffmpeg/FfmpegDecoder.h"
#include "support/AudioSignals.h"
#include "support/MonitorCapture.h"
#include "support/Rig.h"
#include "support/Wait.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

using namespace tc;
using namespace tc::test;
using namespace std::chrono_literals;

namespace {

constexpr int kRate = 48000;
// The tolerance of a heard length: on a heavily loaded machine (sanitizer builds, tests in parallel) a 2.7 ms
// stream runs dry now and then and a few milliseconds go missing; a wrong rate, a cut or a doubled sound is
// far outside it. Under ThreadSanitizer the output thread runs several times slower, and on PipeWire, whose
// cycles are 5.3 ms, a stream that runs dry loses whole cycles: 31 ms of a 200 ms tone went missing once there,
// right after the stream moved to another sink.
#if defined(__SANITIZE_THREAD__)
constexpr double kLengthTolerance = 0.25;
#else
constexpr double kLengthTolerance = 0.1;
#endif

// How much of a sine tone of `amplitude` was heard, in frames: the frames above a tenth of the amplitude,
// divided by the share of a sine period that lies above it. Unlike the span from first to last frame this does
// not grow when a loaded machine makes the stream run dry for a moment in the middle of the sound.
double heardToneFrames(const std::vector<float> &interleaved, float amplitude) {
    size_t above = 0;
    for (size_t i = 0; i + 1 < interleaved.size(); i += 2) {
        if (std::max(std::fabs(interleaved[i]), std::fabs(interleaved[i + 1])) > 0.1f * amplitude) {
            ++above;
        }
    }
    return static_cast<double>(above) / (1.0 - 2.0 / M_PI * std::asin(0.1));
}

bool lists(const std::vector<AudioDevice> &devices, const std::string &uid) {
    return std::any_of(devices.begin(), devices.end(), [&](const AudioDevice &device) { return device.uid == uid; });
}

// Engines with the PulseAudio output, the null output as fallback and the PulseAudio device list, on each of
// the rig's sound servers.
class PulseAudioEngineTest : public ::testing::TestWithParam<SoundServer> {
protected:
    void make(std::chrono::milliseconds retryInterval = 200ms) {
        AudioEngine::Options options;
        options.fallback = &fallback;
        options.retryInterval = retryInterval;
        options.log = [this](const std::string &line) {
            std::lock_guard guard(logMutex);
            logLines.push_back(line);
        };
        engine = std::make_unique<AudioEngine>(output, devices, options);
    }

    void startUp(std::optional<std::string> uid = std::nullopt, bool lowLatency = true) {
        engine->setLowLatency(lowLatency);
        engine->setOutputDevice(std::move(uid));
        engine->setVoiceCount(8);
        engine->start();
        engine->waitUntilSettled();
    }

    std::optional<std::string> chosenUID() { return engine->outputDeviceUID(); }

    std::vector<std::string> logs() {
        std::lock_guard guard(logMutex);
        return logLines;
    }

    // Loads a second null sink and returns its module index once the sink and its monitor are listed: PipeWire
    // makes them a moment after it answered.
    std::string loadSecondSink() {
        std::string module = pulse.pactl("load-module module-null-sink sink_name=tc_alt rate=48000 "
                                         "format=float32le channels=2 sink_properties=device.description=Second");
        module.erase(module.find_last_not_of(" \n") + 1);
        EXPECT_TRUE(waitUntil(
            [&] {
                return pulse.pactl("list short sinks").find("tc_alt") != std::string::npos &&
                       pulse.pactl("list short sources").find("tc_alt.monitor") != std::string::npos;
            },
            kServerWait));
        return module;
    }

    RigPulse pulse{GetParam()}; // first: runs before and after everything else
    PulseAudioOutput output;
    NullAudioOutput fallback;
    PulseAudioDevices devices;
    std::mutex logMutex;
    std::vector<std::string> logLines;
    std::unique_ptr<AudioEngine> engine;
};

} // namespace

TEST_P(PulseAudioEngineTest, PlayedBufferIsHeardOnTheSinkMonitorWithItsLengthAndPan) {
    struct Case {
        float rate;
        float pan;
        double seconds;
        float left;
        float right;
    };
    const Case cases[] = {
        {1.0f, 0.0f, 0.3, 0.5f, 0.5f}, {2.0f, 0.0f, 0.15, 0.5f, 0.5f}, {1.0f, -3.0f, 0.3, 0.5f, 0.0f}};
    make();
    startUp();
    ASSERT_TRUE(output.isRunning());
    EXPECT_EQ(output.currentSink(), "tc_out");
    auto tone = toneBuffer(0.3, 440.0, 0.5f);
    for (const Case &c : cases) {
        MonitorCapture capture("tc_out.monitor");
        engine->play(tone, 1.0f, c.rate, c.pan);
        const std::vector<float> heard = hearSound(capture);
        const SoundSpan span = findSound(heard, 0.05f);
        ASSERT_TRUE(span.found) << "nothing heard at rate " << c.rate;
        EXPECT_NEAR(heardToneFrames(heard, 0.5f), c.seconds * kRate, kLengthTolerance * c.seconds * kRate)
            << "rate " << c.rate;
        EXPECT_GE(static_cast<double>(span.length()), (1 - kLengthTolerance) * c.seconds * kRate) << "rate " << c.rate;
        EXPECT_NEAR(channelPeak(heard, 0), c.left, 0.02f) << "pan " << c.pan;
        EXPECT_NEAR(channelPeak(heard, 1), c.right, 0.02f) << "pan " << c.pan;
    }
    EXPECT_TRUE(logs().empty());
}

TEST_P(PulseAudioEngineTest, BuiltInRecordingIsHeardWholeAtItsOwnLevel) {
    // The shipped cowbell, decoded by FFmpeg and loudness-matched by the library, as a key would play it.
    TempDir userSounds;
    SoundLibrary library(std::make_shared<FfmpegDecoder>(), userSounds.path(),
                         std::filesystem::path(TAPCHIME_SOURCE_DIR) / "resources" / "sounds");
    library.preloadBuiltins();
    const LoadedSoundPtr cowbell = library.loaded("rec.cowbell");
    ASSERT_NE(cowbell, nullptr);
    const AudioBufferPtr take = cowbell->buffer(SoundSynth::Role::down);
    ASSERT_NE(take, nullptr);
    std::vector<float> played(take->frames() * 2);
    for (size_t i = 0; i < take->frames(); ++i) {
        played[2 * i] = take->channel(0)[i];
        played[2 * i + 1] = take->channel(1)[i];
    }
    const SoundSpan expected = findSound(played, 0.05f);
    ASSERT_TRUE(expected.found);

    make();
    startUp();
    MonitorCapture capture("tc_out.monitor");
    engine->play(take, 1.0f, 1.0f, 0.0f);
    const std::vector<float> heard = hearSound(capture);
    const SoundSpan span = findSound(heard, 0.05f);
    ASSERT_TRUE(span.found) << "nothing heard";
    EXPECT_NEAR(static_cast<double>(span.length()), static_cast<double>(expected.length()),
                kLengthTolerance * static_cast<double>(expected.length()));
    EXPECT_NEAR(channelPeak(heard, 0), channelPeak(played, 0), 0.02f);
    EXPECT_NEAR(channelPeak(heard, 1), channelPeak(played, 1), 0.02f);
}

TEST_P(PulseAudioEngineTest, LatencyModeAsksTheServerForItsBufferSize) {
    // PulseAudio fits the stream's share of the requested latency to its sink, so the granted target buffer is
    // at most what was asked for, and the normal mode's is larger than the low-latency one's. PipeWire grants
    // every PulseAudio stream at least one quantum of its graph (256 frames), whatever it asked for.
    const bool pipeWire = GetParam() == SoundServer::pipeWire;
    make();
    startUp(std::nullopt, true);
    ASSERT_TRUE(waitUntil([&] { return output.grantedBufferFrames().has_value(); }, kServerWait));
    const uint32_t lowLatency = *output.grantedBufferFrames();
    EXPECT_GT(lowLatency, 0u);
    EXPECT_LE(lowLatency, pipeWire ? 512u : 128u);
    engine->setLowLatency(false);
    if (!pipeWire) {
        EXPECT_TRUE(waitUntil([&] { return output.grantedBufferFrames().value_or(0) > lowLatency; }, kServerWait))
            << "granted " << output.grantedBufferFrames().value_or(0) << " after " << lowLatency;
    }
    EXPECT_LE(output.grantedBufferFrames().value_or(0), 512u);
    EXPECT_TRUE(output.isRunning()) << "the stream stays open";
}

TEST_P(PulseAudioEngineTest, NewSoundsArePlacedByWhatTheServerIs) {
    make();
    startUp();
    ASSERT_TRUE(output.isRunning());
    EXPECT_EQ(output.placementStrategy(),
              GetParam() == SoundServer::pipeWire ? PlacementStrategy::serverQuantum : PlacementStrategy::sinkLatency);
}

TEST_P(PulseAudioEngineTest, OutputDevicesListSinksOnlyAndFollowHotPlug) {
    std::atomic<int> changes{0};
    const int token = devices.addChangeHandler([&] { ++changes; });

    auto listed = devices.outputDevices();
    ASSERT_TRUE(lists(listed, "tc_out"));
    EXPECT_FALSE(lists(listed, "tc_out.monitor"));
    EXPECT_FALSE(lists(listed, "tc_mic"));
    for (const AudioDevice &device : listed) {
        EXPECT_FALSE(device.name.empty()) << device.uid;
    }
    ASSERT_TRUE(devices.defaultOutput().has_value());
    EXPECT_EQ(devices.defaultOutput()->uid, "tc_out");
    EXPECT_FALSE(devices.deviceID("tc_alt").has_value());

    const std::string module = loadSecondSink();
    EXPECT_TRUE(waitUntil([&] { return changes.load() > 0; }, kServerWait));
    listed = devices.outputDevices();
    ASSERT_TRUE(lists(listed, "tc_alt"));
    EXPECT_EQ(std::find_if(listed.begin(), listed.end(), [](auto &d) { return d.uid == "tc_alt"; })->name, "Second");
    const auto id = devices.deviceID("tc_alt");
    ASSERT_TRUE(id.has_value());
    const auto ids = devices.allDeviceIDs();
    EXPECT_NE(std::find(ids.begin(), ids.end(), *id), ids.end());

    const int before = changes.load();
    pulse.pactl("unload-module " + module);
    EXPECT_TRUE(waitUntil([&] { return changes.load() > before; }, kServerWait));
    EXPECT_FALSE(lists(devices.outputDevices(), "tc_alt"));
    EXPECT_FALSE(devices.deviceID("tc_alt").has_value());
    devices.removeChangeHandler(token);
}

TEST_P(PulseAudioEngineTest, RemovedChosenSinkIsForgottenAndSoundContinuesOnTheDefault) {
    const std::string module = loadSecondSink();
    make();
    startUp("tc_alt");
    ASSERT_TRUE(output.isRunning());
    EXPECT_EQ(output.currentSink(), "tc_alt");
    auto tone = toneBuffer(0.2, 440.0, 0.5f);
    {
        MonitorCapture alt("tc_alt.monitor");
        engine->play(tone, 1.0f, 1.0f, 0.0f);
        EXPECT_TRUE(findSound(hearSound(alt), 0.05f).found) << "the chosen sink plays";
    }

    pulse.pactl("unload-module " + module);
    ASSERT_TRUE(waitUntil([&] { return !chosenUID().has_value(); }, kServerWait)) << "the missing sink is forgotten";
    // The output is asked about its sink only once the control thread has reopened it.
    engine->waitUntilSettled();
    ASSERT_TRUE(output.isRunning());
    EXPECT_EQ(output.currentSink(), "tc_out");

    // As with any capture that starts now: play only once it flows, or the tone's head is gone before the test
    // listens.
    MonitorCapture out("tc_out.monitor");
    ASSERT_TRUE(waitUntil([&] { return out.frames() >= kRate / 10; }, kServerWait))
        << "the default sink's monitor is silent";
    engine->play(tone, 1.0f, 1.0f, 0.0f);
    const std::vector<float> heard = hearSound(out);
    ASSERT_TRUE(findSound(heard, 0.05f).found) << "the sound continues on the default sink";
    EXPECT_NEAR(heardToneFrames(heard, 0.5f), 0.2 * kRate, kLengthTolerance * 0.2 * kRate);
    EXPECT_TRUE(logs().empty());
}

TEST_P(PulseAudioEngineTest, ServerGoingAwayHandsOverToTheNullOutputAndLogsOnce) {
    make(50ms);
    startUp();
    ASSERT_TRUE(output.isRunning());
    pulse.stop();
    ASSERT_TRUE(waitUntil([&] { return fallback.isRunning(); }, kServerWait));
    ASSERT_TRUE(waitUntil([&] { return fallback.renderedFrames() > kRate / 2; }, kServerWait))
        << "the fallback keeps time";
    engine->play(toneBuffer(0.1, 440.0, 0.5f), 1.0f, 1.0f, 0.0f);
    const auto lines = logs();
    ASSERT_EQ(lines.size(), 1u) << "retried every 50 ms, logged once";
    EXPECT_EQ(lines[0].rfind("Tapchime: audio engine failed to start: ", 0), 0u) << lines[0];
    EXPECT_GT(lines[0].size(), std::string("Tapchime: audio engine failed to start: ").size());
    EXPECT_TRUE(engine->isRunning());
    EXPECT_FALSE(engine->isOutputRunning());
    EXPECT_FALSE(engine->isOutputReachable()) << "the null output renders, and nobody hears it";
}

// Without any sound server the null output plays, the device list is empty and the failure is logged once.
TEST(PulseAudioWithoutServer, NullOutputTakesOverAndTheFailureIsLoggedOnce) {
    TempDir nowhere;
    const std::string server = "unix:" + (nowhere.path() / "no-server").string();
    setenv("PULSE_SERVER", server.c_str(), 1);

    PulseAudioOutput output;
    NullAudioOutput fallback;
    PulseAudioDevices devices;
    std::mutex logMutex;
    std::vector<std::string> logs;
    AudioEngine::Options options;
    options.fallback = &fallback;
    options.retryInterval = 50ms;
    options.log = [&](const std::string &line) {
        std::lock_guard guard(logMutex);
        logs.push_back(line);
    };
    {
        AudioEngine engine(output, devices, options);
        engine.setVoiceCount(4);
        engine.start();
        engine.waitUntilSettled();
        EXPECT_TRUE(engine.isRunning());
        EXPECT_FALSE(engine.isOutputReachable());
        engine.play(toneBuffer(0.1, 440.0, 0.5f), 1.0f, 1.0f, 0.0f);
        EXPECT_TRUE(waitUntil([&] { return fallback.renderedFrames() > kRate / 2; }, kServerWait));
        EXPECT_TRUE(devices.outputDevices().empty());
        EXPECT_FALSE(devices.defaultOutput().has_value());
    }
    unsetenv("PULSE_SERVER");
    std::lock_guard guard(logMutex);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].rfind("Tapchime: audio engine failed to start: ", 0), 0u) << logs[0];
}

TEST_P(PulseAudioEngineTest, SoundFollowsANewDefaultSink) {
    const std::string module = loadSecondSink();
    make();
    startUp();
    ASSERT_TRUE(output.isRunning());
    EXPECT_EQ(output.currentSink(), "tc_out");
    pulse.pactl("set-default-sink tc_alt");
    ASSERT_TRUE(waitUntil([&] { return output.currentSink() == "tc_alt"; }, kServerWait));
    // The new sink has been idle: its monitor delivers only once the sink runs. Play only when the capture
    // flows, or the tone's head is lost before the test listens.
    MonitorCapture alt("tc_alt.monitor");
    ASSERT_TRUE(waitUntil([&] { return alt.frames() >= kRate / 10; }, kServerWait))
        << "the new sink's monitor is silent";
    const auto underflowsBefore = output.underflows();
    const auto placedBefore = output.placements();
    engine->play(toneBuffer(0.2, 440.0, 0.5f), 1.0f, 1.0f, 0.0f);
    const std::vector<float> heard = hearSound(alt);
    const SoundSpan span = findSound(heard, 0.05f);
    ASSERT_TRUE(span.found);
    EXPECT_NEAR(heardToneFrames(heard, 0.5f), 0.2 * kRate, kLengthTolerance * 0.2 * kRate)
        << "span " << span.length() << " frames; underflows " << output.underflows() - underflowsBefore
        << "; into queue " << output.placements().intoQueue - placedBefore.intoQueue << "; buffer "
        << output.grantedBufferFrames().value_or(0);
}

// The stream keeps a short queue written ahead, also while a fresh stream waits for a sink that idled far ahead,
// and a new sound is mixed into that queue rather than put behind it, heard whole.
TEST_P(PulseAudioEngineTest, NewSoundsGoIntoAShortQueueAndAreHeardWhole) {
    // How much of the stream the server holds in its queue (not yet in the sink). pactl tells on PulseAudio;
    // pipewire-pulse lists 0 there but reports its queue in the timing reports, with no sink part.
    auto bufferLatencies = [&] {
        std::vector<long> latencies;
        if (GetParam() == SoundServer::pipeWire) {
            latencies.push_back(static_cast<long>(output.latencyMicroseconds().value_or(0)));
            return latencies;
        }
        std::istringstream listing(pulse.pactl("list sink-inputs"));
        for (std::string line; std::getline(listing, line);) {
            if (const auto at = line.find("Buffer Latency:"); at != std::string::npos) {
                latencies.push_back(std::stol(line.substr(at + 15)));
            }
        }
        return latencies;
    };
    make();
    startUp();
    ASSERT_TRUE(output.isRunning());
    long longest = 0;
    const auto until = std::chrono::steady_clock::now() + 2500ms;
    while (std::chrono::steady_clock::now() < until) {
        for (long latency : bufferLatencies()) {
            longest = std::max(longest, latency);
        }
        std::this_thread::sleep_for(100ms);
    }
    // About 60 ms is kept ahead; what was written while the sink did not take data stays within that.
    EXPECT_GT(longest, 0);
    EXPECT_LT(longest, 200'000) << "microseconds queued in the server";

    MonitorCapture capture("tc_out.monitor");
    const auto before = output.placements();
    engine->play(toneBuffer(0.3, 440.0, 0.5f), 1.0f, 1.0f, 0.0f);
    const std::vector<float> heard = hearSound(capture);
    ASSERT_TRUE(findSound(heard, 0.05f).found);
    EXPECT_NEAR(heardToneFrames(heard, 0.5f), 0.3 * kRate, kLengthTolerance * 0.3 * kRate);
    const auto after = output.placements();
    EXPECT_EQ(after.intoQueue + after.atEnd, before.intoQueue + before.atEnd + 1);
    EXPECT_EQ(after.intoQueue, before.intoQueue + 1) << "placed into the queued frames";
}

// Fast typing: 20 short sounds a second for 10 s. Each must come out once and whole: a sound started where the
// sink had played already loses its beginning, one written twice over the queue doubles its onset, and a stream
// that runs dry cuts holes into sounds or makes the server count an underflow.
//
// The stream keeps about a millisecond between the frame being played and a new sound; a server that waits that
// long for a core (the rig's, started without the real-time priority a desktop gives it, on a busy machine)
// cuts the sound's beginning. So the server runs at that priority here where the test may give it, and a
// beginning may still come up to 2 ms late on a machine where many threads run at it: a hole, a
// doubled write or a run dry are told by the count of sounds, the runs without a gap and the server's count.
TEST_P(PulseAudioEngineTest, TwentyKeysASecondForTenSecondsAreHeardOnceEachAndWhole) {
    constexpr size_t kSoundFrames = 1200; // 25 ms at one level, then 25 ms of silence before the next
    constexpr int kSounds = 200;
    if (GetParam() == SoundServer::pipeWire) {
        GTEST_SKIP() << "the program plays through PipeWire's own stream there (SoundServerOutput)";
    }
    const bool realtime = pulse.raiseToRealtime();
    make();
    startUp();
    ASSERT_TRUE(output.isRunning());
    const auto sound = constantBuffer(kSoundFrames, 0.3f, -0.3f);
    MonitorCapture capture("tc_out.monitor");
    // A first sound, heard, shows that the stream runs (a fresh stream on an idle null sink takes a while).
    engine->play(sound, 1.0f, 1.0f, 0.0f);
    ASSERT_TRUE(findSound(hearSound(capture), 0.15f).found);
    const size_t before = capture.frames();
    const uint64_t underflows = output.underflows();
    for (int i = 0; i < kSounds; ++i) {
        engine->play(sound, 1.0f, 1.0f, 0.0f);
        // Paced from the last sound rather than by the clock: a test thread that woke late never plays two
        // sounds so close that they overlap.
        std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(
        waitUntil([&] { return capture.frames() > before + (kSounds * 50 + 300) * kRate / 1000; }, kServerWait));
    const std::vector<float> all = capture.stop();
    const std::vector<float> heard(all.begin() + static_cast<long>(2 * before), all.end());

    // Sounds are runs of loud frames with at least 5 ms of silence between them.
    struct Run {
        size_t first = 0;
        size_t loud = 0; // frames above the threshold
        size_t last = 0;
    };
    std::vector<Run> runs;
    for (size_t frame = 0; frame < heard.size() / 2; ++frame) {
        if (std::max(std::fabs(heard[2 * frame]), std::fabs(heard[2 * frame + 1])) < 0.15f) {
            continue;
        }
        if (runs.empty() || frame - runs.back().last > kRate / 200) {
            runs.push_back({frame, 0, frame});
        }
        ++runs.back().loud;
        runs.back().last = frame;
    }
    ASSERT_EQ(runs.size(), static_cast<size_t>(kSounds)) << "each sound once: none missed, none doubled";
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].last - runs[i].first + 1, runs[i].loud) << "sound " << i << ": no hole inside";
        // Without the priority, a server kept waiting may cut a beginning by a few milliseconds.
        EXPECT_NEAR(static_cast<double>(runs[i].loud), static_cast<double>(kSoundFrames),
                    realtime ? kRate / 500.0 : 0.25 * static_cast<double>(kSoundFrames))
            << "sound " << i << " heard whole";
    }
    EXPECT_EQ(output.underflows(), underflows) << "the stream never ran dry";
}

// Without sounds the PulseAudio stream is corked, so that nothing wakes for it; the next sound uncorks it, starts
// inside what was queued, and is heard whole.
TEST_P(PulseAudioEngineTest, AnIdleStreamSleepsAndTheNextSoundWakesIt) {
    if (GetParam() == SoundServer::pipeWire) {
        GTEST_SKIP() << "PipeWire's PulseAudio service keeps its stream running (its read clock needs it)";
    }
    make();
    startUp();
    ASSERT_TRUE(output.isRunning());
    ASSERT_TRUE(waitUntil([&] { return output.isIdle(); }, 5s)) << "a second after it opened, nothing sounded";
    MonitorCapture capture("tc_out.monitor");
    const auto before = output.placements();
    engine->play(toneBuffer(0.2, 440.0, 0.5f), 1.0f, 1.0f, 0.0f);
    EXPECT_TRUE(waitUntil([&] { return !output.isIdle(); }, 2s));
    const std::vector<float> heard = hearSound(capture);
    EXPECT_NEAR(heardToneFrames(heard, 0.5f), 0.2 * kRate, kLengthTolerance * 0.2 * kRate);
    EXPECT_EQ(output.placements().intoQueue, before.intoQueue + 1) << "placed into the frames queued before";
    EXPECT_TRUE(output.isRunning());
}

INSTANTIATE_TEST_SUITE_P(SoundServers, PulseAudioEngineTest, kSoundServers, SoundServerName());
