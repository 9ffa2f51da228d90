// The atomic file writer: whole replacement, its temporary names, and the removal of the temporaries an
// interrupted write leaves behind.

#include "engine/AtomicFile.h"
#include "support/Rig.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace tc {
namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const fs::path &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::set<std::string> namesIn(const fs::path &folder) {
    std::set<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(AtomicFile, ReplacesTheTargetWholeAndLeavesNothingElse) {
    test::TempDir dir;
    const fs::path target = dir.path() / "data.json";
    writeFileAtomically(target, "first");
    writeFileAtomically(target, std::string(100000, 'x'));
    EXPECT_EQ(readText(target), std::string(100000, 'x'));
    writeFileAtomically(target, "");
    EXPECT_EQ(readText(target), "");
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"data.json"});
}

TEST(AtomicFile, AMissingFolderFailsAndIsNotCreated) {
    test::TempDir dir;
    EXPECT_THROW(writeFileAtomically(dir.path() / "absent" / "data.json", "x"), fs::filesystem_error);
    EXPECT_FALSE(fs::exists(dir.path() / "absent"));
}

TEST(AtomicFile, AFailedReplaceRemovesItsTemporary) {
    test::TempDir dir;
    const fs::path target = dir.path() / "data.json";
    fs::create_directories(target / "in the way"); // a folder that is not empty cannot be replaced by a file
    EXPECT_THROW(writeFileAtomically(target, "x"), fs::filesystem_error);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"data.json"});
}

TEST(AtomicFile, KnowsExactlyTheNamesOfItsOwnTemporaries) {
    const fs::path target = "/somewhere/data.json";
    const std::string uuid = "6F9619FF-8B86-4011-B42D-00C04FC964FF";
    const std::pair<std::string, bool> cases[] = {
        {".data.json." + uuid + ".tmp", true},
        {newTemporaryPathFor(target).filename().string(), true},        // what the writer really uses
        {".data.json.6f9619ff-8b86-4011-b42d-00c04fc964ff.tmp", false}, // never written lower-case
        {".data.json." + uuid + ".tmp.bak", false},
        {".data.json." + uuid, false},
        {"data.json." + uuid + ".tmp", false},
        {".data.json.tmp", false},
        {".data.json.6F9619FF-8B86-4011-B42D-00C04FC964F.tmp", false},
        {".data.json.6F9619FF_8B86_4011_B42D_00C04FC964FF.tmp", false},
        {".pack.json." + uuid + ".tmp", false}, // another target's
        {".data.json.x" + uuid + ".tmp", false},
        {"data.json", false},
        {"data.json.broken-2024-05-14-093005", false},
    };
    for (const auto &[name, expected] : cases) {
        EXPECT_EQ(isTemporaryFileFor(target, name), expected) << name;
    }
    EXPECT_EQ(newTemporaryPathFor(target).parent_path(), target.parent_path());
    EXPECT_NE(newTemporaryPathFor(target), newTemporaryPathFor(target));
}

TEST(AtomicFile, StaleTemporariesAreRemovedAndNothingElse) {
    test::TempDir dir;
    const fs::path target = dir.path() / "data.json";
    const fs::path stale1 = newTemporaryPathFor(target);
    const fs::path stale2 = newTemporaryPathFor(target);
    writeText(stale1, "half a docu");
    writeText(stale2, "");
    writeText(target, "the document");
    const std::string uuid = "6F9619FF-8B86-4011-B42D-00C04FC964FF";
    const std::vector<std::string> kept = {
        "data.json.broken-2024-05-14-093005",
        ".data.json.6f9619ff-8b86-4011-b42d-00c04fc964ff.tmp",
        ".data.json.tmp",
        "data.json." + uuid + ".tmp",
        ".other.json." + uuid + ".tmp",
        "notes.txt",
    };
    for (const auto &name : kept) {
        writeText(dir.path() / name, name);
    }
    // Things with the exact name that the writer never makes: a folder and a link (whose target stays too).
    const fs::path folderNamedLikeOne = newTemporaryPathFor(target);
    fs::create_directory(folderNamedLikeOne);
    const fs::path linkNamedLikeOne = newTemporaryPathFor(target);
    fs::create_symlink(dir.path() / "notes.txt", linkNamedLikeOne);

    EXPECT_EQ(removeStaleTemporaries(target), 2u);

    std::set<std::string> expected(kept.begin(), kept.end());
    expected.insert("data.json");
    expected.insert(folderNamedLikeOne.filename().string());
    expected.insert(linkNamedLikeOne.filename().string());
    EXPECT_EQ(namesIn(dir.path()), expected);
    EXPECT_EQ(readText(target), "the document");
    EXPECT_EQ(readText(dir.path() / "notes.txt"), "notes.txt");

    EXPECT_EQ(removeStaleTemporaries(target), 0u);
    EXPECT_EQ(removeStaleTemporaries(dir.path() / "absent" / "data.json"), 0u); // a missing folder is no error
}

} // namespace
} // namespace tc
