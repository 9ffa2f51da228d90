#include "engine/SoundRouter.h"

#include "engine/LatencyTrace.h"
#include "engine/LoadedSound.h"
#include "engine/SoundLookup.h"
#include "engine/SoundPlayer.h"
#include "model/KeyCodes.h"
#include "model/KeyLayout.h"
#include "model/Modifiers.h"

#include <algorithm>
#include <optional>
#include <random>

namespace tc {

namespace {

using SoundSynth::Role;

// How far left or right the outermost keys sit; 1 would put them on one speaker only.
constexpr float kPanWidth = 0.7f;

// The take a key without its own assignment plays, by its folded code (keypad Enter plays Return's).
constexpr Role roleFor(std::uint16_t foldedCode) {
    switch (foldedCode) {
    case KeyCodes::kReturn:
        return Role::enter;
    case KeyCodes::kSpace:
        return Role::space;
    case KeyCodes::kTab:
    case KeyCodes::kDelete:
    case KeyCodes::kShiftL:
    case KeyCodes::kCaps:
    case KeyCodes::kShiftR:
        return Role::wide;
    default:
        return Role::down;
    }
}

std::uint64_t randomSeed() {
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32u) ^ device();
}

} // namespace

// A configuration together with the tables derived from it for the keyboard thread. Made once on the main
// thread and never changed, so it is shared between threads without further locking.
struct SoundRouter::Snapshot {
    explicit Snapshot(RuntimeConfig value) : config(std::move(value)) {
        if (!config.profile) {
            return;
        }
        for (const auto &[text, assignment] : config.profile->keys) {
            if (const auto code = KeyCodes::fromText(text)) {
                keys.emplace_back(*code, &assignment);
            }
        }
        std::sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    }
    Snapshot(const Snapshot &) = delete;
    Snapshot &operator=(const Snapshot &) = delete;

    // The profile's own assignment for a (folded) key code, or null. Looks up by number, so a key press
    // builds no text.
    const KeyAssignment *assignment(std::uint16_t code) const {
        const auto it = std::lower_bound(keys.begin(), keys.end(), code,
                                         [](const auto &entry, std::uint16_t wanted) { return entry.first < wanted; });
        return it != keys.end() && it->first == code ? it->second : nullptr;
    }

    RuntimeConfig config;
    // The profile's assignments sorted by key code; they point into config.profile.
    std::vector<std::pair<std::uint16_t, const KeyAssignment *>> keys;
};

SoundRouter::SoundRouter(const SoundLookup &library, SoundPlayer &player)
    : library_(library), player_(player), panPositions_(KeyLayout::panPosition()),
      snapshot_(std::make_shared<const Snapshot>(RuntimeConfig{})), random_(randomSeed()) {}

SoundRouter::~SoundRouter() = default;

void SoundRouter::setConfig(RuntimeConfig config) {
    std::shared_ptr<const Snapshot> replacement = std::make_shared<const Snapshot>(std::move(config));
    {
        std::lock_guard guard(lock_);
        snapshot_.swap(replacement);
    }
    // The previous snapshot is released here, outside the lock (or later by the keyboard thread when it
    // still routes an event with it).
}

std::shared_ptr<const RuntimeConfig> SoundRouter::config() const {
    auto current = snapshot();
    return {current, &current->config};
}

std::shared_ptr<const SoundRouter::Snapshot> SoundRouter::snapshot() const {
    std::lock_guard guard(lock_);
    return snapshot_;
}

// Sends the report of the key state when routing ends, unless it went out earlier. It is held back until the
// sound is on its way because it wakes the main thread, which on a busy machine costs the keyboard thread tens
// of microseconds that the sound should not wait for.
class SoundRouter::KeyReport {
public:
    KeyReport(SoundRouter &router, const KeyEvent &event) : router_(router) {
        router_.pendingKey_ = PendingKey{event.code, event.isDown, true};
    }
    ~KeyReport() { router_.sendKeyReport(); }
    KeyReport(const KeyReport &) = delete;
    KeyReport &operator=(const KeyReport &) = delete;

private:
    SoundRouter &router_;
};

void SoundRouter::sendKeyReport() {
    if (pendingKey_.pending) {
        pendingKey_.pending = false;
        if (onKey) {
            onKey(pendingKey_.code, pendingKey_.isDown);
        }
    }
}

void SoundRouter::handle(const KeyEvent &event) {
    if (trace_) {
        trace_->keyReceived();
    }
    KeyReport keyReport(*this, event);
    // Repeats never play and never touch the typed word.
    if (event.isRepeat) {
        return;
    }

    // Hotkeys come before the configuration, so they work while sounds are off or muted; they never play.
    if (event.isDown) {
        if (const std::optional<Hotkey> hotkey = hotkeyFor(event.code, event.flags)) {
            sendKeyReport();
            if (onHotkey) {
                onHotkey(*hotkey);
            }
            return;
        }
    }

    const std::shared_ptr<const Snapshot> current = snapshot();
    const RuntimeConfig &config = current->config;
    if (!config.enabled || config.muted || !config.profile) {
        word_.clear();
        return;
    }

    // The folded code chooses the assignment and the role; the reported code places the key, matches
    // shortcuts and is what the callbacks report.
    const std::uint16_t code = KeyCodes::folded(event.code);
    float pan = 0.0f;
    if (config.stereoSpread) {
        if (const auto position = panPositions_.find(event.code); position != panPositions_.end()) {
            pan = (2.0f * position->second - 1.0f) * kPanWidth;
        }
    }

    if (!event.isDown) {
        keyUp(code, *current, pan);
        return;
    }

    const bool commandLike = (event.flags & Modifiers::kShortcutRequiredMask) != 0;
    if (commandLike) {
        word_.clear();
        const std::uint64_t modifiers = event.flags & Modifiers::kShortcutMask;
        for (const auto &trigger : config.shortcutTriggers) {
            if (trigger.code == event.code && trigger.modifiers == modifiers) {
                playTrigger(event.code, trigger.soundID, config, pan);
                return;
            }
        }
    }

    if (!config.wordTriggers.empty() || !config.longWordTriggers.empty()) {
        if (event.code == KeyCodes::kDelete) {
            word_.removeLast();
        } else if (!commandLike && word_.appendIfWordCharacter(event.characters)) {
            // Still typing the word.
        } else if (!event.characters.empty() || event.code == KeyCodes::kReturn) {
            // The word ends here. An empty word is never looked up: it would match a trigger saved with an
            // empty word on every second key that is not a letter.
            const std::string *soundID = nullptr;
            if (word_.outgrown()) { // a word longer than the one kept: a long trigger word ending the same way
                if (const auto found = config.longWordTriggers.find(word_.text());
                    found != config.longWordTriggers.end()) {
                    soundID = &found->second;
                }
            }
            if (soundID == nullptr && !word_.empty()) {
                if (const auto found = config.wordTriggers.find(word_.text()); found != config.wordTriggers.end()) {
                    soundID = &found->second;
                }
            }
            word_.clear();
            if (soundID) {
                playTrigger(event.code, *soundID, config, pan);
                return;
            }
        }
        // Keys without text (modifiers, arrows, dead keys) leave the word as it is.
    }

    keyDown(code, event.code, *current, pan);
}

void SoundRouter::keyDown(std::uint16_t code, std::uint16_t originalCode, const Snapshot &snapshot, float pan) {
    const RuntimeConfig &config = snapshot.config;
    const Profile &profile = *config.profile;
    const float master = config.masterVolume;

    const KeyAssignment *assignment = snapshot.assignment(code);
    if (!assignment) {
        play(profile.baseSoundID, roleFor(code), master * kBaseGain, 1.0f + random_.uniform(-kBasePitch, kBasePitch),
             pan);
        reportPlayed(originalCode, profile.baseSoundID);
        return;
    }

    const std::string *soundID = &assignment->soundID;
    if (assignment->randomInCategory) {
        // The pools leave the mechanical category out, so mechanical keys keep their own sound.
        if (const auto category = config.categoryOf.find(*soundID); category != config.categoryOf.end()) {
            const auto pool = config.categoryPools.find(category->second);
            if (pool != config.categoryPools.end() && !pool->second.empty()) {
                soundID = &pool->second[random_.below(pool->second.size())];
            }
        }
    }
    play(*soundID, Role::down, master * static_cast<float>(assignment->volume), rateFor(*assignment), pan);
    if (assignment->layerBase) {
        play(profile.baseSoundID, roleFor(code), master * kLayeredBaseGain,
             1.0f + random_.uniform(-kBasePitch, kBasePitch), pan);
    }
    reportPlayed(originalCode, *soundID);
}

void SoundRouter::keyUp(std::uint16_t code, const Snapshot &snapshot, float pan) {
    const RuntimeConfig &config = snapshot.config;
    const float master = config.masterVolume;
    const KeyAssignment *assignment = snapshot.assignment(code);
    if (!assignment) {
        playUpTake(config.profile->baseSoundID, master * kBaseGain, pan);
    } else if (assignment->playOnKeyUp) {
        play(assignment->soundID, Role::down, master * static_cast<float>(assignment->volume) * kKeyUpGain,
             rateFor(*assignment), pan);
    } else if (assignment->layerBase) {
        playUpTake(config.profile->baseSoundID, master * kLayeredBaseGain, pan);
    }
}

void SoundRouter::playTrigger(std::uint16_t originalCode, const std::string &soundID, const RuntimeConfig &config,
                              float pan) {
    play(soundID, Role::down, config.masterVolume, 1.0f + random_.uniform(-kTriggerPitch, kTriggerPitch), pan);
    reportPlayed(originalCode, soundID);
}

void SoundRouter::play(const std::string &soundID, Role role, float volume, float rate, float pan) {
    const LoadedSoundPtr sound = library_.loaded(soundID);
    if (!sound) {
        return;
    }
    if (const AudioBufferPtr buffer = sound->buffer(role)) {
        player_.play(buffer, volume, rate, pan);
    }
}

void SoundRouter::playUpTake(const std::string &soundID, float volume, float pan) {
    const LoadedSoundPtr sound = library_.loaded(soundID);
    if (!sound || !sound->takes().contains(Role::up)) {
        return;
    }
    if (const AudioBufferPtr buffer = sound->buffer(Role::up)) {
        player_.play(buffer, volume, 1.0f + random_.uniform(-kBasePitch, kBasePitch), pan);
    }
}

float SoundRouter::rateFor(const KeyAssignment &assignment) {
    const auto variation = static_cast<float>(assignment.pitchVariation);
    return variation > 0.0f ? 1.0f + random_.uniform(-variation, variation) : 1.0f;
}

void SoundRouter::reportPlayed(std::uint16_t code, const std::string &soundID) {
    sendKeyReport();
    if (onPlayed) {
        onPlayed(code, soundID);
    }
}

} // namespace tc
