// The Keys page under the user's hand: the test field keeps the typing after Clear, a long pack name takes the
// title's whole room, focus marks stay visible and in place, and choosing Test keeps the tool bar in the window.

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/editor/CoachCard.h"
#include "ui/editor/EditToolbar.h"
#include "ui/editor/EditorView.h"
#include "ui/editor/Inspector.h"
#include "ui/editor/KeyPlate.h"
#include "ui/editor/TestField.h"
#include "ui/editor/TitleBlock.h"
#include "ui/kit/FittingText.h"
#include "ui/shell/MainWindow.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

QRect inside(const QWidget *widget, const QWidget *ancestor) {
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
}

// A main window of exactly `client` on the Keys page (embedded, so that the screen's size does not bound it).
struct KeysWindow {
    KeysWindow(AppModel &model, QSize client) : window(new MainWindow(model)) {
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

constexpr QSize kClients[] = {{1400, 880}, {1366, 706}, {1280, 738}};

TEST(TestField, ClearLeavesTheTypingInTheField) {
    shellApp();
    // The field with a control after it, as the tool bar comes after it on the page.
    QWidget window;
    auto *row = new QHBoxLayout(&window);
    auto *test = new TestField(&window);
    row->addWidget(test);
    row->addWidget(new QLineEdit(&window));
    window.resize(600, 80);
    ASSERT_TRUE(activate(&window));
    QLineEdit *field = test->field();
    ASSERT_EQ(QApplication::focusWidget(), field);
    QTest::keyClicks(field, "abc");
    // Through the window, as the window system clicks: a click gives focus where the focus policy lets it.
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                      test->clearButton()->mapTo(&window, test->clearButton()->rect().center()));
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(QApplication::focusWidget(), field);
    QTest::keyClicks(QApplication::focusWidget(), "d");
    EXPECT_EQ(field->text(), "d");

    // By the keyboard too: Tab to Clear, Space.
    QTest::keyClick(field, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), test->clearButton());
    QTest::keyClick(test->clearButton(), Qt::Key_Space);
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(QApplication::focusWidget(), field);
}

TEST(EditorView, ALongPackNameTakesTheTitlesWholeRoom) {
    shellApp();
    motion::setEnabled(false);
    for (const QSize client : kClients) {
        for (const bool coach : {true, false}) {
            SCOPED_TRACE(client.width());
            SCOPED_TRACE(coach);
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
            KeysWindow keys(model, client);
            EditorView *page = keys.page();
            ASSERT_NE(page, nullptr);
            const QWidget *column = page->leftColumn();
            const auto *line = page->titleBlock()->findChild<FittingText *>();
            ASSERT_NE(line, nullptr);
            const QRect title = inside(line, column);
            // Up to the least gap before the coach card beside it, else up to the column's content edge (where the
            // keyboard's case ends).
            int end = column->width() - column->layout()->contentsMargins().right();
            if (page->coachCard() != nullptr && inside(page->coachCard(), column).top() < title.bottom()) {
                end = inside(page->coachCard(), column).left() - 16 - 12;
            }
            EXPECT_EQ(title.right() + 1, end);
            EXPECT_TRUE(line->currentFit().elided);
        }
    }
}

// A plate of its own in an active window, the keyboard focus on a selected key.
TEST(KeyPlate, ASelectedKeyWithTheKeyboardFocusShowsBothRings) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    model.setSelectedKeys({0}); // A
    KeyPlate plate(model);
    plate.setUnit(50);
    ASSERT_TRUE(activate(&plate));
    plate.clearFocus();
    plate.setFocus(Qt::TabFocusReason); // focus comes to the selected key
    ASSERT_TRUE(FocusRing::shows(&plate));
    ASSERT_EQ(plate.layout().keys()[*plate.focusKey()].id, "A");
    const QImage image = plate.grab().toImage();
    const QRectF cap = plate.keyRect(plate.layout().keys()[*plate.focusKey()]);
    const auto colourAt = [&](qreal outside) {
        return image.pixelColor(QPointF(cap.left() - outside, cap.center().y()).toPoint());
    };
    const QColor selection = colourAt(3); // the middle of the selection ring, 2 to 4 points out
    EXPECT_LT(selection.lightness(), 80) << selection.name().toStdString();
    const QColor focus = colourAt(6); // the focus ring, outside it
    EXPECT_GT(focus.red(), 200) << focus.name().toStdString();
    EXPECT_LT(focus.blue(), 120) << focus.name().toStdString();
    motion::setEnabled(true);
}

TEST(Inspector, AResetByTheKeyboardLeavesTheFocusInItsBar) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    model.assign("synth.meow", {0});
    model.setSelectedKeys({0});
    Inspector inspector(model);
    ASSERT_TRUE(activate(&inspector));
    QAbstractButton *reset = inspector.resetButton();
    reset->setFocus(Qt::TabFocusReason);
    QTest::keyClick(reset, Qt::Key_Space);
    EXPECT_FALSE(model.data().activeProfile().assignment(0));
    EXPECT_FALSE(reset->isVisibleTo(&inspector));
    EXPECT_EQ(QApplication::focusWidget(), inspector.recordButton());
    EXPECT_TRUE(FocusRing::shows(inspector.recordButton()));
    motion::setEnabled(true);
}

// On a laptop's screen the page opens at its top; choosing Test brings the test field and the coach's larger
// tips card, and the page scrolls along so the tool bar stays in the window, as it is when the page opens on Test.
TEST(EditorView, ChoosingTestKeepsTheToolBarInTheWindow) {
    shellApp();
    motion::setEnabled(false);
    for (const QSize client : kClients) {
        SCOPED_TRACE(client.width());
        Harness harness;
        AppModel &model = harness.started();
        KeysWindow keys(model, client);
        EditorView *page = keys.page();
        QScrollArea *scroll = keys.pageScroll();
        ASSERT_NE(page, nullptr);
        ASSERT_NE(scroll, nullptr);
        const auto inView = [&] {
            return scroll->viewport()->rect().contains(inside(page->toolbar(), scroll->viewport()));
        };
        EXPECT_EQ(scroll->verticalScrollBar()->value(), 0);
        ASSERT_TRUE(inView());
        page->toolbar()->button(EditTool::test)->click();
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
        }
        ASSERT_NE(page->testField(), nullptr);
        ASSERT_TRUE(page->coachCard()->showsTips());
        EXPECT_TRUE(inView());

        // Opened again on the Test tool, the page shows its tool bar from the start.
        KeysWindow again(model, client);
        ASSERT_NE(again.page(), nullptr);
        EXPECT_TRUE(again.pageScroll()->viewport()->rect().contains(
            inside(again.page()->toolbar(), again.pageScroll()->viewport())));
    }
    motion::setEnabled(true);
}

} // namespace
} // namespace tc::test
