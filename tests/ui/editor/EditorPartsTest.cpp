// The keyboard editor's case and lights, tool bar, test field and page, on a real application model.

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/editor/CaseHeader.h"
#include "ui/editor/EditToolbar.h"
#include "ui/editor/EditorView.h"
#include "ui/editor/KeyPlate.h"
#include "ui/editor/KeyboardCase.h"
#include "ui/editor/TestField.h"
#include "ui/kit/FlowRow.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(KeyboardCase, TheUnitComesFromTheCasesSizeAndNeverDropsBelowTwenty) {
    struct Case {
        QSizeF available;
        QRectF frame;
        qreal unit;
    };
    const Case cases[] = {
        {{2000, 2000}, {0, 0, 1000, 1000 / 2.22}, (1000 - 38) / 15.0}, // at most 1000 wide
        {{900, 2000}, {0, 0, 900, 900 / 2.22}, (900 - 38) / 15.0},     // width-bound
        {{2000, 300}, {0, 0, 666, 300}, (300 - 64) / 5.66},            // height-bound
        {{300, 135.135}, {0, 0, 300, 300 / 2.22}, 20},                 // too small: 20
        {{0, 0}, {0, 0, 0, 0}, 20},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.available.width());
        const QRectF frame = KeyboardCase::caseFrame(c.available);
        EXPECT_NEAR(frame.width(), c.frame.width(), 0.01);
        EXPECT_NEAR(frame.height(), c.frame.height(), 0.01);
        EXPECT_EQ(frame.topLeft(), QPointF(0, 0));
        EXPECT_NEAR(KeyboardCase::unitFor(frame.size()), c.unit, 0.01);
    }
}

TEST(KeyboardCase, ResizingLaysThePlateOutForTheNewUnit) {
    shellApp();
    Harness harness;
    KeyboardCase keyboard(harness.started());
    const QMargins shadow = KeyboardCase::kShadowMargins;
    keyboard.show();
    keyboard.resize(1000 + shadow.left() + shadow.right(), 800);
    EXPECT_NEAR(keyboard.plate()->layout().unit(), (1000 - 38) / 15.0, 1e-9);
    EXPECT_EQ(keyboard.frame().topLeft(), QPointF(shadow.left(), shadow.top()));
    // The plate sits inside the case, below the header.
    EXPECT_TRUE(keyboard.frame().contains(QRectF(keyboard.plate()->geometry())));
    EXPECT_GT(keyboard.plate()->y(), keyboard.header()->geometry().bottom());
    keyboard.resize(200, 100);
    EXPECT_EQ(keyboard.plate()->layout().unit(), 20);
    EXPECT_EQ(keyboard.heightForWidth(1000 + shadow.left() + shadow.right()),
              qCeil(1000 / 2.22) + shadow.top() + shadow.bottom());
}

TEST(CaseHeader, TheAmberLightShowsHeldKeysOnlyWhileTheyAreHeard) {
    shellApp();
    motion::setEnabled(false);
    {
        Harness harness;
        AppModel &model = harness.started();
        CaseHeader header(model);
        EXPECT_FALSE(header.isLit(CaseHeader::amber));
        EXPECT_TRUE(header.isLit(CaseHeader::blue));
        EXPECT_TRUE(header.isLit(CaseHeader::green));
        harness.monitor->down(14);
        harness.time.runPosted();
        EXPECT_TRUE(header.isLit(CaseHeader::amber));
        harness.monitor->up(14);
        harness.time.runPosted();
        EXPECT_FALSE(header.isLit(CaseHeader::amber));
    }
    for (Silence::Kind kind : allSilenceKinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        Harness harness;
        AppModel &model = startSilent(harness, kind);
        CaseHeader header(model);
        harness.monitor->down(14);
        harness.time.runPosted();
        ASSERT_TRUE(model.silence());
        EXPECT_FALSE(header.isLit(CaseHeader::amber));
        EXPECT_EQ(header.isLit(CaseHeader::blue), kind != Silence::Kind::off);
        EXPECT_EQ(header.isLit(CaseHeader::green), kind != Silence::Kind::permission);
    }
    motion::setEnabled(true);
}

struct ToolbarTest : ::testing::Test {
    ToolbarTest() : model(harness.started()), bar(model, EditToolbar::standardTools()) {}
    int checkedCount() const {
        int count = 0;
        for (EditTool tool : allEditTools) {
            count += bar.button(tool)->isChecked() ? 1 : 0;
        }
        return count;
    }
    QApplication &app = shellApp(); // before any widget
    Harness harness;
    AppModel &model;
    EditToolbar bar;
};

TEST_F(ToolbarTest, TheToolsCarryTheirLabelsAndTooltipsInOrder) {
    const auto &tools = EditToolbar::standardTools();
    ASSERT_EQ(tools.size(), 4u);
    const std::pair<const char *, const char *> expected[] = {
        {"Select", "Select keys (Shift-click for several)"},
        {"Paint", "Paint the tray sound onto keys"},
        {"Reset", "Reset keys to the base sound"},
        {"Test", "Type to test your keyboard"},
    };
    for (std::size_t i = 0; i < tools.size(); ++i) {
        EXPECT_EQ(tools[i].tool, allEditTools[i]);
        EXPECT_EQ(tools[i].label, QString::fromUtf8(expected[i].first));
        EXPECT_EQ(bar.button(tools[i].tool)->toolTip(), QString::fromUtf8(expected[i].second));
    }
    EXPECT_EQ(bar.brushButton()->toolTip(), "Pick a sound to paint with");
}

TEST_F(ToolbarTest, ExactlyTheChosenToolIsHighlightedWhoeverChoseIt) {
    for (EditTool tool : allEditTools) {
        bar.button(tool)->click();
        EXPECT_EQ(model.tool(), tool);
        EXPECT_EQ(checkedCount(), 1);
        EXPECT_TRUE(bar.button(tool)->isChecked());
    }
    model.setTool(EditTool::paint); // as a tray sound does
    EXPECT_TRUE(bar.button(EditTool::paint)->isChecked());
    EXPECT_EQ(checkedCount(), 1);
    bar.button(EditTool::paint)->click(); // again: stays chosen
    EXPECT_TRUE(bar.button(EditTool::paint)->isChecked());
    EXPECT_EQ(checkedCount(), 1);
}

TEST_F(ToolbarTest, ChoosingTestRaisesTheCoachOnceAndTheChosenToolWritesNothing) {
    ASSERT_EQ(model.data().settings.coachStep, 1);
    DocumentSignals edits(model);
    QSignalSpy tools(&model, &AppModel::toolChanged);
    bar.button(EditTool::select)->click();
    EXPECT_TRUE(edits.seen.empty());
    EXPECT_EQ(tools.count(), 0);
    bar.button(EditTool::test)->click();
    EXPECT_EQ(model.data().settings.coachStep, 4);
    EXPECT_EQ(edits.seen, std::vector<std::string>{"settings"});
    bar.button(EditTool::test)->click();
    EXPECT_EQ(edits.seen, std::vector<std::string>{"settings"});
    EXPECT_EQ(tools.count(), 1);
}

TEST_F(ToolbarTest, PlusOpensThePickerForTheBrushAndKeepsTheTool) {
    model.setTool(EditTool::reset);
    bar.brushButton()->click();
    ASSERT_TRUE(model.soundPicker());
    EXPECT_TRUE(model.soundPicker()->isBrush());
    EXPECT_EQ(model.tool(), EditTool::reset);
}

TEST(TestField, ClearShowsOnlyWithTextAndEmptiesTheField) {
    shellApp();
    TestField field;
    field.show();
    EXPECT_TRUE(field.clearButton()->isHidden());
    EXPECT_EQ(field.field()->placeholderText(), "Type here to hear your keyboard…");
    QTest::keyClicks(field.field(), "hello");
    EXPECT_EQ(field.field()->text(), "hello");
    EXPECT_FALSE(field.clearButton()->isHidden());
    QTest::keyClick(field.field(), Qt::Key_Return);
    EXPECT_EQ(field.field()->text(), "hello");
    field.clearButton()->click();
    EXPECT_EQ(field.field()->text(), "");
    EXPECT_TRUE(field.clearButton()->isHidden());
}

// Clear leaves the typing in the field, clicked (through the window, where a click may take focus) or pressed by
// the keyboard; the field has a control after it, as the tool bar comes after it on the page.
TEST(TestField, ClearLeavesTheTypingInTheField) {
    shellApp();
    QWidget window;
    auto *row = new QHBoxLayout(&window);
    auto *test = new TestField(&window);
    row->addWidget(test);
    row->addWidget(new QLineEdit(&window));
    window.resize(600, 80);
    ASSERT_TRUE(activate(&window));
    QLineEdit *field = test->field();
    QAbstractButton *clear = test->clearButton();
    QTest::keyClicks(field, "abc");
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, clear->mapTo(&window, clear->rect().center()));
    EXPECT_EQ(QApplication::focusWidget(), field);
    QTest::keyClicks(QApplication::focusWidget(), "d");
    EXPECT_EQ(field->text(), "d");
    QTest::keyClick(field, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), clear);
    QTest::keyClick(clear, Qt::Key_Space);
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(QApplication::focusWidget(), field);
}

TEST(EditorView, TheTestToolBringsAFreshFocusedFieldAndOtherToolsRemoveIt) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    EditorView page(model);
    page.resize(1100, 800);
    page.show();
    EXPECT_EQ(page.testField(), nullptr);
    page.toolbar()->button(EditTool::test)->click();
    ASSERT_NE(page.testField(), nullptr);
    QCoreApplication::processEvents(); // the new row is shown on the next turn
    EXPECT_TRUE(page.testField()->isVisible());
    EXPECT_EQ(page.focusWidget(), page.testField()->field());
    QTest::keyClicks(page.testField()->field(), "abc");

    model.setTool(EditTool::select);
    EXPECT_EQ(page.testField(), nullptr);
    flushDeletes();
    model.setTool(EditTool::test);
    ASSERT_NE(page.testField(), nullptr);
    EXPECT_EQ(page.testField()->field()->text(), "");
    QCoreApplication::processEvents();
    EXPECT_EQ(page.focusWidget(), page.testField()->field());
}

// A row that places its children by hand places them again whenever they change, not only on a resize:
// after a chip is added or a chip's text grows, no two children overlap and each has its size hint.
TEST(FlowRow, ChildrenArePlacedAgainWhenTheyChangeWithoutAResize) {
    shellApp();
    QWidget window;
    auto *row = new FlowRow(6, 4, &window);
    row->setGeometry(0, 0, 300, 100);
    window.show();
    auto *first = new QLabel(QStringLiteral("Base 12"));
    row->add(first);
    auto *second = new QLabel(QStringLiteral("Memes 3"));
    row->add(second);
    const auto placedApart = [&] {
        const auto places = row->arrange(row->width());
        return first->geometry() == places[0] && second->geometry() == places[1] &&
               !first->geometry().intersects(second->geometry());
    };
    EXPECT_TRUE(placedApart());

    first->setText(QStringLiteral("Base sound: a much longer name 104"));
    QCoreApplication::processEvents(); // the child's request to be laid out again
    EXPECT_EQ(first->size(), first->sizeHint());
    EXPECT_TRUE(placedApart());
    EXPECT_EQ(row->minimumHeight(), row->heightForWidth(row->width()));
}

} // namespace
} // namespace tc::test
