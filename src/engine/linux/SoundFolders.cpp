#include "engine/linux/SoundFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <system_error>

#ifndef TAPCHIME_SOURCE_DIR
#define TAPCHIME_SOURCE_DIR ""
#endif

namespace tc::SoundFolders {

namespace {

std::filesystem::path homeFolder() {
    if (const char *home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    if (const passwd *entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/tmp";
}

} // namespace

std::filesystem::path userSounds() {
    std::filesystem::path dataHome;
    if (const char *xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        dataHome = xdg;
    } else {
        dataHome = homeFolder() / ".local" / "share";
    }
    return dataHome / "Tapchime" / "Sounds";
}

std::filesystem::path builtinSounds(const std::filesystem::path &programFolder,
                                    const std::filesystem::path &sourceTree) {
    const std::array<std::filesystem::path, 3> candidates = {
        programFolder / "resources" / "sounds",
        programFolder.parent_path() / "share" / "tapchime" / "sounds",
        sourceTree.empty() ? std::filesystem::path() : sourceTree / "resources" / "sounds",
    };
    for (const auto &candidate : candidates) {
        std::error_code error;
        if (!candidate.empty() && std::filesystem::is_directory(candidate, error)) {
            return candidate;
        }
    }
    return candidates.front();
}

std::filesystem::path builtinSounds() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return builtinSounds(error ? std::filesystem::current_path(error) : program.parent_path(), TAPCHIME_SOURCE_DIR);
}

} // namespace tc::SoundFolders
