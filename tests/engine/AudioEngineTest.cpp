// The audio engine's voice pool, clamps and requests, against a fake output and device list, rendered offline
// and checked by number. The requests are carried out on the engine's control thread; a test waits for that
// with waitUntilSettled() before it looks.

#include "engine/AudioEngine.h"
#include "support/AudioSignals.h"
#include "support/FakeAudioDevices.h"
#include "support/FakeAudioOutput.h"
#include "support/Wait.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <thread>

using namespace tc;
using namespace tc::test;
using namespace std::chrono_literals;

namespace {

constexpr uint64_t kStart = 5'000'000'000; // the fake uptime when a test begins, in ns
constexpr uint64_t kMillisecond = 1'000'000;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

class AudioEngineTest : public ::testing::Test {
protected:
    AudioEngineTest() {
        devices.add({"tc_out", "Null Output"});
        devices.add({"tc_alt", "Second Output"});
    }

    void make(std::chrono::milliseconds retryInterval = std::chrono::hours(1), AudioOutput *fallbackOutput = nullptr) {
        AudioEngine::Options options;
        options.fallback = fallbackOutput;
        options.clock = [this] { return now.load(); };
        options.log = [this](const std::string &line) {
            std::lock_guard guard(logMutex);
            logLines.push_back(line);
        };
        options.retryInterval = retryInterval;
        engine = std::make_unique<AudioEngine>(output, devices, options);
    }

    // The owner's start-up requests, carried out.
    void startUp(int voices, std::optional<std::string> uid = std::nullopt, bool lowLatency = true) {
        engine->setLowLatency(lowLatency);
        engine->setOutputDevice(std::move(uid));
        engine->setVoiceCount(voices);
        engine->start();
        engine->waitUntilSettled();
    }

    std::vector<float> renderLeft(size_t frames, FakeAudioOutput *from = nullptr) {
        std::vector<float> left;
        std::vector<float> right;
        (from ? from : &output)->render(frames, left, right);
        return left;
    }

    std::vector<std::string> logs() {
        std::lock_guard guard(logMutex);
        return logLines;
    }

    std::optional<std::string> chosenUID() { return engine->outputDeviceUID(); }
    uint64_t busyUntil(size_t voice) { return engine->busyUntil(voice); }

    FakeAudioOutput output;
    FakeAudioOutput fallback;
    FakeAudioDevices devices;
    std::atomic<uint64_t> now{kStart};
    std::mutex logMutex;
    std::vector<std::string> logLines;
    std::unique_ptr<AudioEngine> engine; // last: destroyed before the fakes it uses
};

} // namespace

TEST_F(AudioEngineTest, VoiceCountIsKeptBetweenTwoAndSixtyFour) {
    make();
    const std::pair<std::int64_t, size_t> cases[] = {{0, 2},   {1, 2},  {2, 2},          {16, 16},           {64, 64},
                                                     {65, 64}, {-3, 2}, {1'000'000, 64}, {5'000'000'000, 64}};
    for (auto [count, built] : cases) {
        engine->setVoiceCount(count);
        engine->waitUntilSettled();
        EXPECT_EQ(engine->voiceCount(), built) << "count " << count;
        EXPECT_EQ(AudioEngine::voiceCountFor(count), static_cast<int>(built)) << "count " << count;
    }
}

TEST_F(AudioEngineTest, PlayWithoutVoicesDoesNothing) {
    make();
    engine->start();
    engine->waitUntilSettled();
    ASSERT_TRUE(output.isRunning());
    engine->play(constantBuffer(100, 0.5f, 0.5f), 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(peak(renderLeft(200)), 0.0f);
}

TEST_F(AudioEngineTest, RateIsClampedAndSetsTheSoundsLengthAndBusyTime) {
    struct Case {
        float rate;
        size_t frames;   // rendered length of a 4,800-frame (100 ms) buffer
        uint64_t busyMs; // busyUntil after the call, from now
    };
    const Case cases[] = {{1.0f, 4800, 100}, {2.0f, 2400, 50},  {3.0f, 2400, 50},
                          {0.5f, 9600, 200}, {0.2f, 9600, 200}, {kNaN, 4800, 100}};
    make();
    startUp(2);
    for (const Case &c : cases) {
        now += 1000 * kMillisecond; // every voice is free again
        engine->play(constantBuffer(4800, 0.5f, 0.5f), 1.0f, c.rate, 0.0f);
        EXPECT_EQ(soundEnd(renderLeft(12000)), c.frames) << "rate " << c.rate;
        EXPECT_EQ(busyUntil(0), now + c.busyMs * kMillisecond) << "rate " << c.rate;
    }
}

TEST_F(AudioEngineTest, VolumeAndPanAreClampedIntoTheChannelGains) {
    struct Case {
        float volume;
        float pan;
        float left; // of a buffer at 0.5 on both channels
        float right;
    };
    const Case cases[] = {{1.5f, 0.0f, 0.5f, 0.5f},     {1.0f, -3.0f, 0.5f, 0.0f},   {1.0f, 3.0f, 0.0f, 0.5f},
                          {0.5f, -0.5f, 0.25f, 0.125f}, {1.0f, 0.25f, 0.375f, 0.5f}, {-1.0f, 0.0f, 0.0f, 0.0f},
                          {kNaN, 0.0f, 0.0f, 0.0f},     {1.0f, kNaN, 0.5f, 0.5f}};
    make();
    startUp(2);
    for (const Case &c : cases) {
        now += 1000 * kMillisecond;
        engine->play(constantBuffer(100, 0.5f, 0.5f), c.volume, 1.0f, c.pan);
        std::vector<float> left;
        std::vector<float> right;
        output.render(200, left, right);
        EXPECT_FLOAT_EQ(peak(left), c.left) << "volume " << c.volume << " pan " << c.pan;
        EXPECT_FLOAT_EQ(peak(right), c.right) << "volume " << c.volume << " pan " << c.pan;
    }
}

TEST_F(AudioEngineTest, TakesTheFirstFreeVoiceElseTheOneThatEndsFirst) {
    make();
    startUp(2);
    auto a = constantBuffer(48000, 0.1f, 0.0f); // 1 s
    auto b = constantBuffer(24000, 0.2f, 0.0f); // 0.5 s
    auto c = constantBuffer(12000, 0.4f, 0.0f); // 0.25 s

    engine->play(a, 1.0f, 1.0f, 0.0f);
    engine->play(b, 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(busyUntil(0), kStart + 1000 * kMillisecond);
    EXPECT_EQ(busyUntil(1), kStart + 500 * kMillisecond);

    // Both busy: b ends first, so its voice is replaced.
    engine->play(c, 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(busyUntil(0), kStart + 1000 * kMillisecond);
    EXPECT_EQ(busyUntil(1), kStart + 250 * kMillisecond);
    EXPECT_FLOAT_EQ(renderLeft(1)[0], 0.5f); // a + c; b was cut

    // At the very moment c ends its voice counts as free.
    now = kStart + 250 * kMillisecond;
    engine->play(b, 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(busyUntil(1), now + 500 * kMillisecond);

    // Later both are free: voice 0 comes first.
    now = kStart + 2000 * kMillisecond;
    engine->play(c, 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(busyUntil(0), now + 250 * kMillisecond);
    EXPECT_EQ(busyUntil(1), kStart + 750 * kMillisecond);
}

TEST_F(AudioEngineTest, WhenBothVoicesEndTogetherVoiceZeroIsReplaced) {
    make();
    startUp(2);
    auto a = constantBuffer(48000, 0.1f, 0.0f);
    auto c = constantBuffer(12000, 0.4f, 0.0f);
    engine->play(a, 1.0f, 1.0f, 0.0f);
    engine->play(a, 1.0f, 1.0f, 0.0f);
    engine->play(c, 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(busyUntil(0), kStart + 250 * kMillisecond);
    EXPECT_EQ(busyUntil(1), kStart + 1000 * kMillisecond);
    EXPECT_FLOAT_EQ(renderLeft(1)[0], 0.5f);
}

TEST_F(AudioEngineTest, StartUpOpensTheChosenDeviceWithTheRequestedBuffer) {
    struct Case {
        std::optional<std::string> uid;
        bool lowLatency;
        std::string device; // what the output is opened on ("" is the default)
        int frames;
    };
    const Case cases[] = {{std::nullopt, true, "", 128},
                          {std::nullopt, false, "", 512},
                          {"tc_alt", true, "tc_alt", 128},
                          {"unplugged", true, "", 128}};
    for (const Case &c : cases) {
        make();
        startUp(4, c.uid, c.lowLatency);
        ASSERT_FALSE(output.starts().empty());
        EXPECT_EQ(output.starts().back().deviceUID, c.device) << c.device;
        EXPECT_EQ(output.bufferFrames(), c.frames) << c.device;
        EXPECT_EQ(chosenUID(), c.uid) << "applying a device never changes the choice";
        engine.reset();
    }
}

TEST_F(AudioEngineTest, LatencyModeChangeAsksTheRunningOutputForTheNewBufferSize) {
    make();
    startUp(4);
    for (bool lowLatency : {false, true, false}) {
        engine->setLowLatency(lowLatency);
        engine->waitUntilSettled();
        EXPECT_EQ(output.bufferFrames(), lowLatency ? 128 : 512);
    }
    EXPECT_EQ(output.starts().size(), 1u) << "the stream stays open";
}

TEST_F(AudioEngineTest, OutputDeviceChangeReopensTheStreamOnlyWhereItPlaysElsewhere) {
    struct Step {
        std::optional<std::string> uid;
        std::string device; // where the stream plays afterwards
        size_t starts;      // streams opened so far
    };
    const Step steps[] = {{"tc_alt", "tc_alt", 2},
                          {"tc_alt", "tc_alt", 2},
                          {std::nullopt, "", 3},
                          {"unplugged", "", 3},
                          {"tc_out", "tc_out", 4}};
    make();
    startUp(4);
    for (const Step &step : steps) {
        engine->setOutputDevice(step.uid);
        engine->waitUntilSettled();
        EXPECT_EQ(output.deviceUID(), step.device) << step.uid.value_or("default");
        EXPECT_EQ(output.starts().size(), step.starts) << step.uid.value_or("default");
        EXPECT_EQ(chosenUID(), step.uid);
        engine->play(constantBuffer(100, 0.5f, 0.5f), 1.0f, 1.0f, 0.0f);
        EXPECT_EQ(soundEnd(renderLeft(200)), 100u) << step.uid.value_or("default");
    }
}

TEST_F(AudioEngineTest, RemovedChosenDeviceIsForgottenAndSoundFollowsTheDefault) {
    make();
    startUp(4, "tc_alt");
    ASSERT_EQ(output.starts().back().deviceUID, "tc_alt");

    devices.remove("tc_alt");
    output.report(AudioOutput::Change::deviceRemoved); // handled on the engine's control thread
    engine->waitUntilSettled();
    EXPECT_FALSE(chosenUID().has_value());
    ASSERT_TRUE(output.isRunning());
    EXPECT_EQ(output.deviceUID(), "");

    engine->play(constantBuffer(100, 0.5f, 0.5f), 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(soundEnd(renderLeft(200)), 100u);
}

TEST_F(AudioEngineTest, ConfigurationChangeKeepsAChoiceThatStillExistsOrWhileTheServerIsAway) {
    make();
    startUp(4, "tc_alt");
    output.report(AudioOutput::Change::defaultChanged); // tc_alt is still there
    engine->waitUntilSettled();
    EXPECT_EQ(chosenUID(), "tc_alt");
    EXPECT_EQ(output.starts().size(), 1u) << "nothing to restart";

    devices.setReachable(false);
    output.report(AudioOutput::Change::streamLost);
    engine->waitUntilSettled();
    EXPECT_EQ(chosenUID(), "tc_alt");
}

TEST_F(AudioEngineTest, LostStreamIsStartedAgainOnTheControlThread) {
    make();
    startUp(4);
    output.report(AudioOutput::Change::streamLost);
    engine->waitUntilSettled();
    ASSERT_EQ(output.starts().size(), 2u);
    EXPECT_TRUE(output.isRunning());
    EXPECT_NE(output.starts().back().thread, std::this_thread::get_id());
    EXPECT_TRUE(logs().empty());
}

TEST_F(AudioEngineTest, FailedStartLogsOnceRetriesOffTheKeyPathAndTheFallbackKeepsTime) {
    output.failStarts("Connection refused");
    make(20ms, &fallback);
    startUp(4);
    const auto keyThread = std::this_thread::get_id();

    EXPECT_EQ(logs(), std::vector<std::string>{"Tapchime: audio engine failed to start: Connection refused"});
    EXPECT_TRUE(fallback.isRunning());
    EXPECT_TRUE(engine->isRunning());
    EXPECT_FALSE(engine->isOutputRunning());
    EXPECT_FALSE(engine->isOutputReachable()) << "only the null output renders: nothing is heard";

    // Key presses meanwhile play on the fallback and never try to start the output themselves.
    for (int i = 0; i < 50; ++i) {
        engine->play(constantBuffer(100, 0.5f, 0.5f), 1.0f, 1.0f, 0.0f);
    }
    EXPECT_EQ(soundEnd(renderLeft(200, &fallback)), 100u);
    ASSERT_TRUE(waitUntil([&] { return output.starts().size() >= 4; }));
    const auto starts = output.starts();
    for (size_t i = 1; i < starts.size(); ++i) {
        EXPECT_NE(starts[i].thread, keyThread) << "start attempt " << i;
    }
    EXPECT_EQ(logs().size(), 1u) << "a repeated failure is logged once";

    // The server comes back: the output takes over from the fallback.
    output.failStarts("");
    ASSERT_TRUE(waitUntil([&] { return engine->isOutputReachable(); }));
    EXPECT_TRUE(output.isRunning());
    EXPECT_FALSE(fallback.isRunning());
    engine->play(constantBuffer(100, 0.5f, 0.5f), 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(soundEnd(renderLeft(200)), 100u);

    // A new failure after a success is a new event and is logged again.
    output.failStarts("Connection terminated");
    output.report(AudioOutput::Change::streamLost);
    ASSERT_TRUE(waitUntil([&] { return logs().size() == 2; }));
    EXPECT_EQ(logs().back(), "Tapchime: audio engine failed to start: Connection terminated");
    engine->waitUntilSettled();
    EXPECT_TRUE(fallback.isRunning());
    EXPECT_FALSE(engine->isOutputReachable());
}

TEST_F(AudioEngineTest, SoundsPlayedWhileNothingRendersAreDroppedNotPlayedLate) {
    output.failStarts("no server");
    make(); // no fallback: nothing renders while the output cannot start
    startUp(4);
    engine->play(constantBuffer(100, 0.5f, 0.5f), 1.0f, 1.0f, 0.0f);
    output.failStarts("");
    output.report(AudioOutput::Change::defaultChanged); // the server is back
    engine->waitUntilSettled();
    ASSERT_TRUE(output.isRunning());
    EXPECT_EQ(peak(renderLeft(200)), 0.0f);
    engine->play(constantBuffer(100, 0.5f, 0.5f), 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(soundEnd(renderLeft(200)), 100u);
}

TEST_F(AudioEngineTest, RebuildingWhileRunningSilencesEveryVoice) {
    make();
    startUp(4);
    for (int i = 0; i < 4; ++i) {
        engine->play(constantBuffer(48000, 0.1f, 0.1f), 1.0f, 1.0f, 0.0f);
    }
    EXPECT_FLOAT_EQ(renderLeft(10)[9], 0.4f);
    engine->setVoiceCount(8);
    engine->waitUntilSettled();
    EXPECT_EQ(engine->voiceCount(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(engine->busyUntil(i), 0u);
    }
    EXPECT_EQ(peak(renderLeft(100)), 0.0f);
    EXPECT_EQ(output.starts().size(), 1u) << "the stream stays open";
}

TEST_F(AudioEngineTest, AskingForThePoolSizeTheEngineHasKeepsItsSoundsPlaying) {
    // A count of 1, 0 or −3 builds the 2 voices there are already: nothing to rebuild, nothing cut off.
    make();
    startUp(2);
    engine->play(constantBuffer(48000, 0.1f, 0.1f), 1.0f, 1.0f, 0.0f);
    engine->play(constantBuffer(48000, 0.1f, 0.1f), 1.0f, 1.0f, 0.0f);
    EXPECT_FLOAT_EQ(renderLeft(10)[9], 0.2f);
    for (int count : {1, 0, -3, 2}) {
        engine->setVoiceCount(count);
    }
    engine->waitUntilSettled();
    EXPECT_FLOAT_EQ(renderLeft(10)[9], 0.2f);
    EXPECT_NE(busyUntil(0), 0u);
}

TEST_F(AudioEngineTest, EverySoundHandedOverWakesTheOutputThatRendersIt) {
    make(std::chrono::hours(1), &fallback);
    engine->play(constantBuffer(100, 0.5f, 0.5f), 1.0f, 1.0f, 0.0f); // no voices yet
    EXPECT_EQ(output.soundsQueued(), 0);
    startUp(2);
    engine->play(constantBuffer(100, 0.5f, 0.5f), 1.0f, 1.0f, 0.0f);
    engine->play(constantBuffer(100, 0.5f, 0.5f), 1.0f, 1.0f, 0.0f);
    engine->play(AudioBufferPtr(), 1.0f, 1.0f, 0.0f); // nothing to play
    EXPECT_EQ(output.soundsQueued(), 2);

    // While the output cannot start, the fallback renders and is the one woken.
    output.failStarts("no server");
    output.report(AudioOutput::Change::streamLost);
    engine->waitUntilSettled();
    ASSERT_TRUE(fallback.isRunning());
    engine->play(constantBuffer(100, 0.5f, 0.5f), 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(fallback.soundsQueued(), 1);
    EXPECT_EQ(output.soundsQueued(), 2);
}

TEST_F(AudioEngineTest, NeitherKeysNorSettingsWaitForAnOutputThatIsStillConnecting) {
    // The output's start (the connect to the sound server) is held until the calls below have returned; a
    // play() or a request that waited for it would never return and the test would hang.
    struct Case {
        const char *name;
        std::function<void(AudioEngine &)> change;
        std::function<bool()> applied; // once the connect has completed
        bool soundSurvives;            // a new pool or another device silences what was queued
    };
    const Case cases[] = {
        {"latency", [](AudioEngine &target) { target.setLowLatency(false); },
         [this] { return output.bufferFrames() == 512; }, true},
        {"voices", [](AudioEngine &target) { target.setVoiceCount(8); }, [this] { return engine->voiceCount() == 8; },
         false},
        {"device", [](AudioEngine &target) { target.setOutputDevice("tc_alt"); },
         [this] { return output.deviceUID() == "tc_alt"; }, false},
    };
    for (const Case &c : cases) {
        output.holdStarts();
        make();
        engine->setVoiceCount(4);
        engine->start();
        output.waitForHeldStart();

        std::thread key([&] { engine->play(constantBuffer(100, 0.5f, 0.5f), 1.0f, 1.0f, 0.0f); });
        key.join();
        c.change(*engine);
        EXPECT_TRUE(engine->isOutputReachable()) << c.name << ": a connect in progress is no failure";

        output.releaseStarts();
        engine->waitUntilSettled();
        ASSERT_TRUE(output.isRunning()) << c.name;
        EXPECT_TRUE(c.applied()) << c.name;
        EXPECT_EQ(soundEnd(renderLeft(200)), c.soundSurvives ? 100u : 0u) << c.name;
        engine.reset();
    }
}

TEST_F(AudioEngineTest, TheFallbackRendersUntilTheOutputHasConnectedAndHandsOverTheVoicesWhereTheyAre) {
    output.failStarts("no server");
    make(std::chrono::hours(1), &fallback);
    startUp(2);
    ASSERT_TRUE(fallback.isRunning());
    engine->play(constantBuffer(48000, 0.1f, 0.1f), 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(soundEnd(renderLeft(100, &fallback)), 100u);

    // The server answers again, slowly: the fallback goes on meanwhile.
    output.failStarts("");
    output.holdStarts();
    output.report(AudioOutput::Change::defaultChanged);
    output.waitForHeldStart();
    EXPECT_TRUE(fallback.isRunning());
    EXPECT_TRUE(engine->isRunning());
    EXPECT_EQ(soundEnd(renderLeft(100, &fallback)), 100u);

    output.releaseStarts();
    engine->waitUntilSettled();
    EXPECT_FALSE(fallback.isRunning());
    ASSERT_TRUE(output.isRunning());
    EXPECT_TRUE(engine->isOutputReachable());
    EXPECT_EQ(soundEnd(renderLeft(48000)), 47800u) << "the sound goes on after the 200 frames already rendered";
}

TEST_F(AudioEngineTest, AnEngineDestroyedWhileItConnectsStopsTheOutputOnceTheConnectEnds) {
    output.holdStarts();
    make();
    engine->setVoiceCount(2);
    engine->start();
    output.waitForHeldStart();
    std::thread closing([&] { engine.reset(); });
    output.releaseStarts();
    closing.join();
    EXPECT_EQ(output.starts().size(), 1u);
    EXPECT_FALSE(output.isRunning());
}
