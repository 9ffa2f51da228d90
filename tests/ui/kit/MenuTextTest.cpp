// Menu items show a name shortened at a fixed width, worked out from as little of the name as the line needs, and
// tell a shortened name whole in their tooltip.

#include "ui/kit/MenuText.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/ToolTips.h"

#include "support/QtTestApp.h"

#include <QAction>
#include <QFontMetricsF>
#include <QMenu>
#include <QToolTip>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

QString repeated(const QString &unit, qsizetype length) {
    QString text;
    while (text.size() < length) {
        text += unit;
    }
    text.truncate(length);
    if (!text.isEmpty() && text.back().isHighSurrogate()) {
        text.chop(1);
    }
    return text;
}

TEST(MenuText, AShortenedNameIsWhatElidingTheWholeNameGives) {
    qtApp();
    QMenu menu;
    const QFontMetricsF metrics(menu.font());
    const QString face = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString accented = QString::fromUtf8("e\xCC\x81");
    for (const QString &unit : {QString("lorem ipsum "), QString("i"), QString("W"), QString("il. "), face, accented}) {
        for (const qsizetype length : {12, 30, 120, 128, 129, 260, 2000, 10000}) {
            const QString name = repeated(unit, length);
            SCOPED_TRACE((unit + " x " + QString::number(length)).toStdString());
            EXPECT_EQ(MenuText::shortened(metrics, name), ShownText::elided(metrics, name, MenuText::kMaxWidth));
        }
    }
}

TEST(MenuText, AShortenedItemTellsItsWholeNameOnceHovered) {
    qtApp();
    QMenu menu;
    const QString longName = repeated("a long & winding name ", 10000);
    QAction *shortItem = MenuText::add(menu, "Click & clack");
    QAction *longItem = MenuText::add(menu, longName, {}, "Duplicate ");
    EXPECT_EQ(shortItem->text(), QString("Click && clack"));
    EXPECT_TRUE(longItem->text().startsWith("Duplicate a long && winding name"));
    EXPECT_TRUE(longItem->text().endsWith(QChar(0x2026)));
    EXPECT_TRUE(menu.toolTipsVisible());

    for (QAction *item : {shortItem, longItem}) {
        menu.setActiveAction(item); // as the pointer or the arrow keys make it
    }
    EXPECT_EQ(longItem->toolTip(), ToolTips::shown("Duplicate " + longName, QToolTip::font()));
    // An item that shows its whole name has no tooltip of its own: QAction answers with its text.
    EXPECT_EQ(shortItem->toolTip(), QString("Click & clack"));
}

} // namespace
} // namespace tc::test
