#include "ui/shell/MenuBarPopup.h"

#include "ui/kit/Theme.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace tc {

namespace {

constexpr int gap = 4;

} // namespace

MenuBarPopup::MenuBarPopup(AppModel &model, MenuBarView::Actions actions, QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("Tapchime"));
    // Both of the panel's ways out of it close it first.
    MenuBarView::Actions wrapped;
    wrapped.openMain = [this, open = std::move(actions.openMain)] {
        hide();
        if (open) {
            open();
        }
    };
    wrapped.quit = std::move(actions.quit);
    auto *layout = new QVBoxLayout(this);
    // One point of border around the panel, so it stands apart from whatever is behind it.
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    view_ = new MenuBarView(model, std::move(wrapped), this);
    layout->addWidget(view_);
}

QPoint MenuBarPopup::placement(const QRect &icon, const QSize &panel, const QRect &available) {
    const QRect anchor = icon.isEmpty() ? QRect(icon.topLeft(), QSize(1, 1)) : icon;
    int x = anchor.center().x() - panel.width() / 2;
    const bool below = anchor.center().y() < available.center().y();
    int y = below ? anchor.bottom() + 1 + gap : anchor.top() - gap - panel.height();
    x = std::clamp(x, available.left(), std::max(available.left(), available.right() + 1 - panel.width()));
    y = std::clamp(y, available.top(), std::max(available.top(), available.bottom() + 1 - panel.height()));
    return {x, y};
}

void MenuBarPopup::toggleAt(const QRect &iconGeometry) {
    if (isVisible()) {
        hide();
        return;
    }
    // The press on the icon that closed the popup arrives here as a click as well: do not reopen at once.
    if (sinceHidden_.isValid() && sinceHidden_.elapsed() < reopenGuard) {
        return;
    }
    showAt(iconGeometry);
}

void MenuBarPopup::showAt(const QRect &iconGeometry) {
    const QRect icon = iconGeometry.isEmpty() ? QRect(QCursor::pos(), QSize()) : iconGeometry;
    QScreen *screen = QGuiApplication::screenAt(icon.isEmpty() ? icon.topLeft() : icon.center());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    adjustSize();
    const QRect available = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), size());
    move(placement(icon, size(), available));
    show();
    raise();
    activateWindow();
}

void MenuBarPopup::hideEvent(QHideEvent *event) {
    sinceHidden_.start();
    QWidget::hideEvent(event);
}

void MenuBarPopup::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::border);
}

} // namespace tc
