#include "app/shell/StatusNotifierItem.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QtEndian>
#include <unistd.h>

namespace tc {

namespace {

// The org.kde.StatusNotifierItem interface of the item: the few properties trays read, the clicks they send.
class ItemAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(tc::SniPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(tc::SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)

public:
    explicit ItemAdaptor(StatusNotifierItem *item) : QDBusAbstractAdaptor(item), item_(item) {
        setAutoRelaySignals(false);
        connect(item, &StatusNotifierItem::iconChanged, this, &ItemAdaptor::NewIcon);
    }

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("tapchime"); }
    QString title() const { return QStringLiteral("Tapchime"); }
    QString status() const { return QStringLiteral("Active"); }
    QString iconName() const { return {}; }
    SniPixmaps iconPixmap() const { return item_->iconPixmaps(); }
    SniToolTip toolTip() const { return {QString(), {}, QStringLiteral("Tapchime"), QString()}; }
    bool itemIsMenu() const { return false; }
    // No exported menu: the tray asks for the context menu with ContextMenu().
    QDBusObjectPath menu() const { return QDBusObjectPath(QStringLiteral("/NO_DBUSMENU")); }

public slots:
    void Activate(int x, int y) { emit item_->activated(QPoint(x, y)); }
    void SecondaryActivate(int x, int y) { emit item_->activated(QPoint(x, y)); }
    void ContextMenu(int x, int y) { emit item_->contextMenuRequested(QPoint(x, y)); }
    void Scroll(int, const QString &) {}

signals:
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString &status);

private:
    StatusNotifierItem *item_;
};

void registerTypes() {
    static const bool done = [] {
        qDBusRegisterMetaType<SniPixmap>();
        qDBusRegisterMetaType<SniPixmaps>();
        qDBusRegisterMetaType<SniToolTip>();
        return true;
    }();
    (void)done;
}

} // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const SniPixmap &pixmap) {
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.pixels;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, SniPixmap &pixmap) {
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.pixels;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const SniToolTip &toolTip) {
    argument.beginStructure();
    argument << toolTip.iconName << toolTip.images << toolTip.title << toolTip.text;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, SniToolTip &toolTip) {
    argument.beginStructure();
    argument >> toolTip.iconName >> toolTip.images >> toolTip.title >> toolTip.text;
    argument.endStructure();
    return argument;
}

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, std::function<bool()> embeddingTray, QObject *parent)
    : QObject(parent), bus_(std::move(bus)), embeddingTray_(std::move(embeddingTray)) {
    registerTypes();
    if (!bus_.isConnected() || !bus_.interface()) {
        return;
    }
    // Already there: Qt's own tray icon speaks the protocol.
    if (bus_.interface()->isServiceRegistered(QString::fromLatin1(kWatcherService))) {
        return;
    }
    watcher_ = new QDBusServiceWatcher(QString::fromLatin1(kWatcherService), bus_,
                                       QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] { watcherAppeared(); });
}

StatusNotifierItem::~StatusNotifierItem() {
    if (registered_) {
        bus_.unregisterObject(QString::fromLatin1(kItemPath));
        bus_.unregisterService(service_);
    }
}

SniPixmaps StatusNotifierItem::pixmaps(const QImage &image) {
    SniPixmaps list;
    if (image.isNull()) {
        return list;
    }
    for (const int side : {22, 44}) {
        const QImage scaled = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                  .convertToFormat(QImage::Format_ARGB32);
        SniPixmap pixmap{scaled.width(), scaled.height(), {}};
        pixmap.pixels.resize(static_cast<qsizetype>(scaled.width()) * scaled.height() * 4);
        auto *out = reinterpret_cast<quint32 *>(pixmap.pixels.data());
        for (int y = 0; y < scaled.height(); ++y) {
            const auto *row = reinterpret_cast<const quint32 *>(scaled.constScanLine(y));
            for (int x = 0; x < scaled.width(); ++x) {
                *out++ = qToBigEndian(row[x]);
            }
        }
        list.push_back(std::move(pixmap));
    }
    return list;
}

void StatusNotifierItem::setIcon(const QImage &image) {
    pixmaps_ = pixmaps(image);
    if (registered_) {
        emit iconChanged();
    }
}

void StatusNotifierItem::watcherAppeared() {
    if (registered_) {
        // A watcher that restarted forgets its items: tell the new one.
        registerItem();
        return;
    }
    if (embeddingTray_ && embeddingTray_()) {
        return; // a tray embeds Qt's icon: one icon is enough
    }
    service_ = QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(getpid());
    if (!findChild<ItemAdaptor *>()) {
        new ItemAdaptor(this);
    }
    if (!bus_.registerObject(QString::fromLatin1(kItemPath), this, QDBusConnection::ExportAdaptors) ||
        !bus_.registerService(service_)) {
        bus_.unregisterObject(QString::fromLatin1(kItemPath));
        return;
    }
    registered_ = true;
    registerItem();
}

void StatusNotifierItem::registerItem() {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kWatcherService), QString::fromLatin1(kWatcherPath), QString::fromLatin1(kWatcherService),
        QStringLiteral("RegisterStatusNotifierItem"));
    call << service_;
    bus_.asyncCall(call); // the answer changes nothing here
}

} // namespace tc

#include "StatusNotifierItem.moc"
