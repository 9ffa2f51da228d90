// The Keys page as a whole: the coach card, the page's layout on the window's sizes and on small screens, the
// title's room for a long name, a sweep that changes the legend, and the main window's least size.

#include "ui/editor/EditorView.h"
#include "app/Motion.h"
#include "ui/ModelStates.h"
#include "ui/editor/CoachCard.h"
#include "ui/editor/EditToolbar.h"
#include "ui/editor/Inspector.h"
#include "ui/editor/KeyFace.h"
#include "ui/editor/KeyPlate.h"
#include "ui/editor/KeyboardCase.h"
#include "ui/editor/SoundTray.h"
#include "ui/editor/TestField.h"
#include "ui/editor/TitleBlock.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/KeyCap.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/Rail.h"

#include <QAbstractButton>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLayout>
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

constexpr SmallScreen kScreens[] = {{{1366, 706}}, {{1280, 738}}, {{1400, 880}}};

// A main window of exactly `client` on the Keys page, embedded so that its least size is the screen's.
struct KeysWindow {
    explicit KeysWindow(AppModel &model, QSize client) : window(new MainWindow(model)) {
        window->setParent(&host);
        window->setMinimumSize(MainWindow::minimumSizeFor(client));
        window->setGeometry(QRect(QPoint(0, 0), client));
        host.resize(client);
        host.show();
        QCoreApplication::processEvents();
    }
    EditorView *page() const { return dynamic_cast<EditorView *>(window->page()); }
    QScrollArea *pageScroll() const { return window->findChild<QScrollArea *>(QStringLiteral("pageScroll")); }

    QWidget host;
    MainWindow *window;
};

// The case's frame in the page's coordinates.
QRectF keyboardFrame(const EditorView &page) {
    return page.keyboard()->frame().translated(page.keyboard()->mapTo(&page, QPoint(0, 0)));
}

// The legends drawn cut ("CONT…") on the plate, with every key's own sound and with none.
QStringList cutLegends(const KeyPlate &plate) {
    QStringList cut;
    const qreal unit = plate.layout().unit();
    for (const PlacedKey &key : plate.layout().keys()) {
        const QRectF face = KeyCap::metrics(key.rect.width(), key.rect.height(), 0, 0).face;
        for (const auto category : {std::optional<SoundCategory>(), std::optional(SoundCategory::memes)}) {
            if (KeyFace::isCut(KeyFace::legend(key, unit, category), face)) {
                cut << key.label;
            }
        }
    }
    return cut;
}

// On a laptop's screen the keyboard takes the left column's whole width (up to its largest size) whatever the
// height, no legend is cut, and what does not fit the window's height is reached by scrolling the page.
TEST(EditorView, OnSmallScreensTheKeyboardTakesTheColumnsWidthAndThePageScrolls) {
    shellApp();
    motion::setEnabled(false);
    for (const SmallScreen screen : kScreens) {
        SCOPED_TRACE(screen.client.width());
        Harness harness;
        AppModel &model = harness.started();
        model.assign("synth.meow", {0, 1, 2, 12, 13});
        model.setSelectedKeys({0});
        KeysWindow keys(model, screen.client);
        MainWindow *window = keys.window;
        EXPECT_EQ(window->size(), screen.client);
        EditorView *page = keys.page();
        ASSERT_NE(page, nullptr);

        // Every rail item, Settings among them, lies inside the window.
        for (AppSection section : allAppSections) {
            EXPECT_TRUE(QRect(QPoint(), window->size()).contains(inside(window->rail()->item(section), window)));
        }
        // The left column's rows are stacked without overlap.
        const QWidget *column = page->leftColumn();
        const QRect title = inside(page->titleBlock(), column);
        const QRect coach = inside(page->coachCard(), column);
        const QRect keyboard = keyboardFrame(*page).translated(-column->pos()).toAlignedRect();
        const QRect tools = inside(page->toolbar(), column);
        EXPECT_FALSE(title.intersects(coach));
        EXPECT_LE(std::max(title.bottom(), coach.bottom()), keyboard.top());
        EXPECT_LE(keyboard.bottom(), tools.top());
        EXPECT_LE(inside(page->leftColumn(), page).right(), inside(page->rightColumn(), page).left());
        // The keyboard is as wide as the column leaves it: the room up to the gap before the right column.
        const QMargins shadow = KeyboardCase::kShadowMargins;
        const int room = inside(page->rightColumn(), page).left() - 24 - inside(column, page).left() - shadow.left();
        EXPECT_NEAR(keyboard.width(), std::min<qreal>(room, KeyboardCase::kMaxWidth), 1.5);
        EXPECT_GE(keyboard.width(), 640);
        EXPECT_NEAR(keyboard.width() / qreal(keyboard.height()), KeyboardCase::kAspect, 0.02);
        EXPECT_EQ(cutLegends(*page->keyboard()->plate()), QStringList());
        // The page scrolls as a whole to its last row when it is taller than the window.
        QScrollArea *scroll = keys.pageScroll();
        ASSERT_NE(scroll, nullptr);
        if (page->height() > scroll->viewport()->height()) {
            scroll->ensureWidgetVisible(page->toolbar(), 0, 0);
            QCoreApplication::processEvents();
            const QRect shown = inside(page->toolbar(), scroll->viewport());
            EXPECT_TRUE(scroll->viewport()->rect().contains(shown));
        } else {
            EXPECT_LE(inside(page->toolbar(), page).bottom(), page->height());
        }
        // The right column is part of the page: its tray lies whole inside the page, and the page's one scroll
        // bar brings all of it into view (no column scrolls on its own).
        EXPECT_TRUE(page->rect().contains(inside(page->soundTray(), page)));
        EXPECT_TRUE(page->findChildren<QScrollArea *>().empty());
        scroll->ensureWidgetVisible(page->soundTray(), 0, 0);
        QCoreApplication::processEvents();
        EXPECT_TRUE(scroll->viewport()->rect().contains(inside(page->soundTray(), scroll->viewport())));
    }
}

// At the window's default size the whole page shows, the right column's tray and its last line too: the page
// does not scroll there.
TEST(EditorView, AtTheDefaultSizeThePageFitsTheWindow) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    // The tallest right column: a key with its own sound selected (the inspector whole) and a full tray.
    const std::vector<SoundItem> sounds = model.allSounds();
    ASSERT_GE(sounds.size(), 5u);
    for (std::uint16_t key = 0; key < 5; ++key) {
        model.assign(sounds[key].id, {key});
    }
    model.setSelectedKeys({0});
    KeysWindow keys(model, QSize(1400, 880));
    EditorView *page = keys.page();
    ASSERT_NE(page, nullptr);
    QScrollArea *scroll = keys.pageScroll();
    ASSERT_NE(scroll, nullptr);
    EXPECT_LE(page->minimumSizeHint().height(), scroll->viewport()->height());
    EXPECT_EQ(scroll->verticalScrollBar()->maximum(), 0);
}

// The keyboard keeps its place's size, so keys never move under the pointer from its size, whatever comes and
// goes around it: the coach turning into tips, the test field, the page growing taller than the window.
TEST(EditorView, TheKeyboardKeepsItsSizeWhateverComesAndGoesAroundIt) {
    shellApp();
    motion::setEnabled(false);
    for (const SmallScreen screen : kScreens) {
        SCOPED_TRACE(screen.client.width());
        Harness harness;
        AppModel &model = harness.started();
        KeysWindow keys(model, screen.client);
        EditorView *page = keys.page();
        ASSERT_NE(page, nullptr);
        const QSizeF size = keyboardFrame(*page).size();
        const qreal unit = page->keyboard()->plate()->layout().unit();
        const auto expectSame = [&](const char *after) {
            QCoreApplication::processEvents();
            EXPECT_EQ(keyboardFrame(*page).size(), size) << after;
            EXPECT_EQ(page->keyboard()->plate()->layout().unit(), unit) << after;
        };
        page->toolbar()->button(EditTool::test)->click();
        ASSERT_NE(page->testField(), nullptr);
        ASSERT_TRUE(page->coachCard()->showsTips());
        expectSame("the test field and the tips");
        page->toolbar()->button(EditTool::select)->click();
        flushDeletes();
        expectSame("the test field gone");
        page->coachCard()->dismissButton()->click();
        flushDeletes();
        expectSame("the coach card gone");
    }
}

// Every text of the coach card shows whole: no word is wider than its line, no label shorter than its lines.
void expectNothingCut(const CoachCard &card) {
    for (const QLabel *label : card.findChildren<QLabel *>()) {
        if (!label->isVisibleTo(&card)) {
            continue;
        }
        SCOPED_TRACE(label->text().toStdString());
        const QFontMetrics metrics(label->font());
        for (const QString &word : label->text().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            EXPECT_LE(metrics.horizontalAdvance(word), label->width()) << word.toStdString();
        }
        if (label->wordWrap()) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width()));
        } else {
            EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width());
        }
        EXPECT_TRUE(card.rect().contains(inside(label, &card)));
    }
}

// The coach card beside or under the title shows each step and tip whole, on every window size; the legend
// growing or shrinking never moves it, only the page's width decides where it goes.
TEST(EditorView, TheCoachCardCutsNoTextAndStaysPutWhenTheLegendChanges) {
    shellApp();
    motion::setEnabled(false);
    for (const SmallScreen screen : {kScreens[0], kScreens[1], kScreens[2], SmallScreen{{1180, 780}},
                                     SmallScreen{{1024, 700}}, SmallScreen{{1920, 1050}}}) {
        SCOPED_TRACE(screen.client.width());
        Harness harness;
        AppModel &model = harness.started();
        KeysWindow keys(model, screen.client);
        EditorView *page = keys.page();
        ASSERT_NE(page, nullptr);
        CoachCard *card = page->coachCard();
        ASSERT_NE(card, nullptr);
        const QRect place = inside(card, page);
        expectNothingCut(*card);
        // Every kind of chip in the legend, then none but the base.
        model.assign("synth.boom", {0, 1});
        model.assign("synth.meow", {2});
        model.assign("synth.coin", {3});
        model.assign("rec.bell", {4});
        QCoreApplication::processEvents();
        ASSERT_GE(page->titleBlock()->shownLegend().size(), 4U);
        EXPECT_EQ(inside(card, page), place);
        EXPECT_FALSE(inside(page->titleBlock(), page).intersects(place));
        model.resetKeys({0, 1, 2, 3, 4});
        QCoreApplication::processEvents();
        EXPECT_EQ(inside(card, page), place);
        // Each step, then the tips.
        for (const int step : {2, 3, 4}) {
            model.advanceCoach(step);
            QCoreApplication::processEvents();
            SCOPED_TRACE(step);
            expectNothingCut(*card);
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
    const QWidget *column = page.leftColumn();
    EXPECT_LE(inside(page.titleBlock(), column).right(), column->width());
    EXPECT_LE(inside(page.leftColumn(), &page).right(), inside(page.rightColumn(), &page).left());
}

// A long name shows as much of itself as the title's row has: up to the least gap before a coach card beside it,
// else up to the column's content edge.
TEST(EditorView, ALongPackNameTakesTheTitlesWholeRoom) {
    shellApp();
    motion::setEnabled(false);
    for (const SmallScreen screen : kScreens) {
        for (const bool coach : {true, false}) {
            SCOPED_TRACE(testing::Message() << screen.client.width() << (coach ? " with" : " without") << " coach");
            Harness harness;
            AppModel &model = harness.started();
            std::string name;
            while (name.size() < 10'000) {
                name += "Lorem ipsum ";
            }
            model.renameProfile(model.data().activeProfileID, name);
            if (!coach) {
                model.dismissCoach();
            }
            KeysWindow keys(model, screen.client);
            EditorView *page = keys.page();
            ASSERT_NE(page, nullptr);
            const QWidget *column = page->leftColumn();
            const auto *line = page->titleBlock()->findChild<FittingText *>();
            ASSERT_NE(line, nullptr);
            const QRect title = inside(line, column);
            int end = column->width() - column->layout()->contentsMargins().right();
            if (page->coachCard() != nullptr && inside(page->coachCard(), column).top() < title.bottom()) {
                end = inside(page->coachCard(), column).left() - 16 - 12;
            }
            EXPECT_EQ(title.right() + 1, end);
            EXPECT_TRUE(line->currentFit().elided);
        }
    }
}

// On a laptop's screen the page opens at its top; choosing Test brings the test field and the coach's larger
// tips card, and the page scrolls along so the tool bar stays in the window, as it is when the page opens on Test.
TEST(EditorView, ChoosingTestKeepsTheToolBarInTheWindow) {
    shellApp();
    motion::setEnabled(false);
    for (const SmallScreen screen : kScreens) {
        SCOPED_TRACE(screen.client.width());
        Harness harness;
        AppModel &model = harness.started();
        const auto toolsShow = [](const KeysWindow &keys) {
            const QWidget *viewport = keys.pageScroll()->viewport();
            return viewport->rect().contains(inside(keys.page()->toolbar(), viewport));
        };
        KeysWindow keys(model, screen.client);
        ASSERT_NE(keys.page(), nullptr);
        EXPECT_EQ(keys.pageScroll()->verticalScrollBar()->value(), 0);
        ASSERT_TRUE(toolsShow(keys));
        keys.page()->toolbar()->button(EditTool::test)->click();
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
        }
        ASSERT_NE(keys.page()->testField(), nullptr);
        ASSERT_TRUE(keys.page()->coachCard()->showsTips());
        EXPECT_TRUE(toolsShow(keys));
        KeysWindow again(model, screen.client);
        EXPECT_TRUE(toolsShow(again));
    }
}

// Driven through the window as the window system drives it: the first sweep of a colour adds its chip to the
// legend, which waits for the button, and each sweep paints the keys its one far step crossed and no others.
TEST(EditorView, ASweepThatAddsALegendChipPaintsOnlyTheKeysItCrossed) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    model.setActiveProfile(profileNamed(model, "Default").id);
    model.dismissCoach(); // a long-time user's page: the title's row is as high as the title alone
    model.setTool(EditTool::paint);
    model.setBrushSoundID("synth.meow");
    KeysWindow keys(model, QSize(1400, 880));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&keys.host));
    EditorView *page = keys.page();
    ASSERT_NE(page, nullptr);
    KeyPlate *plate = page->keyboard()->plate();
    const auto legend = [&] { return page->titleBlock()->shownLegend().size(); };
    const auto painted = [&] { return model.data().activeProfile().keys.size(); };
    const struct {
        const char *from;
        const char *to;
        std::size_t keys;
        std::size_t legend;
    } sweeps[] = {{"A", "H", 6, 2}, {"Z", "M", 13, 2}};
    for (const auto &sweep : sweeps) {
        SCOPED_TRACE(sweep.from);
        const QPoint from = plate->mapTo(&keys.host, plate->centreOf(QLatin1String(sweep.from)));
        const QPoint to = plate->mapTo(&keys.host, plate->centreOf(QLatin1String(sweep.to)));
        const QPoint placed = plate->mapTo(&keys.host, QPoint(0, 0));
        const std::size_t chips = legend();
        QTest::mousePress(keys.host.windowHandle(), Qt::LeftButton, {}, from);
        QCoreApplication::processEvents(); // the page lays itself out as it would between two pointer reports
        EXPECT_EQ(plate->mapTo(&keys.host, QPoint(0, 0)), placed) << "the keyboard moved under the held button";
        EXPECT_EQ(legend(), chips);
        QTest::mouseMove(keys.host.windowHandle(), to); // one report for the whole way
        QTest::mouseRelease(keys.host.windowHandle(), Qt::LeftButton, {}, to);
        QCoreApplication::processEvents();
        EXPECT_EQ(painted(), sweep.keys);
        EXPECT_EQ(legend(), sweep.legend); // "Base" and "Animals", once the button is up
    }
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
