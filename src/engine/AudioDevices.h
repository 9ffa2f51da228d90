#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tc {

// One output device as the settings screen shows it and the document stores it.
struct AudioDevice {
    std::string uid;  // persistent identifier (on PulseAudio the sink name)
    std::string name; // display name (the sink description)

    friend bool operator==(const AudioDevice &, const AudioDevice &) = default;
};

// The system's output devices. Queries ask the sound server at once (a short round trip), so the answers
// are always current; every query answers "nothing" (an empty list, no id, no default) when the server
// cannot be reached. Microphones, monitors and other input-only devices are never listed.
//
// Threads: the queries may be called from any thread except the change-handler thread. Change handlers
// are called on the backend's own thread whenever a device appears or goes or the default output changes;
// they must return at once and must not query the devices from there (post the work elsewhere).
class AudioDevices {
public:
    using ChangeHandler = std::function<void()>;

    virtual ~AudioDevices() = default;

    // The ids of every output device, in the system's order.
    virtual std::vector<uint32_t> allDeviceIDs() = 0;
    // The id of the first device whose UID equals `uid`; absent when there is none.
    virtual std::optional<uint32_t> deviceID(const std::string &uid) = 0;
    // The devices with at least one output channel, in the system's order.
    virtual std::vector<AudioDevice> outputDevices() = 0;
    // The system default output; absent when there is none.
    virtual std::optional<AudioDevice> defaultOutput() = 0;

    // Registers a change handler and returns its token; removeChangeHandler() returns only once the handler
    // is no longer running and will not be called again.
    virtual int addChangeHandler(ChangeHandler handler) = 0;
    virtual void removeChangeHandler(int token) = 0;
};

} // namespace tc
