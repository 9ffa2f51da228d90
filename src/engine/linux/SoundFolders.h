#pragma once

#include <filesystem>

// Where the sound library's folders are on this system. The composition root resolves them once and
// passes them to the library; tests pass folders of their own.
namespace tc::SoundFolders {

// The user's sound files: $XDG_DATA_HOME/Tapchime/Sounds, by default ~/.local/share/Tapchime/Sounds.
// A relative $XDG_DATA_HOME is ignored, as the XDG rules ask.
std::filesystem::path userSounds();

// The built-in recordings: "resources/sounds" next to the program, else "share/tapchime/sounds" of the
// installation prefix (the program in "<prefix>/bin"), else the source tree's "resources/sounds" for a
// program run from its build folder. The first that exists; the first candidate when none does (every
// recording is then simply missing).
std::filesystem::path builtinSounds();

// The same search from a given program folder and source tree, for tests.
std::filesystem::path builtinSounds(const std::filesystem::path &programFolder,
                                    const std::filesystem::path &sourceTree);

} // namespace tc::SoundFolders
