// Menus of the user's own things with hundreds of items (300 profiles, 500 own sounds, 300 running applications)
// named with 12 or 10,000 characters: each opens inside its screen, no wider than two thirds of it and no taller,
// and its last item is reached by the keys and shown.

#include "ui/shell/MainWindow.h"

#include "app/shell/DesktopEntryApps.h"
#include "support/FakeSystemSources.h"
#include "ui/ModelStates.h"
#include "ui/apprules/AddAppCard.h"
#include "ui/apprules/AppRulesView.h"
#include "ui/apprules/RuleCard.h"
#include "ui/kit/ItemMenu.h"
#include "ui/triggers/FlowChips.h"
#include "ui/triggers/TriggerEditor.h"
#include "ui/triggers/TriggersView.h"

#include <QMenu>
#include <QScreen>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace tc::test {
namespace {

std::string named(const std::string &what, int number, int length) {
    std::string text = what + std::to_string(number) + " ";
    while (static_cast<int>(text.size()) < length) {
        text += "lorem ipsum ";
    }
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// 300 profiles and 500 own sounds named at `length`, and an app rule of one of them.
void fillMany(AppModel &model, int length) {
    model.commitEdit([length](AppData &data) {
        const Profile first = data.profiles.front();
        for (int i = 0; i < 300; ++i) {
            Profile profile = first;
            profile.id = Uuid::random();
            profile.name = named("Pack ", i, length);
            data.profiles.push_back(std::move(profile));
        }
        for (int i = 0; i < 500; ++i) {
            data.userSounds.push_back({"user.many." + std::to_string(i), named("Sound ", i, length),
                                       SoundCategory::mine, "many" + std::to_string(i) + ".wav", 0.4});
        }
        data.appRules.insert(data.appRules.begin(), AppRule{"org.example.app", "App", data.profiles.back().id});
    });
}

// Opens `menu` where a click in the middle of the screen would, checks that it lies inside its screen within the
// bounds of an item menu, and that End makes its last item active and in view.
void expectBoundedAndReachable(QMenu *menu, const std::string &what) {
    SCOPED_TRACE(what);
    ASSERT_NE(menu, nullptr);
    const QRect screen = menu->screen()->availableGeometry();
    menu->popup(screen.center());
    QCoreApplication::processEvents();
    const QSize most = ItemMenu::maxSize(screen);
    EXPECT_LE(menu->sizeHint().width(), most.width());
    EXPECT_LE(menu->width(), most.width());
    EXPECT_LE(menu->height(), most.height());
    // Side to side inside the screen (the test platform draws a frame round a window, which moves it down).
    EXPECT_GE(menu->x(), screen.left());
    EXPECT_LE(menu->geometry().right(), screen.right());

    QList<QAction *> items = menu->actions();
    items.removeIf([](const QAction *action) { return action->isSeparator() || !action->isEnabled(); });
    ASSERT_FALSE(items.isEmpty());
    for (const auto &[key, item] : {std::pair(Qt::Key_End, items.back()), std::pair(Qt::Key_Home, items.front())}) {
        QTest::keyClick(menu, key);
        EXPECT_EQ(menu->activeAction(), item);
        EXPECT_TRUE(menu->rect().contains(menu->actionGeometry(item)));
    }
    menu->hide();
}

TEST(LongMenus, AMenuOfManyItemsStaysOnItsScreenAndReachesItsLastItem) {
    for (const int length : {12, 10000}) {
        SCOPED_TRACE(length);
        shellApp();
        Harness harness;
        AppModel &model = harness.started();
        fillMany(model, length);
        model.completeOnboarding();
        FakeRunningAppsSource running;
        for (int i = 0; i < 300; ++i) {
            running.apps.push_back(
                AppIdentity{"org.example.running" + std::to_string(i), named("Running ", i, length)});
        }
        DesktopEntryApps desktop(DesktopEntries({}, {}), std::make_unique<FakeRunningAppsSource>(running));
        MainWindow window(model, PageServices{&desktop});
        window.show();

        model.setSection(AppSection::apps);
        QCoreApplication::processEvents();
        auto *apps = dynamic_cast<AppRulesView *>(window.page());
        ASSERT_NE(apps, nullptr);
        ASSERT_FALSE(apps->ruleCards().empty());
        std::unique_ptr<QMenu> rule(apps->ruleCards().front()->makeMenu(nullptr));
        expectBoundedAndReachable(rule.get(), "a rule card's profile menu");
        EXPECT_EQ(rule->actions().back()->text(), QStringLiteral("Muted"));
        std::unique_ptr<QMenu> fallback(apps->fallbackCard()->makeMenu(nullptr));
        expectBoundedAndReachable(fallback.get(), "the fallback card's profile menu");
        std::unique_ptr<QMenu> addApp(apps->addAppCard()->makeMenu(nullptr));
        expectBoundedAndReachable(addApp.get(), "the add app menu");

        model.setSection(AppSection::triggers);
        QCoreApplication::processEvents();
        auto *triggers = dynamic_cast<TriggersView *>(window.page());
        ASSERT_NE(triggers, nullptr);
        triggers->setSelectedID(model.data().triggers.front().id);
        QCoreApplication::processEvents();
        QMenu *sounds = triggers->editor()->buildSoundMenu();
        QMenu *mine = nullptr;
        for (QAction *action : sounds->actions()) {
            if (action->menu() && action->menu()->actions().size() >= 500) {
                mine = action->menu();
            }
        }
        expectBoundedAndReachable(mine, "the trigger's \"My sounds\" menu");

        TriggerApps triggerApps;
        triggerApps.running = [&running] {
            std::vector<RunningApp> shown;
            for (const AppIdentity &app : running.apps) {
                shown.push_back({QString::fromStdString(app.bundleId), QString::fromStdString(app.name), {}});
            }
            return shown;
        };
        FlowChips chips(model, triggerApps);
        chips.setTrigger(model.data().triggers.front().id);
        expectBoundedAndReachable(chips.buildMenu(), "the add app menu of a trigger");
    }
}

} // namespace
} // namespace tc::test
