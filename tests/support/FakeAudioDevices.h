#pragma once

#include "engine/AudioDevices.h"

#include <map>
#include <mutex>

// AudioDevices for tests: a device list the test edits, a server that can be made unreachable, and change
// notifications sent on the test's thread.
namespace tc::test {

class FakeAudioDevices final : public AudioDevices {
public:
    std::vector<uint32_t> allDeviceIDs() override;
    std::optional<uint32_t> deviceID(const std::string &uid) override;
    std::vector<AudioDevice> outputDevices() override;
    std::optional<AudioDevice> defaultOutput() override;
    int addChangeHandler(ChangeHandler handler) override;
    void removeChangeHandler(int token) override;

    // Adds an output device (ids count up from 1 in order of addition); the first one becomes the default.
    void add(const AudioDevice &device);
    // Removes the device; a removed default passes to the first remaining device.
    void remove(const std::string &uid);
    void setDefault(const std::string &uid);
    // An unreachable server answers every query with nothing.
    void setReachable(bool reachable);
    // Calls every change handler on this thread.
    void notifyChange();
    int queries() const;

private:
    struct Entry {
        uint32_t id;
        AudioDevice device;
    };

    mutable std::mutex mutex_;
    std::vector<Entry> devices_;
    std::string default_;
    uint32_t nextID_ = 1;
    bool reachable_ = true;
    int queries_ = 0;
    std::map<int, ChangeHandler> handlers_;
    int nextToken_ = 1;
};

} // namespace tc::test
