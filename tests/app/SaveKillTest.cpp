// A save killed at any moment never costs the document: a child process saves generation after generation of
// a large document and is killed with SIGKILL at a random point; the next start then finds the last finished
// generation or the one that was being written, whole, and no temporary file once it has cleared them.

#include "app/DocumentStore.h"
#include "app/helpers/LargeDocument.h"
#include "engine/AtomicFile.h"
#include "support/PipedChild.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace tc::test {
namespace {

// The save child: it prints each generation's number once that generation is on disk.
std::vector<std::string> saveChild(const QString &folder, std::int64_t firstGeneration) {
    return {TAPCHIME_SAVE_CHILD, folder.toStdString(), std::to_string(firstGeneration)};
}

bool hasTemporaries(const QString &folder) {
    const auto target = std::filesystem::path((folder + "/data.json").toStdString());
    for (const auto &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (isTemporaryFileFor(target, name.toStdString())) {
            return true;
        }
    }
    return false;
}

TEST(SaveKill, EveryStartAfterAKillFindsTheOldOrTheNewDocumentWholeAndNoTemporaries) {
    constexpr int kRounds = 20;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);

    QTemporaryDir dir;
    const QString folder = dir.path();
    // The first generation; how long its save takes sets the range of the kill moments, so that they fall
    // anywhere in a save: encoding the document, writing and flushing the temporary file, renaming it.
    std::chrono::microseconds saveTime{};
    {
        DocumentStore store(folder);
        auto first = largeDocument(0);
        const auto begin = std::chrono::steady_clock::now();
        store.save(std::move(first));
        ASSERT_TRUE(store.waitForWrites(std::chrono::seconds(60)));
        saveTime = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begin);
    }
    std::uniform_int_distribution<std::int64_t> moment(0, saveTime.count() * 3 / 2);
    std::int64_t onDisk = 0;
    int killedMidWrite = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        {
            PipedChild child(saveChild(folder, onDisk + 1));
            // A random number of finished saves, then a random moment within the next one.
            ASSERT_TRUE(child.waitForLines(std::uniform_int_distribution<std::size_t>(0, 8)(random)));
            std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
            child.kill();
            const std::int64_t lastFinished = child.lines().empty() ? onDisk : std::stoll(child.lines().back());
            killedMidWrite += hasTemporaries(folder) ? 1 : 0;

            DocumentStore store(folder);
            std::vector<std::string> lines;
            store.setLog([&lines](const std::string &line) { lines.push_back(line); });
            const auto loaded = store.load();
            ASSERT_EQ(loaded.source, DocumentStore::Source::file);
            EXPECT_TRUE(lines.empty());
            // The last generation the child finished, or the next one when it was renamed into place before
            // the child could say so.
            const std::int64_t generation = loaded.data.settings.coachStep;
            ASSERT_TRUE(generation == lastFinished || generation == lastFinished + 1)
                << "found " << generation << ", last finished " << lastFinished;
            EXPECT_TRUE(loaded.data == largeDocument(generation));
            EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"data.json"});
            onDisk = generation;
        }
    }
    // How many kills fell inside a write; varies from run to run and is not part of the assertion.
    std::cout << "kills during a write: " << killedMidWrite << " of " << kRounds << "\n";
}

} // namespace
} // namespace tc::test
