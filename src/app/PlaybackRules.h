#pragma once

#include "model/AppData.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace tc {

// The rules that decide what plays and whether the router is muted, as pure functions of the document and
// the live state, shared by the runtime configuration, the silence diagnosis and the screens.

// The first app rule for the application, in list order; later rules for it never count. Null when none.
const AppRule *firstRuleFor(const AppData &data, const std::string &bundleID);

// The first rule for the application silences it (it names no profile).
bool isMutedByApp(const AppData &data, const std::string &bundleID);

// The profile the first rule for the application names, when that profile exists; else the active profile.
const Profile &effectiveProfile(const AppData &data, const std::string &bundleID);

// A minute count brought into one day, 0 to 1439: a hand-edited document may hold any integer.
int minutesWithinDay(std::int64_t minutes);

// Quiet hours hold at `minuteOfDay` (0 to 1439). The start minute is quiet, the end minute is not; a span
// whose end comes before its start crosses midnight; equal start and end is never quiet.
bool isInQuietHours(const AppSettings &settings, int minuteOfDay);

// The live state the mute reason and the silence diagnosis look at besides the document.
struct LiveState {
    bool permissionGranted = false;
    bool macOutputSilent = false;
    // No sound server answers the audio engine: nothing is heard, whatever the output's volume. Counts as a
    // silent output, told by its own cause.
    bool outputUnreachable = false;
    std::string currentAppBundleID;
    std::string currentAppName;
    bool micInUse = false;
    bool secureInput = false;
    int minuteOfDay = 0; // local time, 0 to 1439
    // One of the program's own windows has the keyboard focus. The application in front stays the one the
    // user came from (the program never reports itself), but no app rule applies to key sounds then: what
    // the user types into the program plays the active profile, the one its screens show.
    bool ownWindowFocused = false;
};

// The live state as the key sounds see it: without the application in front while one of the program's own
// windows has the keyboard focus, so no app rule profiles or silences what is typed there.
LiveState forKeySounds(LiveState live);

// Why the router is muted, the first that holds: "Muted in <app>", "Muted while the mic is on", "Silent in
// password fields", "Quiet hours"; nothing when it plays.
std::optional<QString> muteReason(const AppData &data, const LiveState &live);

} // namespace tc
