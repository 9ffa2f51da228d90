#include "model/AppData.h"

#include <stdexcept>

namespace tc {

const Profile &AppData::activeProfile() const {
    if (profiles.empty()) {
        throw std::logic_error("AppData::activeProfile() read on a document without profiles");
    }
    for (const auto &profile : profiles) {
        if (profile.id == activeProfileID) {
            return profile;
        }
    }
    return profiles.front();
}

std::vector<Uuid> AppData::profileIDs() const {
    std::vector<Uuid> ids;
    ids.reserve(profiles.size());
    for (const auto &profile : profiles) {
        ids.push_back(profile.id);
    }
    return ids;
}

} // namespace tc
