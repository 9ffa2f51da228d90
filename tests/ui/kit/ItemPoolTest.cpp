// The pooled list: widgets only for the items in view, kept by id across changes, reused as the list
// scrolls, and a keyboard path through every item in order.

#include "ui/kit/ItemPool.h"
#include "ui/FocusWalk.h"
#include "ui/ShellTestApp.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/ItemSlot.h"

#include <QHBoxLayout>
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

// Items with two controls each, made afresh for each binding (in a slot), in a pool that is one column of a
// taller canvas inside the scroll area rather than the scroll area's content itself.
class PairList final : public ItemPool {
public:
    static constexpr int kRow = 30;

    explicit PairList(QWidget *parent) : ItemPool(parent) {}

    static QString nameOf(std::size_t index, char which) { return QString::number(index) + QLatin1Char(which); }

protected:
    QRect itemRect(std::size_t index) const override { return {0, static_cast<int>(index) * kRow, 200, kRow}; }
    QWidget *makeWidget() override { return new ItemSlot(this); }
    void bindWidget(QWidget *widget, std::size_t index) override {
        auto *content = new QWidget;
        auto *row = new QHBoxLayout(content);
        row->setContentsMargins(0, 0, 0, 0);
        for (const char which : {'a', 'b'}) {
            auto *button = new QPushButton(nameOf(index, which), content);
            FocusRing::attach(button);
            row->addWidget(button);
        }
        static_cast<ItemSlot *>(widget)->setContent(content);
    }
    QWidget *focusTarget(QWidget *widget) const override { return static_cast<ItemSlot *>(widget)->content(); }
};

struct CanvasWindow {
    QWidget window;
    QPushButton *before;
    QScrollArea *scroll;
    QWidget *canvas;
    PairList *list;
    QPushButton *after;

    explicit CanvasWindow(int count) {
        auto *column = new QVBoxLayout(&window);
        before = new QPushButton(QStringLiteral("Before"), &window);
        scroll = new QScrollArea(&window);
        scroll->setFocusPolicy(Qt::NoFocus);
        scroll->setFixedHeight(150); // five rows
        scroll->setFrameShape(QFrame::NoFrame);
        canvas = new QWidget;
        canvas->setFixedSize(400, count * PairList::kRow + 40);
        list = new PairList(canvas);
        list->setGeometry(100, 40, 200, count * PairList::kRow);
        std::vector<Uuid> ids;
        for (int i = 0; i < count; ++i) {
            ids.push_back(ItemPool::idFor("item " + std::to_string(i)));
        }
        list->setItems(ids);
        scroll->setWidget(canvas);
        after = new QPushButton(QStringLiteral("After"), &window);
        column->addWidget(before);
        column->addWidget(scroll);
        column->addWidget(after);
        window.resize(460, 260);
    }

    // The first control of each item made now, in item order.
    QStringList shown() const {
        QStringList names;
        for (QWidget *widget : list->boundWidgets()) {
            names << static_cast<ItemSlot *>(widget)->content()->findChild<QPushButton *>()->text();
        }
        return names;
    }
};

TEST(ItemPool, APoolInsideAScrolledCanvasMakesOnlyWhatShowsAndScrollsItsItemsIntoView) {
    shellApp();
    CanvasWindow w(200);
    ASSERT_TRUE(activate(&w.window));
    // The pool starts 40 down the canvas: rows 0 to 3 show and one more below.
    EXPECT_EQ(w.shown(), (QStringList{"0a", "1a", "2a", "3a", "4a"}));
    EXPECT_LE(w.list->madeWidgets(), 12u);
    // The canvas scrolls, not the pool itself: the pool follows the scroll bar.
    w.scroll->verticalScrollBar()->setValue(40 + 100 * PairList::kRow);
    EXPECT_EQ(w.shown(), (QStringList{"99a", "100a", "101a", "102a", "103a", "104a", "105a"}));
    // An item asked for is scrolled into view in the scroll area around the canvas.
    QWidget *far = w.list->showItem(180);
    ASSERT_NE(far, nullptr);
    const QRect place(far->mapTo(w.scroll->viewport(), QPoint(0, 0)), far->size());
    EXPECT_TRUE(w.scroll->viewport()->rect().contains(place));
    EXPECT_LE(w.list->madeWidgets(), 12u);
}

TEST(ItemPool, TabGoesThroughEachItemsControlsThenTheNextItemsAndBack) {
    shellApp();
    CanvasWindow w(30);
    ASSERT_TRUE(activate(&w.window));
    w.before->setFocus(Qt::TabFocusReason);
    QStringList forward;
    for (int i = 0; i < 60; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        auto *button = qobject_cast<QPushButton *>(QApplication::focusWidget());
        ASSERT_NE(button, nullptr);
        ASSERT_NE(button, w.after) << "left the list after " << i << " controls";
        forward << button->text();
    }
    QStringList expected;
    for (std::size_t i = 0; i < 30; ++i) {
        expected << PairList::nameOf(i, 'a') << PairList::nameOf(i, 'b');
    }
    EXPECT_EQ(forward, expected);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.after);

    QStringList backward;
    for (int i = 0; i < 60; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        auto *button = qobject_cast<QPushButton *>(QApplication::focusWidget());
        ASSERT_NE(button, nullptr);
        ASSERT_NE(button, w.before) << "left the list after " << i << " controls";
        backward << button->text();
    }
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(backward, expected);
}

// A slot's content made again under the keyboard keeps the focus in the slot.
TEST(ItemPool, AnItemMadeAgainUnderTheFocusKeepsIt) {
    shellApp();
    CanvasWindow w(30);
    ASSERT_TRUE(activate(&w.window));
    auto *slot = static_cast<ItemSlot *>(w.list->widgetAt(2));
    ASSERT_NE(slot, nullptr);
    QWidget *old = slot->content();
    old->findChild<QPushButton *>()->setFocus(Qt::TabFocusReason);
    w.list->refresh({ItemPool::idFor("item 2")});
    EXPECT_NE(slot->content(), old);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_TRUE(slot->content() == QApplication::focusWidget() ||
                slot->content()->isAncestorOf(QApplication::focusWidget()));
    EXPECT_EQ(w.list->widgetAt(2), slot);
}

TEST(ItemPool, NewItemsAndTheScrollThatGoesWithThemAreOneChangeWhileHeld) {
    shellApp();
    Window w(300);
    ASSERT_TRUE(activate(&w.window));
    w.scroll->verticalScrollBar()->setValue(200 * NumberList::kRow);
    std::map<int, QWidget *> before;
    for (QWidget *widget : w.list->boundWidgets()) {
        before[static_cast<QPushButton *>(widget)->text().toInt()] = widget;
    }
    ASSERT_TRUE(before.contains(201));
    // The items from 201 on, shown from the top: their widgets move up with them.
    std::vector<Uuid> ids;
    for (int i = 201; i < 300; ++i) {
        ids.push_back(NumberList::idOf(i));
    }
    w.list->holdPlaces(true);
    w.list->setItems(ids);
    w.scroll->verticalScrollBar()->setValue(0);
    w.list->holdPlaces(false);
    EXPECT_EQ(w.list->widgetAt(0), before[201]);
    EXPECT_EQ(before[201]->y(), 0);
}

TEST(ItemPool, AnIdForANameIsTheSameForTheSameNameOnly) {
    EXPECT_EQ(ItemPool::idFor("org.example.app"), ItemPool::idFor("org.example.app"));
    EXPECT_NE(ItemPool::idFor("org.example.app"), ItemPool::idFor("org.example.app2"));
    EXPECT_NE(ItemPool::idFor(""), ItemPool::idFor("a"));
    EXPECT_NE(ItemPool::idFor("ab"), ItemPool::idFor("ba"));
}

} // namespace
} // namespace tc::test
