// The model's long work on its worker: imports of sounds, takes and packs, pack and backup exports. Results
// land on the main thread (the harness's posted tasks) and arrive by signal; the document changes only then.

#include "AppModelHarness.h"
#include "GatedCatalog.h"

#include "engine/PackIO.h"
#include "model/Json.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <fstream>

namespace tc::test {
namespace {

std::filesystem::path writeFile(const Harness &harness, const std::string &name) {
    std::filesystem::path file = harness.folder().toStdString() + "/" + name;
    std::ofstream(file) << "x";
    return file;
}

ImportResult onlyResult(const QSignalSpy &spy) {
    EXPECT_EQ(spy.count(), 1);
    return spy.isEmpty() ? ImportResult{} : spy.at(0).at(0).value<ImportResult>();
}

TEST(BackgroundWork, AnImportOfEveryKindLandsInOrderWithProgressAndOneResult) {
    Harness harness;
    auto &model = harness.make();
    const auto take = writeFile(harness, "take.m4a");
    const auto badTake = writeFile(harness, "bad-take.m4a");
    QSignalSpy progress(&model, &AppModel::importProgress);
    QSignalSpy finished(&model, &AppModel::importFinished);
    QSignalSpy working(&model, &AppModel::workingChanged);

    const int task = model.importFilesAsync({{"/in/Hello.wav", ImportKind::sound},
                                             {"/in/bad.wav", ImportKind::sound},
                                             {take, ImportKind::recording},
                                             {badTake, ImportKind::recording},
                                             {"/in/friends.tapchime", ImportKind::pack},
                                             {"/in/bad.tapchime", ImportKind::pack}});
    EXPECT_TRUE(model.isWorking());
    ASSERT_TRUE(harness.finishWork());

    const ImportResult result = onlyResult(finished);
    EXPECT_EQ(result.task, task);
    ASSERT_EQ(result.files.size(), 6u);
    const auto &files = result.files;
    EXPECT_EQ(files[0].path, "/in/Hello.wav");
    ASSERT_TRUE(files[0].sound);
    EXPECT_EQ(files[0].sound->name, "Hello");
    EXPECT_EQ(files[1].error, "This file isn't an audio format Tapchime can read.");
    EXPECT_FALSE(files[1].sound);
    ASSERT_TRUE(files[2].sound);
    EXPECT_EQ(files[2].sound->name, "Recording 1");
    EXPECT_EQ(files[3].error, "This file isn't an audio format Tapchime can read.");
    ASSERT_TRUE(files[4].profileID);
    EXPECT_EQ(files[5].error, "This .tapchime file couldn't be read.");
    for (const auto &file : files) {
        EXPECT_EQ(file.succeeded(), !file.error.has_value());
    }

    // What came in is in the document once, the pack's profile active; the takes are gone either way.
    const auto &sounds = model.data().userSounds;
    ASSERT_EQ(sounds.size(), 3u);
    EXPECT_EQ(sounds[0], *files[0].sound);
    EXPECT_EQ(sounds[1], *files[2].sound);
    EXPECT_EQ(sounds[2].name, "Packed");
    EXPECT_EQ(model.data().activeProfileID, *files[4].profileID);
    EXPECT_EQ(model.data().activeProfile().name, "Shared");
    EXPECT_EQ(model.soundsVersion(), 3);
    EXPECT_FALSE(std::filesystem::exists(take));
    EXPECT_FALSE(std::filesystem::exists(badTake));

    ASSERT_EQ(progress.count(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(progress.at(i), (QVariantList{task, i + 1, 6}));
    }
    EXPECT_EQ(working.count(), 2); // on, then off
    EXPECT_FALSE(model.isWorking());
    EXPECT_EQ(harness.router.config()->profile->name, "Shared");
    harness.time.advance(AppModel::kSaveDelay);
    harness.documents->waitForWrites(std::chrono::seconds(5));
    EXPECT_EQ(decodeAppData(harness.readDocument().toStdString()), model.data());
}

TEST(BackgroundWork, TheMainThreadNeverWaitsForTheLibraryAndTheDocumentChangesOnlyAsTheResultLands) {
    Harness harness;
    GatedCatalog gated(harness.library);
    harness.catalog = &gated;
    auto &model = harness.make();
    const AppData before = model.data();
    QSignalSpy finished(&model, &AppModel::importFinished);

    // The import is held inside the library, yet the call has returned and the main thread runs on.
    model.importFilesAsync({{"/in/Slow.wav", ImportKind::sound}});
    gated.waitUntilEntered();
    harness.time.runPosted();
    EXPECT_TRUE(model.isWorking());
    EXPECT_EQ(model.data(), before);
    EXPECT_EQ(finished.count(), 0);
    model.addProfile("Meanwhile"); // edits go on as usual

    gated.open();
    ASSERT_TRUE(harness.finishWork());
    const auto result = onlyResult(finished);
    ASSERT_EQ(result.files.size(), 1u);
    ASSERT_EQ(model.data().userSounds.size(), 1u);
    EXPECT_EQ(model.data().userSounds[0].name, "Slow");
    EXPECT_EQ(model.data().activeProfile().name, "Meanwhile");
}

TEST(BackgroundWork, TasksRunOneAfterAnotherAndPacksStillGetUniqueNames) {
    Harness harness;
    auto &model = harness.make();
    QSignalSpy finished(&model, &AppModel::importFinished);
    // Both tasks start before either lands: the second does not know the first's name yet.
    const int first = model.importFilesAsync({{"/in/friends.tapchime", ImportKind::pack}});
    const int second = model.importFilesAsync(
        {{"/in/friends.tapchime", ImportKind::pack}, {"/in/friends.tapchime", ImportKind::pack}});
    const int empty = model.importFilesAsync({});
    EXPECT_NE(first, second);
    ASSERT_TRUE(harness.finishWork());

    ASSERT_EQ(finished.count(), 3);
    EXPECT_EQ(finished.at(0).at(0).value<ImportResult>().task, first);
    EXPECT_EQ(finished.at(1).at(0).value<ImportResult>().task, second);
    EXPECT_EQ(finished.at(2).at(0).value<ImportResult>().task, empty);
    EXPECT_TRUE(finished.at(2).at(0).value<ImportResult>().files.empty());
    const auto &profiles = model.data().profiles;
    std::vector<std::string> names;
    for (auto it = profiles.end() - 3; it != profiles.end(); ++it) {
        names.push_back(it->name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Shared", "Shared 2", "Shared 3"}));
}

TEST(BackgroundWork, WorkFinishedWhenTheModelGoesIsLandedAndSavedOnce) {
    Harness harness;
    GatedCatalog gated(harness.library);
    harness.catalog = &gated;
    auto &model = harness.make();
    QSignalSpy finished(&model, &AppModel::importFinished);
    model.importFilesAsync({{"/in/Last.wav", ImportKind::sound}});
    gated.waitUntilEntered();
    gated.open();
    harness.model.reset(); // nobody lands it on the main thread: the model's end does

    const AppData saved = decodeAppData(harness.readDocument().toStdString());
    ASSERT_EQ(saved.userSounds.size(), 1u);
    EXPECT_EQ(saved.userSounds[0].name, "Last");
    EXPECT_EQ(harness.library.imports.size(), 1u);
    harness.time.runPosted(); // the posted landing finds no model and does nothing
}

TEST(BackgroundWork, APackExportWritesTheProfileOfWhenItWasAsked) {
    Harness harness;
    auto &model = harness.make();
    QSignalSpy finished(&model, &AppModel::exportFinished);
    const Profile asked = model.data().activeProfile();
    const int good = model.exportPackAsync("/tmp/out.tapchime");
    model.setActiveProfile(model.data().profiles[1].id);
    const int bad = model.exportPackAsync("/tmp/bad.tapchime");
    ASSERT_TRUE(harness.finishWork());

    ASSERT_EQ(finished.count(), 2);
    EXPECT_EQ(finished.at(0), (QVariantList{good, true, QString()}));
    EXPECT_EQ(finished.at(1), (QVariantList{bad, false, QString()})); // a failed pack export is not told
    ASSERT_EQ(harness.library.exports.size(), 1u);
    EXPECT_EQ(harness.library.exports[0].first, asked);
}

TEST(BackgroundWork, ABackupExportWritesTheDocumentOrLogsWhyNot) {
    Harness harness;
    auto &model = harness.make();
    QSignalSpy finished(&model, &AppModel::exportFinished);
    const auto path = harness.folder() + "/Tapchime backup.json";
    const AppData asked = model.data();
    const int good = model.exportBackupAsync(path);
    model.addProfile("Later"); // not in the backup asked for before
    const int bad = model.exportBackupAsync("/proc/no-such-folder/backup.json");
    ASSERT_TRUE(harness.finishWork());

    ASSERT_EQ(finished.count(), 2);
    EXPECT_EQ(finished.at(0), (QVariantList{good, true, QString()}));
    EXPECT_EQ(finished.at(1).mid(0, 2), (QVariantList{bad, false}));
    EXPECT_FALSE(finished.at(1).at(2).toString().isEmpty()); // the reason, for the alert
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(decodeAppData(file.readAll().toStdString()), asked);
    ASSERT_EQ(harness.logLines.size(), 1u);
    EXPECT_EQ(harness.logLines[0], "Tapchime: backup export failed: " + finished.at(1).at(2).toString().toStdString());
}

// What kept an import out of the sounds folder is told in the program's words, naming the folder and what to do;
// never a hidden temporary's name, and a valid pack is not called unreadable.
TEST(BackgroundWork, AnImportTheSoundsFolderCannotTakeSaysWhyAndWhatToDo) {
    using Kind = SoundsFolderError::Kind;
    const std::string raw = "filesystem error: cannot create file: Operation not permitted "
                            "[/home/u/.local/share/Tapchime/Sounds/..imports.6F9619FF-8B86-D011-B42D-00C04FC964FF.tmp]";
    struct Case {
        Kind kind;
        ImportKind import;
        std::vector<QString> says;
    };
    const std::vector<Case> cases = {
        {Kind::noRoom, ImportKind::sound, {"There isn't enough room on the disk for this sound.", "import the sound"}},
        {Kind::noRoom, ImportKind::recording, {"There isn't enough room on the disk for this sound."}},
        {Kind::noRoom, ImportKind::pack, {"There isn't enough room on the disk for this pack's sounds."}},
        {Kind::notAFolder, ImportKind::sound, {"a file is where the folder", "Move that file away"}},
        {Kind::notWritable,
         ImportKind::sound,
         {"Check that this folder can be written", "(cannot create file: Operation not permitted)"}},
        {Kind::notWritable, ImportKind::pack, {"This pack's sounds couldn't be written", "import the pack again"}},
    };
    for (const auto &c : cases) {
        Harness harness;
        auto &model = harness.make();
        harness.library.folderFailure = SoundsFolderError(c.kind, "/home/u/.local/share/Tapchime/Sounds", raw);
        QSignalSpy finished(&model, &AppModel::importFinished);
        const auto path = c.import == ImportKind::recording ? writeFile(harness, "take.m4a") : "/in/Shared.x";
        model.importFilesAsync({{path, c.import}});
        ASSERT_TRUE(harness.finishWork());
        const auto files = onlyResult(finished).files;
        ASSERT_EQ(files.size(), 1u);
        ASSERT_TRUE(files[0].error);
        const QString text = QString::fromStdString(*files[0].error);
        SCOPED_TRACE(text.toStdString());
        EXPECT_TRUE(text.contains("/home/u/.local/share/Tapchime/Sounds"));
        EXPECT_FALSE(text.contains(".tmp") || text.contains(".part") || text.contains("filesystem error"));
        EXPECT_NE(*files[0].error, PackError::kMessage);
        for (const auto &part : c.says) {
            EXPECT_TRUE(text.contains(part)) << part.toStdString();
        }
    }
}

} // namespace
} // namespace tc::test
