#pragma once

#include <array>

namespace tc::SoundSynth {

// The key role a take is made and chosen for; the raw values are stable.
enum class Role { down = 0, up = 1, space = 2, wide = 3, enter = 4 };

inline constexpr std::array<Role, 5> kAllRoles = {Role::down, Role::up, Role::space, Role::wide, Role::enter};

} // namespace tc::SoundSynth
