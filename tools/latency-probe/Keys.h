#pragma once

// Key presses for the probe: an irregular schedule with pauses, played with XTest on the X display.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tc::probe {

struct Press {
    double atMs = 0;          // from the start of the run
    double pauseBeforeMs = 0; // silence since the previous press
    unsigned long keysym = 0;
};

// `count` presses of letter keys, gaps drawn evenly from [minGapMs, maxGapMs], and after every `pauseEvery`
// presses a pause taken in turn from `pausesMs`. Deterministic for a seed.
std::vector<Press> makeSchedule(int count, double minGapMs, double maxGapMs, int pauseEvery,
                                const std::vector<double> &pausesMs, uint64_t seed);

// Calls `act` at each press of the schedule from `startNs` (monotonic) and returns the monotonic time taken just
// before each call.
std::vector<uint64_t> runSchedule(const std::vector<Press> &presses, uint64_t startNs,
                                  const std::function<void(size_t)> &act);

// Presses keys on the X display of $DISPLAY with XTest; each press is released `holdMs` later.
class KeyInjector {
public:
    KeyInjector();
    ~KeyInjector();
    KeyInjector(const KeyInjector &) = delete;
    KeyInjector &operator=(const KeyInjector &) = delete;

    // Plays the schedule from `startNs` (monotonic) and returns the monotonic time of each press, taken just
    // before the request went to the X server. `onPress` runs right after each press (may be empty).
    std::vector<uint64_t> play(const std::vector<Press> &presses, uint64_t startNs, double holdMs,
                               const std::function<void(size_t)> &onPress = {});

private:
    void *display_ = nullptr;
};

} // namespace tc::probe
