// The update component: version text, the switch on the feed, and real checks against a local HTTP server.

#include "app/shell/Updater.h"
#include "app/BuildInfo.h"
#include "app/VersionText.h"
#include "app/shell/Appcast.h"
#include "support/QtTestApp.h"

#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <optional>

namespace {

using tc::UpdateCheckResult;

// Serves one fixed HTTP response to every request, on the loopback address.
class FeedServer : public QObject {
public:
    explicit FeedServer(QByteArray body, QByteArray status = "200 OK") : body_(std::move(body)), status_(status) {
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    request_ += socket->readAll();
                    if (!request_.contains("\r\n\r\n")) {
                        return;
                    }
                    ++requests_;
                    socket->write("HTTP/1.1 " + status_ + "\r\nContent-Type: application/rss+xml\r\nContent-Length: " +
                                  QByteArray::number(body_.size()) + "\r\nConnection: close\r\n\r\n" + body_);
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        listening_ = server_.listen(QHostAddress::LocalHost, 0);
    }

    bool listening() const { return listening_; }
    QString url(const QString &path = QStringLiteral("/appcast.xml")) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }
    int requests() const { return requests_; }
    QByteArray request() const { return request_; }

private:
    QTcpServer server_;
    QByteArray body_;
    QByteArray status_;
    QByteArray request_;
    int requests_ = 0;
    bool listening_ = false;
};

QByteArray appcast(const QByteArray &items) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">\n"
           "<channel><title>Tapchime</title>" +
           items + "</channel></rss>\n";
}

QByteArray item(const QByteArray &shortVersion, const QByteArray &build, const QByteArray &url) {
    return "<item><title>Tapchime " + shortVersion + "</title><enclosure url=\"" + url + "\" sparkle:version=\"" +
           build + "\" sparkle:shortVersionString=\"" + shortVersion +
           "\" length=\"1\" type=\"application/octet-stream\"/></item>";
}

// Runs one check and returns what it reported.
std::optional<UpdateCheckResult> check(tc::Updater &updater) {
    std::optional<UpdateCheckResult> presented;
    updater.setPresenter([&presented](const UpdateCheckResult &result) { presented = result; });
    QSignalSpy finished(&updater, &tc::Updater::checkFinished);
    updater.checkForUpdates();
    if (finished.isEmpty() && !finished.wait(20000)) {
        return std::nullopt;
    }
    return presented;
}

} // namespace

TEST(Updater, VersionTextShowsVersionAndBuildWithQuestionMarksForMissingParts) {
    struct Case {
        std::optional<QString> shortVersion;
        std::optional<QString> build;
        const char *expected;
    };
    const Case cases[] = {
        {QStringLiteral("1.0.3"), QStringLiteral("42"), "1.0.3 (42)"},
        {QStringLiteral("1.0.3"), std::nullopt, "1.0.3 (?)"},
        {std::nullopt, QStringLiteral("42"), "? (42)"},
        {std::nullopt, std::nullopt, "? (?)"},
        {QString(), QStringLiteral("7"), "? (7)"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(tc::versionText(c.shortVersion, c.build), QString::fromUtf8(c.expected));
    }
    EXPECT_EQ(tc::versionText(), QStringLiteral("%1 (%2)").arg(QString::fromUtf8(tc::buildinfo::shortVersion),
                                                               QString::fromUtf8(tc::buildinfo::buildNumber)));
}

TEST(Updater, WithoutAFeedItCannotCheckAndACheckDoesNothing) {
    tc::test::qtApp();
    tc::Updater updater(QString(), QStringLiteral("1.0.0"), QStringLiteral("1"));
    EXPECT_FALSE(updater.canCheck());
    int presented = 0;
    updater.setPresenter([&presented](const UpdateCheckResult &) { ++presented; });
    QSignalSpy finished(&updater, &tc::Updater::checkFinished);
    updater.checkForUpdates();
    EXPECT_FALSE(updater.isChecking());
    EXPECT_EQ(presented, 0);
    EXPECT_EQ(finished.count(), 0);
}

TEST(Updater, FindsANewerVersionInTheFeed) {
    tc::test::qtApp();
    FeedServer server(appcast(item("1.0.0", "1", "https://example.org/tapchime-1.0.0.tar.gz") +
                              item("1.2.0", "9", "https://example.org/tapchime-1.2.0.tar.gz") +
                              item("1.1.5", "8", "https://example.org/tapchime-1.1.5.tar.gz")));
    ASSERT_TRUE(server.listening());
    tc::Updater updater(server.url(), QStringLiteral("1.0.0"), QStringLiteral("1"));
    ASSERT_TRUE(updater.canCheck());
    const std::optional<UpdateCheckResult> result = check(updater);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->outcome, UpdateCheckResult::Outcome::newer);
    EXPECT_EQ(result->version, QStringLiteral("1.2.0"));
    EXPECT_EQ(result->downloadLink, QStringLiteral("https://example.org/tapchime-1.2.0.tar.gz"));
    EXPECT_EQ(server.requests(), 1);
    EXPECT_TRUE(server.request().startsWith("GET /appcast.xml HTTP/1.1"));
}

TEST(Updater, SaysUpToDateWhenTheFeedHasNothingNewer) {
    tc::test::qtApp();
    FeedServer server(
        appcast(item("1.0.0", "1", "https://example.org/a") + item("0.9.0", "0", "https://example.org/b")));
    ASSERT_TRUE(server.listening());
    tc::Updater updater(server.url(), QStringLiteral("1.0.0"), QStringLiteral("1"));
    const std::optional<UpdateCheckResult> result = check(updater);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->outcome, UpdateCheckResult::Outcome::upToDate);
}

TEST(Updater, ReportsAFailureForABrokenFeedAMissingFeedAndAnUnreachableServer) {
    tc::test::qtApp();
    FeedServer broken("<rss><channel><item>");
    FeedServer missing("not here", "404 Not Found");
    ASSERT_TRUE(broken.listening());
    ASSERT_TRUE(missing.listening());
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const QString unreachable = QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(closed.serverPort());
    closed.close();
    for (const QString &feed : {broken.url(), missing.url(), unreachable, QStringLiteral("ftp://example.org/feed")}) {
        tc::Updater updater(feed, QStringLiteral("1.0.0"), QStringLiteral("1"));
        const std::optional<UpdateCheckResult> result = check(updater);
        ASSERT_TRUE(result) << feed.toStdString();
        EXPECT_EQ(result->outcome, UpdateCheckResult::Outcome::failed) << feed.toStdString();
        EXPECT_FALSE(result->error.isEmpty());
    }
}

TEST(Updater, ASecondCheckWhileOneRunsIsIgnored) {
    tc::test::qtApp();
    FeedServer server(appcast(item("2.0.0", "20", "https://example.org/x")));
    tc::Updater updater(server.url(), QStringLiteral("1.0.0"), QStringLiteral("1"));
    int presented = 0;
    updater.setPresenter([&presented](const UpdateCheckResult &) { ++presented; });
    QSignalSpy finished(&updater, &tc::Updater::checkFinished);
    updater.checkForUpdates();
    updater.checkForUpdates();
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(presented, 1);
    EXPECT_EQ(server.requests(), 1);
}

TEST(Appcast, ComparesVersionsByTheirNumbers) {
    struct Case {
        const char *a;
        const char *b;
        int sign;
    };
    const Case cases[] = {
        {"1.10", "1.9", 1},     {"1.0", "1.0.0", 0},
        {"1.0.1", "1.0", 1},    {"2", "10", -1},
        {"1.0b2", "1.0", -1},   {"1.0-rc1", "1.0", -1},
        {"v1.2", "1.2", 0},     {"1.2.3", "1.2.3", 0},
        {"0.9.9", "1.0.0", -1}, {"99999999999999999999", "1", 1},
    };
    for (const Case &c : cases) {
        const int result = tc::compareVersions(QString::fromLatin1(c.a), QString::fromLatin1(c.b));
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " vs " << c.b;
    }
}

TEST(Appcast, ReadsVersionsFromAttributesOrElementsAndKeepsOnlyWebLinks) {
    const QByteArray feed = appcast(
        "<item><title>Old</title><sparkle:version>3</sparkle:version>"
        "<sparkle:shortVersionString>1.1</sparkle:shortVersionString><link>https://example.org/1.1</link></item>"
        "<item><title>Newest</title><sparkle:version>5</sparkle:version>"
        "<sparkle:shortVersionString>1.3</sparkle:shortVersionString>"
        "<enclosure url=\"javascript:alert(1)\"/><link>file:///etc/passwd</link></item>"
        "<item><title>No version at all</title><link>https://example.org/9</link></item>");
    QString error;
    const std::optional<tc::AppcastItem> newest = tc::newestAppcastItem(feed, &error);
    ASSERT_TRUE(newest) << error.toStdString();
    EXPECT_EQ(newest->version, QStringLiteral("1.3"));
    EXPECT_EQ(newest->build, QStringLiteral("5"));
    EXPECT_EQ(newest->title, QStringLiteral("Newest"));
    EXPECT_TRUE(newest->downloadLink.isEmpty());
}

TEST(Appcast, EqualVersionsAreToldApartByTheirBuilds) {
    tc::AppcastItem item{QStringLiteral("1.0.0"), QStringLiteral("7"), {}, {}};
    EXPECT_TRUE(tc::isNewer(item, QStringLiteral("1.0.0"), QStringLiteral("6")));
    EXPECT_FALSE(tc::isNewer(item, QStringLiteral("1.0.0"), QStringLiteral("7")));
    EXPECT_FALSE(tc::isNewer(item, QStringLiteral("1.0.1"), QStringLiteral("1")));
    tc::AppcastItem noBuild{QStringLiteral("1.0.0"), {}, {}, {}};
    EXPECT_FALSE(tc::isNewer(noBuild, QStringLiteral("1.0.0"), QStringLiteral("1")));
}

TEST(Appcast, AFeedWithoutItemsOrNotXmlGivesNothingAndSaysWhy) {
    for (const QByteArray &feed : {appcast(""), QByteArray("<rss><channel>"), QByteArray("plain text")}) {
        QString error;
        EXPECT_FALSE(tc::newestAppcastItem(feed, &error));
        EXPECT_FALSE(error.isEmpty());
    }
}
