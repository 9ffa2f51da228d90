#pragma once

#include "engine/Landings.h"
#include "engine/RecordingBackend.h"
#include "engine/Scheduler.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tc {

// Records one short microphone take (at most 3.0 s) into a temporary .m4a file for the user to turn into a
// key sound, with a level meter and the elapsed time while it records.
//
// Thread: made, used and destroyed on the scheduler thread (the main thread); onChange and every state
// change happen there. With a StartRunner a take's start runs elsewhere: the state is `recording` at once,
// and a take that cannot start turns it to `failed` or `denied` when the answer arrives. The backend's permission
// answers and finish reports land there (Landings: dropped once the recorder is gone) and count only for the take
// they belong to: a take replaced by reset() or a newer start() changes nothing when it ends. The backend and the
// scheduler must outlive the recorder.
class Recorder final {
public:
    static constexpr double kMaxSeconds = 3.0;
    static constexpr double kMeterInterval = 0.03; // seconds
    static constexpr size_t kMaxLevels = 100;
    static constexpr const char *kUnavailableMessage = "The microphone isn't available right now.";
    static constexpr const char *kStoppedMessage = "Recording stopped unexpectedly.";

    struct State {
        enum class Kind { finished, failed, idle, needsPermission, denied, recording };
        Kind kind = Kind::idle;
        std::filesystem::path file; // finished: the take
        std::string message;        // failed: shown to the user

        static State finished(std::filesystem::path take) { return {Kind::finished, std::move(take), {}}; }
        static State failed(std::string text) { return {Kind::failed, {}, std::move(text)}; }
        static State of(Kind kind) { return {kind, {}, {}}; }
        friend bool operator==(const State &, const State &) = default;
    };

    // Called after every change of state, elapsed or levels.
    std::function<void()> onChange;

    // Runs a take's start, which may wait for the sound server while the stream opens (up to its timeout),
    // somewhere other than the scheduler thread; absent: on the scheduler thread, within start().
    using StartRunner = std::function<void(std::function<void()> start)>;

    Recorder(Scheduler &scheduler, RecordingBackend &backend, StartRunner runStart = {});
    ~Recorder();
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;

    const State &state() const { return state_; }
    double elapsed() const { return elapsed_; }
    // Levels from 0 to 1, oldest first, at most kMaxLevels.
    const std::vector<float> &levels() const { return levels_; }

    // Begins a take, asking for permission first when the user has not answered yet. Does nothing while
    // permission is being asked or a take is recording.
    void start();
    // Ends the take in progress early; it then finishes as a take that reached its limit.
    void stop();
    // Stops everything and returns to idle with no levels and elapsed 0.
    void reset();

    // "Tapchime-" + a new UUID + ".m4a" in the temporary folder.
    static std::filesystem::path makeTakePath();
    // The meter's level for a mean power in dB: -50 dB or below is 0, 0 dB or above is 1.
    static float levelFor(float decibels);

private:
    void begin();
    // The started (or refused) take of number `take` arrives on the scheduler thread.
    void land(uint64_t take, std::shared_ptr<RecordingTake> recorder, RecordingTake::StartResult started);
    void tick();
    void finish(uint64_t take, bool successfully);
    void stopMeter();
    void setState(State state);
    void changed();

    Scheduler &scheduler_;
    RecordingBackend &backend_;
    State state_;
    double elapsed_ = 0;
    std::vector<float> levels_;
    StartRunner runStart_;
    std::shared_ptr<RecordingTake> recorder_; // shared only with its start while that runs elsewhere
    bool stopWhenStarted_ = false;            // stop() came while the take was starting
    std::filesystem::path takeFile_;
    std::unique_ptr<Scheduler::Timer> meterTimer_;
    // Counts takes (and permission requests); a late answer or finish for an older number is ignored.
    uint64_t generation_ = 0;
    Landings landings_;
};

} // namespace tc
