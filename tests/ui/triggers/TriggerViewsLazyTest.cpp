// The trigger list and graph with hundreds of triggers: widgets only near what shows, wherever the view is
// scrolled, and the Right arrow through every trigger in order, on to the rows and nodes made as the focus scrolls.

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/triggers/TriggerGraph.h"
#include "ui/triggers/TriggerList.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

constexpr int kTriggers = 300;

std::string wordOf(int number) {
    return "w" + std::to_string(1000 + number);
}

struct Triggers {
    Harness harness;
    AppModel *model = nullptr;

    Triggers() {
        shellApp();
        motion::setEnabled(false);
        model = &harness.started();
        model->commitEdit([](AppData &data) {
            data.triggers.clear();
            for (int i = 0; i < kTriggers; ++i) {
                data.triggers.push_back(
                    Trigger{Uuid::random(), Trigger::Kind::word(wordOf(i)), "synth.boing", {}, true});
            }
        });
    }
    ~Triggers() {
        flushDeletes();
        motion::setEnabled(true);
    }
    // The place in the document of the trigger whose row or node holds `widget`, or -1.
    int placeOf(const std::vector<TriggerList::RowInfo> &rows, const QWidget *widget) const {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].widget != nullptr && (rows[i].widget == widget || rows[i].widget->isAncestorOf(widget))) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
};

// Presses Right `steps` times from the focused widget; for each stop, the trigger it belongs to and whether it is
// the trigger itself (else its switch).
std::vector<std::pair<int, bool>> walk(int steps, const std::function<int(QWidget *)> &triggerOf,
                                       const std::function<bool(QWidget *)> &isTrigger) {
    std::vector<std::pair<int, bool>> stops;
    for (int i = 0; i < steps; ++i) {
        QWidget *focused = QApplication::focusWidget();
        if (focused == nullptr) {
            break;
        }
        stops.emplace_back(triggerOf(focused), isTrigger(focused));
        QTest::keyClick(focused, Qt::Key_Right);
        QCoreApplication::processEvents();
    }
    return stops;
}

TEST(TriggerListLazy, RowsAreMadeNearTheViewAndTheRightArrowWalksEveryRowInOrder) {
    Triggers t;
    TriggerList list(*t.model, {});
    list.resize(900, 500);
    ASSERT_TRUE(activate(&list));
    QCoreApplication::processEvents();
    auto *bar = list.findChild<QScrollArea *>()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 100 * 55); // every row has its place
    const std::size_t made = list.madeRows();
    EXPECT_GE(made, 6u);
    EXPECT_LT(made, 30u);

    for (const int to : {bar->maximum() / 2, bar->maximum(), 0}) {
        SCOPED_TRACE(to);
        bar->setValue(to);
        QCoreApplication::processEvents();
        // Every row in view is made, at its place; the list holds about a screenful.
        QWidget *viewport = list.findChild<QScrollArea *>()->viewport();
        int inView = 0;
        for (const auto &row : list.rows()) {
            if (row.widget == nullptr) {
                continue;
            }
            const QRect at(row.widget->mapTo(viewport, QPoint(0, 0)), row.widget->size());
            inView += viewport->rect().intersects(at) ? 1 : 0;
        }
        EXPECT_GE(inView, 6);
        EXPECT_LE(list.madeRows(), made + 4);
    }

    // Tab from the first row: each row, then its switch, down past the rows made at first.
    list.rows().front().widget->setFocus(Qt::TabFocusReason);
    const auto rows = [&] { return list.rows(); };
    const auto stops = walk(
        80, [&](QWidget *widget) { return t.placeOf(rows(), widget); },
        [&](QWidget *widget) { return FocusRing::isAttached(widget) && widget->accessibleName().startsWith("Word"); });
    ASSERT_EQ(stops.size(), 80u);
    for (std::size_t i = 0; i < stops.size(); ++i) {
        EXPECT_EQ(stops[i].first, static_cast<int>(i / 2)) << i;
        EXPECT_EQ(stops[i].second, i % 2 == 0) << i;
    }
    EXPECT_GT(bar->value(), 0); // the focus scrolled the list
    EXPECT_LE(list.madeRows(), made + 4);
}

TEST(TriggerGraphLazy, TheRightArrowWalksEveryNodeInOrderAsTheyAreMade) {
    Triggers t;
    QScrollArea scroll;
    auto *graph = new TriggerGraph(*t.model, {});
    scroll.setWidget(graph);
    scroll.resize(800, 500);
    ASSERT_TRUE(activate(&scroll));
    QCoreApplication::processEvents();
    const std::size_t made = graph->madeTriggerNodes();
    EXPECT_LT(made, 30u);
    const auto &triggers = t.model->data().triggers;
    // The trigger a stop belongs to, by the word its node is named after.
    const auto wordAt = [](QWidget *widget) {
        for (QWidget *up = widget; up != nullptr; up = up->parentWidget()) {
            if (FocusRing::isAttached(up) && up->accessibleName().startsWith("Word")) {
                return up->accessibleName();
            }
        }
        return QString();
    };
    graph->triggerNode(triggers.front().id)->setFocus(Qt::TabFocusReason);
    QStringList words;
    std::vector<bool> onNode;
    for (int i = 0; i < 60; ++i) {
        QWidget *focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        words << wordAt(focused);
        onNode.push_back(FocusRing::isAttached(focused) && focused->accessibleName().startsWith("Word"));
        QTest::keyClick(focused, Qt::Key_Right);
        QCoreApplication::processEvents();
    }
    EXPECT_GT(scroll.verticalScrollBar()->value(), 0); // the focus scrolled the graph
    for (std::size_t i = 0; i < onNode.size(); ++i) {
        EXPECT_EQ(onNode[i], i % 2 == 0) << i; // the node, then its switch
        EXPECT_TRUE(words[static_cast<int>(i)].contains(QString::fromStdString(wordOf(static_cast<int>(i / 2)))))
            << i << ": " << words[static_cast<int>(i)].toStdString();
    }
    EXPECT_LE(graph->madeTriggerNodes(), made + 6);
}

} // namespace
} // namespace tc::test
