// One running copy per user: a later launch hands over to the running copy and quits; a copy that does not
// answer, and a socket or folder of someone else, never keep the program from starting.

#include "app/shell/SingleInstance.h"
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
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

TEST(SingleInstance, ACopyThatHoldsItsSocketButDoesNotAnswerCountsAsGone) {
    tc::test::qtApp();
    QTemporaryDir dir;
    SilentSocket dying(socketIn(dir));
    ASSERT_TRUE(dying.bound());

    Launch copy(socketIn(dir));
    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(copy.copy.claim()); // it starts
    const auto waited = std::chrono::steady_clock::now() - before;
    EXPECT_TRUE(copy.copy.isListening());
    EXPECT_TRUE(dying.connected()); // it did ask
    EXPECT_GE(waited, std::chrono::milliseconds(tc::SingleInstance::kAnswerTimeoutMs - 50));
    EXPECT_LT(waited, std::chrono::seconds(3));
    ASSERT_EQ(copy.log.size(), 1u);
    EXPECT_NE(copy.log[0].find("did not answer"), std::string::npos) << copy.log[0];
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
