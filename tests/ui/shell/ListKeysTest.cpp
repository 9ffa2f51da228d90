// The lists of the user's items in a long-time user's document (hundreds of packs, sounds, rules, triggers):
// each list is one Tab stop however many items it holds, and inside it the arrow keys, Home, End and the Page
// keys move the focus from item to item, each item reached being made and scrolled into view.

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/ProfileLists.h"
#include "ui/apprules/AppRulesView.h"
#include "ui/kit/ItemPool.h"
#include "ui/sounds/PickerLibraryPane.h"
#include "ui/sounds/SoundFilePanels.h"
#include "ui/sounds/SoundPickerState.h"
#include "ui/sounds/SoundsView.h"
#include "ui/triggers/TriggersView.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <typeinfo>

namespace tc::test {
namespace {

constexpr int kMany = 300;

std::string ownID(int number) {
    return "user.many." + std::to_string(number);
}

// The document of a user of long standing.
AppModel &bigDocument(Harness &harness) {
    AppModel &model = harness.started();
    makeProfiles(model, kMany);
    model.commitEdit(
        [](AppData &data) {
            for (int i = 0; i < kMany; ++i) {
                data.userSounds.push_back(
                    {ownID(i), "Sound " + std::to_string(i), SoundCategory::mine, ownID(i) + ".wav", 0.5});
            }
        },
        AppModel::userSoundsPart);
    model.commitEdit([](AppData &data) {
        data.appRules.clear();
        data.triggers.clear();
        for (int i = 0; i < kMany; ++i) {
            data.appRules.push_back(AppRule{"app" + std::to_string(i), "App " + std::to_string(i), std::nullopt});
            data.triggers.push_back(
                Trigger{Uuid::random(), Trigger::Kind::word("w" + std::to_string(1000 + i)), ownID(i), {}, true});
        }
    });
    return model;
}

// One list under test: the view that holds it, and which of the view's pools it is.
struct ListCase {
    const char *name;
    std::function<std::unique_ptr<QWidget>(AppModel &)> make;
    const char *pool; // the class of the view's item pool that holds the list
    Qt::Key onward;   // the arrow that goes to a later item
    QSize size;
};

ItemPool *poolOf(QWidget *view, const char *name) {
    for (QWidget *widget : view->findChildren<QWidget *>()) {
        auto *pool = dynamic_cast<ItemPool *>(widget);
        if (pool != nullptr && std::string(typeid(*pool).name()).find(name) != std::string::npos) {
            return pool;
        }
    }
    return nullptr;
}

// The item whose widget holds `control`, or -1 when it is outside the list's items.
int itemHolding(const ItemPool &pool, const QWidget *control) {
    for (std::size_t i = 0; i < pool.items().size(); ++i) {
        const QWidget *widget = pool.widgetAt(i);
        if (widget != nullptr && control != nullptr && (widget == control || widget->isAncestorOf(control))) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int focusedItem(const ItemPool &pool) {
    return itemHolding(pool, QApplication::focusWidget());
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    QCoreApplication::processEvents();
}

bool focusInView() {
    QWidget *focused = QApplication::focusWidget();
    return focused != nullptr && !focused->visibleRegion().isEmpty();
}

class ListKeys : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListKeys, AListOfManyItemsIsOneTabStopWithTheArrowKeysInside) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = bigDocument(harness);
    const ListCase &list = GetParam();
    std::unique_ptr<QWidget> view = list.make(model);
    view->resize(list.size);
    ASSERT_TRUE(activate(view.get()));
    QCoreApplication::processEvents();
    ItemPool *found = poolOf(view.get(), list.pool);
    ASSERT_NE(found, nullptr);
    ItemPool &pool = *found;
    const int count = static_cast<int>(pool.items().size());
    ASSERT_GE(count, kMany);

    // Tab from the window's start comes to the list's first item, and one Tab more goes past the list.
    const std::vector<QWidget *> walk = tabWalk(view.get());
    ASSERT_FALSE(walk.empty());
    const auto inList = [&](QWidget *stop) { return itemHolding(pool, stop) >= 0; };
    EXPECT_EQ(std::count_if(walk.begin(), walk.end(), inList), 1);
    const auto into = std::find_if(walk.begin(), walk.end(), inList);
    ASSERT_NE(into, walk.end());
    (*into)->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(focusedItem(pool), 0);
    press(Qt::Key_Tab);
    EXPECT_EQ(focusedItem(pool), -1);
    press(Qt::Key_Backtab);
    EXPECT_EQ(focusedItem(pool), 0);

    // The keys move within the list, and the item reached shows.
    press(Qt::Key_End);
    EXPECT_EQ(focusedItem(pool), count - 1);
    EXPECT_TRUE(focusInView());
    press(Qt::Key_Home);
    EXPECT_EQ(focusedItem(pool), 0);
    EXPECT_TRUE(focusInView());
    press(list.onward);
    const int next = focusedItem(pool);
    EXPECT_GT(next, 0);
    press(Qt::Key_PageDown);
    EXPECT_GT(focusedItem(pool), next + 1) << "a page on";
    EXPECT_TRUE(focusInView());
    press(Qt::Key_PageUp);
    EXPECT_EQ(focusedItem(pool), next) << "a page back";
    EXPECT_TRUE(focusInView());

    // The list keeps its place: past it and back, Tab lands where the keys left the focus.
    press(Qt::Key_End);
    press(Qt::Key_Tab);
    EXPECT_EQ(focusedItem(pool), -1);
    // Scrolled away meanwhile, the list still holds its Tab stop.
    for (QScrollArea *area : view->findChildren<QScrollArea *>()) {
        area->verticalScrollBar()->setValue(0);
        area->horizontalScrollBar()->setValue(0);
    }
    QCoreApplication::processEvents();
    press(Qt::Key_Backtab);
    EXPECT_EQ(focusedItem(pool), count - 1);
    EXPECT_TRUE(focusInView());
    flushDeletes();
    motion::setEnabled(true);
}

std::unique_ptr<QWidget> soundsView(AppModel &model) {
    static SoundFilePanels panels;
    return std::make_unique<SoundsView>(model, panels);
}

std::unique_ptr<QWidget> triggersView(AppModel &model, bool graph) {
    auto view = std::make_unique<TriggersView>(model, TriggerApps{});
    view->setShowsGraph(graph);
    return view;
}

std::unique_ptr<QWidget> pickerLibrary(AppModel &model) {
    auto host = std::make_unique<QWidget>();
    auto *state = new SoundPickerState(host.get());
    state->setCategory(SoundCategory::mine);
    auto *pane = new PickerLibraryPane(model, *state, host.get());
    auto *column = new QVBoxLayout(host.get());
    column->addWidget(pane);
    return host;
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListKeys,
    ::testing::Values(ListCase{"PacksRow", soundsView, "PacksRow", Qt::Key_Right, {1300, 800}},
                      ListCase{"SoundLibrary", soundsView, "SoundRowPool", Qt::Key_Down, {1300, 800}},
                      ListCase{"RuleGrid",
                               [](AppModel &model) {
                                   return std::make_unique<AppRulesView>(model, AppDirectory::desktop(nullptr));
                               },
                               "RuleGrid",
                               Qt::Key_Down,
                               {1100, 800}},
                      ListCase{"TriggerList",
                               [](AppModel &model) { return triggersView(model, false); },
                               "TriggerRowPool",
                               Qt::Key_Down,
                               {1100, 800}},
                      ListCase{"TriggerGraphTriggers",
                               [](AppModel &model) { return triggersView(model, true); },
                               "TriggerNodePool",
                               Qt::Key_Down,
                               {1100, 800}},
                      ListCase{"TriggerGraphSounds",
                               [](AppModel &model) { return triggersView(model, true); },
                               "SoundNodePool",
                               Qt::Key_Down,
                               {1100, 800}},
                      ListCase{"PickerLibrary", pickerLibrary, "PickerCardPool", Qt::Key_Down, {700, 500}}),
    [](const ::testing::TestParamInfo<ListCase> &param) { return std::string(param.param.name); });

} // namespace
} // namespace tc::test
