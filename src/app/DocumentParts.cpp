#include "app/DocumentParts.h"

#include "app/AppModel.h"

namespace tc {

namespace {

// What a profile shows outside the key editor: everything but its keys and base sound.
bool sameFace(const Profile &a, const Profile &b) {
    return a.id == b.id && a.name == b.name && a.color == b.color;
}

bool sameKeys(const Profile &a, const Profile &b) {
    return a.baseSoundID == b.baseSoundID && a.keys == b.keys;
}

// The profile the key editor shows: the active one, else the first (as AppData::activeProfile()).
const Profile *shownProfile(const std::vector<Profile> &profiles, const Uuid &activeID) {
    for (const auto &profile : profiles) {
        if (profile.id == activeID) {
            return &profile;
        }
    }
    return profiles.empty() ? nullptr : &profiles.front();
}

} // namespace

DocumentParts::DocumentParts(const AppData &before, unsigned parts) {
    if (parts & AppModel::profilesPart) {
        profiles_ = Profiles{before.profiles, before.activeProfileID};
    }
    if (parts & AppModel::triggersPart) {
        triggers_ = before.triggers;
    }
    if (parts & AppModel::appRulesPart) {
        appRules_ = before.appRules;
    }
    if (parts & AppModel::userSoundsPart) {
        userSounds_ = before.userSounds;
    }
    if (parts & AppModel::settingsPart) {
        settings_ = before.settings;
    }
}

void DocumentParts::signalChanges(const AppData &after, AppModelSignals &model) const {
    if (profiles_) {
        const auto &before = profiles_->list;
        const Profile *shownBefore = shownProfile(before, profiles_->activeID);
        const Profile *shownAfter = shownProfile(after.profiles, after.activeProfileID);
        const bool keysMoved = (shownBefore == nullptr) != (shownAfter == nullptr) ||
                               (shownBefore != nullptr && !sameKeys(*shownBefore, *shownAfter));
        // The active profile's keys are the key editor's part; every other change of a profile is the profiles'.
        std::optional<std::vector<Uuid>> changed;
        if (profiles_->activeID != after.activeProfileID) {
            changed = std::vector<Uuid>();
        } else {
            changed = changedIDs(before, after.profiles, [](const Profile &profile) { return profile.id; });
            if (changed && !changed->empty()) {
                std::erase_if(*changed, [&](const Uuid &id) {
                    if (shownAfter == nullptr || id != shownAfter->id) {
                        return false;
                    }
                    return sameFace(*shownBefore, *shownAfter);
                });
                if (changed->empty()) {
                    changed.reset();
                }
            }
        }
        if (changed) {
            emit model.profilesChanged(*changed);
        }
        if (keysMoved) {
            emit model.keysChanged();
        }
    }
    if (triggers_) {
        if (auto changed = changedIDs(*triggers_, after.triggers, [](const Trigger &trigger) { return trigger.id; })) {
            emit model.triggersChanged(*changed);
        }
    }
    if (appRules_) {
        if (auto changed = changedIDs(*appRules_, after.appRules, [](const AppRule &rule) { return rule.bundleID; })) {
            emit model.appRulesChanged(*changed);
        }
    }
    if (userSounds_) {
        if (auto changed = changedIDs(*userSounds_, after.userSounds, [](const SoundItem &item) { return item.id; })) {
            emit model.userSoundsChanged(*changed);
        }
    }
    if (settings_ && !(*settings_ == after.settings)) {
        emit model.settingsChanged();
    }
}

} // namespace tc
