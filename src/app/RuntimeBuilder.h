#pragma once

#include "app/PlaybackRules.h"
#include "engine/RuntimeConfig.h"
#include "model/AppData.h"

#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace tc {

// How the router finds a word trigger's word: lower-cased as QString::toLower() does (malformed UTF-8 as QString
// reads it); for a word longer than the router keeps of what is typed, by its last TypedWord::kMaxCharacters
// characters (`isLong`: it belongs in RuntimeConfig::longWordTriggers).
struct WordKey {
    std::string text;
    bool isLong = false;
};
WordKey wordKey(const std::string &word);

// The keys of the word triggers' words, kept from one configuration to the next by trigger id: typing in one
// trigger's word field pushes a configuration per key, and lower-casing every trigger's word each time cost
// more than the rest of the key. A key is worked out again only when the word differs from the one kept (a
// comparison of bytes); a word that is its own key is kept once, not twice.
class TriggerWords {
public:
    struct Key {
        const std::string &text;
        bool isLong;
    };
    // wordKey(word), for the trigger with id `trigger`. Valid until the next call.
    Key key(const Uuid &trigger, const std::string &word);
    // Forgets the words of the triggers `key` was not asked about since the last call.
    void dropUnused();

    // How many triggers' words are kept now.
    std::size_t size() const { return words_.size(); }

private:
    struct Entry {
        std::string word;
        std::string key; // empty when the word is its own key
        bool same = false;
        bool isLong = false;
        bool used = true;
    };
    std::unordered_map<Uuid, Entry> words_;
};

// The router's configuration for the document and the live state:
// - on/off, master volume and stereo spread from the settings; muted when there is a mute reason;
// - the effective profile, or none when an app rule silences the frontmost application; while one of the
//   program's own windows has the keyboard focus, the active profile and no app rule's silence;
// - the enabled triggers that apply to every application or to the frontmost one: shortcuts in list order,
//   words by their keys (wordKey(); of two equal keys the later trigger wins);
// - pools of every sound but the mechanical ones, by category, in the order of `builtins` then `userSounds`.
// `words`, when given, keeps the words' keys for the next configuration.
RuntimeConfig buildRuntimeConfig(const AppData &data, const LiveState &live, std::span<const SoundItem> builtins,
                                 std::span<const SoundItem> userSounds, TriggerWords *words = nullptr);
// The same with every sound in one list.
inline RuntimeConfig buildRuntimeConfig(const AppData &data, const LiveState &live,
                                        const std::vector<SoundItem> &allSounds) {
    return buildRuntimeConfig(data, live, allSounds, {});
}

} // namespace tc
