// The settings screen's device list on a real sound server: its sinks, and a sink plugged in or removed while
// the list is open; and the chosen device, played on again when it comes back.

#include "app/AudioControl.h"
#include "app/BackgroundService.h"
#include "app/OutputDeviceList.h"
#include "engine/AudioEngine.h"
#include "engine/linux/NullAudioOutput.h"
#include "engine/linux/PulseAudioDevices.h"
#include "engine/linux/SoundServerOutput.h"
#include "support/FakeScheduler.h"
#include "support/Rig.h"
#include "support/Wait.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace tc::test {
namespace {

bool hasSink(const std::vector<AudioDevice> &devices, const std::string &name) {
    return std::any_of(devices.begin(), devices.end(), [&](const AudioDevice &device) { return device.uid == name; });
}

TEST(OutputDeviceListRig, ListsTheServersSinksAndFollowsHotPlug) {
    RigPulse pulse;
    PulseAudioDevices devices;
    FakeScheduler mainThread;
    BackgroundService lanes(mainThread);
    std::vector<AudioDevice> latest;
    OutputDeviceList list(devices, lanes, [&](std::vector<AudioDevice> fresh) { latest = std::move(fresh); });
    const auto becomes = [&](const std::function<bool()> &done) {
        return waitUntil([&] {
            mainThread.runPosted();
            return done();
        });
    };

    list.refresh();
    ASSERT_TRUE(becomes([&] { return hasSink(latest, "tc_out"); }));
    EXPECT_FALSE(hasSink(latest, "tc_out.monitor")); // monitors are no outputs

    // Plugged in and removed: no refresh asked for, the server's reports bring each new list.
    const std::string module = pulse.pactl("load-module module-null-sink sink_name=tc_plugged");
    ASSERT_TRUE(becomes([&] { return hasSink(latest, "tc_plugged"); }));
    pulse.pactl("unload-module " + module);
    ASSERT_TRUE(becomes([&] { return !hasSink(latest, "tc_plugged") && hasSink(latest, "tc_out"); }));
}

// The name of the sink each playback stream of the server plays on, from pactl's short listings.
std::vector<std::string> streamSinks(const RigPulse &pulse) {
    std::map<std::string, std::string> sinkNames; // index to name
    std::istringstream sinks(pulse.pactl("list short sinks"));
    for (std::string index, name, rest; sinks >> index >> name && std::getline(sinks, rest);) {
        sinkNames[index] = name;
    }
    std::vector<std::string> playing;
    std::istringstream inputs(pulse.pactl("list short sink-inputs"));
    for (std::string index, sink, rest; inputs >> index >> sink && std::getline(inputs, rest);) {
        playing.push_back(sinkNames.count(sink) != 0 ? sinkNames[sink] : "#" + sink);
    }
    return playing;
}

// The settings keep naming a chosen sink while it is gone, and the picker shows it again once it is back: the
// sound must then go there too, not stay on the default it fell back to.
class ChosenSinkRig : public ::testing::TestWithParam<SoundServer> {};

TEST_P(ChosenSinkRig, AChosenSinkThatComesBackIsPlayedOnAgain) {
    RigPulse pulse(GetParam());
    const auto loadSecond = [&] {
        std::string module = pulse.pactl("load-module module-null-sink sink_name=tc_alt rate=48000 "
                                         "format=float32le channels=2 sink_properties=device.description=Second");
        module.erase(module.find_last_not_of(" \n") + 1);
        // PipeWire lists the sink a moment after it answered.
        EXPECT_TRUE(waitUntil([&] { return pulse.pactl("list short sinks").find("tc_alt") != std::string::npos; }));
        return module;
    };
    std::string module = loadSecond();
    SoundServerOutput output; // the program's: PipeWire's own stream where the server is PipeWire
    NullAudioOutput fallback;
    PulseAudioDevices devices;
    AudioEngine engine(
        output, devices,
        AudioEngine::Options{&fallback, {}, [](const std::string &) {}, std::chrono::milliseconds(1000)});
    AudioEngineControl control(engine, &devices);
    control.setVoiceCount(8);
    control.setOutputDevice("tc_alt");
    control.start();
    const auto playsOn = [&](const std::string &sink) {
        return waitUntil([&] { return streamSinks(pulse) == std::vector<std::string>{sink}; });
    };
    ASSERT_TRUE(playsOn("tc_alt"));

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        pulse.pactl("unload-module " + module);
        ASSERT_TRUE(playsOn("tc_out")) << "the default takes over while the chosen sink is gone";
        module = loadSecond();
        ASSERT_TRUE(playsOn("tc_alt")) << "back on the chosen sink once it is there again";
        EXPECT_EQ(engine.outputDeviceUID(), std::optional<std::string>("tc_alt"));
    }

    // The system default chosen: a sink that comes and goes changes nothing.
    control.setOutputDevice(std::nullopt);
    ASSERT_TRUE(playsOn("tc_out"));
    pulse.pactl("unload-module " + module);
    module = loadSecond();
    engine.waitUntilSettled();
    EXPECT_TRUE(playsOn("tc_out"));
}

INSTANTIATE_TEST_SUITE_P(SoundServers, ChosenSinkRig, kSoundServers, SoundServerName());

} // namespace
} // namespace tc::test
