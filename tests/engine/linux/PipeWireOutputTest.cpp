// The audio engine on PipeWire's own stream, on the rig's private PipeWire: sound comes out of the chosen
// sink, the graph runs at the cycle the latency mode asks for, a removed sink hands over to the default, a new
// default is followed, the stream lets the graph go while idle and the next sound wakes it, and where the
// stream cannot be opened the PulseAudio stream plays instead.

#include "engine/linux/PipeWireOutput.h"
#include "engine/AudioEngine.h"
#include "engine/linux/NullAudioOutput.h"
#include "engine/linux/PulseAudioDevices.h"
#include "engine/linux/SoundServerOutput.h"
#include "support/AudioSignals.h"
#include "support/MonitorCapture.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"
#include "support/Wait.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>

using namespace tc;
using namespace tc::test;
using namespace std::chrono_literals;

namespace {

constexpr int kRate = 48000;

// Plays `tone` once the capture flows (an idle sink's monitor starts late) and records until it has come and
// gone; returns the frames above a tenth of its amplitude (a sine tone of amplitude 0.5), or 0 when none came.
size_t heardFrames(AudioEngine &engine, const AudioBufferPtr &tone, const std::string &sink) {
    MonitorCapture capture(sink + ".monitor");
    if (!waitUntil([&] { return capture.frames() >= kRate / 10; }, kServerWait)) {
        return 0;
    }
    engine.play(tone, 1.0f, 1.0f, 0.0f);
    const std::vector<float> heard = hearSound(capture);
    size_t above = 0;
    for (size_t i = 0; i + 1 < heard.size(); i += 2) {
        above += std::max(std::fabs(heard[i]), std::fabs(heard[i + 1])) > 0.05f ? 1 : 0;
    }
    return above;
}

// The frames of a sine tone above a tenth of its amplitude.
double expectedFrames(double seconds) {
    return seconds * kRate * (1.0 - 2.0 / M_PI * std::asin(0.1));
}

// As in the PulseAudio engine tests: a loaded machine may make a short stream run dry for a moment, and under
// ThreadSanitizer for whole cycles; a cut, doubled or missing sound is far outside.
#if defined(__SANITIZE_THREAD__)
constexpr double kLengthTolerance = 0.25;
#else
constexpr double kLengthTolerance = 0.1;
#endif

// An engine on the program's output, which plays on PipeWire's own stream here (idle after 400 ms, so that
// the tests see it go), the null output as fallback and the PulseAudio device list, on the rig's PipeWire.
class PipeWireOutputTest : public ::testing::Test {
protected:
    static SoundServerOutput::Options outputOptions() {
        SoundServerOutput::Options options;
        options.pipeWire.idleAfter = 400ms;
        return options;
    }

    void startUp(std::optional<std::string> uid = std::nullopt, bool lowLatency = true) {
        AudioEngine::Options options;
        options.fallback = &fallback;
        options.retryInterval = 200ms;
        options.log = [this](const std::string &line) {
            std::lock_guard guard(logMutex);
            logLines.push_back(line);
        };
        engine = std::make_unique<AudioEngine>(output, devices, options);
        engine->setLowLatency(lowLatency);
        engine->setOutputDevice(std::move(uid));
        engine->setVoiceCount(8);
        engine->start();
        engine->waitUntilSettled();
        EXPECT_TRUE(output.usesPipeWireStream());
    }

    std::vector<std::string> logs() {
        std::lock_guard guard(logMutex);
        return logLines;
    }

    // A second null sink, once PipeWire lists it and its monitor; returns its module index.
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

    RigPulse pulse{SoundServer::pipeWire}; // first: runs before and after everything else
    SoundServerOutput output{outputOptions()};
    PipeWireOutput &stream = output.pipeWire();
    NullAudioOutput fallback;
    PulseAudioDevices devices;
    std::mutex logMutex;
    std::vector<std::string> logLines;
    std::unique_ptr<AudioEngine> engine;
};

} // namespace

TEST(PipeWireServerVersion, OnlyServersThatFollowTargetObjectAreTaken) {
    const std::pair<const char *, bool> cases[] = {
        {"0.3.65", true}, {"0.3.64", true},  {"1.0.5", true},     {"0.4", true},      {"0.3.63", false},
        {"0.2.7", false}, {"0.3.50", false}, {"", false},         {"0.3.x", false},   {"abc", false},
        {"0.3", false},   {"1", true},       {"0.3.65-1", false}, {"-1.3.65", false},
    };
    for (const auto &[version, supported] : cases) {
        EXPECT_EQ(PipeWireOutput::isSupportedServerVersion(version), supported) << "\"" << version << "\"";
    }
}

// The graph runs at the shortest cycle any of its streams asks for: a monitor capture (a PulseAudio client)
// asks for 256 frames, so the cycle is looked at while nothing records.
TEST_F(PipeWireOutputTest, SoundIsHeardWholeAndTheGraphRunsAtTheCycleOfTheLatencyMode) {
    struct Case {
        bool lowLatency;
        uint32_t quantum;
    };
    // The cycle while a sound plays (and keeps the stream active); too faint to count as heard below.
    auto cycleWhilePlaying = [&](uint32_t expected) {
        engine->play(toneBuffer(1.0, 440.0, 0.01f), 1.0f, 1.0f, 0.0f);
        waitUntil([&] { return stream.graphQuantum() == expected; }, 900ms);
        return stream.graphQuantum();
    };
    for (const Case c : {Case{true, 128}, Case{false, 512}}) {
        startUp(std::nullopt, c.lowLatency);
        ASSERT_TRUE(output.isRunning());
        EXPECT_EQ(stream.currentSink(), "tc_out");
        EXPECT_EQ(cycleWhilePlaying(c.quantum), c.quantum) << "low latency " << c.lowLatency;
        const double seconds = 0.3;
        EXPECT_NEAR(static_cast<double>(heardFrames(*engine, toneBuffer(seconds, 440.0, 0.5f), "tc_out")),
                    expectedFrames(seconds), kLengthTolerance * expectedFrames(seconds))
            << "low latency " << c.lowLatency;
        engine.reset();
    }
    // The mode changes while the stream runs.
    startUp(std::nullopt, true);
    engine->setLowLatency(false);
    engine->waitUntilSettled();
    EXPECT_EQ(cycleWhilePlaying(512), 512u);
    engine->setLowLatency(true);
    engine->waitUntilSettled();
    EXPECT_EQ(cycleWhilePlaying(128), 128u);
    EXPECT_TRUE(logs().empty());
}

TEST_F(PipeWireOutputTest, ChosenSinkPlaysAndItsRemovalHandsOverToTheDefault) {
    const std::string module = loadSecondSink();
    startUp("tc_alt");
    ASSERT_TRUE(output.isRunning());
    ASSERT_TRUE(waitUntil([&] { return stream.currentSink() == "tc_alt"; }, kServerWait))
        << stream.currentSink().value_or("");
    EXPECT_GT(heardFrames(*engine, toneBuffer(0.2, 440.0, 0.5f), "tc_alt"), 0u) << "the chosen sink plays";

    pulse.pactl("unload-module " + module);
    ASSERT_TRUE(waitUntil([&] { return !engine->outputDeviceUID().has_value(); }, kServerWait))
        << "the missing sink is forgotten";
    engine->waitUntilSettled();
    ASSERT_TRUE(output.isRunning());
    ASSERT_TRUE(waitUntil([&] { return stream.currentSink() == "tc_out"; }, kServerWait))
        << stream.currentSink().value_or("");
    EXPECT_NEAR(static_cast<double>(heardFrames(*engine, toneBuffer(0.2, 440.0, 0.5f), "tc_out")), expectedFrames(0.2),
                kLengthTolerance * expectedFrames(0.2))
        << "the sound continues on the default sink";
    EXPECT_TRUE(logs().empty());
}

TEST_F(PipeWireOutputTest, SoundFollowsANewDefaultSinkAndAHotPluggedChosenSinkIsPlayedOn) {
    const std::string module = loadSecondSink();
    startUp();
    ASSERT_TRUE(waitUntil([&] { return stream.currentSink() == "tc_out"; }, kServerWait));
    pulse.pactl("set-default-sink tc_alt");
    ASSERT_TRUE(waitUntil([&] { return stream.currentSink() == "tc_alt"; }, kServerWait))
        << stream.currentSink().value_or("");
    EXPECT_NEAR(static_cast<double>(heardFrames(*engine, toneBuffer(0.2, 440.0, 0.5f), "tc_alt")), expectedFrames(0.2),
                kLengthTolerance * expectedFrames(0.2));

    // Back to the first sink, then a sink plugged in later is chosen.
    pulse.pactl("set-default-sink tc_out");
    ASSERT_TRUE(waitUntil([&] { return stream.currentSink() == "tc_out"; }, kServerWait));
    pulse.pactl("unload-module " + module);
    const std::string again = loadSecondSink();
    engine->setOutputDevice("tc_alt");
    engine->waitUntilSettled();
    ASSERT_TRUE(waitUntil([&] { return stream.currentSink() == "tc_alt"; }, kServerWait))
        << stream.currentSink().value_or("");
    EXPECT_GT(heardFrames(*engine, toneBuffer(0.2, 440.0, 0.5f), "tc_alt"), 0u);
}

TEST_F(PipeWireOutputTest, IdleStreamLetsTheGraphGoAndTheNextSoundWakesItWhole) {
    startUp();
    ASSERT_TRUE(output.isRunning());
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(waitUntil([&] { return !stream.isActive(); }, kServerWait)) << "round " << round;
        EXPECT_TRUE(output.isRunning());
        EXPECT_NEAR(static_cast<double>(heardFrames(*engine, toneBuffer(0.3, 440.0, 0.5f), "tc_out")),
                    expectedFrames(0.3), kLengthTolerance * expectedFrames(0.3))
            << "round " << round;
        EXPECT_EQ(stream.graphQuantum(), 128u);
    }
    // A sound longer than the idle time keeps the stream active until it has ended.
    MonitorCapture capture("tc_out.monitor");
    ASSERT_TRUE(waitUntil([&] { return !stream.isActive(); }, kServerWait));
    ASSERT_TRUE(waitUntil([&] { return capture.frames() >= kRate / 10; }, kServerWait));
    engine->play(toneBuffer(1.0, 440.0, 0.5f), 1.0f, 1.0f, 0.0f);
    ASSERT_TRUE(waitUntil([&] { return stream.isActive(); }, kServerWait));
    std::this_thread::sleep_for(800ms);
    EXPECT_TRUE(stream.isActive()) << "went idle while the sound played";
    EXPECT_TRUE(logs().empty());
}

TEST_F(PipeWireOutputTest, ServerGoingAwayIsReportedAndTheNullOutputTakesOver) {
    startUp();
    ASSERT_TRUE(output.isRunning());
    pulse.stop();
    ASSERT_TRUE(waitUntil([&] { return fallback.isRunning(); }, kServerWait));
    EXPECT_FALSE(output.isRunning());
    EXPECT_FALSE(engine->isOutputReachable());
    EXPECT_EQ(logs().size(), 1u);
}

// Which stream SoundServerOutput opens, by the server and by whether PipeWire's own stream can be reached.
TEST(SoundServerOutput, PlaysOnPipeWiresOwnStreamWhereItCanElseOnThePulseAudioStreamAndSaysSoOnce) {
    struct Case {
        SoundServer server;
        bool reachable; // PIPEWIRE_REMOTE names the rig's PipeWire
        bool pipeWireStream;
        size_t logLines;
    };
    const Case cases[] = {
        {SoundServer::pipeWire, true, true, 0},
        {SoundServer::pipeWire, false, false, 1},
        {SoundServer::pulseAudio, false, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(soundServerName(c.server) + (c.reachable ? ", reachable" : ", unreachable"));
        RigPulse pulse(c.server);
        TempDir nowhere;
        std::optional<ScopedEnv> remote;
        if (!c.reachable) {
            remote.emplace("PIPEWIRE_REMOTE", (nowhere.path() / "pipewire-0").string());
        }
        std::vector<std::string> lines;
        std::mutex linesMutex;
        SoundServerOutput::Options options;
        options.log = [&](const std::string &line) {
            std::lock_guard guard(linesMutex);
            lines.push_back(line);
        };
        SoundServerOutput output(options);
        NullAudioOutput fallback;
        PulseAudioDevices devices;
        // Twice: the server is asked again at each start, and a second fallback says nothing more.
        for (int start = 0; start < 2; ++start) {
            AudioEngine::Options engineOptions;
            engineOptions.fallback = &fallback;
            AudioEngine engine(output, devices, engineOptions);
            engine.setVoiceCount(4);
            engine.start();
            engine.waitUntilSettled();
            ASSERT_TRUE(output.isRunning());
            EXPECT_EQ(output.usesPipeWireStream(), c.pipeWireStream);
            EXPECT_GT(heardFrames(engine, toneBuffer(0.2, 440.0, 0.5f), "tc_out"), 0u) << "start " << start;
        }
        std::lock_guard guard(linesMutex);
        ASSERT_EQ(lines.size(), c.logLines);
        if (!lines.empty()) {
            EXPECT_EQ(lines[0].rfind("Tapchime: PipeWire's own stream cannot be opened (", 0), 0u) << lines[0];
        }
    }
}
