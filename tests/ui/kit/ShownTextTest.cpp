// Names are laid out from a bounded prefix: what a line shows of a 10,000-character name is what it shows of
// the whole name.

#include "ui/kit/ShownText.h"
#include "ui/kit/FittingText.h"

#include "support/QtTestApp.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QHBoxLayout>
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

// A layout that sizes the line by its text gives it the room of each new text, not of the first one shown.
TEST(ShownText, FittingTextTellsItsLayoutOfANewText) {
    qtApp();
    QWidget window;
    auto *row = new QHBoxLayout(&window);
    auto *line = new FittingText(QStringLiteral("Click"), QFont("Sans", 13), Qt::black, 1.0, Qt::AlignLeft, &window);
    line->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    row->addWidget(line);
    row->addStretch(1);
    window.resize(800, 60);
    window.show();
    for (const QString &text : {QStringLiteral("Typewriter carriage return"), QStringLiteral("Tick")}) {
        SCOPED_TRACE(text.toStdString());
        line->setText(text);
        QCoreApplication::sendPostedEvents();
        row->activate();
        EXPECT_EQ(line->width(), line->sizeHint().width());
        EXPECT_FALSE(line->currentFit().elided);
    }
}

// fits() answers as measuring the whole text would, for texts of every length around a width.
TEST(ShownText, FitsAnswersAsTheWholeTextsWidthDoes) {
    qtApp();
    const QFontMetricsF metrics(QFont("Sans", 13));
    for (const int length : {0, 1, 20, 31, 32, 33, 200, 10000}) {
        const QString text = QStringLiteral("Lorem ipsum ").repeated(length / 12 + 1).left(length);
        const qreal whole = metrics.horizontalAdvance(text);
        for (const qreal width : {0.0, 50.0, whole - 1, whole, whole + 1, 5000.0}) {
            SCOPED_TRACE(std::to_string(length) + " in " + std::to_string(width));
            EXPECT_EQ(ShownText::fits(metrics, text, width), whole <= width);
        }
    }
}

// wrappable() lets a word wider than the line break anywhere (never inside a surrogate pair) and leaves every
// other word, space and line break as written.
TEST(ShownText, WrappableBreaksOnlyWordsWiderThanTheLine) {
    qtApp();
    const QFontMetricsF metrics(QFont("Sans", 13));
    const QString zwsp(QChar(0x200B));
    const QString face = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString path = QStringLiteral("a").repeated(200);
    for (const QString &text : {QStringLiteral("hush.wav: This file is silent."), QStringLiteral("one\ntwo  three")}) {
        EXPECT_EQ(ShownText::wrappable(metrics, text, 100), text);
    }
    const QString broken = ShownText::wrappable(metrics, path + QStringLiteral(".wav: silent"), 100);
    EXPECT_EQ(QString(broken).remove(zwsp), path + QStringLiteral(".wav: silent"));
    EXPECT_EQ(broken.count(zwsp), path.size() + 5 - 1); // between the characters of the word "aa…a.wav:"
    EXPECT_TRUE(broken.endsWith(QStringLiteral(": silent")));
    const QString faces = ShownText::wrappable(metrics, face.repeated(100), 50);
    EXPECT_EQ(QString(faces).remove(zwsp), face.repeated(100));
    EXPECT_FALSE(faces.contains(QChar(0xD83D) + zwsp)); // no pair split
}

} // namespace
} // namespace tc::test
