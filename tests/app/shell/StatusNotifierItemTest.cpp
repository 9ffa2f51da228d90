// A StatusNotifier tray that comes up after the program gets the icon, its clicks and its menu requests.

#include "app/shell/StatusNotifierItem.h"
#include "app/shell/TrayIcon.h"
#include "support/PrivateBus.h"
#include "support/QtTestApp.h"
#include "support/Wait.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVirtualObject>
#include <QMenu>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

// The watcher a tray runs: remembers the items that register with it.
class FakeWatcher final : public QDBusVirtualObject {
public:
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override {
        if (message.member() == QLatin1String("RegisterStatusNotifierItem") && !message.arguments().isEmpty()) {
            items << message.arguments().constFirst().toString();
            connection.send(message.createReply());
            return true;
        }
        return false;
    }
    QStringList items;
};

struct Bus {
    PrivateBus daemon;
    QDBusConnection connection(const QString &name) {
        return QDBusConnection::connectToBus(QString::fromStdString(daemon.address()), name);
    }
};

bool waitWithEvents(const std::function<bool()> &done) {
    return waitUntil([&] {
        QCoreApplication::processEvents();
        return done();
    });
}

// Lets every bus signal sent to `connection` so far arrive and be handled: a round trip to the bus daemon comes
// back after them.
void settle(QDBusConnection &connection) {
    connection.interface()->isServiceRegistered(QStringLiteral("org.example.Nobody"));
    QCoreApplication::processEvents();
}

// Calls a method of the item from the tray's side, letting this thread serve the item meanwhile.
QDBusMessage callItem(QDBusConnection &tray, const QString &service, const QString &interface, const QString &method,
                      const QVariantList &arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, StatusNotifierItem::kItemPath, interface, method);
    call.setArguments(arguments);
    QDBusPendingCall pending = tray.asyncCall(call);
    waitWithEvents([&] { return pending.isFinished(); });
    return pending.reply();
}

TEST(StatusNotifierItem, ATrayThatComesUpLaterGetsTheIconAndSendsItsClicks) {
    qtApp();
    Bus bus;
    QDBusConnection program = bus.connection("sni-late-program");
    ASSERT_TRUE(program.isConnected());
    TrayIcon tray(Qt::white, program);
    QMenu menu;
    tray.setContextMenu(&menu);
    StatusNotifierItem *item = tray.lateTrayItem();
    settle(program);
    EXPECT_FALSE(item->isRegistered()); // no tray yet

    QDBusConnection host = bus.connection("sni-late-host");
    FakeWatcher watcher;
    ASSERT_TRUE(host.registerVirtualObject(StatusNotifierItem::kWatcherPath, &watcher));
    ASSERT_TRUE(host.registerService(StatusNotifierItem::kWatcherService));
    ASSERT_TRUE(waitWithEvents([&] { return !watcher.items.isEmpty(); }));
    EXPECT_TRUE(item->isRegistered());
    EXPECT_EQ(watcher.items, QStringList{item->serviceName()});

    // The tray reads what it shows.
    const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
    const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");
    const QDBusMessage id = callItem(host, item->serviceName(), properties, "Get", {itemInterface, "Id"});
    ASSERT_EQ(id.type(), QDBusMessage::ReplyMessage) << id.errorMessage().toStdString();
    EXPECT_EQ(id.arguments().constFirst().value<QDBusVariant>().variant().toString(), QStringLiteral("tapchime"));
    const QDBusMessage icon = callItem(host, item->serviceName(), properties, "Get", {itemInterface, "IconPixmap"});
    ASSERT_EQ(icon.type(), QDBusMessage::ReplyMessage) << icon.errorMessage().toStdString();
    SniPixmaps pixmaps;
    icon.arguments().constFirst().value<QDBusVariant>().variant().value<QDBusArgument>() >> pixmaps;
    ASSERT_FALSE(pixmaps.isEmpty());
    for (const SniPixmap &pixmap : pixmaps) {
        EXPECT_EQ(pixmap.pixels.size(), static_cast<qsizetype>(pixmap.width) * pixmap.height * 4);
        EXPECT_GT(pixmap.pixels.count(char(0xFF)), 0) << "an icon with no opaque pixel";
    }

    // A click opens the panel where the tray says; a right click asks for the menu.
    QSignalSpy clicked(&tray, &TrayIcon::clicked);
    QSignalSpy menuAsked(item, &StatusNotifierItem::contextMenuRequested);
    callItem(host, item->serviceName(), itemInterface, "Activate", {12, 34});
    callItem(host, item->serviceName(), itemInterface, "ContextMenu", {5, 6});
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toRect().topLeft(), QPoint(12, 34));
    EXPECT_EQ(menuAsked.count(), 1);
    menu.close();
}

TEST(StatusNotifierItem, StaysIdleWhereTheTrayWasThereFirst) {
    qtApp();
    Bus bus;
    QDBusConnection host = bus.connection("sni-first-host");
    FakeWatcher watcher;
    ASSERT_TRUE(host.registerVirtualObject(StatusNotifierItem::kWatcherPath, &watcher));
    ASSERT_TRUE(host.registerService(StatusNotifierItem::kWatcherService));

    // Qt's own icon speaks the protocol then; a second item would be a second icon.
    QDBusConnection program = bus.connection("sni-first-program");
    StatusNotifierItem item(program, [] { return false; });
    host.unregisterService(StatusNotifierItem::kWatcherService);
    host.registerService(StatusNotifierItem::kWatcherService); // a restarted watcher
    settle(program);
    EXPECT_FALSE(item.isRegistered());

    // Nor where a tray embeds the icon when the watcher comes.
    QDBusConnection other = bus.connection("sni-embedding-program");
    host.unregisterService(StatusNotifierItem::kWatcherService);
    StatusNotifierItem embedded(other, [] { return true; });
    host.registerService(StatusNotifierItem::kWatcherService);
    settle(other);
    EXPECT_FALSE(embedded.isRegistered());
    EXPECT_TRUE(watcher.items.isEmpty());
}

} // namespace
} // namespace tc::test
