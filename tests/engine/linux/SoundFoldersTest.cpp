#include "engine/linux/SoundFolders.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace tc {
using namespace tc::test;

namespace {

namespace fs = std::filesystem;

TEST(SoundFolders, UserSoundsFollowXdgDataHome) {
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv xdg("XDG_DATA_HOME", "/data/here");
        EXPECT_EQ(SoundFolders::userSounds(), fs::path("/data/here/Tapchime/Sounds"));
    }
    {
        ScopedEnv xdg("XDG_DATA_HOME", std::nullopt);
        EXPECT_EQ(SoundFolders::userSounds(), fs::path("/home/someone/.local/share/Tapchime/Sounds"));
    }
    {
        ScopedEnv xdg("XDG_DATA_HOME", "relative/path"); // not absolute: ignored
        EXPECT_EQ(SoundFolders::userSounds(), fs::path("/home/someone/.local/share/Tapchime/Sounds"));
    }
    {
        ScopedEnv xdg("XDG_DATA_HOME", "");
        EXPECT_EQ(SoundFolders::userSounds(), fs::path("/home/someone/.local/share/Tapchime/Sounds"));
    }
}

TEST(SoundFolders, BuiltinSoundsAreFoundBesideTheProgramThenInstalledThenInTheSourceTree) {
    test::TempDir dir;
    const fs::path prefix = dir.path() / "usr";
    const fs::path program = prefix / "bin";
    const fs::path source = dir.path() / "src";
    fs::create_directories(program);

    // None exists: the first candidate (everything is then simply missing).
    EXPECT_EQ(SoundFolders::builtinSounds(program, source), program / "resources" / "sounds");

    fs::create_directories(source / "resources" / "sounds");
    EXPECT_EQ(SoundFolders::builtinSounds(program, source), source / "resources" / "sounds");

    fs::create_directories(prefix / "share" / "tapchime" / "sounds");
    EXPECT_EQ(SoundFolders::builtinSounds(program, source), prefix / "share" / "tapchime" / "sounds");

    fs::create_directories(program / "resources" / "sounds");
    EXPECT_EQ(SoundFolders::builtinSounds(program, source), program / "resources" / "sounds");

    // The program's own search ends in this source tree at the latest.
    EXPECT_TRUE(fs::path(SoundFolders::builtinSounds()).is_absolute());
}

} // namespace
} // namespace tc
