// Imports a crash stopped leave nothing behind: the model settles the last run's imports against the document it
// loaded (telling the library whether anything else could name their files), and an import stays under way
// until the document on disk, or a backup, lists its sound.

#include "AppModelHarness.h"

#include "app/DefaultDocument.h"
#include "model/Json.h"

#include <gtest/gtest.h>

namespace tc::test {
namespace {

QByteArray encoded(const AppData &data) {
    return QByteArray::fromStdString(encodeAppData(data, false));
}

// Runs the debounced save and lands its outcome, as the event loop would.
void saveNow(Harness &harness) {
    harness.time.advance(AppModel::kSaveDelay + 0.1);
    ASSERT_TRUE(harness.documents->waitForWrites(std::chrono::seconds(10)));
    harness.time.runPosted();
}

TEST(InterruptedImports, TheStartSettlesThemAgainstTheDocumentItLoaded) {
    AppData withSound = makeDefaultData();
    withSound.userSounds.push_back({"user.A", "Clap", SoundCategory::mine, "user.A.wav", 1.0});
    withSound.userSounds.push_back({"user.B", "No file", SoundCategory::mine, std::nullopt, 1.0});
    struct Case {
        const char *what;
        std::optional<QByteArray> document;
        std::set<std::string> listed;
        bool documentRead;
    };
    const std::vector<Case> cases = {
        {"no document yet", std::nullopt, {}, true},
        {"a document", encoded(withSound), {"user.A.wav"}, true},
        // Set aside: it may name files the default document does not.
        {"a broken document", QByteArray("{\"profiles\": ["), {}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Harness harness;
        if (c.document) {
            harness.writeDocument(*c.document);
        }
        harness.library.settled = {2, 1, 0};
        harness.make();
        ASSERT_EQ(harness.library.settles.size(), 1u);
        EXPECT_EQ(harness.library.settles[0].first, c.listed);
        EXPECT_EQ(harness.library.settles[0].second, c.documentRead);
        ASSERT_FALSE(harness.logLines.empty());
        EXPECT_EQ(
            harness.logLines.back(),
            "Tapchime: removed what interrupted imports left in the sounds folder: 2 partial and 1 unlisted files");
    }
}

TEST(InterruptedImports, AnImportIsOverOnlyOnceTheDocumentOnDiskListsItsSound) {
    Harness harness;
    auto &model = harness.make();
    model.importFilesAsync({{"/in/Hello.wav", ImportKind::sound}, {"/in/Pack.tapchime", ImportKind::pack}});
    ASSERT_TRUE(harness.finishWork());
    ASSERT_EQ(harness.library.imports.size(), 1u);
    const std::string sound = *harness.library.imports[0].fileName;
    EXPECT_TRUE(harness.library.landed.empty()) << "in the document, not yet on disk";

    // The save fails (a full disk): still under way.
    harness.writes->failure = QString("no space");
    saveNow(harness);
    EXPECT_TRUE(harness.library.landed.empty());

    // The next save reaches the disk. The record of imports is rewritten on the worker, not the main thread.
    harness.writes->failure.reset();
    model.setMaxVoices(8);
    saveNow(harness);
    ASSERT_TRUE(harness.library.waitForLanded(2));
    EXPECT_EQ(harness.library.landed, (std::vector<std::string>{sound, "packed.m4a"}));

    // A backup lists them at once, even before the save.
    model.importFilesAsync({{"/in/Second.wav", ImportKind::sound}});
    ASSERT_TRUE(harness.finishWork());
    QTemporaryDir backups;
    model.exportBackup(backups.filePath("backup.json"));
    ASSERT_TRUE(harness.library.waitForLanded(3));
    EXPECT_EQ(harness.library.landed.back(), *harness.library.imports.back().fileName);
    for (const auto &thread : harness.library.landedOn) {
        EXPECT_NE(thread, std::this_thread::get_id());
    }
}

} // namespace
} // namespace tc::test
