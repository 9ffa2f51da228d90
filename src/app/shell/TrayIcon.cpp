#include "app/shell/TrayIcon.h"

#include "app/shell/StatusNotifierItem.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace tc {

TrayIcon::TrayIcon(QColor ink, QObject *parent) : TrayIcon(ink, QDBusConnection::sessionBus(), parent) {}

TrayIcon::TrayIcon(QColor ink, QDBusConnection bus, QObject *parent)
    : QObject(parent), tray_(new QSystemTrayIcon(this)), ink_(ink) {
    // Made right after Qt's icon, so both see the same bus: where a StatusNotifier tray is up now, Qt uses it.
    lateItem_ = new StatusNotifierItem(
        std::move(bus), [] { return QSystemTrayIcon::isSystemTrayAvailable(); }, this);
    lateItem_->setIcon(MenuBarIcon::image(state_, ink_, 2.0));
    connect(lateItem_, &StatusNotifierItem::activated, this,
            [this](QPoint at) { emit clicked(QRect(at, QSize(1, 1))); });
    connect(lateItem_, &StatusNotifierItem::contextMenuRequested, this, [this](QPoint at) {
        if (menu_) {
            menu_->popup(at);
        }
    });
    tray_->setIcon(MenuBarIcon::icon(state_, ink_));
    tray_->setToolTip(QStringLiteral("Tapchime"));
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
            emit clicked(tray_->geometry());
        }
    });
}

TrayIcon::~TrayIcon() = default;

bool TrayIcon::isAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QColor TrayIcon::inkFor(const QString &currentDesktop, const QColor &desktopText) {
    for (const QString &desktop : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (desktop.compare(QLatin1String("KDE"), Qt::CaseInsensitive) == 0 ||
            desktop.compare(QLatin1String("MATE"), Qt::CaseInsensitive) == 0) {
            return desktopText;
        }
    }
    return Qt::white;
}

void TrayIcon::setSilence(const std::optional<Silence> &silence) {
    const MenuBarIcon::State next = MenuBarIcon::state(silence);
    if (next == state_) {
        return;
    }
    state_ = next;
    tray_->setIcon(MenuBarIcon::icon(state_, ink_));
    lateItem_->setIcon(MenuBarIcon::image(state_, ink_, 2.0));
}

void TrayIcon::setContextMenu(QMenu *menu) {
    menu_ = menu;
    tray_->setContextMenu(menu);
}

void TrayIcon::show() {
    tray_->show();
}

} // namespace tc
