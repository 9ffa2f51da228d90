// A save killed at any moment never costs the document: a child process saves generation after generation of
// a large document and is killed with SIGKILL at a random point; the next start then finds the last finished
// generation or the one that was being written, whole, and no temporary file once it has cleared them.

#include "app/DocumentStore.h"
#include "app/helpers/LargeDocument.h"
#include "engine/AtomicFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

namespace tc::test {
namespace {

// The save child, with its standard output on a pipe the test reads generation numbers from.
class SaveChild {
public:
    SaveChild(const QString &folder, std::int64_t firstGeneration) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            throw std::runtime_error("no pipe");
        }
        readEnd_ = fds[0];
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        const std::string program = TAPCHIME_SAVE_CHILD;
        const std::string folderArgument = folder.toStdString();
        const std::string generationArgument = std::to_string(firstGeneration);
        char *argv[] = {const_cast<char *>(program.c_str()), const_cast<char *>(folderArgument.c_str()),
                        const_cast<char *>(generationArgument.c_str()), nullptr};
        const int error = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (error != 0) {
            close(readEnd_);
            throw std::runtime_error("cannot start " + program);
        }
    }
    ~SaveChild() {
        kill();
        close(readEnd_);
    }
    SaveChild(const SaveChild &) = delete;
    SaveChild &operator=(const SaveChild &) = delete;

    // Reads generation numbers until `count` more have arrived (or the child ended); false on a time-out.
    bool waitForGenerations(std::size_t count) {
        while (finished_.size() < count) {
            if (!readSome(std::chrono::seconds(60))) {
                return false;
            }
        }
        return true;
    }

    // SIGKILL, then every number the child printed before it died.
    void kill() {
        if (pid_ <= 0) {
            return;
        }
        ::kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        while (readSome(std::chrono::seconds(0))) {
        }
    }

    const std::vector<std::int64_t> &finished() const { return finished_; }

private:
    // One read from the pipe; false at its end or when nothing came within `timeout`.
    bool readSome(std::chrono::milliseconds timeout) {
        pollfd poller{readEnd_, POLLIN, 0};
        if (poll(&poller, 1, static_cast<int>(timeout.count())) <= 0) {
            return false;
        }
        char buffer[256];
        const ssize_t got = read(readEnd_, buffer, sizeof buffer);
        if (got <= 0) {
            return false;
        }
        for (ssize_t i = 0; i < got; ++i) {
            if (buffer[i] == '\n') {
                finished_.push_back(std::stoll(line_));
                line_.clear();
            } else {
                line_ += buffer[i];
            }
        }
        return true;
    }

    pid_t pid_ = -1;
    int readEnd_ = -1;
    std::string line_;
    std::vector<std::int64_t> finished_;
};

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
            SaveChild child(folder, onDisk + 1);
            // A random number of finished saves, then a random moment within the next one.
            ASSERT_TRUE(child.waitForGenerations(std::uniform_int_distribution<std::size_t>(0, 8)(random)));
            std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
            child.kill();
            const std::int64_t lastFinished = child.finished().empty() ? onDisk : child.finished().back();
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
