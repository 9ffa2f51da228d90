#include "app/RuntimeBuilder.h"

#include "model/Levels.h"

#include <QString>

#include <algorithm>

namespace tc {

namespace {

bool appliesTo(const Trigger &trigger, const std::string &bundleID) {
    return trigger.appBundleIDs.empty() ||
           std::find(trigger.appBundleIDs.begin(), trigger.appBundleIDs.end(), bundleID) != trigger.appBundleIDs.end();
}

std::string lowerCased(const std::string &word) {
    return QString::fromStdString(word).toLower().toStdString();
}

} // namespace

RuntimeConfig buildRuntimeConfig(const AppData &data, const LiveState &live, const std::vector<SoundItem> &allSounds) {
    const auto &settings = data.settings;
    RuntimeConfig config;
    config.enabled = settings.enabled;
    // App rules decide the profile and the silence by the application in front, but not while the user types
    // into the program itself; triggers keep their own application lists.
    const LiveState keys = forKeySounds(live);
    config.muted = muteReason(data, keys).has_value();
    // The router plays what it is given: a hand-edited volume or pitch variation is brought into range here,
    // once per snapshot, instead of on every key press.
    config.masterVolume = static_cast<float>(playableVolume(settings.masterVolume));
    config.stereoSpread = settings.stereoSpread;
    if (!isMutedByApp(data, keys.currentAppBundleID)) {
        config.profile = effectiveProfile(data, keys.currentAppBundleID);
        for (auto &entry : config.profile->keys) {
            auto &assignment = entry.second;
            assignment.volume = playableVolume(assignment.volume);
            assignment.pitchVariation = playablePitchVariation(assignment.pitchVariation);
        }
    }

    for (const auto &trigger : data.triggers) {
        if (!trigger.enabled || !appliesTo(trigger, live.currentAppBundleID)) {
            continue;
        }
        if (const auto *shortcut = trigger.kind.asShortcut()) {
            config.shortcutTriggers.push_back({shortcut->keyCode, shortcut->modifiers, trigger.soundID});
        } else if (const auto *word = trigger.kind.asWord()) {
            config.wordTriggers[lowerCased(word->word)] = trigger.soundID;
        }
    }

    for (const auto &item : allSounds) {
        if (item.category == SoundCategory::mechanical) {
            continue;
        }
        config.categoryPools[item.category].push_back(item.id);
        config.categoryOf[item.id] = item.category;
    }
    return config;
}

} // namespace tc
