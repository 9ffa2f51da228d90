// The Triggers screen: the count, the add bar, the selection, the graph's geometry, the list's groups and
// columns, and the application chips, which round-trip through the saved document.

#include "ui/triggers/TriggersView.h"
#include "app/Motion.h"
#include "model/Json.h"
#include "ui/ModelStates.h"
#include "ui/kit/CardScrollBar.h"
#include "ui/kit/SectionTitle.h"
#include "ui/kit/Shapes.h"
#include "ui/triggers/FlowChips.h"
#include "ui/triggers/SegmentedSwitch.h"
#include "ui/triggers/TriggerEditor.h"
#include "ui/triggers/TriggerGraph.h"
#include "ui/triggers/TriggerLabel.h"
#include "ui/triggers/TriggerList.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>

namespace tc::test {
namespace {

struct StillApp {
    StillApp() {
        shellApp();
        motion::setEnabled(false);
    }
    ~StillApp() { motion::setEnabled(true); }
};

Trigger makeTrigger(Trigger::Kind kind, std::string sound = "synth.boing") {
    return Trigger{Uuid::random(), std::move(kind), std::move(sound), {}, true};
}

// Applications as a test sets them: some running, one the chooser returns, two installed names.
struct FakeApps {
    std::vector<RunningApp> running{{"org.gnome.Terminal", "Terminal", {}}, {"firefox", "Firefox", {}}};
    std::optional<ChosenApp> chosen;
    int chooserOpened = 0;

    TriggerApps apps() {
        TriggerApps apps;
        apps.running = [this] { return running; };
        apps.choose = [this](QWidget *) {
            ++chooserOpened;
            return chosen;
        };
        apps.installedName = [](const QString &id) -> std::optional<QString> {
            if (id == "org.gnome.Terminal") {
                return QStringLiteral("Terminal");
            }
            if (id == "firefox") {
                return QStringLiteral("Firefox Web Browser");
            }
            return std::nullopt;
        };
        return apps;
    }
};

QStringList menuTexts(QMenu *menu) {
    QStringList texts;
    for (QAction *action : menu->actions()) {
        texts << (action->isSeparator() ? QStringLiteral("—") : action->text());
    }
    return texts;
}

QAction *menuAction(QMenu *menu, const QString &text) {
    for (QAction *action : menu->actions()) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

// A started program with the motion off and the applications a test sets; the views a test shows are kept
// until it ends.
class TriggersScreen : public ::testing::Test {
protected:
    StillApp still;
    Harness harness;
    AppModel &model = harness.started();
    FakeApps fake;

    // `widget` at `size`, shown and laid out.
    template <typename View> View &shown(std::unique_ptr<View> widget, QSize size) {
        View &view = *widget;
        view.resize(size);
        view.show();
        QCoreApplication::processEvents();
        views_.push_back(std::move(widget));
        return view;
    }
    TriggersView &shownView(QSize size) { return shown(std::make_unique<TriggersView>(model, TriggerApps{}), size); }
    TriggerList &shownList(QSize size) { return shown(std::make_unique<TriggerList>(model, fake.apps()), size); }

    // The document's triggers and then `count` words, "word0" on, that play the default sound.
    void addWords(int count) {
        model.commitEdit([count](AppData &data) {
            for (int i = 0; i < count; ++i) {
                data.triggers.push_back(makeTrigger(Trigger::Kind::word("word" + std::to_string(i))));
            }
        });
    }

private:
    std::vector<std::unique_ptr<QWidget>> views_;
};

TEST_F(TriggersScreen, CountsAddsSelectsAndFallsBackWhenTheSelectedTriggerGoes) {
    model.commitEdit([](AppData &data) { data.triggers.clear(); });
    TriggersView &view = shownView({1200, 800});
    EXPECT_EQ(view.currentContent(), view.emptyState());
    EXPECT_EQ(view.currentID(), std::nullopt);
    EXPECT_TRUE(view.editor()->emptyCard()->isVisibleTo(&view));
    view.viewToggle()->button(1)->click(); // the toggle works over the empty state
    EXPECT_FALSE(view.showsGraph());
    EXPECT_EQ(view.currentContent(), view.emptyState());
    view.viewToggle()->button(0)->click();

    view.addShortcutButton()->click();
    view.addShortcutButton()->click();
    ASSERT_EQ(model.data().triggers.size(), 2u);
    for (const Trigger &trigger : model.data().triggers) {
        EXPECT_EQ(trigger.kind, Trigger::Kind::shortcut(3, 0x60000));
        EXPECT_EQ(trigger.soundID, "synth.tada");
        EXPECT_TRUE(trigger.enabled);
        EXPECT_TRUE(trigger.appBundleIDs.empty());
    }
    EXPECT_EQ(view.selectedID(), model.data().triggers[1].id); // the second one is selected
    EXPECT_EQ(view.editor()->triggerID(), model.data().triggers[1].id);
    EXPECT_EQ(view.currentContent(), view.graph()->parentWidget()->parentWidget()->parentWidget());

    view.addWordButton()->click();
    EXPECT_EQ(model.data().triggers.back().kind, Trigger::Kind::word("yay"));
    EXPECT_EQ(SectionTitle::layout("Triggers", QStringLiteral("3 triggers")).detailText, "3 TRIGGERS");

    // Switching to the list keeps the selection.
    const Uuid word = model.data().triggers.back().id;
    view.viewToggle()->button(1)->click();
    EXPECT_EQ(view.currentContent(), view.list());
    EXPECT_EQ(view.selectedID(), word);
    int highlighted = 0;
    for (const auto &row : view.list()->rows()) {
        highlighted += row.selected;
        EXPECT_EQ(row.selected, row.id == word);
    }
    EXPECT_EQ(highlighted, 1);

    // Deleting the selected trigger leaves the editor on the first one and highlights nothing.
    view.editor()->deleteButton()->click();
    EXPECT_EQ(view.selectedID(), word); // kept, though gone
    EXPECT_EQ(view.currentID(), model.data().triggers.front().id);
    EXPECT_EQ(view.editor()->triggerID(), model.data().triggers.front().id);
    for (const auto &row : view.list()->rows()) {
        EXPECT_FALSE(row.selected);
    }
    EXPECT_EQ(harness.router.config()->wordTriggers.count("yay"), 0u);
}

// Deleting shows the next trigger in the same editor, its Delete under the pointer: a double click on Delete
// removes one trigger, not two; a later single click removes the next.
TEST_F(TriggersScreen, ADoubleClickOnDeleteRemovesOneTrigger) {
    TriggersView &view = shownView({1200, 800});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const std::size_t before = model.data().triggers.size();
    ASSERT_GE(before, 3u);
    QAbstractButton *remove = view.editor()->deleteButton();
    const QPoint at = remove->mapTo(&view, remove->rect().center());
    // Through the window system, which turns the second press into a double click.
    QTest::mouseDClick(view.windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_EQ(model.data().triggers.size(), before - 1);
    QTest::mouseClick(view.windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_EQ(model.data().triggers.size(), before - 2);
}

// On a narrow window (1280x800 under a panel) the graph gives up the room between its columns rather than
// scrolling sideways: both columns show whole. A wide one keeps the full room; a window too narrow even for
// the least room scrolls as a last resort.
TEST_F(TriggersScreen, TheGraphFitsTheWidthItHasByNarrowingTheLinks) {
    TriggersView &view = shownView({1400, 700});
    const TriggerGraph::Geometry full;
    const struct {
        int width;
        qreal soundX;
    } cases[] = {
        {1400, full.soundX},
        {1150, -1}, // between: fits the area
        {700, full.leftWidth + TriggerGraph::kLeastLinkRoom},
    };
    for (const auto &c : cases) {
        view.resize(c.width, 700);
        QCoreApplication::processEvents();
        QScrollArea *area = view.graphScroll();
        const qreal soundX = view.graph()->currentGeometry().soundX;
        if (c.soundX >= 0) {
            EXPECT_EQ(soundX, c.soundX) << c.width;
        } else {
            EXPECT_LT(soundX, full.soundX) << c.width;
            EXPECT_GT(soundX, full.leftWidth + TriggerGraph::kLeastLinkRoom) << c.width;
        }
        if (soundX > full.leftWidth + TriggerGraph::kLeastLinkRoom) {
            EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0) << c.width;
            for (const std::string &sound : view.graph()->currentLayout().soundIDs) {
                QWidget *node = view.graph()->soundNode(sound);
                ASSERT_NE(node, nullptr);
                EXPECT_LE(node->mapTo(area->viewport(), QPoint(node->width(), 0)).x(), area->viewport()->width())
                    << c.width;
            }
        }
    }
}

// A trigger added to a long list scrolls into view in the graph and in the list.
TEST_F(TriggersScreen, ANewTriggerScrollsIntoView) {
    for (int i = 0; i < 20; ++i) {
        model.addTrigger(Trigger::Kind::word("w" + std::to_string(i)), "synth.tada");
    }
    TriggersView &view = shownView({1200, 600});
    const auto shows = [](QWidget *widget, QWidget *viewport) {
        const QRect at(widget->mapTo(viewport, QPoint(0, 0)), widget->size());
        return viewport->rect().contains(at);
    };

    view.addWordButton()->click();
    QCoreApplication::processEvents();
    const Uuid first = model.data().triggers.back().id;
    ASSERT_NE(view.graph()->triggerNode(first), nullptr);
    EXPECT_TRUE(shows(view.graph()->triggerNode(first), view.graphScroll()->viewport()));

    view.viewToggle()->button(1)->click();
    view.addWordButton()->click();
    QCoreApplication::processEvents();
    const Uuid second = model.data().triggers.back().id;
    QWidget *row = nullptr;
    for (const auto &info : view.list()->rows()) {
        if (info.id == second) {
            row = info.widget;
        }
    }
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(shows(row, view.list()->findChild<QScrollArea *>()->viewport()));
}

TEST_F(TriggersScreen, TheTitleCountsWithTheOnePluralWord) {
    for (std::size_t count : {0u, 1u, 5u}) {
        model.commitEdit([count](AppData &data) {
            data.triggers.clear();
            for (std::size_t i = 0; i < count; ++i) {
                data.triggers.push_back(makeTrigger(Trigger::Kind::word("w")));
            }
        });
        TriggersView view(model, {});
        EXPECT_EQ(view.title()->sizeHint(),
                  SectionTitle(QStringLiteral("Triggers"), QStringLiteral("%1 triggers").arg(count)).sizeHint());
    }
}

TEST(TriggerGraph, PlacesShortcutsThenWordsAndSpreadsTheSoundsOverTheTriggerColumn) {
    const TriggerGraph::Geometry g;
    const auto shortcut = [](std::string sound) { return makeTrigger(Trigger::Kind::shortcut(1, 0x100000), sound); };
    const auto word = [](std::string sound) { return makeTrigger(Trigger::Kind::word("w"), sound); };
    const struct {
        const char *name;
        std::vector<Trigger> triggers;
        std::vector<qreal> tops;
        qreal wordsLabel;
        std::vector<std::string> sounds;
        std::vector<qreal> soundTops;
        qreal height;
    } rows[] = {
        {"nothing", {}, {}, 44, {}, {}, 68},
        {"words only", {word("a"), word("b")}, {68, 136}, 44, {"a", "b"}, {30, 117}, 204},
        {"shortcuts only", {shortcut("a"), shortcut("a")}, {30, 98}, 180, {"a"}, {30}, 204},
        // Words in the document before shortcuts still sit below them; shortcut sounds come first.
        {"mixed order",
         {word("w"), shortcut("s"), word("w"), shortcut("s")},
         {204, 30, 272, 98},
         180,
         {"s", "w"},
         {30, 30 + 155},
         340},
        // Many sounds for few triggers: rows stay 78 apart and the graph grows.
        {"many sounds",
         {word("a"), word("b"), word("c"), word("d")},
         {68, 136, 204, 272},
         44,
         {"a", "b", "c", "d"},
         {30, 108, 186, 264},
         342},
    };
    for (const auto &row : rows) {
        const auto layout = TriggerGraph::layout(row.triggers, g);
        EXPECT_EQ(layout.nodeTops, row.tops) << row.name;
        EXPECT_EQ(layout.wordsLabelY, row.wordsLabel) << row.name;
        EXPECT_EQ(layout.soundIDs, row.sounds) << row.name;
        for (std::size_t i = 0; i < row.sounds.size(); ++i) {
            EXPECT_DOUBLE_EQ(layout.soundTops.at(row.sounds[i]), row.soundTops[i]) << row.name;
        }
        EXPECT_DOUBLE_EQ(layout.size.height(), row.height) << row.name;
        EXPECT_DOUBLE_EQ(layout.size.width(), 730) << row.name;
    }
}

TEST(TriggerGraph, LinksAreSolidInkWhenSelectedAndDashedGreyOtherwise) {
    const TriggerGraph::Geometry g;
    std::vector<Trigger> triggers{makeTrigger(Trigger::Kind::shortcut(1, 0x100000), "a"),
                                  makeTrigger(Trigger::Kind::word("w"), "a"),
                                  makeTrigger(Trigger::Kind::word("x"), "b")};
    triggers[2].enabled = false;
    const auto layout = TriggerGraph::layout(triggers, g);

    auto links = TriggerGraph::links(triggers, layout, g, triggers[0].id);
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0].start, QPointF(260, 58));
    EXPECT_EQ(links[0].end, QPointF(430, 62));
    EXPECT_EQ(links[0].pen.color(), QColor(17, 17, 17));
    EXPECT_EQ(links[0].pen.widthF(), 2);
    EXPECT_EQ(links[0].pen.style(), Qt::SolidLine);
    EXPECT_EQ(links[1].pen.color(), QColor(156, 156, 150));
    EXPECT_EQ(links[2].pen.color(), QColor(200, 200, 195)); // switched off
    // 3 points on, 5 off, in Qt's units of the 1.5-point pen width.
    EXPECT_EQ(links[1].pen.dashPattern(), (QList<qreal>{2, 5 / 1.5}));
    EXPECT_EQ(links[1].pen.capStyle(), Qt::RoundCap);

    // A selection that names a deleted trigger: no solid link anywhere.
    links = TriggerGraph::links(triggers, layout, g, Uuid::random());
    for (const auto &link : links) {
        EXPECT_EQ(link.pen.style(), Qt::CustomDashLine);
    }
    EXPECT_EQ(TriggerGraph::countText(1), QStringLiteral("1 TRIGGER"));
    EXPECT_EQ(TriggerGraph::countText(3), QStringLiteral("3 TRIGGERS"));
    EXPECT_EQ(TriggerGraph::countText(0), QStringLiteral("0 TRIGGERS"));
}

TEST_F(TriggersScreen, TheListGroupsRowsAndNamesSoundsAndApplications) {
    model.commitEdit([](AppData &data) {
        data.triggers.clear();
        data.triggers.push_back(makeTrigger(Trigger::Kind::word("a"), "synth.boing"));
        data.triggers.push_back(makeTrigger(Trigger::Kind::word("b"), "user.gone"));
        data.triggers.back().appBundleIDs = {"Zoom", "firefox", "org.example.Gone"};
        data.triggers.back().enabled = false;
    });
    TriggerList list(model, fake.apps());
    EXPECT_EQ(list.groupTitles(), QStringList{"Words"}); // no shortcuts: no Shortcuts group at all
    auto rows = list.rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].plays, QStringLiteral("Boing"));
    EXPECT_EQ(rows[0].where, QStringLiteral("All apps"));
    EXPECT_EQ(rows[1].plays, QStringLiteral("Missing sound"));
    // An app rule's stored name, else the installed entry's name, else the id itself; in stored order.
    EXPECT_EQ(rows[1].where, QStringLiteral("Zoom, Firefox Web Browser, org.example.Gone"));
    EXPECT_FALSE(rows[1].enabled);

    model.addTrigger(Trigger::Kind::shortcut(1, 0x40000), "synth.meow");
    EXPECT_EQ(list.groupTitles(), (QStringList{"Shortcuts", "Words"}));
    EXPECT_EQ(list.rows().front().group, QStringLiteral("Shortcuts"));
}

// The list fills its rounded card: its scroll bar's thumb stays inside the card's rounded edge at the top and
// at the bottom of the list, on the window sizes of a desktop and of a laptop.
TEST_F(TriggersScreen, TheListsScrollBarStaysInsideTheRoundedCard) {
    addWords(40);
    constexpr qreal kCardCorner = 20; // the list card's corner radius
    for (const QSize size : {QSize(900, 620), QSize(860, 500)}) {
        SCOPED_TRACE(size.height());
        TriggerList &list = shownList(size);
        QCoreApplication::processEvents();
        const auto *scroll = list.findChild<QScrollArea *>();
        ASSERT_NE(scroll, nullptr);
        ASSERT_TRUE(scroll->verticalScrollBar()->isVisible())
            << "the list must be long enough to scroll: " << list.rows().size() << " rows, "
            << scroll->verticalScrollBar()->maximum() << " " << scroll->widget()->height();
        const QPainterPath card = continuousRoundedRect(QRectF(list.rect()), kCardCorner);
        for (const bool atEnd : {false, true}) {
            const QRect thumb = CardScrollBar::thumbIn(scroll, &list, atEnd);
            ASSERT_FALSE(thumb.isEmpty());
            for (const QPointF corner : {QPointF(thumb.topLeft()), QPointF(thumb.topRight()),
                                         QPointF(thumb.bottomLeft()), QPointF(thumb.bottomRight())}) {
                EXPECT_TRUE(card.contains(corner)) << (atEnd ? "at the end: " : "at the start: ") << corner.x() << ","
                                                   << corner.y() << " in " << list.width() << "x" << list.height();
            }
        }
    }
}

// Rows scrolled under the card's rounded corners are cut along them: the corners stay round mid-scroll.
TEST_F(TriggersScreen, ListRowsScrolledIntoACornerKeepItRound) {
    addWords(40);
    TriggerList &list = shownList({900, 500});
    QCoreApplication::processEvents();
    auto *bar = list.findChild<QScrollArea *>()->verticalScrollBar();
    bar->setValue(bar->maximum() / 2 + 7); // rows run through both bottom corners and both top ones
    QCoreApplication::processEvents();
    const QImage picture = list.grab().toImage();
    const int w = picture.width() - 1;
    const int h = picture.height() - 1;
    for (const QPoint corner : {QPoint(1, 1), QPoint(w - 1, 1), QPoint(1, h - 1), QPoint(w - 1, h - 1)}) {
        EXPECT_LT(qAlpha(picture.pixel(corner)), 128) << corner.x() << "," << corner.y() << " shows a row";
    }
}

// Rows and nodes stay with their triggers, wherever an edit moves them: only the edited trigger's row and node
// are made again (a trigger added, another sound, a word become a shortcut included).
TEST_F(TriggersScreen, AnEditRemakesOnlyTheEditedTriggersRowAndNodeWhereverTheyMove) {
    TriggerList list(model, fake.apps());
    TriggerGraph graph(model, {});
    const auto widgets = [&] {
        std::map<Uuid, QWidget *> out;
        for (const auto &row : list.rows()) {
            out[row.id] = row.widget;
        }
        return out;
    };
    const auto nodes = [&] {
        std::map<Uuid, QWidget *> out;
        for (const Trigger &trigger : model.data().triggers) {
            out[trigger.id] = graph.triggerNode(trigger.id);
        }
        return out;
    };
    const std::vector<Trigger> triggers = model.data().triggers; // ⌘S, ⌘Q, "lol", "gg", "wow"
    const std::size_t lol = 2;
    ASSERT_EQ(list.rows()[lol].id, triggers[lol].id);

    struct Step {
        const char *name;
        std::function<void()> edit;
        std::vector<std::size_t> remade; // the triggers whose row and node are made again, by document place
    };
    const Step steps[] = {
        {"a word typed", [&] { model.setTriggerWord(triggers[lol].id, "lolz"); }, {lol}},
        {"switched off", [&] { model.setTriggerEnabled(triggers[0].id, false); }, {0}},
        {"nothing changes", [&] { model.setTriggerEnabled(triggers[0].id, false); }, {}},
        {"another sound", [&] { model.setTriggerSound(triggers[3].id, "synth.coin"); }, {3}},
        {"a word becomes a shortcut",
         [&] { model.setTriggerKind(triggers[4].id, Trigger::Kind::shortcut(2, 0x100000)); },
         {4}},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        const auto rowsBefore = widgets();
        const auto nodesBefore = nodes();
        step.edit();
        const auto rowsAfter = widgets();
        const auto nodesAfter = nodes();
        for (std::size_t i = 0; i < triggers.size(); ++i) {
            const Uuid &id = triggers[i].id;
            const bool remade = std::find(step.remade.begin(), step.remade.end(), i) != step.remade.end();
            ASSERT_NE(rowsAfter.at(id), nullptr);
            ASSERT_NE(nodesAfter.at(id), nullptr);
            EXPECT_EQ(rowsAfter.at(id) != rowsBefore.at(id), remade) << "row of trigger " << i;
            EXPECT_EQ(nodesAfter.at(id) != nodesBefore.at(id), remade) << "node of trigger " << i;
        }
    }
    // A trigger added or removed keeps every other trigger's row and node where it is made.
    model.addTrigger(Trigger::Kind::word("new"), "synth.coin");
    for (const Trigger &trigger : triggers) {
        EXPECT_NE(graph.triggerNode(trigger.id), nullptr);
    }
    EXPECT_EQ(list.rows().size(), triggers.size() + 1);
    // The rows show the document as it is now, as a list made afresh does.
    TriggerList fresh(model, fake.apps());
    ASSERT_EQ(list.rows().size(), fresh.rows().size());
    for (std::size_t i = 0; i < fresh.rows().size(); ++i) {
        EXPECT_EQ(list.rows()[i].id, fresh.rows()[i].id);
        EXPECT_EQ(list.rows()[i].group, fresh.rows()[i].group);
        EXPECT_EQ(list.rows()[i].plays, fresh.rows()[i].plays);
        EXPECT_EQ(list.rows()[i].enabled, fresh.rows()[i].enabled);
    }
}

TEST_F(TriggersScreen, AShownGraphMakesTheNodesInViewAndTheRestAsTheyScrollIn) {
    model.commitEdit([](AppData &data) {
        data.triggers.clear();
        for (int i = 0; i < 400; ++i) {
            data.triggers.push_back(makeTrigger(Trigger::Kind::word("w" + std::to_string(i))));
        }
    });
    QScrollArea scroll;
    auto *graph = new TriggerGraph(model, {});
    scroll.setWidget(graph);
    scroll.resize(800, 600);
    EXPECT_LT(graph->madeTriggerNodes(), 100u); // at most what the scroll area will show
    scroll.show();
    QCoreApplication::processEvents();
    const std::size_t made = graph->madeTriggerNodes();
    EXPECT_GT(made, 600u / 68);
    EXPECT_LT(made, 100u);

    scroll.verticalScrollBar()->setValue(scroll.verticalScrollBar()->maximum());
    QCoreApplication::processEvents();
    // The nodes scrolled out of view were bound to those that came in.
    EXPECT_LE(graph->madeTriggerNodes(), made + 4);
    // The last node was made where the layout puts it.
    const Trigger &last = model.data().triggers.back();
    EXPECT_EQ(graph->triggerNode(last.id)->mapTo(graph, QPoint(0, 0)).y(),
              static_cast<int>(graph->currentLayout().nodeTops.back()));
    EXPECT_NE(graph->soundNode("synth.boing"), nullptr);
}

TEST_F(TriggersScreen, SelectingInTheListRemakesOnlyTheRowsThatGainOrLoseTheSelection) {
    TriggerList list(model, fake.apps());
    const auto &triggers = model.data().triggers;
    list.setSelectedID(triggers[1].id);
    const auto before = list.rows();
    list.setSelectedID(triggers[3].id);
    const auto after = list.rows();
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].widget != before[i].widget, i == 1 || i == 3) << i;
        EXPECT_EQ(after[i].selected, i == 3) << i;
    }
}

TEST_F(TriggersScreen, AppChipsAddChooseRemoveAndEveryAppRoundTripThroughTheSavedDocument) {
    const Uuid id = model.data().triggers.front().id;
    FlowChips chips(model, fake.apps());
    chips.setTrigger(id);
    EXPECT_EQ(chips.chipTitles(), QStringList{"All apps"});
    EXPECT_EQ(menuTexts(chips.buildMenu()), (QStringList{"Terminal", "Firefox", "—", "Choose an app…"}));

    menuAction(chips.buildMenu(), "Firefox")->trigger();
    menuAction(chips.buildMenu(), "Firefox")->trigger(); // twice: one chip
    menuAction(chips.buildMenu(), "Terminal")->trigger();
    fake.chosen = ChosenApp{"org.example.Editor", "Editor"};
    menuAction(chips.buildMenu(), "Choose an app…")->trigger();
    menuAction(chips.buildMenu(), "Choose an app…")->trigger(); // the same again: no second chip
    EXPECT_EQ(chips.chipTitles(), (QStringList{"Firefox Web Browser", "Terminal", "org.example.Editor"}));
    EXPECT_EQ(menuTexts(chips.buildMenu()).back(), QStringLiteral("Every app"));

    // Saved, and read back from data.json as the same ordered list.
    letSaveRun(harness);
    const auto saved = fromJson<AppData>(nlohmann::json::parse(harness.readDocument().toStdString()));
    EXPECT_EQ(saved.triggers.front().appBundleIDs,
              (std::vector<std::string>{"firefox", "org.gnome.Terminal", "org.example.Editor"}));
    // … and the router plays the trigger only in those applications.
    harness.activate("org.gnome.Terminal", "Terminal");
    EXPECT_EQ(harness.router.config()->shortcutTriggers.size(), 2u);
    harness.activate("org.gnome.Calculator", "Calculator");
    EXPECT_EQ(harness.router.config()->shortcutTriggers.size(), 1u);

    // A cancelled chooser changes nothing and saves nothing.
    fake.chosen.reset();
    const std::size_t writes = harness.writeCount();
    menuAction(chips.buildMenu(), "Choose an app…")->trigger();
    letSaveRun(harness);
    EXPECT_EQ(harness.writeCount(), writes);

    chips.removeButton("Terminal")->click();
    EXPECT_EQ(model.data().triggers.front().appBundleIDs, (std::vector<std::string>{"firefox", "org.example.Editor"}));
    menuAction(chips.buildMenu(), "Every app")->trigger();
    EXPECT_TRUE(model.data().triggers.front().appBundleIDs.empty());
    EXPECT_EQ(chips.chipTitles(), QStringList{"All apps"});
    EXPECT_EQ(menuAction(chips.buildMenu(), "Every app"), nullptr);
    letSaveRun(harness);
    EXPECT_TRUE(fromJson<AppData>(nlohmann::json::parse(harness.readDocument().toStdString()))
                    .triggers.front()
                    .appBundleIDs.empty());

    // Where the session cannot list running applications, only the chooser is offered.
    fake.running.clear();
    EXPECT_EQ(menuTexts(chips.buildMenu()), QStringList{"Choose an app…"});
}

TEST(PanelHelperRunning, ListsEachApplicationOnceWithoutThisProgram) {
    const std::vector<RunningApp> running{{"b", "Beta", {}},
                                          {"tapchime", "Tapchime", {}},
                                          {"a", "alpha", {}},
                                          {"b", "Beta again", {}},
                                          {"", "No id", {}}};
    const auto apps = PanelHelper::runningApps(running, QStringLiteral("tapchime"));
    ASSERT_EQ(apps.size(), 2u);
    EXPECT_EQ(apps[0].name, QStringLiteral("alpha"));
    EXPECT_EQ(apps[1].name, QStringLiteral("Beta"));
}

TEST(TriggerLabel, CapsShowTheModifierNamesInOrderThenTheKeyWithWidthsByCharacters) {
    shellApp();
    using Size = TriggerLabel::Size;
    EXPECT_EQ(TriggerLabel::capTexts({3, 0x60000}), (std::vector<QString>{"Ctrl", "Shift", "F"}));
    EXPECT_EQ(TriggerLabel::capTexts({49, 0x1E0000 | 0x10000}),
              (std::vector<QString>{"Ctrl", "Alt", "Shift", "Super", "Space"}));
    EXPECT_EQ(TriggerLabel::capTexts({51, 0x100000}), (std::vector<QString>{"Super", "⌫"}));
    EXPECT_EQ(TriggerLabel::capTexts({53, 0}), (std::vector<QString>{"esc"}));
    const struct {
        const char *text;
        qreal small;
        qreal big;
    } widths[] = {{"⌫", 30, 52},     {"F", 30, 52},     {"esc", 40, 66},   {"Alt", 40, 66}, {"Ctrl", 48, 80},
                  {"Shift", 56, 94}, {"Super", 56, 94}, {"Space", 56, 94}, {"F12", 40, 66}};
    for (const auto &row : widths) {
        EXPECT_EQ(TriggerLabel::capWidth(QString::fromUtf8(row.text), Size::small), row.small) << row.text;
        EXPECT_EQ(TriggerLabel::capWidth(QString::fromUtf8(row.text), Size::big), row.big) << row.text;
    }
    const auto caps = TriggerLabel::capRects({49, 0x100000}, Size::small);
    ASSERT_EQ(caps.size(), 2u);
    EXPECT_EQ(caps[0], QRectF(0, 0, 56, 30));  // "Super"
    EXPECT_EQ(caps[1], QRectF(60, 0, 56, 30)); // 56 + 4 apart
    EXPECT_EQ(TriggerLabel::wordText({"lol"}), QStringLiteral("“lol”"));
    EXPECT_EQ(TriggerLabel::labelSize(Trigger::Kind::word("lol"), Size::small).height(), 30);
}

TEST_F(TriggersScreen, AClickOnAGraphNodeOrAListRowSelectsItsTrigger) {
    TriggersView &view = shownView({1300, 900});
    const auto &triggers = model.data().triggers;
    ASSERT_EQ(view.selectedID(), triggers.front().id); // the first trigger on first appearance

    QWidget *node = view.graph()->triggerNode(triggers[3].id);
    ASSERT_NE(node, nullptr);
    QTest::mouseClick(node, Qt::LeftButton, {}, QPoint(40, 10));
    EXPECT_EQ(view.selectedID(), triggers[3].id);
    EXPECT_EQ(view.editor()->triggerID(), triggers[3].id);

    view.setShowsGraph(false);
    const auto rows = view.list()->rows();
    ASSERT_EQ(rows.size(), triggers.size());
    QTest::mouseClick(rows[1].widget, Qt::LeftButton, {}, QPoint(300, 10));
    EXPECT_EQ(view.selectedID(), rows[1].id);
    EXPECT_EQ(view.editor()->triggerID(), rows[1].id);

    // Only the sounds that triggers play have nodes.
    view.setShowsGraph(true);
    EXPECT_NE(view.graph()->soundNode(triggers[0].soundID), nullptr);
    EXPECT_EQ(view.graph()->soundNode("no.such.sound"), nullptr);
}

} // namespace
} // namespace tc::test
