#pragma once

#include "engine/FrontmostAppSource.h"
#include "engine/MicrophoneActivitySource.h"
#include "engine/Scheduler.h"
#include "engine/SecureInputSource.h"

#include <functional>
#include <memory>
#include <string>

namespace tc {

// Tells the application model about the world outside the keyboard: the application in front, whether the
// microphone is in use, whether secure (password) input is on, and a clock tick every 30 s. It only reports;
// the model decides what to do.
//
// Thread: made, started, polled and destroyed on the scheduler thread (the main thread); every callback is
// called there. The sources report from their own threads; their reports are moved to the scheduler thread.
// Owns its sources; the scheduler must outlive the watchers.
class SystemWatchers final {
public:
    // The program's own desktop-entry id: activations of it are never reported.
    static constexpr const char *kOwnAppId = "tapchime";
    static constexpr double kPollInterval = 1.0;  // seconds
    static constexpr double kTickInterval = 30.0; // seconds

    std::function<void(const std::string &bundleId, const std::string &name)> onFrontmostApp;
    std::function<void(bool inUse)> onMicChange;
    std::function<void(bool on)> onSecureInputChange;
    std::function<void()> onMinuteTick;

    SystemWatchers(Scheduler &scheduler, std::unique_ptr<FrontmostAppSource> frontmost,
                   std::unique_ptr<MicrophoneActivitySource> microphone, std::unique_ptr<SecureInputSource> secure);
    ~SystemWatchers();
    SystemWatchers(const SystemWatchers &) = delete;
    SystemWatchers &operator=(const SystemWatchers &) = delete;

    // Starts the frontmost-application reports, the 1.0 s poll and the 30 s tick, and polls once at once.
    // Called once, after the callbacks are set; a second call does nothing.
    void start();

    // Compares the microphone and secure-input states with the last reported ones and reports changes only
    // (both start false, so the first poll reports only states that are true). The poll timer calls it.
    void poll();

    bool lastMic() const { return lastMic_; }
    bool lastSecure() const { return lastSecure_; }

private:
    void report(const AppIdentity &app);

    Scheduler &scheduler_;
    std::unique_ptr<FrontmostAppSource> frontmost_;
    std::unique_ptr<MicrophoneActivitySource> microphone_;
    std::unique_ptr<SecureInputSource> secure_;
    std::unique_ptr<Scheduler::Timer> pollTimer_;
    std::unique_ptr<Scheduler::Timer> minuteTimer_;
    // Reports posted from a source's thread hold this weakly, so none lands after the watchers are gone.
    std::shared_ptr<SystemWatchers *> self_;
    bool started_ = false;
    bool lastMic_ = false;
    bool lastSecure_ = false;
};

// Sources for a session where nothing can be known (no display, no sound server, no accessibility bus).
class NullFrontmostAppSource final : public FrontmostAppSource {
public:
    void start(Handler) override {}
};

class NullMicrophoneActivitySource final : public MicrophoneActivitySource {
public:
    bool microphoneInUse() const override { return false; }
};

class NullSecureInputSource final : public SecureInputSource {
public:
    bool secureInputOn() const override { return false; }
};

} // namespace tc
