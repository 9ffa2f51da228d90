// Loading data.json, the debounced ordered save, the flush at quit and the backup.

#include "AppModelHarness.h"

#include "app/DefaultDocument.h"
#include "model/Json.h"
#include "model/StarterPacks.h"

#include <QDir>
#include <gtest/gtest.h>

#include <future>

namespace tc::test {
namespace {

// A stored document of this release: already upgraded, "Arcade" active.
QByteArray upgradedDocument(const std::string &activeName = "Arcade") {
    auto data = makeDefaultData();
    for (const auto &profile : data.profiles) {
        if (profile.name == activeName) {
            data.activeProfileID = profile.id;
        }
    }
    return QByteArray::fromStdString(encodeAppData(data, false));
}

TEST(DocumentLoad, FallsBackToTheDefaultDocumentWithoutWritingIt) {
    struct Case {
        const char *name;
        std::optional<QByteArray> file; // absent: no file at all
    };
    const Case cases[] = {
        {"no file", std::nullopt},
        {"not JSON", QByteArray("{\"profiles\": [")},
        {"wrong shape", QByteArray("[1, 2, 3]")},
        {"no profiles", QByteArray(R"({"profiles": [], "activeProfileID": "6F9619FF-8B86-D011-B42D-00C04FC964FF",
            "triggers": [], "appRules": [], "userSounds": [], "settings": {}})")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Harness harness;
        if (c.file) {
            harness.writeDocument(*c.file);
        }
        auto &model = harness.make();
        ASSERT_EQ(model.data().profiles.size(), 4u);
        EXPECT_EQ(model.data().activeProfile().name, "Meme mode");
        EXPECT_EQ(model.data().appRules[0].bundleID, "Zoom");
        harness.time.advance(10);
        harness.documents->waitForWrites(std::chrono::seconds(5));
        EXPECT_EQ(harness.writeCount(), 0u);
        // Nothing is written at start; a bad file is moved aside (see BrokenDocument).
        EXPECT_FALSE(QFile::exists(harness.documentPath()));
    }
}

TEST(DocumentLoad, WritesBackAtOnceOnlyWhenTheUpgradeRan) {
    {
        Harness harness;
        auto data = makeDefaultData();
        data.settings.seededPacks.clear(); // saved by an earlier release
        harness.writeDocument(QByteArray::fromStdString(encodeAppData(data, false)));
        auto &model = harness.make();
        ASSERT_EQ(harness.writeCount(), 1u); // written during loading, before any timer
        EXPECT_EQ(model.data().settings.seededPacks,
                  std::vector<std::string>{std::string(StarterPacks::kMigrationMarker)});
        EXPECT_EQ(decodeAppData(harness.readDocument().toStdString()), model.data());
    }
    {
        Harness harness;
        harness.writeDocument(upgradedDocument());
        auto &model = harness.make();
        EXPECT_EQ(model.data().activeProfile().name, "Arcade");
        harness.documents->waitForWrites(std::chrono::seconds(5));
        EXPECT_EQ(harness.writeCount(), 0u);
    }
}

TEST(DocumentLoad, AnActiveIdThatNamesNoProfileBecomesTheFirstProfile) {
    Harness harness;
    auto data = makeDefaultData();
    data.activeProfileID = Uuid::random();
    harness.writeDocument(QByteArray::fromStdString(encodeAppData(data, false)));
    auto &model = harness.make();
    EXPECT_EQ(model.data().activeProfileID, model.data().profiles.front().id);

    // So key edits land on the profile the editor shows.
    model.assign("synth.boing", {12});
    EXPECT_EQ(model.data().profiles.front().assignment(12)->soundID, "synth.boing");
}

TEST(DefaultDocument, HasTheStarterProfilesTriggersAndLinuxCallRules) {
    const auto data = makeDefaultData();
    ASSERT_EQ(data.profiles.size(), 4u);
    EXPECT_EQ(data.profiles[0].name, "Default");
    EXPECT_EQ(data.profiles[0].baseSoundID, "synth.cream");
    EXPECT_TRUE(data.profiles[0].keys.empty());
    EXPECT_EQ(data.profiles[1].name, "Meme mode");
    EXPECT_EQ(data.profiles[2].name, "Animals");
    EXPECT_EQ(data.profiles[3].name, "Arcade");
    EXPECT_EQ(data.activeProfileID, data.profiles[1].id);

    ASSERT_EQ(data.triggers.size(), 5u);
    EXPECT_EQ(data.triggers[0].kind, Trigger::Kind::shortcut(1, 0x40000));
    EXPECT_EQ(data.triggers[0].soundID, "synth.tada");
    EXPECT_EQ(data.triggers[1].kind, Trigger::Kind::shortcut(12, 0x40000));
    EXPECT_EQ(data.triggers[2].kind, Trigger::Kind::word("lol"));
    EXPECT_EQ(data.triggers[4].soundID, "synth.airhorn");
    for (const auto &trigger : data.triggers) {
        EXPECT_TRUE(trigger.enabled);
        EXPECT_TRUE(trigger.appBundleIDs.empty());
    }

    ASSERT_EQ(data.appRules.size(), 2u);
    EXPECT_EQ(data.appRules[0], (AppRule{"Zoom", "Zoom", std::nullopt}));
    EXPECT_EQ(data.appRules[1], (AppRule{"org.gnome.Calls", "Calls", std::nullopt}));
    EXPECT_TRUE(data.userSounds.empty());

    // Already upgraded: the upgrade leaves it exactly as it is.
    auto upgraded = data;
    StarterPacks::upgrade(upgraded);
    EXPECT_EQ(upgraded, data);

    EXPECT_NE(makeDefaultData().profiles[0].id, data.profiles[0].id); // new ids every time
}

TEST(DocumentSave, ABurstOfEditsWritesOnceWithTheLastState) {
    Harness harness;
    auto &model = harness.make();
    model.renameProfile(model.data().profiles[0].id, "One");
    harness.time.advance(0.1);
    model.renameProfile(model.data().profiles[0].id, "Two");
    harness.time.advance(0.2);
    model.renameProfile(model.data().profiles[0].id, "Three");
    harness.time.advance(0.39);
    harness.documents->waitForWrites(std::chrono::seconds(5));
    EXPECT_EQ(harness.writeCount(), 0u); // 0.39 s after the last edit

    harness.time.advance(0.01);
    harness.documents->waitForWrites(std::chrono::seconds(5));
    ASSERT_EQ(harness.writeCount(), 1u);
    EXPECT_EQ(decodeAppData(harness.readDocument().toStdString()).profiles[0].name, "Three");

    harness.time.advance(5);
    harness.documents->waitForWrites(std::chrono::seconds(5));
    EXPECT_EQ(harness.writeCount(), 1u);
}

TEST(DocumentSave, ASlowEarlierWriteNeverOverwritesANewerDocument) {
    Harness harness;
    std::promise<void> release;
    auto released = release.get_future().share();
    harness.writes->beforeWrite = [released](std::size_t index) {
        if (index == 0) {
            released.wait(); // the first write hangs until the second is scheduled
        }
    };
    auto &model = harness.make();
    const auto id = model.data().profiles[0].id;
    model.renameProfile(id, "Older");
    harness.time.advance(0.5); // the first write starts and blocks
    model.renameProfile(id, "Newer");
    harness.time.advance(0.5);
    release.set_value();
    ASSERT_TRUE(harness.documents->waitForWrites(std::chrono::seconds(5)));
    ASSERT_EQ(harness.writeCount(), 2u);
    EXPECT_EQ(decodeAppData(harness.readDocument().toStdString()).profiles[0].name, "Newer");
}

TEST(DocumentSave, QuittingWritesThePendingSaveAtOnce) {
    Harness harness;
    auto &model = harness.make();
    model.renameProfile(model.data().profiles[0].id, "Just now");
    harness.time.advance(0.1); // less than the debounce
    model.prepareToQuit();
    ASSERT_EQ(harness.writeCount(), 1u); // flushed and waited for
    EXPECT_EQ(decodeAppData(harness.readDocument().toStdString()).profiles[0].name, "Just now");
    EXPECT_EQ(harness.stats.syncs, 1);

    harness.time.advance(1); // the cancelled timer does not write again
    harness.documents->waitForWrites(std::chrono::seconds(5));
    EXPECT_EQ(harness.writeCount(), 1u);

    model.prepareToQuit(); // nothing pending: nothing written
    EXPECT_EQ(harness.writeCount(), 1u);
}

TEST(DocumentSave, AModelThatGoesAwayWritesItsPendingSave) {
    Harness harness;
    auto &model = harness.make();
    model.renameProfile(model.data().profiles[0].id, "Last words");
    harness.model.reset();
    ASSERT_EQ(harness.writeCount(), 1u);
    EXPECT_EQ(decodeAppData(harness.readDocument().toStdString()).profiles[0].name, "Last words");
}

TEST(DocumentSave, TheFileIsReplacedAtomicallyAndReadsBackAsTheDocument) {
    Harness harness;
    auto &model = harness.make();
    model.addTrigger(Trigger::Kind::word("yay"), "synth.coin");
    model.flushPendingSave();
    EXPECT_EQ(decodeAppData(harness.readDocument().toStdString()), model.data());
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(harness.folder()).entryList(QDir::Files), QStringList{"data.json"});
}

TEST(Backup, IsPrettyPrintedWithSortedKeys) {
    Harness harness;
    auto &model = harness.make();
    const auto path = harness.folder() + "/Tapchime backup.json";
    model.exportBackup(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto text = file.readAll();
    EXPECT_TRUE(text.contains("\n  ")); // indented
    qsizetype last = -1;
    for (const auto &key : {"activeProfileID", "appRules", "profiles", "settings", "triggers", "userSounds"}) {
        const auto at = text.indexOf(QByteArray("\n  \"") + key + "\"");
        ASSERT_GE(at, 0) << key;
        EXPECT_GT(at, last) << key;
        last = at;
    }
    EXPECT_EQ(decodeAppData(text.toStdString()), model.data());

    EXPECT_THROW(model.exportBackup("/proc/no-such-folder/backup.json"), BackupError);
}

} // namespace
} // namespace tc::test
