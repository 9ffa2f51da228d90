#include "ui/kit/MenuText.h"

#include "ui/kit/ShownText.h"
#include "ui/kit/ToolTips.h"

#include <QAction>
#include <QFontMetricsF>
#include <QMenu>
#include <QToolTip>
#include <QVariant>

namespace tc::MenuText {

namespace {

// The whole name an item's tooltip tells, kept on the item until the item is first hovered.
constexpr char kWholeName[] = "tcMenuTextWholeName";
// Set on a menu once it lays out its items' tooltips when they are hovered.
constexpr char kTipsOnHover[] = "tcMenuTextTipsOnHover";

// A shortened name is cut this far at least before the end of the prefix it was worked out from, so the cut
// is where the whole name's would be: shaping reaches only a few characters either side of a character.
constexpr qsizetype kMargin = 8;

QString escaped(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// Laying out a tooltip measures its text piece by piece, and a menu of hundreds of long names would do that for
// every item it shows: an item's tooltip is laid out when the item is first hovered, which always comes before
// the tooltip is asked for.
void layOutTipOnHover(QMenu &menu) {
    if (menu.property(kTipsOnHover).toBool()) {
        return;
    }
    menu.setProperty(kTipsOnHover, true);
    QObject::connect(&menu, &QMenu::hovered, &menu, [](QAction *action) {
        const QVariant whole = action->property(kWholeName);
        if (whole.isValid()) {
            action->setProperty(kWholeName, QVariant());
            action->setToolTip(ToolTips::shown(whole.toString(), QToolTip::font()));
        }
    });
}

} // namespace

QString shortened(const QFontMetricsF &metrics, const QString &name) {
    // A line of kMaxWidth holds far fewer characters than ShownText's bound, so the name is elided from a short
    // prefix first, twice as long each time the cut falls too near its end.
    for (qsizetype length = 128; length < ShownText::kMaxCharacters && length < name.size(); length *= 2) {
        const QString cut = metrics.elidedText(ShownText::bounded(name, length), Qt::ElideRight, kMaxWidth);
        if (cut.size() + kMargin <= length) {
            return cut;
        }
    }
    return ShownText::elided(metrics, name, kMaxWidth);
}

QString title(const QMenu &menu, const QString &name) {
    return escaped(shortened(QFontMetricsF(menu.font()), name));
}

QAction *add(QMenu &menu, const QString &name, const QIcon &icon, const QString &prefix) {
    const QString shown = shortened(QFontMetricsF(menu.font()), name);
    QAction *action = menu.addAction(icon, escaped(prefix) + escaped(shown));
    if (shown != name) {
        // QMenu shows an item's tooltip as given: it is laid out as every other tooltip is, when first needed.
        action->setProperty(kWholeName, prefix + name);
        layOutTipOnHover(menu);
        menu.setToolTipsVisible(true);
    }
    return action;
}

} // namespace tc::MenuText
