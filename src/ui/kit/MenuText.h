#pragma once

#include <QIcon>
#include <QString>

class QAction;
class QFontMetricsF;
class QMenu;

namespace tc::MenuText {

// The widest a name grows in a menu item, in pixels of the menu's font.
inline constexpr int kMaxWidth = 320;

// `name` cut with "…" at kMaxWidth in `metrics`, as ShownText::elided() cuts it, worked out from a prefix only as
// long as the line needs (a few hundred items of 10,000 characters are shortened quickly).
QString shortened(const QFontMetricsF &metrics, const QString &name);

// A name as a menu item shows it: cut with "…" at kMaxWidth in `menu`'s font, worked out from its bounded prefix,
// and with an ampersand shown as itself rather than taken for a shortcut mark.
QString title(const QMenu &menu, const QString &name);

// Adds an item titled `prefix` followed by `name` (shortened as by title()). A shortened name's item has the
// whole name (bounded) as its tooltip, laid out when the item is first hovered, and the menu shows its items'
// tooltips.
QAction *add(QMenu &menu, const QString &name, const QIcon &icon = {}, const QString &prefix = {});

} // namespace tc::MenuText
