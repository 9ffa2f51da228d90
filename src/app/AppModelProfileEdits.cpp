// The edit operations on profiles, app rules, onboarding, the seen tips and the on/off switch of sounds.

#include "app/AppModel.h"

#include "model/Names.h"

#include <algorithm>

namespace tc {

namespace {

Profile *profileWithID(AppData &data, const Uuid &id) {
    for (auto &profile : data.profiles) {
        if (profile.id == id) {
            return &profile;
        }
    }
    return nullptr;
}

} // namespace

std::string AppModel::uniqueProfileName(const std::string &name) const {
    return uniqueName(name, [&](const std::string &candidate) {
        return std::any_of(data_.profiles.begin(), data_.profiles.end(),
                           [&](const Profile &profile) { return profile.name == candidate; });
    });
}

void AppModel::setActiveProfile(const Uuid &id) {
    commitEdit(
        [&](AppData &data) {
            // Every key edit works on the active profile: an id that names none would make them vanish while the
            // editor shows the first profile, so the first profile becomes active instead.
            data.activeProfileID = profileWithID(data, id) != nullptr ? id : data.profiles.front().id;
        },
        profilesPart);
}

void AppModel::addProfile(const std::string &name) {
    Profile profile;
    profile.id = Uuid::random();
    profile.name = uniqueProfileName(name);
    profile.color = ProfileColor::white;
    profile.baseSoundID = "synth.brown";
    commitEdit(
        [&](AppData &data) {
            data.activeProfileID = profile.id;
            data.profiles.push_back(std::move(profile));
        },
        profilesPart);
}

void AppModel::duplicateProfile(const Uuid &id) {
    const auto original = std::find_if(data_.profiles.begin(), data_.profiles.end(),
                                       [&](const Profile &profile) { return profile.id == id; });
    if (original == data_.profiles.end()) {
        return;
    }
    Profile copy = *original;
    copy.id = Uuid::random();
    copy.name = uniqueProfileName(original->name + " copy");
    commitEdit(
        [&](AppData &data) {
            data.activeProfileID = copy.id;
            data.profiles.push_back(std::move(copy));
        },
        profilesPart);
}

void AppModel::renameProfile(const Uuid &id, const std::string &name) {
    auto trimmed = trimmedName(name);
    if (trimmed.empty()) {
        return;
    }
    commitEdit(
        [&](AppData &data) {
            if (auto *profile = profileWithID(data, id)) {
                profile->name = std::move(trimmed);
            }
        },
        profilesPart);
}

void AppModel::setProfileColor(const Uuid &id, ProfileColor color) {
    commitEdit(
        [&](AppData &data) {
            if (auto *profile = profileWithID(data, id)) {
                profile->color = color;
            }
        },
        profilesPart);
}

void AppModel::deleteProfile(const Uuid &id) {
    if (data_.profiles.size() < 2) {
        return; // the last profile stays
    }
    commitEdit(
        [&](AppData &data) {
            std::erase_if(data.profiles, [&](const Profile &profile) { return profile.id == id; });
            if (data.activeProfileID == id) {
                data.activeProfileID = data.profiles.front().id;
            }
            for (auto &rule : data.appRules) {
                if (rule.profileID == id) {
                    rule.profileID = data.activeProfileID;
                }
            }
        },
        profilesPart | appRulesPart);
}

void AppModel::setRule(const std::string &bundleID, const std::string &name, std::optional<Uuid> profileID) {
    commitEdit(
        [&](AppData &data) {
            for (auto &rule : data.appRules) {
                if (rule.bundleID == bundleID) {
                    rule.profileID = profileID;
                    return;
                }
            }
            data.appRules.push_back(AppRule{bundleID, name, profileID});
        },
        appRulesPart);
}

void AppModel::removeRule(const std::string &bundleID) {
    commitEdit(
        [&](AppData &data) {
            std::erase_if(data.appRules, [&](const AppRule &rule) { return rule.bundleID == bundleID; });
        },
        appRulesPart);
}

bool AppModel::addRule(const std::string &bundleID, const std::string &name) {
    if (bundleID.empty() || firstRuleFor(data_, bundleID)) {
        return false;
    }
    commitEdit([&](AppData &data) { data.appRules.push_back(AppRule{bundleID, name, std::nullopt}); }, appRulesPart);
    return true;
}

void AppModel::completeOnboarding() {
    commitEdit([](AppData &data) { data.settings.hasCompletedOnboarding = true; }, settingsPart);
    setShowOnboarding(false);
}

void AppModel::toggleSounds() {
    commitEdit([](AppData &data) { data.settings.enabled = !data.settings.enabled; }, settingsPart);
}

bool AppModel::isTipSeen(const std::string &id) const {
    const auto &seen = data_.settings.tipsSeen;
    return std::find(seen.begin(), seen.end(), id) != seen.end();
}

void AppModel::markTipSeen(const std::string &id) {
    // Every banner with the id hides on the first "Got it"; a second one (two banners, a double click) must
    // not grow the document.
    if (isTipSeen(id)) {
        return;
    }
    commitEdit([&](AppData &data) { data.settings.tipsSeen.push_back(id); }, settingsPart);
}

} // namespace tc
