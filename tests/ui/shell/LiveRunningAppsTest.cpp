// The App rules and Triggers screens see one object for the desktop's applications: an add menu that is open
// when a fresh list of running applications lands shows it, without being opened again.

#include "ui/shell/Pages.h"

#include "app/DesktopApps.h"
#include "ui/ModelStates.h"
#include "ui/ShellTestApp.h"
#include "ui/apprules/AddAppCard.h"
#include "ui/apprules/AppRulesView.h"
#include "ui/triggers/FlowChips.h"
#include "ui/triggers/TriggerEditor.h"
#include "ui/triggers/TriggersView.h"

#include <QAbstractButton>
#include <QMenu>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace tc::test {
namespace {

// Running applications the test changes, telling the change as a landed list does.
class LandingApps final : public DesktopApps {
public:
    void refreshIfChanged() override {}
    std::vector<InstalledApp> installed() const override { return {}; }
    std::optional<InstalledApp> find(const QString &) const override { return std::nullopt; }
    std::vector<AppIdentity> running() override { return listed; }
    void land(std::vector<AppIdentity> fresh) {
        listed = std::move(fresh);
        emit changed();
    }
    std::vector<AppIdentity> listed;
};

bool offers(const QMenu &menu, const QString &title) {
    for (const QAction *action : menu.actions()) {
        if (action->text() == title) {
            return true;
        }
    }
    return false;
}

struct Case {
    const char *screen;
    // Opens the screen's add menu on `page`.
    std::function<QMenu *(QWidget &page, AppModel &model)> open;
    AppSection section;
};

void PrintTo(const Case &c, std::ostream *out) {
    *out << c.screen;
}

class LiveRunningApps : public ::testing::TestWithParam<Case> {};

TEST_P(LiveRunningApps, AnOpenAddMenuShowsAFreshListThatLands) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    LandingApps apps;
    apps.listed = {{"org.example.Old", "Old Tool"}};
    std::unique_ptr<QWidget> page(makePage(GetParam().section, model, nullptr, PageServices{&apps}));
    page->show();
    QMenu *menu = GetParam().open(*page, model);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(offers(*menu, QStringLiteral("Old Tool")));

    apps.land({{"org.example.Old", "Old Tool"}, {"org.example.New", "New Tool"}});
    EXPECT_TRUE(offers(*menu, QStringLiteral("New Tool")));
    EXPECT_TRUE(offers(*menu, QStringLiteral("Old Tool")));
    menu->close();
}

INSTANTIATE_TEST_SUITE_P(BothScreens, LiveRunningApps,
                         ::testing::Values(Case{"AppRules",
                                                [](QWidget &page, AppModel &) -> QMenu * {
                                                    auto &view = dynamic_cast<AppRulesView &>(page);
                                                    QMenu *menu = view.addAppCard()->makeMenu(&page);
                                                    menu->popup({0, 0});
                                                    return menu;
                                                },
                                                AppSection::apps},
                                           Case{"Triggers",
                                                [](QWidget &page, AppModel &model) -> QMenu * {
                                                    auto &view = dynamic_cast<TriggersView &>(page);
                                                    view.setSelectedID(model.data().triggers.front().id);
                                                    FlowChips *chips = view.editor()->chips();
                                                    chips->addButton()->click(); // pops its menu up
                                                    return chips->findChild<QMenu *>();
                                                },
                                                AppSection::triggers}),
                         [](const ::testing::TestParamInfo<Case> &c) { return std::string(c.param.screen); });

} // namespace
} // namespace tc::test
