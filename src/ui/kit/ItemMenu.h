#pragma once

#include <QMenu>
#include <QRect>
#include <QSize>

namespace tc {

// A menu that lists the user's own things (profiles, sounds, applications), of which there may be hundreds. It
// scrolls instead of spreading into columns as a plain menu taller than its screen does, so it is never taller
// than the screen and every item stays reachable: by the pointer through the scroll arrows and the wheel, by the
// keys through Up, Down, Home and End. Its items' names are cut by MenuText, and it is never wider than
// maxSize() allows. Main thread.
class ItemMenu : public QMenu {
public:
    explicit ItemMenu(QWidget *parent = nullptr);
    explicit ItemMenu(const QString &title, QWidget *parent = nullptr);

    // Adds a submenu titled `title` to `menu` that behaves as this one; `menu` owns it.
    static ItemMenu *addSubmenu(QMenu &menu, const QString &title);

    // The largest a menu is on a screen whose available area is `screen`: two thirds of its width, its height.
    static QSize maxSize(const QRect &screen);

    QSize sizeHint() const override;
};

} // namespace tc
