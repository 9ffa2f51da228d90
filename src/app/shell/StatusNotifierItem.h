#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>

class QDBusServiceWatcher;

namespace tc {

// One icon image as the StatusNotifier protocol carries it: ARGB32 pixels in network byte order.
struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray pixels;
};
using SniPixmaps = QList<SniPixmap>;
// The tooltip: an icon name, icon images, a title and a text.
struct SniToolTip {
    QString iconName;
    SniPixmaps images;
    QString title;
    QString text;
};

// The tray icon over the StatusNotifier protocol, for the one case Qt's own tray icon cannot serve: Qt decides
// once, when the program starts, whether to speak this protocol, so a StatusNotifier tray (a panel) that
// comes up after the program (as at login) would never get the icon. This object watches the bus for the
// StatusNotifier watcher; when it appears after the start and no tray that embeds icons is there
// (`embeddingTray` says), it registers the icon as a StatusNotifier item. Where the watcher is already there
// at the start, Qt speaks the protocol itself and this object stays idle.
//
// Main thread only; the connection is the session bus in the program, a private bus in tests.
class StatusNotifierItem : public QObject {
    Q_OBJECT
public:
    static constexpr const char *kWatcherService = "org.kde.StatusNotifierWatcher";
    static constexpr const char *kWatcherPath = "/StatusNotifierWatcher";
    static constexpr const char *kItemPath = "/StatusNotifierItem";

    StatusNotifierItem(QDBusConnection bus, std::function<bool()> embeddingTray, QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    // The icon shown (also while not registered, for when it is).
    void setIcon(const QImage &image);
    // Whether the item is offered on the bus now.
    bool isRegistered() const { return registered_; }
    // The item's bus name, once registered.
    const QString &serviceName() const { return service_; }

    // The icon in the protocol's form, at the sizes trays ask for most.
    static SniPixmaps pixmaps(const QImage &image);

    // Read by the bus adaptor.
    const SniPixmaps &iconPixmaps() const { return pixmaps_; }

signals:
    // A click on the icon (Activate), with the place the tray gives.
    void activated(QPoint at);
    // A right click (ContextMenu): the owner opens its menu there.
    void contextMenuRequested(QPoint at);
    // Signals of the protocol, sent by the adaptor.
    void iconChanged();

private:
    void watcherAppeared();
    void registerItem();

    QDBusConnection bus_;
    std::function<bool()> embeddingTray_;
    QDBusServiceWatcher *watcher_ = nullptr;
    SniPixmaps pixmaps_;
    QString service_;
    bool registered_ = false;
};

QDBusArgument &operator<<(QDBusArgument &argument, const SniPixmap &pixmap);
const QDBusArgument &operator>>(const QDBusArgument &argument, SniPixmap &pixmap);
QDBusArgument &operator<<(QDBusArgument &argument, const SniToolTip &toolTip);
const QDBusArgument &operator>>(const QDBusArgument &argument, SniToolTip &toolTip);

} // namespace tc

Q_DECLARE_METATYPE(tc::SniPixmap)
Q_DECLARE_METATYPE(tc::SniPixmaps)
Q_DECLARE_METATYPE(tc::SniToolTip)
