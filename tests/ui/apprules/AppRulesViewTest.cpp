// The App rules screen on a real model: the grid of rule cards and what their menus do, the add-app card,
// the right-now card, the smart-mute card and the switch log.

#include "ui/apprules/AppRulesView.h"

#include "app/shell/DesktopEntryApps.h"
#include "model/Json.h"
#include "support/FakeSystemSources.h"
#include "ui/ModelStates.h"
#include "ui/apprules/AddAppCard.h"
#include "ui/apprules/RightNowCard.h"
#include "ui/apprules/RuleCard.h"
#include "ui/apprules/RuleGridLayout.h"
#include "ui/kit/CapPalette.h"
#include "ui/kit/Theme.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

namespace tc::test {
namespace {

// A desktop the test describes: the running applications, what the chooser answers and which ids have icons.
struct FakeDesktop {
    std::vector<RunningApp> running;
    std::optional<ChosenApp> choice;
    std::set<QString> withIcons;
    int choices = 0;

    AppDirectory directory() {
        return {[this] { return running; },
                [this](QWidget *) {
                    ++choices;
                    return choice;
                },
                [this](const QString &id) {
                    if (!withIcons.contains(id)) {
                        return QIcon();
                    }
                    QPixmap pixmap(46, 46);
                    pixmap.fill(Qt::blue);
                    return QIcon(pixmap);
                }};
    }
};

// A menu as text: "-" for a divider, "[title]" for a section heading.
QStringList titles(QMenu *menu) {
    QStringList out;
    for (QAction *action : menu->actions()) {
        out << (action->isSeparator() ? (action->text().isEmpty() ? QStringLiteral("-") : "[" + action->text() + "]")
                                      : action->text());
    }
    return out;
}

void choose(QMenu *menu, const QString &title) {
    for (QAction *action : menu->actions()) {
        if (!action->isSeparator() && action->text() == title) {
            action->trigger();
            delete menu;
            return;
        }
    }
    delete menu;
    FAIL() << "no menu item " << title.toStdString();
}

// The widgets in the grid, in order.
std::vector<QWidget *> gridOrder(const AppRulesView &view) {
    return view.gridWidgets();
}

struct Screen {
    Harness harness;
    FakeDesktop desktop;
    std::unique_ptr<AppRulesView> view;

    AppModel &model() { return *harness.model; }
    AppRulesView &make() {
        shellApp();
        if (!harness.model) {
            harness.started();
        }
        view = std::make_unique<AppRulesView>(*harness.model, desktop.directory());
        view->resize(1100, 800);
        return *view;
    }
    ~Screen() { view.reset(); }
};

TEST(AppRulesView, AManyRuleGridMakesTheCardsItShowsAndTheRestAsTheyComeIntoView) {
    Screen s;
    s.harness.started();
    s.model().commitEdit([](AppData &data) {
        for (int i = 0; i < 400; ++i) {
            data.appRules.push_back(AppRule{"app" + std::to_string(i), "App " + std::to_string(i), std::nullopt});
        }
    });
    AppRulesView &view = s.make();
    view.show();
    QCoreApplication::processEvents();
    const std::size_t rules = s.model().data().appRules.size();
    const std::size_t made = view.madeCards();
    EXPECT_GT(made, 0u);
    EXPECT_LT(made, rules / 4); // a screenful and a little more
    // Every place is laid out: the grid is as tall as all its cards would make it.
    const int fullHeight = view.scrollArea()->widget()->height();
    EXPECT_GT(fullHeight, static_cast<int>(rules / 6) * 100);

    // An edit of a rule whose card is not made makes none; the made ones are kept.
    RuleCard *first = view.cardFor("Zoom");
    s.model().setRule("app399", "App 399", profileNamed(s.model(), "Arcade").id);
    s.model().commitEdit([](AppData &data) { data.appRules.back().appName = "Renamed 399"; });
    EXPECT_EQ(view.madeCards(), made);
    EXPECT_EQ(view.cardFor("Zoom"), first);

    // Scrolling to the end makes the last cards, which show the document as it is now.
    auto *bar = view.scrollArea()->verticalScrollBar();
    bar->setValue(bar->maximum());
    QWidget *last = view.gridWidgets()[rules - 1];
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last, view.cardFor("app399"));
    EXPECT_EQ(RuleCard::menuTitle(s.model(), view.cardFor("app399")->rule()), "Arcade");
    EXPECT_EQ(view.cardFor("app399")->rule().name, "Renamed 399");
    // The cards scrolled out of view went back to the pool (but the first, the grid's Tab stop): the grid still
    // holds about a screenful.
    EXPECT_LT(view.madeCards(), rules / 4);
    EXPECT_EQ(view.gridWidgets()[1], nullptr);
}

TEST(AppRulesView, TheGridHoldsTheRulesThenEverythingElseThenAddAppAndFollowsTheDocument) {
    Screen s;
    AppRulesView &view = s.make();
    RuleCard *zoom = view.cardFor("Zoom");
    ASSERT_NE(zoom, nullptr);
    EXPECT_EQ(gridOrder(view),
              (std::vector<QWidget *>{zoom, view.cardFor("org.gnome.Calls"), view.fallbackCard(), view.addAppCard()}));
    EXPECT_EQ(view.fallbackCard()->rule().name, "Everything else");
    EXPECT_EQ(view.fallbackCard()->removeButton(), nullptr);

    // A new rule comes before "Everything else"; the cards that stay are the same widgets, updated.
    s.model().addRule("gedit", "Text Editor");
    const auto arcade = profileNamed(s.model(), "Arcade").id;
    s.model().setRule("Zoom", "Zoom", arcade);
    EXPECT_EQ(view.cardFor("Zoom"), zoom);
    EXPECT_EQ(RuleCard::menuTitle(s.model(), zoom->rule()), "Arcade");
    EXPECT_EQ(gridOrder(view), (std::vector<QWidget *>{zoom, view.cardFor("org.gnome.Calls"), view.cardFor("gedit"),
                                                       view.fallbackCard(), view.addAppCard()}));

    // Removing every rule leaves "Everything else" and "Add app".
    s.model().commitEdit([](AppData &data) { data.appRules.clear(); });
    flushDeletes();
    EXPECT_EQ(gridOrder(view), (std::vector<QWidget *>{view.fallbackCard(), view.addAppCard()}));
    EXPECT_EQ(view.ruleCards().size(), 1u);
}

TEST(RuleCard, MenuChoicesReachTheModelAndAreSavedAndPushed) {
    Screen s;
    AppRulesView &view = s.make();
    AppModel &model = s.model();
    const auto arcade = profileNamed(model, "Arcade").id;
    const auto animals = profileNamed(model, "Animals").id;
    model.setRule("firefox", "Firefox", arcade);
    s.harness.activate("firefox", "Firefox");
    RuleCard *card = view.cardFor("firefox");
    ASSERT_NE(card, nullptr);

    QStringList expected;
    for (const Profile &profile : model.data().profiles) {
        expected << QString::fromStdString(profile.name);
    }
    EXPECT_EQ(titles(std::unique_ptr<QMenu>(view.fallbackCard()->makeMenu(nullptr)).get()), expected);
    expected << "-"
             << "Muted";
    EXPECT_EQ(titles(std::unique_ptr<QMenu>(card->makeMenu(nullptr)).get()), expected);

    struct Step {
        bool fallback;
        const char *item;
        std::optional<Uuid> ruleProfile; // what the firefox rule names afterwards
        bool muted;                      // the router is muted afterwards
        const char *label;               // the firefox card's menu label afterwards
    };
    const Step steps[] = {
        {false, "Animals", animals, false, "Animals"},
        {false, "Muted", std::nullopt, true, "Muted"},
        {true, "Arcade", std::nullopt, true, "Muted"}, // the fallback card sets the active profile, no rule
        {false, "Arcade", arcade, false, "Arcade"},
    };
    for (const Step &step : steps) {
        RuleCard *target = step.fallback ? view.fallbackCard() : view.cardFor("firefox");
        choose(target->makeMenu(nullptr), step.item);
        const AppRule &rule = model.data().appRules.back();
        EXPECT_EQ(rule, (AppRule{"firefox", "Firefox", step.ruleProfile})) << step.item;
        EXPECT_EQ(s.harness.router.config()->muted, step.muted) << step.item;
        EXPECT_EQ(view.cardFor("firefox")->menuButton()->text(), QString(step.label));
        letSaveRun(s.harness);
        EXPECT_EQ(decodeAppData(s.harness.readDocument().toStdString()), model.data()) << step.item;
    }
    EXPECT_EQ(model.data().activeProfileID, arcade);
    EXPECT_EQ(view.fallbackCard()->menuButton()->text(), "Arcade");
    EXPECT_EQ(RuleCard::swatchColor(model, view.fallbackCard()->rule()),
              CapPalette::forProfileColor(profileNamed(model, "Arcade").color).swatch);
}

TEST(RuleCard, TheActiveCardIsMarkedAndCanStillBeRemoved) {
    Screen s;
    AppRulesView &view = s.make();
    // A hand-edited document; no application is known yet.
    s.model().commitEdit([](AppData &data) { data.appRules.push_back(AppRule{"", "Nameless", std::nullopt}); });
    ASSERT_NE(view.cardFor(""), nullptr);
    EXPECT_FALSE(view.cardFor("")->isActive());
    s.model().removeRule("");
    s.model().addRule("firefox", "Firefox");
    s.harness.activate("firefox", "Firefox");
    RuleCard *firefox = view.cardFor("firefox");
    ASSERT_NE(firefox, nullptr);
    EXPECT_TRUE(firefox->isActive());
    EXPECT_FALSE(firefox->activeBadge()->isHidden());
    EXPECT_FALSE(firefox->removeButton()->isHidden()); // the application the user came from can go
    EXPECT_TRUE(view.cardFor("Zoom")->activeBadge()->isHidden());
    EXPECT_FALSE(view.fallbackCard()->isActive());
    EXPECT_TRUE(view.fallbackCard()->activeBadge()->isHidden());

    s.harness.activate("Zoom", "Zoom");
    EXPECT_FALSE(firefox->isActive());
    EXPECT_TRUE(firefox->activeBadge()->isHidden());
    EXPECT_TRUE(view.cardFor("Zoom")->isActive());

    // The remove button of the card in front removes that rule; the card goes.
    QTest::mouseClick(view.cardFor("Zoom")->removeButton(), Qt::LeftButton);
    flushDeletes();
    EXPECT_EQ(view.cardFor("Zoom"), nullptr);
    ASSERT_EQ(s.model().data().appRules.size(), 2u);
    EXPECT_EQ(s.model().data().appRules[0].bundleID, "org.gnome.Calls");
    EXPECT_FALSE(s.harness.router.config()->muted); // Zoom plays the active profile now
}

// A triple click on a rule card's × removes one rule: each removal slides the next card's × under the pointer,
// and the window system sends the third click as a plain press. A click after a pause removes the next.
TEST(RuleCard, ATripleClickOnRemoveRemovesOneRule) {
    Screen s;
    s.harness.started();
    s.model().commitEdit([](AppData &data) {
        data.appRules.clear();
        for (int i = 0; i < 5; ++i) {
            data.appRules.push_back(AppRule{"app" + std::to_string(i), "App " + std::to_string(i), std::nullopt});
        }
    });
    AppRulesView &view = s.make();
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QCoreApplication::processEvents();
    QAbstractButton *remove = view.cardFor("app0")->removeButton();
    const QPoint at = remove->mapTo(&view, remove->rect().center());
    QWindow *window = view.windowHandle();
    int time = QTest::lastMouseTimestamp + 1000;
    const auto send = [&](QEvent::Type type, int after) {
        time += after;
        const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        qt_handleMouseEvent(window, at, window->mapToGlobal(at), held, Qt::LeftButton, type, {}, time);
        QCoreApplication::processEvents();
        flushDeletes();
    };
    for (int click = 0; click < 3; ++click) {
        send(QEvent::MouseButtonPress, 60);
        send(QEvent::MouseButtonRelease, 40);
    }
    ASSERT_EQ(s.model().data().appRules.size(), 4u);
    EXPECT_EQ(s.model().data().appRules[0].bundleID, "app1");
    // The next card's × is under the pointer now (else this test would prove nothing).
    ASSERT_NE(view.cardFor("app1"), nullptr);
    QAbstractButton *next = view.cardFor("app1")->removeButton();
    EXPECT_TRUE(next->rect().contains(next->mapFrom(&view, at)));

    send(QEvent::MouseButtonPress, 1000);
    send(QEvent::MouseButtonRelease, 40);
    EXPECT_EQ(s.model().data().appRules.size(), 3u);
    QTest::lastMouseTimestamp = time + 1000;
}

TEST(RuleCard, IconIsTheApplicationsElseATileWithTheNamesFirstCharacter) {
    const std::pair<QString, QString> letters[] = {
        {"obsidian", "o"},
        {"Zoom", "Z"},
        {"", ""},
        {QString::fromUtf8("Ärger"), QString::fromUtf8("Ä")},
        {QString::fromUtf8("e\u0301cran"), QString::fromUtf8("e\u0301")}, // a letter with a combining accent
        {QString::fromUtf8("🇩🇪 Radio"), QString::fromUtf8("🇩🇪")},         // one flag, two code points
    };
    for (const auto &[name, letter] : letters) {
        EXPECT_EQ(RuleCard::tileLetter(name), letter) << name.toStdString();
    }

    Screen s;
    s.desktop.withIcons = {"firefox"};
    AppRulesView &view = s.make();
    s.model().addRule("firefox", "Firefox");
    s.model().addRule("obsidian", "obsidian");
    EXPECT_EQ(view.cardFor("firefox")->icon()->kind(), RuleIcon::Kind::image);
    EXPECT_EQ(view.cardFor("obsidian")->icon()->kind(), RuleIcon::Kind::letter);
    EXPECT_EQ(view.cardFor("obsidian")->icon()->letter(), "o");
    EXPECT_EQ(view.fallbackCard()->icon()->kind(), RuleIcon::Kind::fallback);
}

TEST(RuleCard, ARuleWhoseProfileIsGoneReadsMutedUntilOneIsChosen) {
    Screen s;
    AppRulesView &view = s.make();
    s.model().setRule("firefox", "Firefox", Uuid::random());
    RuleCard *card = view.cardFor("firefox");
    EXPECT_EQ(card->menuButton()->text(), "Muted");
    EXPECT_EQ(RuleCard::swatchColor(s.model(), card->rule()), Theme::ink);
    choose(card->makeMenu(nullptr), "Animals");
    EXPECT_EQ(card->menuButton()->text(), "Animals");
    EXPECT_EQ(s.model().data().appRules.back().profileID, profileNamed(s.model(), "Animals").id);
}

TEST(AddAppCard, RunningAppsWithoutARuleBecomeMutedRules) {
    Screen s;
    s.desktop.running = {{"firefox", "Firefox", {}}, {"gedit", "Text Editor", {}}, {"Zoom", "Zoom", {}}};
    AppRulesView &view = s.make();
    s.model().setRule("firefox", "Firefox", profileNamed(s.model(), "Arcade").id);

    std::unique_ptr<QMenu> menu(view.addAppCard()->makeMenu(nullptr));
    EXPECT_EQ(titles(menu.get()), (QStringList{"[Running apps]", "Text Editor", "-", "Choose an app…"}));
    menu.reset();
    choose(view.addAppCard()->makeMenu(nullptr), "Text Editor");
    EXPECT_EQ(s.model().data().appRules.back(), (AppRule{"gedit", "Text Editor", std::nullopt}));
    EXPECT_EQ(view.cardFor("gedit")->menuButton()->text(), "Muted");
    EXPECT_EQ(gridOrder(view)[3], view.cardFor("gedit"));

    // Every running application has a rule now: the section is empty, the chooser stays.
    menu.reset(view.addAppCard()->makeMenu(nullptr));
    EXPECT_EQ(titles(menu.get()), (QStringList{"[Running apps]", "-", "Choose an app…"}));
}

TEST(AddAppCard, ChoosingAnAppAddsAMutedRuleAndLeavesAnExistingRuleAsItIs) {
    Screen s;
    AppRulesView &view = s.make();
    AppModel &model = s.model();
    const auto arcade = profileNamed(model, "Arcade").id;
    model.setRule("Zoom", "Zoom", arcade);
    const auto before = model.data().appRules;
    DocumentSignals changes(model);

    s.desktop.choice = ChosenApp{"Zoom", "Zoom Workplace"};
    choose(view.addAppCard()->makeMenu(nullptr), "Choose an app…");
    EXPECT_EQ(s.desktop.choices, 1);
    EXPECT_EQ(model.data().appRules, before); // name, place and profile kept
    EXPECT_TRUE(changes.seen.empty());

    s.desktop.choice = std::nullopt; // cancelled
    view.addAppCard()->chooseApp();
    EXPECT_EQ(model.data().appRules, before);

    s.desktop.choice = ChosenApp{"org.gnome.Maps", "Maps"};
    view.addAppCard()->chooseApp();
    EXPECT_EQ(model.data().appRules.back(), (AppRule{"org.gnome.Maps", "Maps", std::nullopt}));
    EXPECT_EQ(changes.seen, std::vector<std::string>{"appRules"});
}

TEST(AppDirectory, TheDesktopsListsAndIconsComeThroughTheOneResolver) {
    shellApp();
    // Without a session or installed applications the screen still works, with empty lists.
    const AppDirectory none = AppDirectory::desktop(nullptr);
    EXPECT_TRUE(none.runningApps().empty());
    EXPECT_TRUE(none.icon(QStringLiteral("firefox")).isNull());

    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("applications"));
    auto source = std::make_unique<FakeRunningAppsSource>();
    source->apps = {{"zed", "zed"}, {"tapchime", "Tapchime"}, {"org.example.Tool", "Tool"}};
    DesktopEntryApps entries(DesktopEntries({dir.filePath(QStringLiteral("applications")).toStdString()}, {}),
                             std::move(source));
    const AppDirectory desktop = AppDirectory::desktop(&entries);
    const auto running = desktop.runningApps();
    ASSERT_EQ(running.size(), 2u); // the program itself left out, sorted by name ignoring case
    EXPECT_EQ(running[0].name, "Tool");
    EXPECT_EQ(running[1].name, "zed");

    // An application installed after the screen opened has its icon at the next look.
    const QString png = dir.filePath(QStringLiteral("tool.png"));
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(png));
    QFile file(dir.filePath(QStringLiteral("applications/org.example.Tool.desktop")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nName=Tool\nExec=tool\nIcon=" + png.toUtf8() + "\n");
    file.close();
    // The folder's time says it changed, even where the file system's clock is coarser than this test.
    const std::filesystem::path folder = dir.filePath(QStringLiteral("applications")).toStdString();
    std::filesystem::last_write_time(folder, std::filesystem::last_write_time(folder) + std::chrono::seconds(2));
    EXPECT_FALSE(desktop.runningApps()[0].icon.isNull());
    EXPECT_FALSE(desktop.icon(QStringLiteral("org.example.Tool")).isNull());
}

TEST(RuleGridLayout, ColumnsFollowTheWidth) {
    struct Case {
        qreal width;
        int count;
        qreal column;
        qreal left;
    };
    const Case cases[] = {
        {150, 1, 150, 0}, {200, 1, 200, 0},  {415, 1, 260, 77.5}, {416, 2, 200, 0},  {560, 2, 260, 12},
        {900, 4, 213, 0}, {1000, 4, 238, 0}, {1200, 5, 227.2, 0}, {2000, 9, 208, 0},
    };
    for (const Case &c : cases) {
        const auto columns = RuleGridLayout::columns(c.width);
        EXPECT_EQ(columns.count, c.count) << c.width;
        EXPECT_DOUBLE_EQ(columns.width, c.column) << c.width;
        EXPECT_DOUBLE_EQ(columns.left, c.left) << c.width;
    }
    // Two rows of a three-column grid: rows as high as their tallest cell, 16 apart, each cell centred.
    const auto cells = RuleGridLayout::cells(QRect(0, 0, 680, 0), {170, 150, 170, 150});
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[1], QRect(232, 10, 216, 150));
    EXPECT_EQ(cells[3], QRect(0, 186, 216, 150));
}

} // namespace
} // namespace tc::test
