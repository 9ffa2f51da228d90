// Measures what the keyboard thread spends per key event in the sound router, the play included, and
// counts the heap allocations it makes. Run: build/default/tools/bench-router/bench-router
//
// Players: EngineLikePlayer does what the engine's play() does, NullPlayer nothing, and RealEngine is the
// program's own AudioEngine on an output that wakes its audio thread through an eventfd for every sound, as
// the PulseAudio output does, with that thread applying the sounds the way the output places them.

#include "engine/AudioDevices.h"
#include "engine/AudioEngine.h"
#include "engine/AudioOutput.h"
#include "engine/LoadedSound.h"
#include "engine/SoundLookup.h"
#include "engine/SoundPlayer.h"
#include "engine/SoundRouter.h"
#include "engine/linux/NullAudioDevices.h"

#include <benchmark/benchmark.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

std::atomic<std::size_t> gAllocations{0};

} // namespace

// Counting replacements of the global allocation functions. GCC cannot see that operator delete below pairs
// with this operator new and warns about free() on its result.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void *operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void *memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
void operator delete(void *memory) noexcept {
    std::free(memory);
}
void operator delete(void *memory, std::size_t) noexcept {
    std::free(memory);
}

namespace tc {
namespace {

using Role = SoundSynth::Role;

// Does on the calling thread what the audio engine's play() does there: takes the engine lock, picks a voice
// (a free one, else the one that frees up first), works out when it will be free and hands the buffer over
// through a fixed ring of commands, releasing the buffer the slot held before.
class EngineLikePlayer : public SoundPlayer {
public:
    void play(const AudioBufferPtr &buffer, float volume, float rate, float pan) override {
        std::lock_guard guard(lock_);
        const std::uint64_t now = now_ += 64;
        std::size_t chosen = 0;
        for (std::size_t i = 0; i < busyUntil_.size(); ++i) {
            if (busyUntil_[i] <= now) {
                chosen = i;
                break;
            }
            if (busyUntil_[i] < busyUntil_[chosen]) {
                chosen = i;
            }
        }
        const float clampedRate = std::min(std::max(rate, 0.5f), 2.0f);
        busyUntil_[chosen] = now + static_cast<std::uint64_t>(static_cast<double>(buffer->frames()) / clampedRate);
        Command &command = ring_[head_++ % ring_.size()];
        command.buffer = buffer;
        command.voice = chosen;
        command.volume = std::min(std::max(volume, 0.0f), 1.0f);
        command.rate = clampedRate;
        command.pan = std::min(std::max(pan, -1.0f), 1.0f);
    }

private:
    struct Command {
        AudioBufferPtr buffer;
        std::size_t voice = 0;
        float volume = 0, rate = 1, pan = 0;
    };
    std::mutex lock_;
    std::uint64_t now_ = 0;
    std::array<std::uint64_t, 32> busyUntil_{};
    std::array<Command, 64> ring_{};
    std::size_t head_ = 0;
};

// An output like the PulseAudio one as far as the keyboard thread can tell: soundQueued() writes to an eventfd
// that its own thread polls; that thread then starts the new sounds as the output does.
class EventfdOutput final : public AudioOutput {
public:
    EventfdOutput() : wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~EventfdOutput() override {
        stop();
        close(wake_);
    }
    bool start(const std::string &, int, AudioRenderer &renderer, std::string &) override {
        stop();
        quit_ = false;
        thread_ = std::thread([this, &renderer] {
            std::vector<float> left(4096), right(4096);
            pollfd fd{wake_, POLLIN, 0};
            while (!quit_.load()) {
                if (poll(&fd, 1, 50) > 0) {
                    uint64_t count = 0;
                    while (read(wake_, &count, sizeof(count)) > 0) {
                    }
                    renderer.renderNewSounds(left.data(), right.data(), 64);
                }
            }
        });
        running_ = true;
        return true;
    }
    void stop() override {
        quit_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        running_ = false;
    }
    bool isRunning() const override { return running_; }
    std::string deviceUID() const override { return {}; }
    void setBufferFrames(int) override {}
    void setChangeHandler(ChangeHandler) override {}
    void soundQueued() noexcept override {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(wake_, &one, sizeof(one));
    }

private:
    int wake_;
    std::atomic<bool> quit_{false};
    bool running_ = false;
    std::thread thread_;
};

// The program's audio engine with 12 voices (the default) on the output above.
class RealEngine : public SoundPlayer {
public:
    RealEngine() : engine_(output_, devices_) {
        engine_.setVoiceCount(12);
        engine_.start();
        engine_.waitUntilSettled(); // measure the running engine, not its start
    }
    void play(const AudioBufferPtr &buffer, float volume, float rate, float pan) override {
        engine_.play(buffer, volume, rate, pan);
    }

private:
    EventfdOutput output_;
    NullAudioDevices devices_;
    AudioEngine engine_;
};

class NullPlayer : public SoundPlayer {
public:
    void play(const AudioBufferPtr &buffer, float volume, float rate, float pan) override {
        benchmark::DoNotOptimize(buffer);
        benchmark::DoNotOptimize(volume + rate + pan);
    }
};

// The sound library's lookup: a cache under a lock.
class CacheLookup : public SoundLookup {
public:
    LoadedSoundPtr loaded(const std::string &id) const override {
        std::lock_guard guard(lock_);
        const auto it = cache_.find(id);
        return it == cache_.end() ? nullptr : it->second;
    }
    void add(const std::string &id, SoundCategory category, std::initializer_list<Role> roles) {
        LoadedSound::Takes takes;
        for (const auto role : roles) {
            for (int take = 0; take < 3; ++take) {
                auto buffer = std::make_shared<AudioBuffer>();
                buffer->left.assign(4800, 0.1f);
                buffer->right.assign(4800, 0.1f);
                takes[role].push_back(std::move(buffer));
            }
        }
        cache_[id] = std::make_shared<const LoadedSound>(SoundItem{id, id, category, std::nullopt, 0.1},
                                                         std::move(takes), std::vector<float>(64, 0.1f));
    }

private:
    mutable std::mutex lock_;
    std::unordered_map<std::string, LoadedSoundPtr> cache_;
};

constexpr std::array<SoundCategory, 5> kPooled = {SoundCategory::memes, SoundCategory::animals, SoundCategory::retro,
                                                  SoundCategory::everyday, SoundCategory::mine};

// A library of the size the program ships with plus some of the user's own, and a profile that gives the
// letter keys sounds of their own: the load the router meets in practice.
void fill(CacheLookup &library, RuntimeConfig &config, bool withWordTriggers) {
    library.add("synth.base", SoundCategory::mechanical, {Role::down, Role::up, Role::space, Role::wide, Role::enter});
    for (int i = 0; i < 80; ++i) {
        const std::string id = (i < 20 ? "synth.mech" : "rec.sound") + std::to_string(i);
        const SoundCategory category = i < 20 ? SoundCategory::mechanical : kPooled[i % kPooled.size()];
        library.add(id, category, {Role::down});
        if (category != SoundCategory::mechanical) {
            config.categoryPools[category].push_back(id);
            config.categoryOf[id] = category;
        }
    }
    Profile profile;
    profile.name = "Bench";
    profile.baseSoundID = "synth.base";
    const int assignedCodes[] = {0, 1, 2, 3, 5, 4, 38, 40, 37, 12, 13, 14, 15, 17, 16, 32, 34, 31, 35, 6, 7, 8, 9, 11};
    for (int code : assignedCodes) {
        KeyAssignment assignment;
        assignment.soundID = "rec.sound" + std::to_string(20 + code);
        assignment.volume = 0.9;
        profile.keys[std::to_string(code)] = assignment;
    }
    profile.keys["45"] = profile.keys["0"]; // N: random within category
    profile.keys["45"].randomInCategory = true;
    config.profile = profile;
    config.masterVolume = 0.8f;
    config.shortcutTriggers = {{11, 0x100000, "rec.sound30"}, {1, 0x140000, "rec.sound31"}, {8, 0x100000, "x"}};
    if (withWordTriggers) {
        for (const char *word : {"yay", "hello", "ship", "lgtm", "done", "nice", "oops", "wow", "bye", "thanks"}) {
            config.wordTriggers[word] = "rec.sound40";
        }
    }
}

template <class Player> void route(benchmark::State &state, bool withWordTriggers, std::vector<KeyEvent> events) {
    CacheLookup library;
    RuntimeConfig config;
    fill(library, config, withWordTriggers);
    Player player;
    SoundRouter router(library, player);
    std::size_t reports = 0;
    router.onKey = [&](std::uint16_t, bool) { ++reports; };
    router.onPlayed = [&](std::uint16_t, const std::string &) { ++reports; };
    router.setConfig(std::move(config));
    for (const auto &event : events) { // warm up: the word buffer and the caches reach their steady state
        router.handle(event);
    }

    const std::size_t allocationsBefore = gAllocations.load();
    for (auto _ : state) {
        for (const auto &event : events) {
            router.handle(event);
        }
    }
    const auto handled = static_cast<double>(state.iterations() * events.size());
    state.SetItemsProcessed(static_cast<std::int64_t>(handled));
    state.counters["ns/event"] = benchmark::Counter(handled, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["allocs/event"] = static_cast<double>(gAllocations.load() - allocationsBefore) / handled;
    benchmark::DoNotOptimize(reports);
}

KeyEvent keyDown(std::uint16_t code, std::string characters, std::uint64_t flags = 0) {
    return KeyEvent{code, true, false, flags, std::move(characters)};
}
KeyEvent keyUp(std::uint16_t code) {
    return KeyEvent{code, false, false, 0, ""};
}

template <class Player> void BM_AssignedLetter(benchmark::State &state) {
    route<Player>(state, false, {keyDown(0, "a")});
}
template <class Player> void BM_BaseSoundKey(benchmark::State &state) {
    route<Player>(state, false, {keyDown(41, ";")});
}
template <class Player> void BM_LetterWithWordTriggers(benchmark::State &state) {
    route<Player>(state, true, {keyDown(0, "a")});
}
template <class Player> void BM_WordEndingWithTrigger(benchmark::State &state) {
    // "yay" and Space: three letters collected, then a lookup that fires.
    route<Player>(state, true, {keyDown(16, "y"), keyDown(0, "a"), keyDown(16, "y"), keyDown(49, " ")});
}
template <class Player> void BM_RandomInCategory(benchmark::State &state) {
    route<Player>(state, false, {keyDown(45, "n")});
}
template <class Player> void BM_ShortcutTrigger(benchmark::State &state) {
    route<Player>(state, false, {keyDown(11, "b", 0x100000)});
}
template <class Player> void BM_KeyUpOfBaseSound(benchmark::State &state) {
    route<Player>(state, false, {keyUp(41)});
}

BENCHMARK_TEMPLATE(BM_AssignedLetter, EngineLikePlayer);
BENCHMARK_TEMPLATE(BM_BaseSoundKey, EngineLikePlayer);
BENCHMARK_TEMPLATE(BM_LetterWithWordTriggers, EngineLikePlayer);
BENCHMARK_TEMPLATE(BM_WordEndingWithTrigger, EngineLikePlayer);
BENCHMARK_TEMPLATE(BM_RandomInCategory, EngineLikePlayer);
BENCHMARK_TEMPLATE(BM_ShortcutTrigger, EngineLikePlayer);
BENCHMARK_TEMPLATE(BM_KeyUpOfBaseSound, EngineLikePlayer);
BENCHMARK_TEMPLATE(BM_AssignedLetter, RealEngine);
BENCHMARK_TEMPLATE(BM_BaseSoundKey, RealEngine);
BENCHMARK_TEMPLATE(BM_WordEndingWithTrigger, RealEngine);
BENCHMARK_TEMPLATE(BM_AssignedLetter, NullPlayer);
BENCHMARK_TEMPLATE(BM_BaseSoundKey, NullPlayer);
BENCHMARK_TEMPLATE(BM_LetterWithWordTriggers, NullPlayer);

} // namespace
} // namespace tc

BENCHMARK_MAIN();
