// One running copy per user: a later launch hands over to the running copy and quits.

#include "app/shell/SingleInstance.h"
#include "support/QtTestApp.h"

#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A socket path of this test alone, so tests running in parallel never meet.
QString socketIn(const QTemporaryDir &dir) {
    return dir.filePath(QStringLiteral("tapchime.socket"));
}

} // namespace

TEST(SingleInstance, SecondLaunchFindsTheRunningCopyAndAsksItToActivate) {
    tc::test::qtApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    tc::SingleInstance first(socketIn(dir));
    QSignalSpy activated(&first, &tc::SingleInstance::activateRequested);
    ASSERT_TRUE(first.claim());
    EXPECT_TRUE(first.isListening());

    tc::SingleInstance second(socketIn(dir));
    EXPECT_FALSE(second.claim());
    EXPECT_FALSE(second.isListening());

    EXPECT_TRUE(activated.count() == 1 || activated.wait(10000));
    EXPECT_EQ(activated.count(), 1);
}

TEST(SingleInstance, EveryLaterLaunchActivatesTheRunningCopyAgain) {
    tc::test::qtApp();
    QTemporaryDir dir;
    tc::SingleInstance first(socketIn(dir));
    QSignalSpy activated(&first, &tc::SingleInstance::activateRequested);
    ASSERT_TRUE(first.claim());
    for (int launch = 0; launch < 3; ++launch) {
        tc::SingleInstance later(socketIn(dir));
        EXPECT_FALSE(later.claim());
    }
    for (int i = 0; i < 100 && activated.count() < 3; ++i) {
        activated.wait(100);
    }
    EXPECT_EQ(activated.count(), 3);
}

TEST(SingleInstance, ASocketLeftByACrashedCopyIsTakenOver) {
    tc::test::qtApp();
    QTemporaryDir dir;
    QFile stale(socketIn(dir));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();

    tc::SingleInstance copy(socketIn(dir));
    EXPECT_TRUE(copy.claim());
    EXPECT_TRUE(copy.isListening());
}

TEST(SingleInstance, OnlyTheActivateMessageActivates) {
    tc::test::qtApp();
    QTemporaryDir dir;
    tc::SingleInstance first(socketIn(dir));
    QSignalSpy activated(&first, &tc::SingleInstance::activateRequested);
    ASSERT_TRUE(first.claim());

    QLocalSocket stranger;
    stranger.connectToServer(socketIn(dir));
    ASSERT_TRUE(stranger.waitForConnected(5000));
    stranger.write(QByteArray(500, 'x') + "\nquit\nactivate now\nactivate\n");
    stranger.waitForBytesWritten(5000);
    EXPECT_TRUE(activated.wait(10000));
    EXPECT_EQ(activated.count(), 1); // the lines before the last asked for nothing
}

TEST(SingleInstance, DefaultNameIsPerUser) {
    const QString name = tc::SingleInstance::defaultServerName();
    EXPECT_FALSE(name.isEmpty());
    EXPECT_TRUE(name.endsWith(QStringLiteral("tapchime.socket")) || name.startsWith(QStringLiteral("tapchime-")));
}
