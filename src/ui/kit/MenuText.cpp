#include "ui/kit/MenuText.h"

#include "ui/kit/ShownText.h"
#include "ui/kit/ToolTips.h"

#include <QAction>
#include <QFontMetricsF>
#include <QMenu>
#include <QToolTip>

namespace tc::MenuText {

namespace {

QString escaped(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

QString title(const QMenu &menu, const QString &name) {
    return escaped(ShownText::elided(QFontMetricsF(menu.font()), name, kMaxWidth));
}

QAction *add(QMenu &menu, const QString &name, const QIcon &icon, const QString &prefix) {
    const QString shortened = ShownText::elided(QFontMetricsF(menu.font()), name, kMaxWidth);
    QAction *action = menu.addAction(icon, escaped(prefix) + escaped(shortened));
    if (shortened != name) {
        // QMenu shows an item's tooltip as given: it is laid out here as every other tooltip is.
        action->setToolTip(ToolTips::shown(prefix + name, QToolTip::font()));
        menu.setToolTipsVisible(true);
    }
    return action;
}

} // namespace tc::MenuText
