#pragma once

#include "engine/AudioDevices.h"
#include "engine/linux/PulseContext.h"

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace tc {

// The output devices of the PulseAudio server: its sinks. A device's UID is the sink name, its name the
// sink description, its id the sink index; the default output is the server's default sink. Sinks are the
// only devices listed, so monitors and sources (microphones) never appear.
//
// Threads: see AudioDevices. Queries share one connection, made on first use and made again after the
// server went away; the change handlers run on its loop thread. While a handler is registered the
// connection is kept open, so hot-plugged sinks and a new default are reported as they happen; registering a
// handler makes that connection on a thread of its own, so the caller (the main thread) never waits for the
// server. A server that does not answer within `timeout` gives the answers for no server.
class PulseAudioDevices final : public AudioDevices {
public:
    explicit PulseAudioDevices(std::chrono::milliseconds timeout = PulseContext::kTimeout) : timeout_(timeout) {}
    ~PulseAudioDevices() override;

    std::vector<uint32_t> allDeviceIDs() override;
    std::optional<uint32_t> deviceID(const std::string &uid) override;
    std::vector<AudioDevice> outputDevices() override;
    std::optional<AudioDevice> defaultOutput() override;

    int addChangeHandler(ChangeHandler handler) override;
    void removeChangeHandler(int token) override;

private:
    struct Sink {
        uint32_t index = 0;
        std::string name;
        std::string description;
        uint8_t channels = 0;
    };

    // With query_ held: a ready context, or null when the server cannot be reached.
    PulseContext *connection();
    // With query_ held: ends the connection; no handler runs once it returned.
    void release();
    std::vector<Sink> sinks();
    void notify();
    // Connects on the watcher thread, unless it is connecting already.
    void watchInBackground();

    const std::chrono::milliseconds timeout_;
    std::mutex query_; // one query at a time; guards loop_ and context_
    std::unique_ptr<PulseLoop> loop_;
    std::unique_ptr<PulseContext> context_;

    std::mutex watcherMutex_; // guards watcher_
    std::thread watcher_;
    std::atomic<bool> watcherBusy_{false};

    std::mutex handlersMutex_; // held while handlers run
    std::map<int, ChangeHandler> handlers_;
    int nextToken_ = 1;
};

} // namespace tc
