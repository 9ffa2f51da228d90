// An import whose sounds the sounds folder cannot take says why in a way the user can act on: a full disk (also
// when the disk reports it as an input/output error), a file where the folder should be, a folder that cannot be
// written. A share pack that was read and could not be written is told so, not called unreadable; and a failed
// import leaves nothing behind, its journal note included.

#include "engine/ImportJournal.h"
#include "engine/PackIO.h"
#include "engine/SoundLibrary.h"
#include "support/FakeAudioDecoder.h"
#include "support/Rig.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <limits>
#include <set>
#include <unistd.h>

namespace tc {
namespace {

namespace fs = std::filesystem;
using Kind = SoundsFolderError::Kind;
using test::FakeAudioDecoder;

constexpr std::uintmax_t kPlenty = std::numeric_limits<std::uintmax_t>::max();

std::set<std::string> filesIn(const fs::path &folder) {
    std::set<std::string> names;
    for (std::error_code error; const auto &entry : fs::directory_iterator(folder, error)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

struct Case {
    const char *what;
    int error;                // what the disk's writes fail with; 0: they do not fail
    std::uintmax_t available; // the room the disk reports
    Kind kind;
    std::function<fs::path(const fs::path &dir)> sounds = {}; // a sounds folder of its own, when the case needs one

    friend void PrintTo(const Case &c, std::ostream *out) { *out << c.what; }
};

class SoundsFolderFailure : public ::testing::TestWithParam<Case> {
protected:
    SoundsFolderFailure() {
        test::writeText(dir_.path() / "in" / "Tick.wav", FakeAudioDecoder::tone(4800, 0.5f));
        // A valid pack of one sound, made by a library of its own.
        SoundLibrary source(std::make_shared<FakeAudioDecoder>(), dir_.path() / "source", dir_.path() / "resources");
        const std::string id = "user.11111111-2222-4333-8444-555555555555";
        test::writeText(source.soundsFolder() / "tick.wav", FakeAudioDecoder::tone(4800, 0.5f));
        Profile profile;
        profile.id = Uuid::random();
        profile.name = "Shared";
        profile.baseSoundID = id;
        PackIO(source).exportPack(profile, {{id, "Tick", SoundCategory::mine, "tick.wav", 0.1}}, pack());
    }

    fs::path pack() const { return dir_.path() / "in" / "Shared.tapchime"; }

    // Runs `import` into a library whose sounds folder and disk are the case's, and returns how it failed.
    Kind failureOf(const std::function<void(SoundLibrary &)> &import) {
        const Case &c = GetParam();
        const fs::path sounds = c.sounds ? c.sounds(dir_.path()) : dir_.path() / "Sounds";
        SoundLibrary library(std::make_shared<FakeAudioDecoder>(), sounds, dir_.path() / "resources");
        ImportJournal journal(sounds);
        library.setImportJournal(&journal);
        if (c.error != 0) {
            SoundFileDisk disk;
            disk.write = [error = c.error](int, const char *, std::size_t) -> long {
                errno = error;
                return -1;
            };
            disk.available = [available = c.available](const fs::path &) { return available; };
            library.setDisk(disk);
        }
        const auto before = filesIn(sounds);
        try {
            import(library);
        } catch (const SoundsFolderError &error) {
            EXPECT_EQ(error.folder(), sounds);
            EXPECT_EQ(filesIn(sounds), before) << "nothing left behind";
            EXPECT_TRUE(journal.pending().empty());
            return error.kind();
        }
        ADD_FAILURE() << "no SoundsFolderError";
        return Kind::notWritable;
    }

    test::TempDir dir_;
};

TEST_P(SoundsFolderFailure, AnImportedFileSaysWhatKeptItOut) {
    EXPECT_EQ(failureOf([&](SoundLibrary &library) { library.importFile(dir_.path() / "in" / "Tick.wav", {}); }),
              GetParam().kind);
}

TEST_P(SoundsFolderFailure, AValidPackIsNotCalledUnreadable) {
    EXPECT_EQ(failureOf([&](SoundLibrary &library) { PackIO(library).importPack(pack(), {}); }), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SoundsFolderFailure,
    ::testing::Values(Case{"full", ENOSPC, 0, Kind::noRoom}, Case{"over quota", EDQUOT, kPlenty, Kind::noRoom},
                      // Some file systems report a full disk as an input/output error: the room left tells.
                      Case{"full, said as EIO", EIO, 0, Kind::noRoom},
                      Case{"failing disk", EIO, kPlenty, Kind::notWritable},
                      Case{"not allowed", EACCES, kPlenty, Kind::notWritable},
                      Case{"a file in its place", 0, 0, Kind::notAFolder,
                           [](const fs::path &dir) {
                               test::writeText(dir / "Sounds", "a file");
                               return dir / "Sounds";
                           }},
                      // Also what root meets where the folder cannot be made: mode bits do not stop root.
                      Case{"a file above it", 0, 0, Kind::notAFolder,
                           [](const fs::path &dir) {
                               test::writeText(dir / "Tapchime", "a file");
                               return dir / "Tapchime" / "Sounds";
                           }}),
    [](const auto &param) {
        std::string name = param.param.what;
        std::erase_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
        return name;
    });

TEST(SoundsFolderFailure, AFolderTheUserMayNotWriteIsSaidSo) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into any folder whatever its mode; the injected EACCES case covers root";
    }
    test::TempDir dir;
    test::writeText(dir.path() / "in" / "Tick.wav", FakeAudioDecoder::tone(4800, 0.5f));
    SoundLibrary library(std::make_shared<FakeAudioDecoder>(), dir.path() / "Sounds", dir.path() / "resources");
    ImportJournal journal(library.soundsFolder());
    library.setImportJournal(&journal);
    fs::permissions(library.soundsFolder(), fs::perms::owner_read | fs::perms::owner_exec);
    try {
        library.importFile(dir.path() / "in" / "Tick.wav", {});
        ADD_FAILURE() << "imported into a read-only folder";
    } catch (const SoundsFolderError &error) {
        EXPECT_EQ(error.kind(), Kind::notWritable);
    }
    fs::permissions(library.soundsFolder(), fs::perms::owner_all);
}

} // namespace
} // namespace tc
