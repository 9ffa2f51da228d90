#pragma once

#include "model/AppRule.h"
#include "model/AppSettings.h"
#include "model/KeyAssignment.h"
#include "model/Profile.h"
#include "model/SoundItem.h"
#include "model/Trigger.h"
#include "model/Uuid.h"

#include <vector>

namespace tc {

// The document: the whole persisted state of the program, a plain value copied freely. Records refer
// to each other only by id. Its JSON form is in model/Json.h.
struct AppData {
    std::vector<Profile> profiles;     // the program keeps this non-empty
    Uuid activeProfileID;              // not checked against `profiles`; see activeProfile()
    std::vector<Trigger> triggers;     // in the user's order
    std::vector<AppRule> appRules;     // the first rule for an application wins
    std::vector<SoundItem> userSounds; // the user's own sounds, in order of addition
    AppSettings settings;

    // The profile named by activeProfileID, else the first profile. Throws std::logic_error when there
    // is no profile at all (the program never lets that happen).
    const Profile &activeProfile() const;
    // The profiles' ids, in the document's order.
    std::vector<Uuid> profileIDs() const;

    // Not used by the program; handy for comparing documents in tests and round trips.
    friend bool operator==(const AppData &, const AppData &) = default;
};

} // namespace tc
