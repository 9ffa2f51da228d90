// One copy per data folder: the lock is the holder's alone while it lives, goes with it, and is never passed on
// to a program it starts.

#include "engine/linux/DataFolderLock.h"
#include "support/ChildProcess.h"
#include "support/Rig.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <unistd.h>

using namespace tc;
using namespace tc::test;
using State = DataFolderLock::State;

TEST(DataFolderLock, OneHolderAtATimeAndTheNextTakesItOnceTheHolderGoes) {
    TempDir home;
    const auto folder = home.path() / "data" / "Tapchime";
    auto first = std::make_unique<DataFolderLock>(folder);
    ASSERT_EQ(first->state(), State::held) << first->problem();
    EXPECT_EQ(first->file(), folder / ".lock");
    EXPECT_EQ(first->holder(), 0); // only a launch kept out asks who holds it

    DataFolderLock second(folder);
    EXPECT_EQ(second.state(), State::heldElsewhere);
    EXPECT_EQ(second.retry(), State::heldElsewhere);
    EXPECT_EQ(second.holder(), ::getpid());

    first.reset();
    EXPECT_EQ(second.retry(), State::held);
    EXPECT_EQ(DataFolderLock(folder).state(), State::heldElsewhere);
}

TEST(DataFolderLock, AProgramTheHolderStartsDoesNotKeepIt) {
    TempDir home;
    auto holder = std::make_unique<DataFolderLock>(home.path());
    ASSERT_TRUE(holder->held());
    ChildProcess started({"sleep", "60"}); // a browser or xdg-open the program opened, still running
    holder.reset();
    EXPECT_EQ(DataFolderLock(home.path()).state(), State::held);
}

TEST(DataFolderLock, AFolderOrFileThatCannotBeUsedLeavesItUnavailable) {
    TempDir home;
    std::ofstream(home.path() / "file") << "not a folder";
    std::filesystem::create_directories(home.path() / "linked");
    std::filesystem::create_symlink(home.path() / "elsewhere", home.path() / "linked" / ".lock");
    for (const auto &folder : {home.path() / "file" / "Tapchime", home.path() / "linked"}) {
        DataFolderLock lock(folder);
        EXPECT_EQ(lock.state(), State::unavailable) << folder;
        EXPECT_FALSE(lock.problem().empty());
        EXPECT_FALSE(std::filesystem::exists(home.path() / "elsewhere")); // a link is never followed
    }
}
