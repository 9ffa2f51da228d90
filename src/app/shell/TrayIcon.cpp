#include "app/shell/TrayIcon.h"

#include <QSystemTrayIcon>

namespace tc {

TrayIcon::TrayIcon(QColor ink, QObject *parent) : QObject(parent), tray_(new QSystemTrayIcon(this)), ink_(ink) {
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
}

void TrayIcon::setContextMenu(QMenu *menu) {
    tray_->setContextMenu(menu);
}

void TrayIcon::show() {
    tray_->show();
}

} // namespace tc
