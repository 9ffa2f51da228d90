#pragma once

#include "app/PlaybackRules.h"
#include "engine/RuntimeConfig.h"
#include "model/AppData.h"

#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace tc {

// The lower-cased words of the word triggers, kept from one configuration to the next: typing in one trigger's
// word field pushes a configuration per key, and lower-casing every trigger's word each time cost more than the
// rest of the key. A word of ASCII characters only is lower-cased on the spot (a scan); any other word through
// Qt's Unicode tables, once, and then kept by its trigger's id until the word changes.
class TriggerWords {
public:
    // `word` lower-cased as QString::toLower() does (malformed UTF-8 as QString reads it); `trigger` is the id
    // of the trigger that holds it.
    std::string lowerCased(const Uuid &trigger, const std::string &word);
    // Forgets the words of the triggers `lowerCased` was not asked about (for a word that is not ASCII) since
    // the last call.
    void dropUnused();

    // How many words are kept now (only those that are not ASCII are).
    std::size_t size() const { return words_.size(); }

private:
    struct Entry {
        std::string word;
        std::string lowered;
        bool used = true;
    };
    std::unordered_map<Uuid, Entry> words_;
};

// The router's configuration for the document and the live state:
// - on/off, master volume and stereo spread from the settings; muted when there is a mute reason;
// - the effective profile, or none when an app rule silences the frontmost application; while one of the
//   program's own windows has the keyboard focus, the active profile and no app rule's silence;
// - the enabled triggers that apply to every application or to the frontmost one: shortcuts in list order,
//   words lower-cased (of two equal words the later trigger wins);
// - pools of every sound but the mechanical ones, by category, in the order of `builtins` then `userSounds`.
// `words`, when given, keeps the lower-cased words for the next configuration.
RuntimeConfig buildRuntimeConfig(const AppData &data, const LiveState &live, std::span<const SoundItem> builtins,
                                 std::span<const SoundItem> userSounds, TriggerWords *words = nullptr);
// The same with every sound in one list.
inline RuntimeConfig buildRuntimeConfig(const AppData &data, const LiveState &live,
                                        const std::vector<SoundItem> &allSounds) {
    return buildRuntimeConfig(data, live, allSounds, {});
}

} // namespace tc
