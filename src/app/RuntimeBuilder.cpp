#include "app/RuntimeBuilder.h"

#include "engine/TypedWord.h"

#include "model/Levels.h"

#include <QString>

#include <algorithm>

namespace tc {

namespace {

bool appliesTo(const Trigger &trigger, const std::string &bundleID) {
    return trigger.appBundleIDs.empty() ||
           std::find(trigger.appBundleIDs.begin(), trigger.appBundleIDs.end(), bundleID) != trigger.appBundleIDs.end();
}

std::string unicodeLowerCased(const std::string &word) {
    return QString::fromStdString(word).toLower().toStdString();
}

bool isASCII(const std::string &word) {
    return std::all_of(word.begin(), word.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Lower-cases ASCII text in place as QString::toLower() does: A to Z only.
void asciiLowerCase(std::string &word) {
    for (char &c : word) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
}

void addPools(RuntimeConfig &config, std::span<const SoundItem> sounds) {
    for (const auto &item : sounds) {
        if (item.category == SoundCategory::mechanical) {
            continue;
        }
        config.categoryPools[item.category].push_back(item.id);
        config.categoryOf[item.id] = item.category;
    }
}

} // namespace

WordKey wordKey(const std::string &word) {
    WordKey key{word};
    if (isASCII(word)) {
        asciiLowerCase(key.text);
    } else {
        // Typing keeps each letter composed (NFC), whatever form the keyboard sends: so does the key, whatever
        // form the word was saved in.
        key.text = TypedWord::composed(unicodeLowerCased(word));
    }
    // The router keeps only the last characters of a word being typed: a longer word is found by those. (A
    // character takes at least a byte, so a word of few bytes is short.)
    if (key.text.size() > TypedWord::kMaxCharacters) {
        std::string last = TypedWord::lastCharacters(key.text);
        if (last.size() != key.text.size()) {
            key.text = std::move(last);
            key.isLong = true;
        }
    }
    return key;
}

TriggerWords::Key TriggerWords::key(const Uuid &trigger, const std::string &word) {
    auto [entry, added] = words_.try_emplace(trigger);
    Entry &kept = entry->second;
    kept.used = true;
    // Comparing with the word kept is one memcmp; working out the key is a pass over every character.
    if (added || kept.word != word) {
        WordKey fresh = wordKey(word);
        kept.word = word;
        kept.same = fresh.text == word;
        kept.isLong = fresh.isLong;
        kept.key = kept.same ? std::string() : std::move(fresh.text);
    }
    return {kept.same ? kept.word : kept.key, kept.isLong};
}

void TriggerWords::dropUnused() {
    std::erase_if(words_, [](const auto &entry) { return !entry.second.used; });
    for (auto &entry : words_) {
        entry.second.used = false;
    }
}

RuntimeConfig buildRuntimeConfig(const AppData &data, const LiveState &live, std::span<const SoundItem> builtins,
                                 std::span<const SoundItem> userSounds, TriggerWords *words) {
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
            if (words) {
                const TriggerWords::Key key = words->key(trigger.id, word->word);
                (key.isLong ? config.longWordTriggers : config.wordTriggers)[key.text] = trigger.soundID;
            } else {
                WordKey key = wordKey(word->word);
                (key.isLong ? config.longWordTriggers : config.wordTriggers)[std::move(key.text)] = trigger.soundID;
            }
        }
    }
    if (words) {
        words->dropUnused();
    }

    addPools(config, builtins);
    addPools(config, userSounds);
    return config;
}

} // namespace tc
