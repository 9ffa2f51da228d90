// The app-rules grid with hundreds of rules: the Right arrow goes through each card's controls and on to the next
// card's, in grid order, also to the cards made as the focus scrolls the grid, which holds only about a screenful.

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/apprules/AppRulesView.h"
#include "ui/apprules/RuleCard.h"

#include <QAbstractButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(AppRulesLazy, TheRightArrowWalksEveryCardsControlsInGridOrderAsTheyAreMade) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    model.commitEdit([](AppData &data) {
        data.appRules.clear();
        for (int i = 0; i < 300; ++i) {
            data.appRules.push_back(AppRule{"app" + std::to_string(i), "App " + std::to_string(i), std::nullopt});
        }
    });
    AppRulesView view(model, AppDirectory::desktop(nullptr));
    view.resize(1100, 800);
    ASSERT_TRUE(activate(&view));
    QCoreApplication::processEvents();
    const std::size_t made = view.madeCards();
    EXPECT_LT(made, 40u);

    RuleCard *first = view.cardFor("app0");
    ASSERT_NE(first, nullptr);
    first->removeButton()->setFocus(Qt::TabFocusReason);
    QStringList walked;
    for (int i = 0; i < 60; ++i) {
        QWidget *focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        RuleCard *card = nullptr;
        for (QWidget *up = focused; up != nullptr && card == nullptr; up = up->parentWidget()) {
            card = dynamic_cast<RuleCard *>(up);
        }
        ASSERT_NE(card, nullptr) << "step " << i << ": " << describe({focused}).toStdString();
        walked << QString::fromStdString(card->rule().bundleID) +
                      (focused == card->removeButton() ? QStringLiteral(" remove") : QStringLiteral(" menu"));
        QTest::keyClick(focused, Qt::Key_Right);
        QCoreApplication::processEvents();
    }
    QStringList expected;
    for (int i = 0; i < 30; ++i) {
        expected << QStringLiteral("app%1 remove").arg(i) << QStringLiteral("app%1 menu").arg(i);
    }
    EXPECT_EQ(walked, expected);
    EXPECT_GT(view.scrollArea()->verticalScrollBar()->value(), 0); // the focus scrolled the grid
    EXPECT_LE(view.madeCards(), made + 6);
    motion::setEnabled(true);
}

// The grid is as tall as its rows: every card lies whole inside it, whichever row is the last and however many
// columns fit ("Add app" is shorter than a rule card and sits centred in its row).
TEST(AppRulesLazy, EveryCardLiesWholeInsideTheGrid) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    for (const int rules : {0, 1, 2, 3, 5, 8}) {
        model.commitEdit([rules](AppData &data) {
            data.appRules.clear();
            for (int i = 0; i < rules; ++i) {
                data.appRules.push_back(AppRule{"app" + std::to_string(i), "App", std::nullopt});
            }
        });
        for (const int width : {1100, 1400}) {
            SCOPED_TRACE(std::to_string(rules) + " rules, " + std::to_string(width) + " wide");
            AppRulesView view(model, AppDirectory::desktop(nullptr));
            view.resize(width, 880);
            view.show();
            QCoreApplication::processEvents();
            const QRect grid = view.scrollArea()->widget()->rect();
            for (QWidget *cell : view.gridWidgets()) {
                ASSERT_NE(cell, nullptr);
                EXPECT_TRUE(grid.contains(cell->geometry())) << cell->geometry().bottom() << " > " << grid.bottom();
            }
        }
    }
}

} // namespace
} // namespace tc::test
