// Tooltips never break a phrase: Qt wraps a rich-text tooltip into a box, so a short help such as "Put this
// sound on 2 keys" took three lines; every tooltip now shows whole words on lines of a bounded width.

#include "ui/kit/ToolTips.h"

#include "ui/kit/ShownText.h"

#include "ui/ShellTestApp.h"

#include <QFontMetricsF>
#include <QPushButton>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

// The lines of a shown tooltip, as plain text.
QStringList shownLines(const QString &text, const QFont &font) {
    QTextDocument document;
    document.setHtml(ToolTips::shown(text, font));
    // A line break is a line separator or a new line in the plain text.
    return document.toPlainText().replace(QChar(0x2028), QLatin1Char('\n')).split(QLatin1Char('\n'));
}

TEST(ToolTips, ShortHelpStaysOnOneLineAndLongHelpBreaksOnlyBetweenWords) {
    shellApp();
    const QFont font = QToolTip::font();
    const QFontMetricsF metrics(font);
    const QString longHelp = QStringLiteral("This copy of Tapchime has no update feed to check: its updates come with "
                                            "your system's packages, and the package manager installs them.");
    struct Case {
        QString text;
        int lines;
    };
    const Case cases[] = {
        {QStringLiteral("Put this sound on 2 keys"), 1},
        {QStringLiteral("Select a key on the Keys screen first"), 1},
        {QStringLiteral("Put this sound on <"), 1},     // a key label that looks like markup shows as written
        {QStringLiteral("<b>Remove</b> & rule"), 1},    // so does anything else
        {QStringLiteral("First line\nSecond line"), 2}, // the text's own line breaks stay
        {longHelp, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const QStringList lines = shownLines(c.text, font);
        if (c.lines > 0) {
            EXPECT_EQ(lines.size(), c.lines);
        } else {
            EXPECT_GT(lines.size(), 1);
        }
        for (const QString &line : lines) {
            EXPECT_LE(metrics.horizontalAdvance(line), ToolTips::kMaxLineWidth) << line.toStdString();
            EXPECT_FALSE(line.startsWith(QLatin1Char(' ')) || line.endsWith(QLatin1Char(' ')));
        }
        // Whole words, in their order: only the breaks between them changed.
        EXPECT_EQ(lines.join(QLatin1Char(' ')), QString(c.text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    }
}

TEST(ToolTips, AWidgetsTooltipShowsAsItsLinesWithoutQtWrappingThem) {
    shellApp();
    const QString longHelp = QStringLiteral("This copy of Tapchime has no update feed to check: its updates come with "
                                            "your system's packages.");
    struct Case {
        QString text;
        bool oneLine;
    };
    const Case cases[] = {
        {QStringLiteral("Put this sound on 2 keys"), true},
        {QStringLiteral("Desktops often keep Super shortcuts for themselves."), true},
        {QStringLiteral("Put this sound on <"), true},
        {longHelp, false}, // one line would run across half the screen
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QPushButton button(QStringLiteral("Assign"));
        button.setToolTip(c.text);
        button.move(200, 200);
        button.show();
        const QLabel *tip = shownToolTip(&button);
        ASSERT_NE(tip, nullptr);
        const QFontMetrics metrics(tip->font());
        if (c.oneLine) {
            EXPECT_LT(tip->height(), 2 * metrics.lineSpacing());
            EXPECT_GE(tip->width(), metrics.horizontalAdvance(c.text));
        } else {
            EXPECT_GE(tip->height(), 2 * metrics.lineSpacing());
            EXPECT_LE(tip->width(), ToolTips::kMaxLineWidth + 2 * metrics.averageCharWidth() + 20);
        }
        QToolTip::hideText();
    }
}

// A name of any length, with or without spaces, shows as a few bounded lines: its first ShownText characters
// and "…", a word wider than a line broken where the line is full.
TEST(ToolTips, ANameOfAnyLengthShowsAsBoundedLines) {
    shellApp();
    const QFont font = QToolTip::font();
    const QFontMetricsF metrics(font);
    const QString spaced = QStringLiteral("Lorem ipsum dolor sit amet ").repeated(400);
    const QString unbroken = QStringLiteral("LoremIpsumDolorSitAmet").repeated(460);
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80").repeated(200); // surrogate pairs
    for (const QString &text : {spaced, unbroken, emoji, QStringLiteral("path/") + unbroken.left(300)}) {
        SCOPED_TRACE(text.left(40).toStdString());
        const QStringList lines = shownLines(text, font);
        for (const QString &line : lines) {
            EXPECT_LE(metrics.horizontalAdvance(line), ToolTips::kMaxLineWidth) << line.toStdString();
            EXPECT_FALSE(line.isEmpty());
        }
        const QString joined = lines.join(QString());
        const QString expected = ShownText::bounded(text).remove(QLatin1Char(' '));
        EXPECT_EQ(QString(joined).remove(QLatin1Char(' ')), expected);
        EXPECT_LE(lines.size(), 40);
    }
}

} // namespace
} // namespace tc::test
