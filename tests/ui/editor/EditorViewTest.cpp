// The Keys page as a whole: the coach card, the page's layout on the window's sizes and on small screens, and
// the main window's least size.

#include "ui/editor/EditorView.h"
#include "app/Motion.h"
#include "ui/ModelStates.h"
#include "ui/editor/CoachCard.h"
#include "ui/editor/EditToolbar.h"
#include "ui/editor/Inspector.h"
#include "ui/editor/KeyPlate.h"
#include "ui/editor/KeyboardCase.h"
#include "ui/editor/SoundTray.h"
#include "ui/editor/TestField.h"
#include "ui/editor/TitleBlock.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/Rail.h"

#include <QAbstractButton>
#include <QGraphicsOpacityEffect>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

QRect inside(const QWidget *widget, const QWidget *ancestor) {
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
}

TEST(CoachCard, StepsAreDoneActiveOrPendingByTheCoachStep) {
    using S = CoachCard::StepState;
    struct Case {
        int current;
        S states[3];
    };
    const Case cases[] = {
        {1, {S::active, S::pending, S::pending}},   {2, {S::done, S::active, S::pending}},
        {3, {S::done, S::done, S::active}},         {0, {S::pending, S::pending, S::pending}},
        {-7, {S::pending, S::pending, S::pending}},
    };
    for (const Case &c : cases) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(CoachCard::stepState(i, c.current), c.states[i]) << c.current << " " << i;
        }
    }
    EXPECT_EQ(CoachCard::linkTitle(AppSection::triggers), "Open Triggers →");
    EXPECT_EQ(CoachCard::linkTitle(AppSection::apps), "Open App rules →");
    EXPECT_TRUE(CoachCard::tips().front().text.endsWith("The tray key closes its eyes when they're off."));
}

TEST(CoachCard, TurnsIntoTipsAtTheTestStepAndItsLinksOpenTheirSections) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    CoachCard card(model, CoachCard::standardSteps());
    EXPECT_EQ(card.title(), "Get started in 3 steps");
    EXPECT_EQ(card.dismissButton()->text(), "Skip");
    EXPECT_FALSE(card.showsTips());
    model.advanceCoach(4);
    EXPECT_EQ(card.title(), "You're all set. Good to know:");
    EXPECT_EQ(card.dismissButton()->text(), "Got it");
    ASSERT_EQ(card.links().size(), 2);
    card.links()[0]->click();
    EXPECT_EQ(model.section(), AppSection::triggers);
    card.links()[1]->click();
    EXPECT_EQ(model.section(), AppSection::apps);
    EXPECT_FALSE(model.data().settings.coachDismissed); // the card stays as it was
}

TEST(EditorView, DismissingTheCoachRemovesItForGoodAndTheTitleKeepsItsPlace) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    {
        AppModel &model = harness.started();
        EditorView page(model);
        page.resize(1112, 800);
        page.show();
        QCoreApplication::processEvents();
        ASSERT_NE(page.coachCard(), nullptr);
        const QPoint title = inside(page.titleBlock(), &page).topLeft();
        page.coachCard()->dismissButton()->click();
        EXPECT_EQ(page.coachCard(), nullptr);
        flushDeletes();
        QCoreApplication::processEvents();
        EXPECT_EQ(inside(page.titleBlock(), &page).topLeft(), title);
        letSaveRun(harness);
    }
    harness.model.reset();
    AppModel &reloaded = harness.started();
    EXPECT_TRUE(reloaded.data().settings.coachDismissed);
    EditorView page(reloaded);
    EXPECT_EQ(page.coachCard(), nullptr);
}

TEST(EditorView, TheDismissedCoachSlidesOutThroughTheTopWhileItFadesAndThenGoes) {
    shellApp();
    motion::setEnabled(true);
    Harness harness;
    AppModel &model = harness.started();
    EditorView page(model);
    page.resize(1112, 800);
    page.show();
    QCoreApplication::processEvents();
    QPointer<QWidget> card = page.coachCard();
    ASSERT_FALSE(card.isNull());
    const QRect start = card->geometry();
    const QPoint title = inside(page.titleBlock(), &page).topLeft();
    page.coachCard()->dismissButton()->click();
    EXPECT_EQ(page.coachCard(), nullptr);
    // On its way: higher than it was, part faded, over the page without taking clicks; the title stays put.
    QTRY_VERIFY(card.isNull() || card->y() < start.y() - 10);
    ASSERT_FALSE(card.isNull()) << "gone before it moved";
    EXPECT_EQ(card->x(), start.x());
    auto *opacity = qobject_cast<QGraphicsOpacityEffect *>(card->graphicsEffect());
    ASSERT_NE(opacity, nullptr);
    EXPECT_LT(opacity->opacity(), 1.0);
    EXPECT_TRUE(card->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(inside(page.titleBlock(), &page).topLeft(), title);
    QTRY_VERIFY_WITH_TIMEOUT(card.isNull(), 5000);
    motion::setEnabled(false);
}

TEST(EditorView, TheTestToolRaisesTheCoachToItsTipsAndShowsTheFieldAboveTheToolBar) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    EditorView page(model);
    page.resize(1112, 800);
    page.show();
    page.toolbar()->button(EditTool::test)->click();
    QCoreApplication::processEvents();
    ASSERT_NE(page.testField(), nullptr);
    ASSERT_NE(page.coachCard(), nullptr);
    EXPECT_TRUE(page.coachCard()->showsTips());
    const QWidget *column = page.testField()->parentWidget();
    EXPECT_LT(inside(page.testField(), column).top(), inside(page.toolbar(), column).top());
    EXPECT_GE(inside(page.testField(), column).top(), page.keyboard()->frame().bottom() + page.keyboard()->y());
}

// A row that springs in keeps its full height once it has arrived, also on a page too short for everything.
TEST(EditorView, TheTestFieldHasItsFullHeightOnAShortPage) {
    shellApp();
    motion::setEnabled(false);
    for (const int height : {800, 560, 420}) {
        SCOPED_TRACE(height);
        Harness harness;
        AppModel &model = harness.started();
        EditorView page(model);
        page.resize(1112, height);
        page.show();
        page.toolbar()->button(EditTool::test)->click();
        QCoreApplication::processEvents();
        ASSERT_NE(page.testField(), nullptr);
        EXPECT_EQ(page.testField()->height(), TestField::kHeight);
    }
}

// The window as a 1366 × 768 or 1280 × 800 screen leaves it: less a panel and the title bar.
struct SmallScreen {
    QSize client;
};

TEST(EditorView, OnSmallScreensNothingOverlapsTheKeyboardShrinksAndTheRightColumnScrolls) {
    shellApp();
    motion::setEnabled(false);
    for (const SmallScreen screen : {SmallScreen{{1366, 706}}, SmallScreen{{1280, 738}}, SmallScreen{{1400, 880}}}) {
        SCOPED_TRACE(screen.client.width());
        Harness harness;
        AppModel &model = harness.started();
        model.assign("synth.meow", {0, 1, 2, 12, 13});
        model.setSelectedKeys({0});
        QWidget host;
        auto *window = new MainWindow(model);
        window->setParent(&host); // embedded, so its least size is the one given here
        window->setMinimumSize(MainWindow::minimumSizeFor(screen.client));
        window->setGeometry(QRect(QPoint(0, 0), screen.client));
        host.resize(screen.client);
        host.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(window->size(), screen.client);
        auto *page = dynamic_cast<EditorView *>(window->page());
        ASSERT_NE(page, nullptr);

        // Every rail item, Settings among them, lies inside the window.
        for (AppSection section : allAppSections) {
            EXPECT_TRUE(QRect(QPoint(), window->size()).contains(inside(window->rail()->item(section), window)));
        }
        // The left column's rows are stacked without overlap, and fit its height.
        const QWidget *column = page->toolbar()->parentWidget();
        const QRect title = inside(page->titleBlock(), column);
        const QRect coach = inside(page->coachCard(), column);
        const QRect keys = page->keyboard()->frame().translated(page->keyboard()->pos()).toAlignedRect();
        const QRect tools = inside(page->toolbar(), column);
        EXPECT_FALSE(title.intersects(coach));
        EXPECT_LE(std::max(title.bottom(), coach.bottom()), keys.top());
        EXPECT_LE(keys.bottom(), tools.top());
        EXPECT_LE(tools.bottom(), page->leftColumn()->viewport()->height());
        EXPECT_LE(inside(page->leftColumn(), page).right(), inside(page->rightColumn(), page).left());
        // The keyboard gives up size on the small screens; the right column scrolls to show the tray.
        const qreal unit = page->keyboard()->plate()->layout().unit();
        EXPECT_GE(unit, 28);
        if (screen.client.width() < 1400) {
            EXPECT_LT(unit, (KeyboardCase::kMaxWidth - 38) / 15.0);
            QScrollArea *right = page->rightColumn();
            EXPECT_GT(right->widget()->height(), right->viewport()->height());
            right->ensureWidgetVisible(page->soundTray(), 0, 0);
            QCoreApplication::processEvents();
            EXPECT_GT(right->verticalScrollBar()->value(), 0);
        }
    }
}

TEST(EditorView, ALongProfileNameNeverWidensThePage) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    model.renameProfile(model.data().activeProfileID, std::string(120, 'W'));
    EditorView page(model);
    page.resize(1112, 800);
    page.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(page.titleBlock()->name(), QString(120, 'W'));
    const QWidget *column = page.toolbar()->parentWidget();
    EXPECT_LE(column->width(), page.leftColumn()->viewport()->width());
    EXPECT_LE(inside(page.titleBlock(), column).right(), column->width());
    EXPECT_LE(inside(page.leftColumn(), &page).right(), inside(page.rightColumn(), &page).left());
}

TEST(MainWindow, TheLeastSizeIsBoundByTheScreen) {
    const std::pair<QSize, QSize> cases[] = {
        {{1920, 1050}, {1180, 780}}, {{1366, 706}, {1180, 706}}, {{1280, 738}, {1180, 738}},
        {{1024, 700}, {1024, 700}},  {{0, 0}, {1180, 780}},
    };
    for (const auto &[available, minimum] : cases) {
        EXPECT_EQ(MainWindow::minimumSizeFor(available), minimum) << available.width() << "x" << available.height();
    }
    shellApp();
    Harness harness;
    MainWindow window(harness.make());
    window.show();
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    EXPECT_EQ(window.minimumSize(), MainWindow::minimumSizeFor(window.screen()->availableGeometry().size() - frame));
}

} // namespace
} // namespace tc::test
