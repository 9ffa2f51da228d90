#include "ui/kit/ItemMenu.h"

#include <QApplication>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <algorithm>

namespace tc {

namespace {

// The application's style, except that a menu taller than its screen scrolls.
class ScrollingMenuStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *answer) const override {
        if (hint == SH_Menu_Scrollable) {
            return 1;
        }
        return QProxyStyle::styleHint(hint, option, widget, answer);
    }
};

// One for every item menu, kept as long as the application.
QStyle *scrollingMenuStyle() {
    static QPointer<QStyle> style;
    if (!style) {
        style = new ScrollingMenuStyle(QStyleFactory::create(QApplication::style()->name()));
        style->setParent(qApp);
    }
    return style;
}

} // namespace

ItemMenu::ItemMenu(QWidget *parent) : ItemMenu(QString(), parent) {}

ItemMenu::ItemMenu(const QString &title, QWidget *parent) : QMenu(title, parent) {
    setStyle(scrollingMenuStyle());
}

ItemMenu *ItemMenu::addSubmenu(QMenu &menu, const QString &title) {
    auto *submenu = new ItemMenu(title, &menu);
    menu.addMenu(submenu);
    return submenu;
}

QSize ItemMenu::maxSize(const QRect &screen) {
    return {screen.width() * 2 / 3, screen.height()};
}

QSize ItemMenu::sizeHint() const {
    // The height is the scrolling menu's own business: it is cut to the screen where the menu opens.
    const QScreen *shown = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    const QSize hint = QMenu::sizeHint();
    if (shown == nullptr) {
        return hint;
    }
    return {std::min(hint.width(), maxSize(shown->availableGeometry()).width()), hint.height()};
}

} // namespace tc
