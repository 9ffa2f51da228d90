// Names are laid out from a bounded prefix: what a line shows of a 10,000-character name is what it shows of
// the whole name.

#include "ui/kit/ShownText.h"
#include "ui/kit/FittingText.h"

#include "support/QtTestApp.h"

#include <QFont>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(ShownText, ABoundedTextIsTheWholeTextOrItsPrefixWithAnEllipsisNeverHalfACharacter) {
    const QString ellipsis(QChar(0x2026));
    const QString face = QString::fromUtf8("\xF0\x9F\x98\x80"); // one character, two UTF-16 units
    struct Case {
        QString text;
        qsizetype limit;
        QString expected;
    };
    const Case cases[] = {
        {"", 4, ""},
        {"abcd", 4, "abcd"},
        {"abcde", 4, "abcd" + ellipsis},
        {"abc" + face + "x", 4, "abc" + ellipsis}, // the pair is not split
        {"ab" + face + "x", 4, "ab" + face + ellipsis},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(ShownText::bounded(c.text, c.limit), c.expected);
    }
}

TEST(ShownText, ALongNameIsElidedAsTheWholeNameWouldBe) {
    qtApp();
    const QFont font("Sans", 13);
    const QFontMetrics metrics(font);
    const QFontMetricsF metricsF(font);
    for (const int length : {10, 599, 600, 601, 2000, 10000}) {
        for (const QString &unit : {QString("lorem ipsum "), QString("i"), QString("W")}) {
            SCOPED_TRACE(length);
            QString name;
            while (name.size() < length) {
                name += unit;
            }
            name.truncate(length);
            for (const int width : {40, 200, 900}) {
                if (ShownText::bounded(name) != name && metrics.horizontalAdvance(ShownText::bounded(name)) <= width) {
                    continue; // the prefix itself fits: it is shown with its ellipsis, which the whole would not be
                }
                EXPECT_EQ(ShownText::elided(metrics, name, width), metrics.elidedText(name, Qt::ElideRight, width));
                EXPECT_EQ(ShownText::elided(metricsF, name, width), metricsF.elidedText(name, Qt::ElideRight, width));
            }
        }
    }
}

TEST(ShownText, FittingTextShowsABoundedPartOfALongName) {
    qtApp();
    const QString name(10000, QChar('a'));
    const FittingText::Fit fit = FittingText::fit(name, QFont("Sans", 13), 300, 0.8);
    EXPECT_TRUE(fit.elided);
    EXPECT_LE(fit.text.size(), ShownText::kMaxCharacters + 1);
    EXPECT_TRUE(fit.text.endsWith(QChar(0x2026)));
}

} // namespace
} // namespace tc::test
