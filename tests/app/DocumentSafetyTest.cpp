// The user's document is never lost: an unusable data.json is kept beside the default document, the size
// bound holds for saving as it does for loading, failures of saves and backups are logged, and the
// temporaries of interrupted saves are cleared at start.

#include "AppModelHarness.h"

#include "app/DefaultDocument.h"
#include "engine/AtomicFile.h"
#include "model/Json.h"
#include "model/KeyCodes.h"
#include "model/Modifiers.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <sys/fsuid.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>

namespace tc::test {
namespace {

constexpr std::uint64_t kControlOption = Modifiers::kControl | Modifiers::kOption;

QByteArray readFile(const QString &path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QStringList keptFiles(const QString &folder) {
    return QDir(folder).entryList({"data.json.broken-*"}, QDir::Files | QDir::Hidden, QDir::Name);
}

QByteArray encoded(const AppData &data) {
    return QByteArray::fromStdString(encodeAppData(data, false));
}

std::vector<std::string> linesContaining(const std::vector<std::string> &lines, const std::string &text) {
    std::vector<std::string> found;
    for (const auto &line : lines) {
        if (line.find(text) != std::string::npos) {
            found.push_back(line);
        }
    }
    return found;
}

TEST(BrokenDocument, IsKeptUnchangedBesideTheDefaultDocumentAndNoSaveReplacesIt) {
    const QByteArray valid = encoded(makeDefaultData());
    QByteArray wrongTypes = valid;
    wrongTypes.replace("\"maxVoices\":12", "\"maxVoices\":\"12\"");
    ASSERT_NE(wrongTypes, valid);
    // Valid JSON, one byte over the bound: only the bound rejects it.
    QByteArray tooLarge = valid + QByteArray(DocumentStore::kMaxDocumentBytes + 1 - valid.size(), ' ');
    struct Case {
        const char *name;
        QByteArray bytes;
        const char *reason; // part of the log line
    };
    const Case cases[] = {
        {"truncated", valid.left(valid.size() / 2), "not a valid JSON document"},
        {"not JSON", QByteArray("Tapchime\0\xff notes", 16), "not a valid JSON document"},
        {"wrong types", wrongTypes, "settings.maxVoices"},
        {"empty", "", "not a valid JSON document"},
        {"no profiles", R"({"profiles": [], "activeProfileID": "6F9619FF-8B86-D011-B42D-00C04FC964FF",
            "triggers": [], "appRules": [], "userSounds": [], "settings": {}})",
         "holds no profile"},
        {"too large", tooLarge, "larger than 67108864 bytes"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Harness harness;
        harness.writeDocument(c.bytes);
        auto &model = harness.started();
        ASSERT_EQ(model.data().profiles.size(), 4u); // the default document
        EXPECT_EQ(model.data().activeProfile().name, "Meme mode");

        const QString kept = harness.folder() + "/" + DocumentStore::brokenFileName(harness.time.now());
        EXPECT_EQ(keptFiles(harness.folder()), QStringList{QFileInfo(kept).fileName()});
        EXPECT_TRUE(readFile(kept) == c.bytes);
        EXPECT_FALSE(QFile::exists(harness.documentPath()));
        const auto lines = linesContaining(harness.logLines, "Tapchime: data.json couldn't be used");
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find(kept.toStdString()), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(c.reason), std::string::npos) << lines[0];

        // The next-profile hotkey saves the default document; the kept file is left as it was.
        harness.press(KeyCodes::kP, kControlOption);
        harness.time.advance(1);
        ASSERT_TRUE(harness.documents->waitForWrites(std::chrono::seconds(30)));
        EXPECT_EQ(decodeAppData(harness.readDocument().toStdString()), model.data());
        EXPECT_TRUE(readFile(kept) == c.bytes);
        EXPECT_EQ(keptFiles(harness.folder()).size(), 1u);
    }
}

// The default document greets the user as new: the model tells the shell once, at start, where the copy went.
TEST(BrokenDocument, TheModelTellsOnceAtStartWhereTheCopyWasKept) {
    Harness harness;
    harness.writeDocument("[1, 2");
    auto &model = harness.make();
    const QString kept = harness.folder() + "/" + DocumentStore::brokenFileName(harness.time.now());
    EXPECT_EQ(model.keptBrokenDocument(), kept);
    QSignalSpy told(&model, &AppModel::brokenDocumentKept);
    QSignalSpy onboarding(&model, &AppModel::showOnboardingChanged);
    model.start();
    ASSERT_EQ(told.count(), 1);
    EXPECT_EQ(told[0][0].toString(), kept);
    EXPECT_EQ(onboarding.count(), 1) << "the onboarding is shown first, the notice goes over it";
    model.start();
    EXPECT_EQ(told.count(), 1);

    Harness missing; // no file at all: a first start, nothing to tell
    auto &fresh = missing.make();
    QSignalSpy none(&fresh, &AppModel::brokenDocumentKept);
    fresh.start();
    EXPECT_EQ(none.count(), 0);
    EXPECT_TRUE(fresh.keptBrokenDocument().isEmpty());
}

TEST(BrokenDocument, ALaterBrokenStartKeepsItsFileBesideTheEarlierOnes) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/data.json";
    const QDateTime now(QDate(2024, 5, 14), QTime(9, 30, 5));
    const QString base = dir.path() + "/data.json.broken-2024-05-14-093005";
    ASSERT_EQ(DocumentStore::brokenFileName(now), QFileInfo(base).fileName());
    const QByteArray versions[] = {"first {", "second {", "third {"};
    for (const auto &bytes : versions) {
        writeFile(path, bytes);
        DocumentStore store(dir.path());
        std::vector<std::string> lines;
        store.setLog([&lines](const std::string &line) { lines.push_back(line); });
        const auto loaded = store.load(now); // the same second each time
        EXPECT_EQ(loaded.source, DocumentStore::Source::fallback);
        EXPECT_EQ(lines.size(), 1u);
    }
    EXPECT_EQ(keptFiles(dir.path()), (QStringList{QFileInfo(base).fileName(), QFileInfo(base).fileName() + "-2",
                                                  QFileInfo(base).fileName() + "-3"}));
    EXPECT_EQ(readFile(base), versions[0]);
    EXPECT_EQ(readFile(base + "-2"), versions[1]);
    EXPECT_EQ(readFile(base + "-3"), versions[2]);

    // A start without any file keeps nothing and says nothing.
    DocumentStore store(dir.path());
    std::vector<std::string> lines;
    store.setLog([&lines](const std::string &line) { lines.push_back(line); });
    EXPECT_TRUE(store.load(now).keptBrokenFile.isEmpty());
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(keptFiles(dir.path()).size(), 3u);
}

TEST(DocumentBound, ADocumentAtTheBoundIsSavedAndLoadedAndOneByteMoreIsNeither) {
    QTemporaryDir dir;
    DocumentStore store(dir.path());
    std::vector<std::string> lines;
    store.setLog([&lines](const std::string &line) { lines.push_back(line); });

    // A profile name that makes the compact text exactly as long as the bound allows.
    AppData data = makeDefaultData();
    data.profiles[0].name.clear();
    const auto rest = encodeAppData(data, false).size();
    data.profiles[0].name.assign(static_cast<std::size_t>(DocumentStore::kMaxDocumentBytes) - rest, 'a');
    store.save(data);
    ASSERT_TRUE(store.waitForWrites(std::chrono::seconds(60)));
    ASSERT_EQ(QFileInfo(store.documentPath()).size(), DocumentStore::kMaxDocumentBytes);
    EXPECT_TRUE(lines.empty());
    {
        DocumentStore again(dir.path());
        const auto loaded = again.load();
        EXPECT_EQ(loaded.source, DocumentStore::Source::file);
        EXPECT_EQ(loaded.data.profiles[0].name.size(), data.profiles[0].name.size());
    }

    // One byte more: not written, the previous file stays, and the failure is logged.
    AppData larger = data;
    larger.profiles[0].name += 'a';
    store.save(std::move(larger));
    ASSERT_TRUE(store.waitForWrites(std::chrono::seconds(60)));
    EXPECT_EQ(QFileInfo(store.documentPath()).size(), DocumentStore::kMaxDocumentBytes);
    DocumentStore again(dir.path());
    const auto loaded = again.load();
    ASSERT_EQ(loaded.source, DocumentStore::Source::file);
    EXPECT_EQ(loaded.data.profiles[0].name.size(), data.profiles[0].name.size());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Tapchime: saving the document failed: the document would take 67108865 bytes, more than "
                        "the 67108864 a document may hold");
    EXPECT_TRUE(QDir(dir.path()).entryList({".data.json.*"}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST(DocumentSave, AFailedSaveInAReadOnlyFolderIsLoggedWithItsReason) {
    QTemporaryDir dir;
    const QString folder = dir.path() + "/Tapchime";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QByteArray stored = encoded(makeDefaultData());
    writeFile(folder + "/data.json", stored);
    const auto readable =
        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(dir.path(), readable | QFile::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(folder, readable)); // read-only

    DocumentStore store(folder, [](const QString &path, const QByteArray &bytes) {
        // Tests may run as root, who writes anywhere whatever a folder's mode says. The writer's thread looks
        // at the files as an ordinary user instead (the file-system user id is per thread; for anyone else
        // this call changes nothing).
        const int previous = setfsuid(65534);
        auto result = writeFileAtomically(path, bytes);
        setfsuid(static_cast<uid_t>(previous));
        return result;
    });
    std::vector<std::string> lines;
    store.setLog([&lines](const std::string &line) { lines.push_back(line); });
    auto data = store.load().data;
    data.profiles[0].name = "Not saved";
    store.save(data);
    ASSERT_TRUE(store.waitForWrites(std::chrono::seconds(10)));

    EXPECT_EQ(store.writer().writesDone(), 0u);
    EXPECT_EQ(readFile(folder + "/data.json"), stored);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("Tapchime: saving the document failed: ")) << lines[0];
    EXPECT_NE(lines[0].find("Permission denied"), std::string::npos) << lines[0];
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A save that fails looks like success on screen unless the user is told: once per run of failures (every
// edit saves, so a full disk fails many in a row), with the reason, and again after a save has worked.
TEST(DocumentSave, TheUserIsToldOfFailingSavesOncePerRunWithTheReason) {
    Harness harness;
    auto &model = harness.started();
    QSignalSpy told(&model, &AppModel::saveFailed);
    const auto edit = [&](const std::string &name) {
        model.addProfile(name);
        model.flushPendingSave();
        harness.time.runPosted(); // the writer's outcome reaches the main thread
    };

    edit("Works");
    EXPECT_EQ(told.count(), 0);
    harness.writes->failure = QStringLiteral("No space left on device");
    edit("Fails once");
    edit("Fails twice");
    ASSERT_EQ(told.count(), 1);
    EXPECT_EQ(told.at(0).at(0).toString(), QStringLiteral("No space left on device"));
    harness.writes->failure.reset();
    edit("Works again");
    EXPECT_EQ(told.count(), 1);
    harness.writes->failure = QStringLiteral("Read-only file system");
    edit("Fails again");
    ASSERT_EQ(told.count(), 2);
    EXPECT_EQ(told.at(1).at(0).toString(), QStringLiteral("Read-only file system"));
}

// A document over the size bound is a failed save too; the store reports it like any other.
TEST(DocumentSave, TheStoreReportsEveryOutcomeAndARefusedSaveAsAFailure) {
    QTemporaryDir dir;
    DocumentStore store(dir.path());
    std::mutex mutex;
    std::vector<std::optional<QString>> outcomes;
    store.setSaveOutcome([&](const std::optional<QString> &failure) {
        std::lock_guard guard(mutex);
        outcomes.push_back(failure);
    });
    auto data = store.load().data;
    store.save(data);
    data.profiles[0].name = std::string(DocumentStore::kMaxDocumentBytes, 'x');
    store.save(data);
    ASSERT_TRUE(store.waitForWrites(std::chrono::seconds(10)));
    std::lock_guard guard(mutex);
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_FALSE(outcomes[0]);
    ASSERT_TRUE(outcomes[1]);
    EXPECT_TRUE(outcomes[1]->contains("more than")) << outcomes[1]->toStdString();
}

TEST(DocumentLoad, StaleTemporariesOfAnInterruptedSaveAreRemovedAtStart) {
    Harness harness;
    harness.writeDocument(encoded(makeDefaultData()));
    const auto target = std::filesystem::path(harness.documentPath().toStdString());
    const auto stale = newTemporaryPathFor(target);
    std::ofstream(stale) << "{\"profiles\": [";
    const QString lookalike = harness.folder() + "/.data.json.tmp";
    writeFile(lookalike, "someone else's");

    auto &model = harness.make();
    EXPECT_EQ(model.data().profiles.size(), 4u);
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_EQ(readFile(lookalike), "someone else's");
    EXPECT_TRUE(keptFiles(harness.folder()).isEmpty());
}

TEST(Backup, IntoAFolderThatDoesNotExistFailsCreatesNothingAndIsLogged) {
    Harness harness;
    auto &model = harness.make();
    const QString absent = harness.folder() + "/absent";
    EXPECT_THROW(model.exportBackup(absent + "/Tapchime backup.json"), BackupError);
    EXPECT_FALSE(QFileInfo::exists(absent));
    const auto lines = linesContaining(harness.logLines, "Tapchime: backup export failed: ");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(absent.toStdString()), std::string::npos) << lines[0];

    // Where it cannot write, it says why.
    EXPECT_THROW(model.exportBackup("/proc/tapchime-backup.json"), BackupError);
    EXPECT_EQ(linesContaining(harness.logLines, "Tapchime: backup export failed: ").size(), 2u);
}

TEST(DocumentLoad, IntegersBeyond32BitsLoadWithTheRestAndAreBroughtIntoRangeWhereUsed) {
    Harness harness;
    auto stored = makeDefaultData();
    stored.profiles[0].name = "Mine";
    stored.activeProfileID = stored.profiles[0].id;
    QByteArray text = encoded(stored);
    // 12:00, the clock's time, falls inside 11:00 to 13:00 written many days away from today.
    text.replace("\"maxVoices\":12", "\"maxVoices\":5000000000");
    text.replace("\"quietHoursEnabled\":false", "\"quietHoursEnabled\":true");
    text.replace("\"quietStartMinutes\":1380", "\"quietStartMinutes\":-1439999999340");
    text.replace("\"quietEndMinutes\":480", "\"quietEndMinutes\":1440000000780");
    text.replace("\"coachStep\":1", "\"coachStep\":9223372036854775807");
    text.replace("\"masterVolume\":0.8", "\"masterVolume\":7.5");
    harness.writeDocument(text);

    auto &model = harness.started();
    EXPECT_TRUE(keptFiles(harness.folder()).isEmpty());
    EXPECT_EQ(model.data().activeProfile().name, "Mine");
    EXPECT_EQ(model.data().settings.maxVoices, 5'000'000'000);
    // Handed over whole; the engine builds its largest pool for it (see AudioEngineTest).
    const auto &calls = harness.audio.calls;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "setVoiceCount(5000000000)"), calls.end());
    EXPECT_TRUE(model.isInQuietHours());
    EXPECT_EQ(model.silence()->detail, "Sounds come back at 13:00.");
    EXPECT_EQ(harness.router.config()->masterVolume, 1.0f);

    model.advanceCoach(4); // the coach never goes back
    EXPECT_EQ(model.data().settings.coachStep, std::numeric_limits<std::int64_t>::max());

    // What was stored is what is written back.
    model.renameProfile(model.data().profiles[0].id, "Still mine");
    model.flushPendingSave();
    const auto saved = decodeAppData(harness.readDocument().toStdString());
    EXPECT_EQ(saved.settings.maxVoices, 5'000'000'000);
    EXPECT_EQ(saved.settings.quietStartMinutes, -1439999999340);
    EXPECT_EQ(saved.settings.coachStep, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(saved.settings.masterVolume, 7.5);
}

} // namespace
} // namespace tc::test
