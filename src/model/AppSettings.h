#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tc {

// The settings record. Every member has a default; a stored record that leaves a member out (or holds
// null) gets the default given here.
//
// The integer fields hold whatever signed 64-bit value the document stored, so a file round-trips as it
// was written; a hand-edited one may ask for five billion voices or minute -7. Each use brings the value
// into its range: AudioEngine::voiceCountFor, minutesWithinDay. Likewise volumes are kept as stored and
// played through playableVolume (model/Levels.h).
struct AppSettings {
    bool enabled = true;         // sounds on; the Ctrl+Alt+K hotkey flips it
    double masterVolume = 0.8;   // 0 to 1
    bool lowLatency = true;      // low-latency output of the audio engine
    std::int64_t maxVoices = 12; // voices of the audio engine
    bool muteWhenMicInUse = true;
    bool muteInSecureInput = true;
    bool quietHoursEnabled = false;
    std::int64_t quietStartMinutes = 1380;      // minutes after midnight (23:00)
    std::int64_t quietEndMinutes = 480;         // minutes after midnight (08:00)
    std::optional<std::string> outputDeviceUID; // absent means the system default output
    bool hasCompletedOnboarding = false;
    std::int64_t coachStep = 1; // progress of the coach card; only grows
    bool coachDismissed = false;
    bool stereoSpread = true;             // place key sounds left to right by key position
    std::vector<std::string> seededPacks; // markers of starter-pack migrations already applied
    std::vector<std::string> tipsSeen;    // ids of dismissed tip banners ("apps", "sounds", "triggers")

    friend bool operator==(const AppSettings &, const AppSettings &) = default;
};

} // namespace tc
