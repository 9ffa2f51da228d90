// One running copy per data folder, and per user: a later launch hands over to the running copy and quits; a copy
// that holds the data folder but does not answer keeps it out; a socket or folder of someone else never keeps the
// program from starting.

#include "app/shell/SingleInstance.h"
#include "app/shell/SecondLaunch.h"
#include "engine/linux/DataFolderLock.h"
#include "support/QtTestApp.h"
#include "support/ScopedEnv.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using tc::test::waitUntil;

namespace {

// A socket path of this test alone, so tests running in parallel never meet.
QString socketIn(const QTemporaryDir &dir) {
    return dir.filePath(QStringLiteral("tapchime.socket"));
}

// The running copy, on a thread of its own with its own event loop, as another process would be.
class RunningCopy : public QThread {
public:
    explicit RunningCopy(QString name) : name_(std::move(name)) {
        auto ready = ready_.get_future();
        start();
        ready.wait();
    }
    ~RunningCopy() override {
        quit();
        wait();
    }
    std::atomic<int> activations{0};
    bool claimed = false;

protected:
    void run() override {
        tc::SingleInstance copy(name_, nullptr, [](const std::string &) {});
        QObject::connect(&copy, &tc::SingleInstance::activateRequested, [this] { ++activations; });
        claimed = copy.claim();
        ready_.set_value();
        exec();
    }

private:
    QString name_;
    std::promise<void> ready_;
};

// A later launch, with what it logs.
struct Launch {
    explicit Launch(const QString &name)
        : copy(name, nullptr, [this](const std::string &line) { log.push_back(line); }) {}
    std::vector<std::string> log;
    tc::SingleInstance copy;
};

// A socket that takes connections into its queue and never accepts one: a copy that is dying, or hangs.
class SilentSocket {
public:
    explicit SilentSocket(const QString &path) : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::copy(name.begin(), name.end(), address.sun_path);
        bound_ =
            ::bind(fd_, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 && ::listen(fd_, 8) == 0;
    }
    ~SilentSocket() { ::close(fd_); }
    bool bound() const { return bound_; }
    // Whether anybody has connected (the connection waits in the queue).
    bool connected() const {
        const int peer = ::accept(fd_, nullptr, nullptr);
        if (peer < 0) {
            return false;
        }
        ::close(peer);
        return true;
    }

private:
    int fd_;
    bool bound_ = false;
};

mode_t modeOf(const QString &path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode : 0;
}

uid_t ownerOf(const QString &path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_uid : static_cast<uid_t>(-1);
}

constexpr uid_t kSomeoneElse = 65534; // nobody

} // namespace

TEST(SingleInstance, SecondLaunchFindsTheRunningCopyAndAsksItToActivate) {
    tc::test::qtApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    RunningCopy first(socketIn(dir));
    ASSERT_TRUE(first.claimed);

    Launch second(socketIn(dir));
    EXPECT_FALSE(second.copy.claim());
    EXPECT_FALSE(second.copy.isListening());
    EXPECT_TRUE(second.log.empty());
    EXPECT_TRUE(waitUntil([&] { return first.activations == 1; }));
}

TEST(SingleInstance, EveryLaterLaunchActivatesTheRunningCopyAgain) {
    tc::test::qtApp();
    QTemporaryDir dir;
    RunningCopy first(socketIn(dir));
    ASSERT_TRUE(first.claimed);
    for (int launch = 0; launch < 3; ++launch) {
        Launch later(socketIn(dir));
        EXPECT_FALSE(later.copy.claim());
    }
    EXPECT_TRUE(waitUntil([&] { return first.activations == 3; }));
}

TEST(SingleInstance, ASocketLeftByACrashedCopyIsTakenOver) {
    tc::test::qtApp();
    QTemporaryDir dir;
    QFile stale(socketIn(dir));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();

    Launch copy(socketIn(dir));
    EXPECT_TRUE(copy.copy.claim());
    EXPECT_TRUE(copy.copy.isListening());
}

// The data folder's lock, not the socket, says whether a copy runs: a later launch that finds it held only asks the
// holder to show its window, however slow the holder is, and starts only if the holder ends meanwhile.
TEST(SingleInstance, ALaunchThatFindsTheDataFolderHeldOnlyAsksItsHolder) {
    using tc::SecondLaunch::Outcome;
    constexpr auto kLongPatience = std::chrono::seconds(30); // never reached: these holders answer or end
    struct Case {
        const char *holder;
        Outcome outcome;
    };
    const Case cases[] = {{"answers", Outcome::shown},
                          {"starts listening a moment after it took the lock", Outcome::shown},
                          {"is stopped: takes the connection and never answers", Outcome::notAnswering},
                          {"ends while it is asked", Outcome::lockTaken}};
    tc::test::qtApp();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.holder);
        QTemporaryDir dir;
        const std::string folder = dir.filePath("data").toStdString();
        auto held = std::make_unique<tc::DataFolderLock>(folder);
        ASSERT_TRUE(held->held());
        tc::DataFolderLock launch(folder);
        ASSERT_EQ(launch.state(), tc::DataFolderLock::State::heldElsewhere);

        std::unique_ptr<RunningCopy> answering;
        auto silent = std::make_unique<SilentSocket>(socketIn(dir));
        std::thread later;
        const std::string holder = c.holder;
        if (holder == "answers") {
            silent.reset();
            answering = std::make_unique<RunningCopy>(socketIn(dir));
        } else if (holder.starts_with("starts")) {
            silent.reset();
            later = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                answering = std::make_unique<RunningCopy>(socketIn(dir));
            });
        } else if (holder.starts_with("ends")) {
            later = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                silent.reset();
                held.reset();
            });
        }
        const auto patience = c.outcome == Outcome::notAnswering ? tc::SecondLaunch::kPatience : kLongPatience;
        EXPECT_EQ(tc::SecondLaunch::reachHolder(launch, socketIn(dir), patience), c.outcome);
        if (later.joinable()) {
            later.join();
        }
        EXPECT_EQ(launch.held(), c.outcome == Outcome::lockTaken);
        if (answering) {
            EXPECT_TRUE(waitUntil([&] { return answering->activations == 1; }));
        }
        if (silent) {
            EXPECT_TRUE(silent->connected()); // it did ask
        }
    }
}

TEST(SingleInstance, OnlyTheActivateMessageActivatesAndIsAnswered) {
    tc::test::qtApp();
    QTemporaryDir dir;
    RunningCopy first(socketIn(dir));
    ASSERT_TRUE(first.claimed);

    QLocalSocket stranger;
    stranger.connectToServer(socketIn(dir));
    ASSERT_TRUE(stranger.waitForConnected(5000));
    stranger.write(QByteArray(500, 'x') + "\nquit\nactivate now\nactivate\n");
    stranger.waitForBytesWritten(5000);
    EXPECT_TRUE(waitUntil([&] { return first.activations == 1; }));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!stranger.canReadLine() && std::chrono::steady_clock::now() < deadline) {
        stranger.waitForReadyRead(50);
    }
    EXPECT_EQ(stranger.readAll(), QByteArray("activated\n"));
    EXPECT_EQ(first.activations, 1); // the lines before the last asked for nothing
}

TEST(SingleInstance, WithoutARuntimeFolderTheSocketLivesInAFolderOfTheUsersOwn) {
    QTemporaryDir temporary;
    const QString tmp = temporary.path();
    tc::test::ScopedEnv noRuntime("XDG_RUNTIME_DIR", nullptr);
    tc::test::ScopedEnv tmpdir("TMPDIR", tmp.toStdString());
    const QString folder = QDir(tmp).filePath(QStringLiteral("tapchime-%1").arg(::getuid()));

    // Made for it, closed to everyone else.
    EXPECT_EQ(tc::SingleInstance::defaultServerName(), QDir(folder).filePath("tapchime.socket"));
    EXPECT_EQ(modeOf(folder) & 07777, 0700u);
    EXPECT_EQ(ownerOf(folder), ::getuid());

    // One of the user's own that others could reach is closed first.
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
    EXPECT_EQ(tc::SingleInstance::defaultServerName(), QDir(folder).filePath("tapchime.socket"));
    EXPECT_EQ(modeOf(folder) & 07777, 0700u);

    // A link put in its place is never followed, not even to a folder of the user's.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), folder));
    EXPECT_TRUE(tc::SingleInstance::defaultServerName().isEmpty());
    ASSERT_TRUE(QFile::remove(folder));

    // Someone else's folder under that name is never used.
    if (::getuid() == 0) {
        ASSERT_TRUE(QDir().mkdir(folder));
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0700), 0);
        ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), kSomeoneElse, kSomeoneElse), 0);
        EXPECT_TRUE(tc::SingleInstance::defaultServerName().isEmpty());
        EXPECT_EQ(ownerOf(folder), kSomeoneElse);
    }

    // Without a folder the program still starts, alone and without a socket.
    tc::test::qtApp();
    Launch copy(QString{});
    EXPECT_TRUE(copy.copy.claim());
    EXPECT_FALSE(copy.copy.isListening());
    EXPECT_EQ(copy.log.size(), 1u);
}

TEST(SingleInstance, ARuntimeFolderOthersMayWriteToIsNotUsed) {
    QTemporaryDir temporary;
    QTemporaryDir runtime;
    ASSERT_EQ(::chmod(QFile::encodeName(runtime.path()).constData(), 0777), 0);
    tc::test::ScopedEnv runtimeVar("XDG_RUNTIME_DIR", runtime.path().toStdString());
    tc::test::ScopedEnv tmpdir("TMPDIR", temporary.path().toStdString());
    const QString name = tc::SingleInstance::defaultServerName();
    EXPECT_TRUE(name.startsWith(temporary.path() + "/tapchime-")) << name.toStdString();

    ASSERT_EQ(::chmod(QFile::encodeName(runtime.path()).constData(), 0700), 0);
    EXPECT_EQ(tc::SingleInstance::defaultServerName(), QDir(runtime.path()).filePath("tapchime.socket"));
}

TEST(SingleInstance, ASocketOfAnotherUserIsNeverTalkedTo) {
    if (::getuid() != 0) {
        GTEST_SKIP() << "needs to hand a socket to another user";
    }
    tc::test::qtApp();
    QTemporaryDir dir;
    SilentSocket foreign(socketIn(dir));
    ASSERT_TRUE(foreign.bound());
    ASSERT_EQ(::chown(QFile::encodeName(socketIn(dir)).constData(), kSomeoneElse, kSomeoneElse), 0);

    Launch copy(socketIn(dir));
    EXPECT_TRUE(copy.copy.claim());
    EXPECT_FALSE(foreign.connected()); // not even asked
    EXPECT_TRUE(copy.copy.isListening());
    EXPECT_EQ(ownerOf(socketIn(dir)), ::getuid());
    ASSERT_EQ(copy.log.size(), 1u);
}

TEST(SingleInstance, DefaultNameIsPerUser) {
    const QString name = tc::SingleInstance::defaultServerName();
    EXPECT_FALSE(name.isEmpty());
    EXPECT_TRUE(name.endsWith(QStringLiteral("tapchime.socket")));
}
