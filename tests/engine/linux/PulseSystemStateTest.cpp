// On each of the rig's sound servers: recording applications turn the microphone state on and off, and the
// default output's mute and volume make it silent.

#include "engine/linux/PulseMicrophoneActivity.h"
#include "engine/linux/PulseOutputVolume.h"
#include "engine/linux/PulseWatchConnection.h"
#include "support/ChildProcess.h"
#include "support/Rig.h"
#include "support/Wait.h"

#include <atomic>
#include <gtest/gtest.h>
#include <pulse/pulseaudio.h>
#include <thread>

using namespace tc;
using namespace tc::test;

namespace {

// A volume meter's stream: records with PA_STREAM_PEAK_DETECT, as level meters in mixers do.
class PeakMeterStream {
public:
    explicit PeakMeterStream(const char *source) {
        loop_ = pa_threaded_mainloop_new();
        pa_threaded_mainloop_start(loop_);
        pa_threaded_mainloop_lock(loop_);
        context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "peak meter");
        pa_context_set_state_callback(context_, &PeakMeterStream::signal, loop_);
        pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
        while (pa_context_get_state(context_) != PA_CONTEXT_READY &&
               PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) {
            pa_threaded_mainloop_wait(loop_);
        }
        pa_sample_spec sampleSpec{PA_SAMPLE_FLOAT32LE, 25, 1};
        stream_ = pa_stream_new(context_, "peak", &sampleSpec, nullptr);
        pa_stream_set_read_callback(
            stream_,
            [](pa_stream *s, size_t, void *) {
                const void *data = nullptr;
                size_t bytes = 0;
                while (pa_stream_readable_size(s) > 0 && pa_stream_peek(s, &data, &bytes) == 0 && bytes > 0) {
                    pa_stream_drop(s);
                }
            },
            nullptr);
        pa_stream_connect_record(stream_, source, nullptr,
                                 static_cast<pa_stream_flags_t>(PA_STREAM_PEAK_DETECT | PA_STREAM_ADJUST_LATENCY));
        pa_threaded_mainloop_unlock(loop_);
    }
    ~PeakMeterStream() {
        pa_threaded_mainloop_lock(loop_);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        pa_threaded_mainloop_unlock(loop_);
        pa_threaded_mainloop_stop(loop_);
        pa_threaded_mainloop_free(loop_);
    }

private:
    static void signal(pa_context *, void *loop) {
        pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0);
    }
    pa_threaded_mainloop *loop_;
    pa_context *context_;
    pa_stream *stream_;
};

// The watchers on each of the rig's sound servers.
class MicrophoneActivityOnRig : public ::testing::TestWithParam<SoundServer> {};
class OutputVolumeOnRig : public ::testing::TestWithParam<SoundServer> {};

size_t sourceOutputs(const RigPulse &pulse) {
    auto list = pulse.pactl("list short source-outputs");
    return static_cast<size_t>(std::count(list.begin(), list.end(), '\n'));
}

} // namespace

TEST_P(MicrophoneActivityOnRig, RecordingFromAMicrophoneCountsButMonitorsAndMetersDoNot) {
    RigPulse pulse(GetParam());
    PulseMicrophoneActivity mic;
    ASSERT_TRUE(waitUntil([&] { return mic.connected(); }));

    // Streams that do not use a microphone, seen by the watcher before the one that does.
    ChildProcess monitor(recordingApp("tc_out.monitor"));
    PeakMeterStream meter("tc_mic");
    ASSERT_TRUE(waitUntil([&] { return sourceOutputs(pulse) == 2; }));

    {
        ChildProcess recorder(recordingApp("tc_mic"));
        EXPECT_TRUE(waitUntil([&] { return mic.microphoneInUse(); }));
    }
    // With the monitor recording and the meter still running, the microphone is free again.
    EXPECT_TRUE(waitUntil([&] { return !mic.microphoneInUse(); }));
    EXPECT_EQ(sourceOutputs(pulse), 2u);
}

TEST_P(MicrophoneActivityOnRig, ARecordingRunningAtStartCountsAndAVanishedServerMeansFree) {
    RigPulse pulse(GetParam());
    ChildProcess recorder(recordingApp("tc_mic"));
    ASSERT_TRUE(waitUntil([&] { return sourceOutputs(pulse) == 1; }));
    PulseMicrophoneActivity mic;
    EXPECT_TRUE(waitUntil([&] { return mic.microphoneInUse(); }));
    pulse.stop();
    EXPECT_TRUE(waitUntil([&] { return !mic.microphoneInUse() && !mic.connected(); }));
}

TEST(PulseWatchConnection, TicksWhileConnectedAndNotWhileTheServerIsAway) {
    RigPulse pulse(SoundServer::pulseAudio);
    std::atomic<int> ticks = 0;
    PulseWatchOptions options;
    options.tickEvery = std::chrono::milliseconds(20);
    options.reconnectDelay = std::chrono::milliseconds(50);
    options.log = [](const std::string &) {};
    PulseWatchConnection connection("Tapchime tick test", PA_SUBSCRIPTION_MASK_SERVER,
                                    {[](pa_context *) {}, [](pa_context *, pa_subscription_event_type_t, uint32_t) {},
                                     [] {},
                                     [&](pa_context *context) {
                                         EXPECT_NE(context, nullptr);
                                         ++ticks;
                                     }},
                                    options);
    EXPECT_TRUE(waitUntil([&] { return ticks >= 3; }));
    pulse.stop();
    EXPECT_TRUE(waitUntil([&] { return !connection.connected(); }));
    const int before = ticks;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(ticks, before);
}

TEST(PulseMicrophoneActivity, NoServerMeansNotInUse) {
    TempDir nowhere;
    setenv("PULSE_SERVER", ("unix:" + (nowhere.path() / "native").string()).c_str(), 1);
    PulseMicrophoneActivity mic;
    PulseOutputVolume output;
    EXPECT_FALSE(mic.microphoneInUse());
    EXPECT_FALSE(output.isSilent());
    EXPECT_FALSE(mic.connected());
    unsetenv("PULSE_SERVER");
}

TEST_P(OutputVolumeOnRig, MuteAndVeryLowVolumeMakeTheDefaultOutputSilent) {
    RigPulse pulse(GetParam());
    PulseOutputVolume output;
    ASSERT_TRUE(waitUntil([&] { return output.connected(); }));
    EXPECT_FALSE(output.isSilent());

    struct Step {
        const char *command;
        bool silent;
    };
    for (const auto &step : std::vector<Step>{{"set-sink-mute tc_out 1", true},
                                              {"set-sink-mute tc_out 0", false},
                                              {"set-sink-volume tc_out 0.5%", true},
                                              {"set-sink-volume tc_out 2%", false},
                                              {"set-sink-volume tc_out 0%", true},
                                              {"set-sink-volume tc_out 100%", false},
                                              // One channel loud enough is enough.
                                              {"set-sink-volume tc_out 0% 30%", false},
                                              {"set-sink-volume tc_out 0.5% 0.5%", true}}) {
        pulse.pactl(step.command);
        EXPECT_TRUE(waitUntil([&] { return output.isSilent() == step.silent; })) << step.command;
    }
}

TEST_P(OutputVolumeOnRig, FollowsTheDefaultSink) {
    RigPulse pulse(GetParam());
    pulse.pactl("load-module module-null-sink sink_name=tc_other");
    // PipeWire lists a new sink a moment after loading it; muting or choosing it before then does nothing.
    ASSERT_TRUE(waitUntil([&] { return pulse.pactl("list short sinks").find("tc_other") != std::string::npos; }));
    pulse.pactl("set-sink-mute tc_other 1");
    ASSERT_TRUE(waitUntil([&] { return pulse.pactl("get-sink-mute tc_other").find("yes") != std::string::npos; }));
    PulseOutputVolume output;
    ASSERT_TRUE(waitUntil([&] { return output.connected(); }));
    EXPECT_FALSE(output.isSilent());
    pulse.pactl("set-default-sink tc_other");
    // On PipeWire the session manager makes the choice the default a moment later: the server's own answer
    // first, so that a failure says which side did not follow.
    ASSERT_TRUE(waitUntil([&] { return pulse.pactl("get-default-sink").find("tc_other") != std::string::npos; }))
        << "the server kept " << pulse.pactl("get-default-sink");
    EXPECT_TRUE(waitUntil([&] { return output.isSilent(); }))
        << "tc_other muted: " << pulse.pactl("get-sink-mute tc_other");
    pulse.pactl("set-default-sink tc_out");
    EXPECT_TRUE(waitUntil([&] { return !output.isSilent(); }));
}

TEST_P(MicrophoneActivityOnRig, AServerThatAppearsLaterIsFollowed) {
    // The watchers start before the sound server does, as at login.
    RigPulse pulse(GetParam(), RigPulse::Start::later);
    PulseMicrophoneActivity mic;
    PulseOutputVolume output;
    EXPECT_FALSE(mic.connected());

    pulse.start();
    EXPECT_TRUE(waitUntil([&] { return mic.connected() && output.connected(); }));
    {
        ChildProcess recorder(recordingApp("tc_mic"));
        EXPECT_TRUE(waitUntil([&] { return mic.microphoneInUse(); }));
    }
    pulse.pactl("set-sink-mute tc_out 1");
    EXPECT_TRUE(waitUntil([&] { return output.isSilent(); }));
}

INSTANTIATE_TEST_SUITE_P(SoundServers, MicrophoneActivityOnRig, kSoundServers, SoundServerName());
INSTANTIATE_TEST_SUITE_P(SoundServers, OutputVolumeOnRig, kSoundServers, SoundServerName());
