// The audio thread never allocates or frees, play() never allocates, and neither does the typed word the
// keyboard thread keeps for word triggers: this test binary counts every
// global allocation and free made on a thread while that thread's counting flag is set.

#include "engine/AudioEngine.h"
#include "engine/TypedWord.h"
#include "support/AudioSignals.h"
#include "support/FakeAudioDevices.h"
#include "support/FakeAudioOutput.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <new>
#include <vector>

namespace {

thread_local bool counting = false;
std::atomic<int> allocations{0};
std::atomic<int> frees{0};

void *allocate(std::size_t size) {
    if (counting) {
        allocations.fetch_add(1);
    }
    if (void *memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void *allocateAligned(std::size_t size, std::align_val_t alignment) {
    if (counting) {
        allocations.fetch_add(1);
    }
    const auto align = static_cast<std::size_t>(alignment);
    if (void *memory = std::aligned_alloc(align, (size + align - 1) / align * align)) {
        return memory;
    }
    throw std::bad_alloc();
}

void release(void *memory) {
    if (counting && memory) {
        frees.fetch_add(1);
    }
    std::free(memory);
}

// Counts what `work` allocates and frees on this thread.
struct Counted {
    int allocations;
    int frees;
};
template <typename Work> Counted count(Work &&work) {
    allocations = 0;
    frees = 0;
    counting = true;
    work();
    counting = false;
    return {allocations.load(), frees.load()};
}

} // namespace

void *operator new(std::size_t size) {
    return allocate(size);
}
void *operator new[](std::size_t size) {
    return allocate(size);
}
void *operator new(std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void *operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void operator delete(void *memory) noexcept {
    release(memory);
}
void operator delete[](void *memory) noexcept {
    release(memory);
}
void operator delete(void *memory, std::size_t) noexcept {
    release(memory);
}
void operator delete[](void *memory, std::size_t) noexcept {
    release(memory);
}
void operator delete(void *memory, std::align_val_t) noexcept {
    release(memory);
}
void operator delete[](void *memory, std::align_val_t) noexcept {
    release(memory);
}
void operator delete(void *memory, std::size_t, std::align_val_t) noexcept {
    release(memory);
}
void operator delete[](void *memory, std::size_t, std::align_val_t) noexcept {
    release(memory);
}

using namespace tc;
using namespace tc::test;

TEST(AudioThreadAllocations, CountingSeesAnAllocation) {
    const Counted counted = count([] {
        int *value = new int(1);
        asm volatile("" : : "g"(value) : "memory"); // keeps the compiler from eliding the pair
        delete value;
    });
    EXPECT_EQ(counted.allocations, 1);
    EXPECT_EQ(counted.frees, 1);
}

TEST(AudioThreadAllocations, PlayAndRenderNeitherAllocateNorFreeAndBuffersAreReleasedOnTheControlSide) {
    FakeAudioOutput output;
    FakeAudioDevices devices;
    devices.add({"tc_out", "Null Output"});
    uint64_t now = 1'000'000'000;
    AudioEngine::Options options;
    options.clock = [&now] { return now; };
    options.retryInterval = std::chrono::hours(1);
    AudioEngine engine(output, devices, options);
    engine.setVoiceCount(64);
    engine.start();
    engine.waitUntilSettled();

    // Mono and stereo sounds take turns, so both kinds of voice are started, mixed, replaced and ended.
    std::vector<AudioBufferPtr> buffers;
    for (int i = 0; i < 128; ++i) {
        AudioBufferPtr tone = toneBuffer(0.5, 200.0 + i, 0.01f);
        if (i % 2 == 1) {
            tone = std::make_shared<const AudioBuffer>(AudioBuffer::mono(tone->left));
        }
        buffers.push_back(std::move(tone));
    }
    std::vector<float> left(512);
    std::vector<float> right(512);
    output.render(512, left, right); // the fake sizes its vectors here, outside the count

    // Fill all 64 voices, then make the engine the last owner of those buffers.
    const Counted firstPlays = count([&] {
        for (int i = 0; i < 64; ++i) {
            engine.play(buffers[i], 0.8f, 0.9f + 0.003f * i, -1.0f + i / 32.0f);
        }
    });
    EXPECT_EQ(firstPlays.allocations, 0);
    std::weak_ptr<const AudioBuffer> firstBuffer = buffers[0];
    std::weak_ptr<const AudioBuffer> firstMonoBuffer = buffers[1];
    for (int i = 0; i < 64; ++i) {
        buffers[i].reset();
    }
    output.render(512, left, right);

    // Replacing every voice retires the old buffers while the mixer still plays them; none may be freed on
    // the audio thread.
    now += 1'000'000'000;
    const Counted replacements = count([&] {
        for (int i = 64; i < 128; ++i) {
            engine.play(buffers[i], 0.8f, 1.1f, 0.0f);
        }
    });
    EXPECT_EQ(replacements.allocations, 0);
    EXPECT_EQ(replacements.frees, 0) << "the mixer may still read the replaced buffers";
    EXPECT_FALSE(firstBuffer.expired());
    EXPECT_FALSE(firstMonoBuffer.expired());

    // Long enough for every voice to reach its end (half a second at rate 1.1).
    float heard = 0.0f;
    const Counted render = count([&] {
        for (int period = 0; period < 64; ++period) {
            output.render(left.size(), left, right);
            heard = std::max({heard, peak(left), peak(right)});
        }
    });
    EXPECT_EQ(render.allocations, 0);
    EXPECT_EQ(render.frees, 0);
    EXPECT_GT(heard, 0.0f);
    EXPECT_EQ(peak(left), 0.0f) << "every voice has ended";

    // The next call on the control side releases what the mixer has let go of.
    engine.play(buffers[64], 0.5f, 1.0f, 0.0f);
    EXPECT_TRUE(firstBuffer.expired());
    EXPECT_TRUE(firstMonoBuffer.expired());
}

// Letters in every Unicode form are composed in the word's own storage: typing words longer than it keeps,
// deleting and starting again allocate nothing.
TEST(KeyThreadAllocations, TheTypedWordComposesLettersWithoutAllocating) {
    const char *keys[] = {
        "a",        "Q", "e\xCC\x81",   "\xC3\xA9", "E\xCC\x81", "\xE1\x84\x80\xE1\x85\xA1", "a\xCC\x81\xCC\xA3",
        "\xCE\xA3", "7", "\xE0\xA5\x98"};
    TypedWord word;
    const Counted counted = count([&] {
        for (int round = 0; round < 20; ++round) {
            for (int i = 0; i < 40; ++i) {
                word.appendIfWordCharacter(keys[(i + round) % std::size(keys)]);
            }
            word.removeLast();
            word.removeLast();
            word.clear();
        }
    });
    EXPECT_EQ(counted.allocations, 0);
    EXPECT_EQ(counted.frees, 0);
}
