// The record of imports under way: an import notes its file before writing it, and the next start removes what
// an import stopped by a crash wrote (its partial copy always, its complete copy when no document lists it) and
// nothing else.

#include "engine/ImportJournal.h"
#include "engine/ImportFileName.h"
#include "engine/PackIO.h"
#include "engine/SoundLibrary.h"
#include "model/Uuid.h"
#include "support/FakeAudioDecoder.h"
#include "support/Rig.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tc {
namespace {

namespace fs = std::filesystem;
using test::FakeAudioDecoder;
using test::readText;
using test::writeText;

std::string importName(const std::string &extension = "wav") {
    return "user." + Uuid::random().toString() + "." + extension;
}

std::set<std::string> filesIn(const fs::path &folder) {
    std::set<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(ImportJournal, TellsTheNamesImportsGiveTheirFilesAndTemporariesFromAnyOther) {
    const std::string uuid = Uuid::random().toString();
    const std::string lower = "user." + Uuid::random().toString() + ".m4a";
    struct Case {
        std::string name;
        bool file;
        bool temporary;
    };
    const std::vector<Case> cases = {
        {"user." + uuid + ".wav", true, false},
        {"user." + uuid + ".M4A", true, false},
        {"." + std::string("user.") + uuid + ".wav.part", false, true},
        {".user." + uuid + ".wav." + Uuid::random().toString() + ".tmp", false, true},
        {"user." + uuid, false, false},          // no extension
        {"user." + uuid + ".w/v", false, false}, // not a plain name
        {"user." + uuid + ".wav/../../data.json", false, false},
        {"user.not-a-uuid-at-all-but-36-chars-long.wav", false, false},
        {"rec.bell.m4a", false, false},
        {"data.json", false, false},
        {".data.json." + uuid + ".tmp", false, false}, // the document's temporary, not an import's
        {".my notes.part", false, false},
        {".user." + uuid + ".part", false, false},
        {"user." + uuid + ".wav.part", false, false}, // not hidden: not a name imports write
        {lower, true, false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ImportFileName::isImportFileName(c.name), c.file) << c.name;
        EXPECT_EQ(ImportFileName::isImportTemporary(c.name), c.temporary) << c.name;
    }
}

TEST(ImportJournal, StartRemovesWhatInterruptedImportsWroteAndNothingElse) {
    const std::string listed = importName();   // noted, and the document lists it: landed before the crash
    const std::string unlisted = importName(); // noted, complete, never landed
    const std::string gone = importName();     // noted, never written
    const std::string userFile = importName(); // not noted: an earlier import's, named by some backup
    const std::string partial = "." + importName() + ".part";
    const std::string atomicTemporary = "." + importName() + "." + Uuid::random().toString() + ".tmp";
    const std::string usersOwn = "my take.wav";
    const std::string usersHidden = ".notes.part";
    struct Case {
        const char *what;
        bool documentRead;
        std::set<std::string> left;
        ImportJournal::Settled settled;
    };
    const std::vector<Case> cases = {
        {"document read", true, {listed, userFile, usersOwn, usersHidden}, {2, 1, 1}},
        // A broken document was set aside and may name any of them: only the partial copies go.
        {"document set aside", false, {listed, unlisted, userFile, usersOwn, usersHidden}, {2, 0, 2}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const fs::path sounds = dir.path() / "Sounds";
        {
            ImportJournal journal(sounds);
            for (const auto &name : {listed, unlisted, gone}) {
                journal.begin(name);
            }
            EXPECT_EQ(journal.pending(), (std::vector<std::string>{listed, unlisted, gone}));
        }
        for (const auto &name : {listed, unlisted, userFile, partial, atomicTemporary, usersOwn, usersHidden}) {
            writeText(sounds / name, "tone 4800 0.5");
        }
        // The record's own temporary, left by a write the crash stopped.
        writeText(sounds / (std::string(".") + ImportJournal::kFileName + "." + Uuid::random().toString() + ".tmp"),
                  "x");

        ImportJournal journal(sounds); // the next start
        const auto settled = journal.settle({listed, userFile}, c.documentRead);
        EXPECT_EQ(filesIn(sounds), c.left);
        EXPECT_EQ(settled.temporaries, c.settled.temporaries);
        EXPECT_EQ(settled.copies, c.settled.copies);
        EXPECT_EQ(settled.kept, c.settled.kept);
        EXPECT_TRUE(journal.pending().empty());
        // Settled once: a later start finds nothing more to do.
        const auto again = ImportJournal(sounds).settle({}, true);
        EXPECT_EQ(again.temporaries + again.copies + again.kept, 0u);
    }
}

TEST(ImportJournal, ARecordWrittenByHandNeverRemovesAnythingButImportFiles) {
    test::TempDir dir;
    const fs::path sounds = dir.path() / "Sounds";
    const std::string real = importName();
    writeText(dir.path() / "data.json", "{}");
    writeText(sounds / "rec.bell.m4a", "x");
    writeText(sounds / real, "x");
    const std::string link = importName(); // a link under an import's name
    fs::create_symlink(dir.path() / "data.json", sounds / link);
    writeText(sounds / ImportJournal::kFileName,
              "../data.json\nrec.bell.m4a\n/etc/passwd\n" + link + "\n" + real + "\n");

    const auto settled = ImportJournal(sounds).settle({}, true);
    EXPECT_EQ(settled.copies, 1u);
    EXPECT_EQ(filesIn(sounds), (std::set<std::string>{"rec.bell.m4a", link}));
    EXPECT_TRUE(fs::exists(dir.path() / "data.json"));
}

TEST(ImportJournal, AnImportIsNotedBeforeItsCopyAndTheNoteGoesWithAFailureOrADelete) {
    test::TempDir dir;
    const fs::path sounds = dir.path() / "Sounds";
    auto decoder = std::make_shared<FakeAudioDecoder>();
    SoundLibrary library(decoder, sounds, dir.path() / "resources");
    ImportJournal journal(sounds);
    library.setImportJournal(&journal);
    writeText(dir.path() / "in" / "Tick.wav", FakeAudioDecoder::tone(4800, 0.5));

    const SoundItem item = library.importFile(dir.path() / "in" / "Tick.wav", std::nullopt);
    ASSERT_TRUE(item.fileName);
    EXPECT_EQ(journal.pending(), std::vector<std::string>{*item.fileName});
    EXPECT_EQ(readText(sounds / ImportJournal::kFileName), *item.fileName + "\n");

    // The document lists it: the import is over, and the record goes with the last note.
    journal.finish({*item.fileName});
    EXPECT_TRUE(journal.pending().empty());
    EXPECT_FALSE(fs::exists(sounds / ImportJournal::kFileName));

    // A sound deleted before its import was over keeps its note until nothing lists it (the caller says so).
    const SoundItem second = library.importFile(dir.path() / "in" / "Tick.wav", std::nullopt);
    library.deleteFile(second);
    EXPECT_EQ(journal.pending(), std::vector<std::string>{*second.fileName});
    library.finishImports({*second.fileName});
    EXPECT_TRUE(journal.pending().empty());

    // Without a note there is no copy: an import whose note cannot be written writes nothing.
    writeText(dir.path() / "blocked", "a file");
    ImportJournal blocked(dir.path() / "blocked");
    library.setImportJournal(&blocked);
    const auto before = filesIn(sounds);
    EXPECT_THROW(library.importFile(dir.path() / "in" / "Tick.wav", std::nullopt), SoundsFolderError);
    EXPECT_EQ(filesIn(sounds), before);
}

TEST(ImportJournal, APackImportNotesEveryFileItWritesAndAFailedOneTakesItsNotesAlong) {
    test::TempDir dir;
    // A pack of three sounds, from a library of its own.
    SoundLibrary source(std::make_shared<FakeAudioDecoder>(), dir.path() / "source", dir.path() / "resources");
    std::vector<SoundItem> sounds;
    Profile profile;
    profile.id = Uuid::random();
    profile.name = "Shared";
    for (int i = 0; i < 3; ++i) {
        const std::string id = "user." + Uuid::random().toString();
        sounds.push_back({id, "Packed " + std::to_string(i), SoundCategory::mine, id + ".wav", 0.1});
        writeText(source.soundsFolder() / *sounds.back().fileName, FakeAudioDecoder::tone(48000, 0.5f));
        profile.keys[std::to_string(30 + i)] = KeyAssignment{.soundID = id};
    }
    const fs::path pack = dir.path() / "shared.tapchime";
    PackIO(source).exportPack(profile, sounds, pack);

    const fs::path into = dir.path() / "Sounds";
    ImportJournal journal(into);
    SoundLibrary library(std::make_shared<FakeAudioDecoder>(), into, dir.path() / "resources");
    library.setImportJournal(&journal);
    const auto imported = PackIO(library).importPack(pack, {});
    std::vector<std::string> written;
    for (const auto &item : imported.sounds) {
        written.push_back(*item.fileName);
    }
    EXPECT_EQ(journal.pending(), written);

    // Room for two of the three: the import fails and removes what it wrote, notes and all.
    journal.finish(written);
    for (const auto &item : imported.sounds) {
        library.deleteFile(item);
    }
    SoundLibrary small(std::make_shared<FakeAudioDecoder>(), into, dir.path() / "resources",
                       2 * 48000 * sizeof(float) + 1000);
    small.setImportJournal(&journal);
    EXPECT_ANY_THROW(PackIO(small).importPack(pack, {}));
    EXPECT_TRUE(journal.pending().empty());
    EXPECT_EQ(filesIn(into), std::set<std::string>{});
}

// The record is written outside the journal's lock: while one thread's write of it is held up, another thread
// ends imports and reads the names without waiting, and the record ends up with the latest names.
TEST(ImportJournal, NoCallWaitsForAnotherThreadsWriteOfTheRecord) {
    test::TempDir dir;
    const fs::path sounds = dir.path() / "Sounds";
    std::mutex lock;
    std::condition_variable changed;
    bool held = false;
    bool released = false;
    int writes = 0;
    ImportJournal journal(sounds, [&](const fs::path &file, const std::vector<std::string> &names) {
        std::unique_lock guard(lock);
        if (++writes == 2) { // the second write: the one begin(held) makes
            held = true;
            changed.notify_all();
            changed.wait(guard, [&] { return released; });
        }
        guard.unlock();
        ImportJournal::writeRecord(file, names);
    });
    const std::string done = importName();
    const std::string writing = importName();
    journal.begin(done);

    std::thread importer([&] { journal.begin(writing); });
    {
        std::unique_lock guard(lock);
        changed.wait(guard, [&] { return held; });
    }
    journal.finish({done}); // would wait for the held write if the lock were kept across it
    EXPECT_EQ(journal.pending(), std::vector<std::string>{writing});
    {
        std::lock_guard guard(lock);
        released = true;
    }
    changed.notify_all();
    importer.join();

    EXPECT_EQ(readText(sounds / ImportJournal::kFileName), writing + "\n");
    EXPECT_EQ(writes, 3) << "the held writer wrote the finished import's change after its own";
}

} // namespace
} // namespace tc
