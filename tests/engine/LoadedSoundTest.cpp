#include "engine/LoadedSound.h"

#include <gtest/gtest.h>

#include <set>

namespace tc {
namespace {

using SoundSynth::Role;

AudioBufferPtr bufferOf(std::size_t frames) {
    auto buffer = std::make_shared<AudioBuffer>();
    buffer->left.assign(frames, 0.5f);
    buffer->right = buffer->left;
    return buffer;
}

LoadedSound soundWith(LoadedSound::Takes takes) {
    return LoadedSound(SoundItem{"synth.test", "Test", SoundCategory::mechanical, {}, 0.1}, std::move(takes), {});
}

TEST(LoadedSound, BufferForRoleFallsBackFromEnterToWideToDown) {
    const auto down = bufferOf(1);
    const auto wide = bufferOf(2);
    const auto enter = bufferOf(3);
    const auto up = bufferOf(4);
    struct Case {
        const char *name;
        LoadedSound::Takes takes;
        Role role;
        AudioBufferPtr expected;
    };
    const Case cases[] = {
        {"only down: enter gets down", {{Role::down, {down}}}, Role::enter, down},
        {"only down: up gets down", {{Role::down, {down}}}, Role::up, down},
        {"switch: enter gets enter",
         {{Role::down, {down}}, {Role::wide, {wide}}, {Role::enter, {enter}}},
         Role::enter,
         enter},
        {"no enter: enter gets wide", {{Role::down, {down}}, {Role::wide, {wide}}}, Role::enter, wide},
        {"no wide for space: down", {{Role::down, {down}}, {Role::wide, {wide}}}, Role::space, down},
        {"empty enter list: nothing", {{Role::down, {down}}, {Role::enter, {}}}, Role::enter, nullptr},
        {"up present", {{Role::down, {down}}, {Role::up, {up}}}, Role::up, up},
        {"no takes at all", {}, Role::down, nullptr},
        {"no down, no role", {{Role::up, {up}}}, Role::enter, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const LoadedSound sound = soundWith(c.takes);
        EXPECT_EQ(sound.buffer(c.role), c.expected);
    }
}

TEST(LoadedSound, PicksEveryTakeOfTheRoleInTime) {
    const LoadedSound sound = soundWith({{Role::down, {bufferOf(1), bufferOf(2), bufferOf(3)}}});
    std::set<const AudioBuffer *> seen;
    for (int i = 0; i < 500 && seen.size() < 3; ++i) {
        seen.insert(sound.buffer(Role::down).get());
    }
    EXPECT_EQ(seen.size(), 3u);
}

} // namespace
} // namespace tc
