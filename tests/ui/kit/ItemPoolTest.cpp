// The pooled list: widgets only for the items in view, kept by id across changes, reused as the list
// scrolls, and a keyboard path through every item in order.

#include "ui/kit/ItemPool.h"
#include "ui/FocusWalk.h"
#include "ui/ShellTestApp.h"
#include "ui/kit/FocusRing.h"

#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <map>

namespace tc::test {
namespace {

// Rows 20 high, one button per item, labelled with the item's number.
class NumberList final : public ItemPool {
public:
    static constexpr int kRow = 20;

    explicit NumberList(QWidget *parent = nullptr) : ItemPool(parent) {}

    void setCount(int count) {
        std::vector<Uuid> ids;
        for (int i = 0; i < count; ++i) {
            ids.push_back(idOf(i));
        }
        setItems(ids);
    }
    static Uuid idOf(int number) {
        auto &ids = numbers();
        if (!ids.contains(number)) {
            ids[number] = Uuid::random();
        }
        return ids[number];
    }
    static int numberOf(const Uuid &id) {
        for (const auto &[number, candidate] : numbers()) {
            if (candidate == id) {
                return number;
            }
        }
        return -1;
    }

    int binds = 0;
    QSize sizeHint() const override { return {200, static_cast<int>(items().size()) * kRow}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    QRect itemRect(std::size_t index) const override { return {0, static_cast<int>(index) * kRow, 200, kRow}; }
    QWidget *makeWidget() override {
        auto *button = new QPushButton(this);
        FocusRing::attach(button);
        return button;
    }
    void bindWidget(QWidget *widget, std::size_t index) override {
        ++binds;
        auto *button = static_cast<QPushButton *>(widget);
        button->setText(QString::number(numberOf(items()[index])));
        button->setAccessibleName(button->text());
    }

private:
    static std::map<int, Uuid> &numbers() {
        static std::map<int, Uuid> ids;
        return ids;
    }
};

// A button, the list in a scroll area 100 high (five rows), and another button.
struct Window {
    QWidget window;
    QPushButton *before;
    QScrollArea *scroll;
    NumberList *list;
    QPushButton *after;

    explicit Window(int count) {
        auto *column = new QVBoxLayout(&window);
        before = new QPushButton(QStringLiteral("Before"), &window);
        scroll = new QScrollArea(&window);
        scroll->setFocusPolicy(Qt::NoFocus);
        scroll->setWidgetResizable(true);
        scroll->setFixedHeight(100);
        scroll->setFrameShape(QFrame::NoFrame);
        list = new NumberList;
        scroll->setWidget(list);
        list->setCount(count);
        after = new QPushButton(QStringLiteral("After"), &window);
        column->addWidget(before);
        column->addWidget(scroll);
        column->addWidget(after);
        window.resize(240, 200);
    }

    // The numbers the list's widgets show, in order.
    std::vector<int> shown() const {
        std::vector<int> numbers;
        for (QWidget *widget : list->boundWidgets()) {
            numbers.push_back(static_cast<QPushButton *>(widget)->text().toInt());
        }
        return numbers;
    }
};

TEST(ItemPool, MakesWidgetsOnlyForTheItemsInViewAndReusesThemAsTheListScrolls) {
    shellApp();
    Window w(300);
    ASSERT_TRUE(activate(&w.window));
    // Five rows show, and one either side is made ahead.
    EXPECT_EQ(w.shown(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_LE(w.list->madeWidgets(), 7u);

    w.scroll->verticalScrollBar()->setValue(150 * NumberList::kRow);
    EXPECT_EQ(w.shown(), (std::vector<int>{149, 150, 151, 152, 153, 154, 155}));
    w.scroll->verticalScrollBar()->setValue(w.scroll->verticalScrollBar()->maximum());
    EXPECT_EQ(w.shown().back(), 299);
    EXPECT_LE(w.list->madeWidgets(), 8u);
    // Each widget sits at its item's place.
    for (QWidget *widget : w.list->boundWidgets()) {
        EXPECT_EQ(widget->y(), static_cast<QPushButton *>(widget)->text().toInt() * NumberList::kRow);
    }
}

TEST(ItemPool, ItemsThatStayKeepTheirWidgetsUntouched) {
    shellApp();
    Window w(10);
    ASSERT_TRUE(activate(&w.window));
    std::map<int, QWidget *> before;
    for (QWidget *widget : w.list->boundWidgets()) {
        before[static_cast<QPushButton *>(widget)->text().toInt()] = widget;
    }
    const int binds = w.list->binds;

    struct Case {
        const char *change;
        std::vector<int> items;
        std::vector<int> shown;
        int newBinds; // widgets bound to an item that had none in view
    };
    const Case cases[] = {
        {"the first removed", {1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6}, 1},
        {"one put back in front", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 1, 2, 3, 4, 5}, 1},
        {"two swapped", {0, 2, 1, 3, 4, 5, 6, 7, 8, 9}, {0, 2, 1, 3, 4, 5}, 0},
        {"a new one in the middle", {0, 2, 1, 42, 3, 4, 5, 6, 7, 8, 9}, {0, 2, 1, 42, 3, 4}, 1},
    };
    int expectedBinds = binds;
    for (const Case &c : cases) {
        std::vector<Uuid> ids;
        for (const int number : c.items) {
            ids.push_back(NumberList::idOf(number));
        }
        w.list->setItems(ids);
        expectedBinds += c.newBinds;
        EXPECT_EQ(w.shown(), c.shown) << c.change;
        EXPECT_EQ(w.list->binds, expectedBinds) << c.change;
        for (QWidget *widget : w.list->boundWidgets()) {
            const int number = static_cast<QPushButton *>(widget)->text().toInt();
            if (before.contains(number) && number != 0) {
                EXPECT_EQ(widget, before[number]) << c.change << ": item " << number;
            }
            EXPECT_EQ(widget->geometry(),
                      QRect(0,
                            static_cast<int>(std::find(c.items.begin(), c.items.end(), number) - c.items.begin()) *
                                NumberList::kRow,
                            200, NumberList::kRow))
                << c.change << ": item " << number;
        }
    }
    // A refresh binds the named items' widgets again, and no others.
    const int binding = w.list->binds;
    w.list->refresh({NumberList::idOf(2), NumberList::idOf(200)});
    EXPECT_EQ(w.list->binds, binding + 1);
}

TEST(ItemPool, TabGoesThroughEveryItemInOrderAndOnPastTheList) {
    shellApp();
    Window w(40);
    ASSERT_TRUE(activate(&w.window));
    w.before->setFocus(Qt::TabFocusReason);
    std::vector<int> forward;
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        auto *button = qobject_cast<QPushButton *>(QApplication::focusWidget());
        ASSERT_NE(button, nullptr);
        ASSERT_NE(button, w.after) << "left the list after " << i << " items";
        forward.push_back(button->text().toInt());
        // The focused item shows.
        EXPECT_TRUE(w.scroll->viewport()->rect().contains(
            QRect(button->mapTo(w.scroll->viewport(), QPoint(0, 0)), button->size())))
            << i;
    }
    std::vector<int> expected(40);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(forward, expected);
    EXPECT_LE(w.list->madeWidgets(), 9u);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.after);

    // Back again, from the control after the list to the one before it.
    std::vector<int> backward;
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        auto *button = qobject_cast<QPushButton *>(QApplication::focusWidget());
        ASSERT_NE(button, nullptr);
        ASSERT_NE(button, w.before) << "left the list after " << i << " items";
        backward.push_back(button->text().toInt());
    }
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(backward, expected);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), w.before);
}

TEST(ItemPool, TheFocusedWidgetKeepsItsItemWhileItScrollsAway) {
    shellApp();
    Window w(100);
    ASSERT_TRUE(activate(&w.window));
    QWidget *first = w.list->widgetAt(0);
    ASSERT_NE(first, nullptr);
    first->setFocus(Qt::TabFocusReason);
    w.scroll->verticalScrollBar()->setValue(50 * NumberList::kRow);
    EXPECT_EQ(w.list->widgetAt(0), first);
    EXPECT_TRUE(first->hasFocus());
    EXPECT_EQ(static_cast<QPushButton *>(first)->text(), QStringLiteral("0"));
    // Tab from it goes on to the next item, brought back into view.
    QTest::keyClick(first, Qt::Key_Tab);
    auto *next = qobject_cast<QPushButton *>(QApplication::focusWidget());
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->text(), QStringLiteral("1"));
    EXPECT_EQ(w.scroll->verticalScrollBar()->value(), 0);
}

} // namespace
} // namespace tc::test
