// The settings screen's device list on a real sound server: its sinks, and a sink plugged in or removed while
// the list is open.

#include "app/OutputDeviceList.h"
#include "engine/linux/PulseAudioDevices.h"
#include "support/FakeScheduler.h"
#include "support/Rig.h"
#include "support/Wait.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

bool hasSink(const std::vector<AudioDevice> &devices, const std::string &name) {
    return std::any_of(devices.begin(), devices.end(), [&](const AudioDevice &device) { return device.uid == name; });
}

TEST(OutputDeviceListRig, ListsTheServersSinksAndFollowsHotPlug) {
    RigPulse pulse;
    PulseAudioDevices devices;
    FakeScheduler mainThread;
    std::vector<AudioDevice> latest;
    OutputDeviceList list(devices, mainThread, [&](std::vector<AudioDevice> fresh) { latest = std::move(fresh); });
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

} // namespace
} // namespace tc::test
