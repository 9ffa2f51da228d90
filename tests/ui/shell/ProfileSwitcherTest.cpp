// The header's profile switcher: chips, the more menu, the profile menu, renaming and sharing, all through
// the model.

#include "ui/shell/ProfileSwitcher.h"

#include "ui/ModelStates.h"

#include <QAction>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>

namespace tc::test {
namespace {

std::vector<std::string> profileNames(const AppModel &model) {
    std::vector<std::string> names;
    for (const Profile &profile : model.data().profiles) {
        names.push_back(profile.name);
    }
    return names;
}

QAction *actionNamed(QMenu *menu, const QString &text) {
    for (QAction *action : menu->actions()) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

std::vector<QString> titles(QMenu *menu) {
    std::vector<QString> result;
    for (QAction *action : menu->actions()) {
        result.push_back(action->isSeparator() ? QStringLiteral("—") : action->text());
    }
    return result;
}

// A document with exactly these profiles, the first active.
void useProfiles(AppModel &model, const std::vector<std::string> &names) {
    model.commitEdit([&](AppData &data) {
        Profile first = data.profiles.front();
        data.profiles.clear();
        for (const std::string &name : names) {
            Profile profile = first;
            profile.id = Uuid::random();
            profile.name = name;
            data.profiles.push_back(profile);
        }
        data.activeProfileID = data.profiles.front().id;
    });
}

TEST(ProfileSwitcher, NewAndDuplicateReachTheModelWithUniqueNames) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    useProfiles(model, {"Work"});
    ProfileSwitcher switcher(model);

    const auto choose = [&](const QString &text) {
        std::unique_ptr<QMenu> menu(switcher.makeMoreMenu(nullptr));
        QAction *action = actionNamed(menu.get(), text);
        ASSERT_NE(action, nullptr) << text.toStdString();
        action->trigger();
    };
    choose("New profile");
    choose("New profile");
    EXPECT_EQ(profileNames(model), (std::vector<std::string>{"Work", "New profile", "New profile 2"}));
    EXPECT_EQ(model.data().activeProfile().name, "New profile 2");

    choose("Duplicate New profile 2"); // the menu names the active profile
    choose("Duplicate New profile 2 copy");
    EXPECT_EQ(profileNames(model), (std::vector<std::string>{"Work", "New profile", "New profile 2",
                                                             "New profile 2 copy", "New profile 2 copy copy"}));
    flushDeletes();
    ASSERT_EQ(switcher.chips().size(), 5u);
    EXPECT_TRUE(switcher.chips().back()->isActive());
    EXPECT_EQ(switcher.chips().back()->text(), QString("New profile 2 copy copy"));
    letSaveRun(harness);
    EXPECT_NE(harness.readDocument().indexOf("New profile 2 copy copy"), -1); // saved by the model
}

TEST(ProfileSwitcher, MenusListTheirItemsInOrderAndDeleteNeedsTwoProfiles) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    useProfiles(model, {"Solo"});
    ProfileSwitcher switcher(model);
    const Uuid solo = model.data().profiles.front().id;

    std::unique_ptr<QMenu> more(switcher.makeMoreMenu(nullptr));
    EXPECT_EQ(titles(more.get()),
              (std::vector<QString>{"New profile", "Duplicate Solo", "—", "Rename…", "Color", "Delete"}));
    EXPECT_FALSE(actionNamed(more.get(), "Delete")->isEnabled());
    std::unique_ptr<QMenu> own(switcher.makeProfileMenu(solo, nullptr));
    EXPECT_EQ(titles(own.get()), (std::vector<QString>{"Rename…", "Color", "Delete"}));
    EXPECT_FALSE(actionNamed(own.get(), "Delete")->isEnabled());
    QMenu *colors = actionNamed(own.get(), "Color")->menu();
    ASSERT_NE(colors, nullptr);
    EXPECT_EQ(titles(colors), (std::vector<QString>{"White", "Yellow", "Blue", "Red", "Black", "Green"}));

    useProfiles(model, {"One", "Two"});
    std::unique_ptr<QMenu> moreOfTwo(switcher.makeMoreMenu(nullptr));
    EXPECT_TRUE(actionNamed(moreOfTwo.get(), "Delete")->isEnabled());
    const Uuid two = model.data().profiles.back().id;
    std::unique_ptr<QMenu> ofTwo(switcher.makeProfileMenu(two, nullptr));
    ASSERT_TRUE(actionNamed(ofTwo.get(), "Delete")->isEnabled());
    actionNamed(ofTwo.get(), "Delete")->trigger();
    EXPECT_EQ(profileNames(model), (std::vector<std::string>{"One"}));
}

TEST(ProfileSwitcher, AChipSqueezedToWhereItsNameStartsShowsNoneOfItAndAWiderOneDoes) {
    shellApp();
    // Swatch and gap end 28 points in; hundreds of chips in one header leave each a point or two.
    const auto picture = [](const std::string &name, int width) {
        Profile profile;
        profile.name = name;
        profile.color = ProfileColor::blue;
        ProfileChip chip(profile, true);
        chip.resize(width, ProfileChip::fixedHeight);
        QImage image(width * 2, ProfileChip::fixedHeight * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::white);
        chip.render(&image);
        return image;
    };
    const std::string name = "ƒjord " + std::string(3000, 'W');
    for (const int width : {1, 20, 28}) {
        EXPECT_EQ(picture(name, width), picture("", width)) << width;
    }
    for (const int width : {30, 40}) {
        EXPECT_NE(picture(name, width), picture("", width)) << width;
    }
}

TEST(ProfileSwitcher, ChipsFollowTheDocumentInPlace) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    useProfiles(model, {"One", "Two"});
    ProfileSwitcher switcher(model);
    flushDeletes();
    const std::vector<ProfileChip *> chips = switcher.chips();
    ASSERT_EQ(chips.size(), 2u);
    EXPECT_TRUE(chips[0]->isActive());
    EXPECT_FALSE(chips[1]->isActive());

    chips[1]->click();
    EXPECT_EQ(model.data().activeProfileID, model.data().profiles[1].id);
    EXPECT_FALSE(chips[0]->isActive());
    EXPECT_TRUE(chips[1]->isActive());

    // Recolouring from a chip's own menu changes that chip's swatch at once, and keeps the chips.
    std::unique_ptr<QMenu> menu(switcher.makeProfileMenu(chips[0]->profileID(), nullptr));
    actionNamed(actionNamed(menu.get(), "Color")->menu(), "Red")->trigger();
    EXPECT_EQ(chips[0]->color(), ProfileColor::red);
    model.renameProfile(chips[1]->profileID(), "Deux");
    EXPECT_EQ(chips[1]->text(), QString("Deux"));
    EXPECT_EQ(switcher.chips(), chips);

    // Clicking the active chip sets the same id again: nothing changes.
    chips[1]->click();
    EXPECT_EQ(model.data().activeProfileID, chips[1]->profileID());
}

TEST(ProfileSwitcher, RenameDialogPrefillsTheChipsProfileAndCancelChangesNothing) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    useProfiles(model, {"Active", "Other"});
    ProfileSwitcher switcher(model);
    const Uuid other = model.data().profiles[1].id;

    std::unique_ptr<QMenu> menu(switcher.makeProfileMenu(other, nullptr));
    actionNamed(menu.get(), "Rename…")->trigger();
    QDialog *dialog = switcher.renameDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QString("Rename profile"));
    EXPECT_EQ(switcher.renameField()->text(), QString("Other"));
    EXPECT_EQ(switcher.renameField()->placeholderText(), QString("Name"));
    EXPECT_EQ(switcher.renaming(), std::optional<Uuid>(other));
    switcher.renameField()->setText("Changed");
    QPushButton *cancel = nullptr;
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        if (button->text() == "Cancel") {
            cancel = button;
        }
    }
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    EXPECT_EQ(profileNames(model), (std::vector<std::string>{"Active", "Other"}));
    EXPECT_FALSE(switcher.renaming());
    EXPECT_EQ(switcher.renameDialog(), nullptr);
}

TEST(ProfileSwitcher, RenamePassesTheTextAndTheModelTrimsIt) {
    shellApp();
    struct Case {
        const char *typed;
        const char *result;
    };
    for (const Case c : {Case{"  Evening  ", "Evening"}, Case{"   ", "Work"}, Case{"", "Work"}}) {
        Harness harness;
        AppModel &model = harness.started();
        useProfiles(model, {"Work"});
        ProfileSwitcher switcher(model);
        switcher.startRename(model.data().activeProfileID);
        switcher.renameField()->setText(c.typed);
        QPushButton *rename = nullptr;
        for (QPushButton *button : switcher.renameDialog()->findChildren<QPushButton *>()) {
            if (button->text() == "Rename") {
                rename = button;
            }
        }
        ASSERT_NE(rename, nullptr);
        rename->click();
        EXPECT_EQ(model.data().profiles.front().name, c.result) << c.typed;
        EXPECT_FALSE(switcher.renaming());
    }
}

TEST(ProfileSwitcher, ShareActsOnTheModel) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    ProfileSwitcher switcher(model);
    AppModel *shared = nullptr;
    switcher.setShareAction([&](AppModel &m, QWidget *) { shared = &m; });
    switcher.shareButton()->click();
    EXPECT_EQ(shared, &model);
    EXPECT_EQ(switcher.shareButton()->text(), QString("Share pack"));
}

} // namespace
} // namespace tc::test
