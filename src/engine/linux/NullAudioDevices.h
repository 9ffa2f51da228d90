#pragma once

#include "engine/AudioDevices.h"

namespace tc {

// The device list where no sound server can be reached: no devices, no default, no changes.
// Threads: any.
class NullAudioDevices final : public AudioDevices {
public:
    std::vector<uint32_t> allDeviceIDs() override { return {}; }
    std::optional<uint32_t> deviceID(const std::string &) override { return std::nullopt; }
    std::vector<AudioDevice> outputDevices() override { return {}; }
    std::optional<AudioDevice> defaultOutput() override { return std::nullopt; }
    int addChangeHandler(ChangeHandler) override { return 0; }
    void removeChangeHandler(int) override {}
};

} // namespace tc
