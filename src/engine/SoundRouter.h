#pragma once

#include "engine/FastRandom.h"
#include "engine/Hotkey.h"
#include "engine/KeyEvent.h"
#include "engine/RuntimeConfig.h"
#include "engine/SoundRole.h"
#include "engine/TypedWord.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tc {

class SoundLookup;
class SoundPlayer;
struct KeyAssignment;

// Turns every key event into sound: reports the key state, catches the global hotkeys, matches shortcut and
// word triggers, finds the key's own sound or the profile's base sound, picks the take for the key's role,
// places it in the stereo field, varies its pitch and plays it, then reports what played.
//
// One router exists for the life of the process, made by the composition root with the sound library it
// looks sounds up in and the audio engine it plays on (both must outlive it).
//
// Threads: handle() and every callback run on the keyboard thread. setConfig() runs on the main thread and
// replaces the configuration whole; the lock guards only that configuration and is held just long enough to
// swap or copy one pointer, never while routing or playing. The typed word belongs to the keyboard thread.
// The callbacks are set once, before the keyboard delivers events; they must not block.
class SoundRouter {
public:
    using KeyCallback = std::function<void(std::uint16_t code, bool isDown)>;
    using PlayedCallback = std::function<void(std::uint16_t code, const std::string &soundID)>;
    using HotkeyCallback = std::function<void(Hotkey hotkey)>;

    // Gains relative to the master volume, and the largest pitch changes, by what plays.
    static constexpr float kLayeredBaseGain = 0.6f; // base sound under a key's own sound
    static constexpr float kBaseGain = 0.85f;       // base sound of a key without a sound of its own
    static constexpr float kKeyUpGain = 0.6f;       // a key's own sound played again on release
    static constexpr float kTriggerPitch = 0.02f;
    static constexpr float kBasePitch = 0.03f;

    SoundRouter(const SoundLookup &library, SoundPlayer &player);
    ~SoundRouter();
    SoundRouter(const SoundRouter &) = delete;
    SoundRouter &operator=(const SoundRouter &) = delete;

    // Every event, repeats included, with the key code as reported.
    KeyCallback onKey;
    // After a key down that reached the sound stage: the reported key code and the sound id chosen, also when
    // that id plays nothing.
    PlayedCallback onPlayed;
    // A hotkey press; hotkeys never play a sound.
    HotkeyCallback onHotkey;

    // The keyboard monitor's handler. Keyboard thread.
    void handle(const KeyEvent &event);

    // Installs a new configuration, replacing the current one whole. Main thread; the per-key tables the
    // keyboard thread reads are derived here, outside the lock.
    void setConfig(RuntimeConfig config);
    // The configuration in force. Any thread.
    std::shared_ptr<const RuntimeConfig> config() const;

private:
    struct Snapshot;

    std::shared_ptr<const Snapshot> snapshot() const;
    void keyDown(std::uint16_t code, std::uint16_t originalCode, const Snapshot &snapshot, float pan);
    void keyUp(std::uint16_t code, const Snapshot &snapshot, float pan);
    void playTrigger(std::uint16_t originalCode, const std::string &soundID, const RuntimeConfig &config, float pan);
    // Plays one take of the sound for `role` when the sound is cached and has one.
    void play(const std::string &soundID, SoundSynth::Role role, float volume, float rate, float pan);
    // Plays an up take only when the sound has up takes of its own (never the key-down fallback).
    void playUpTake(const std::string &soundID, float volume, float pan);
    float rateFor(const KeyAssignment &assignment);
    void reportPlayed(std::uint16_t code, const std::string &soundID);

    const SoundLookup &library_;
    SoundPlayer &player_;
    const std::unordered_map<std::uint16_t, float> &panPositions_;

    mutable std::mutex lock_;                  // guards snapshot_ only
    std::shared_ptr<const Snapshot> snapshot_; // never null

    // Keyboard thread only.
    TypedWord word_;
    FastRandom random_;
};

} // namespace tc
