#pragma once

#include "model/Uuid.h"

#include <optional>
#include <string>

namespace tc {

// What plays while one application is frontmost: a profile of its own, or silence.
struct AppRule {
    std::string bundleID;          // the application's id; also the rule's identity in lists
    std::string appName;           // display name at the time the rule was made
    std::optional<Uuid> profileID; // absent means the application is silenced

    friend bool operator==(const AppRule &, const AppRule &) = default;
};

} // namespace tc
