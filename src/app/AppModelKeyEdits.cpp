// The edit operations on the active profile's keys and the coach card.

#include "app/AppModel.h"

#include "model/KeyCodes.h"
#include "model/KeyLayout.h"

#include <QString>

#include <algorithm>

namespace tc {

namespace {

KeyAssignment newAssignment(const std::string &soundID) {
    KeyAssignment assignment;
    assignment.soundID = soundID;
    assignment.volume = 1.0;
    assignment.pitchVariation = 0.06;
    return assignment;
}

} // namespace

Profile *AppModel::activeProfileForEdit(AppData &data) const {
    for (auto &profile : data.profiles) {
        if (profile.id == data.activeProfileID) {
            return &profile;
        }
    }
    return nullptr;
}

std::vector<std::string> AppModel::keysUsing(const std::string &soundID) const {
    const auto &profile = data_.activeProfile();
    if (profile.baseSoundID == soundID) {
        return {"Base sound"};
    }
    std::vector<std::uint16_t> codes;
    for (const auto &[text, assignment] : profile.keys) {
        if (assignment.soundID != soundID) {
            continue;
        }
        if (const auto code = KeyCodes::fromText(text)) {
            codes.push_back(*code);
        }
    }
    std::sort(codes.begin(), codes.end());
    std::vector<std::string> labels;
    labels.reserve(codes.size());
    for (auto code : codes) {
        labels.push_back(QString::fromStdString(KeyLayout::label(code)).toUpper().toStdString());
    }
    return labels;
}

void AppModel::assign(const std::string &soundID, const KeySet &codes) {
    if (codes.empty()) {
        return;
    }
    commitEdit(
        [&](AppData &data) {
            auto *profile = activeProfileForEdit(data);
            if (profile == nullptr) {
                return;
            }
            for (auto code : codes) {
                const auto key = KeyCodes::text(code);
                if (auto found = profile->keys.find(key); found != profile->keys.end()) {
                    found->second.soundID = soundID;
                } else {
                    profile->keys.emplace(key, newAssignment(soundID));
                }
            }
        },
        profilesPart);
    advanceCoach(3);
}

void AppModel::resetKeys(const KeySet &codes) {
    commitEdit(
        [&](AppData &data) {
            if (auto *profile = activeProfileForEdit(data)) {
                for (auto code : codes) {
                    profile->keys.erase(KeyCodes::text(code));
                }
            }
        },
        profilesPart);
}

void AppModel::editAssignments(const KeySet &codes, const std::function<void(KeyAssignment &)> &change) {
    commitEdit(
        [&](AppData &data) {
            if (auto *profile = activeProfileForEdit(data)) {
                for (auto code : codes) {
                    if (auto found = profile->keys.find(KeyCodes::text(code)); found != profile->keys.end()) {
                        change(found->second);
                    }
                }
            }
        },
        profilesPart);
}

void AppModel::setBaseSound(const std::string &soundID) {
    commitEdit(
        [&](AppData &data) {
            if (auto *profile = activeProfileForEdit(data)) {
                profile->baseSoundID = soundID;
            }
        },
        profilesPart);
}

void AppModel::advanceCoach(int step) {
    if (data_.settings.coachStep >= step) {
        return;
    }
    commitEdit([&](AppData &data) { data.settings.coachStep = step; }, settingsPart);
}

void AppModel::dismissCoach() {
    commitEdit([](AppData &data) { data.settings.coachDismissed = true; }, settingsPart);
}

} // namespace tc
