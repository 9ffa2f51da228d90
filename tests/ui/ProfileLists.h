#pragma once
// The views that list the document's profiles (the pack row, the header's chips, the tray panel's cells) under
// test with a big document: each makes widgets only for the profiles in view, and follows the model's profile
// signals in place.

#include "app/AppModel.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tc::test {

// Gives the document `count` profiles, "Profile 0" to "Profile <count - 1>", the first active.
inline void makeProfiles(AppModel &model, int count) {
    model.commitEdit([count](AppData &data) {
        const Profile first = data.profiles.front();
        data.profiles.clear();
        for (int i = 0; i < count; ++i) {
            Profile profile = first;
            profile.id = Uuid::random();
            profile.name = "Profile " + std::to_string(i);
            profile.color = kAllProfileColors[static_cast<std::size_t>(i) % kAllProfileColors.size()];
            data.profiles.push_back(std::move(profile));
        }
        data.activeProfileID = data.profiles.front().id;
    });
}

// One list as the checks below see it.
struct ProfileList {
    // The widgets made now, in order, with the profile each shows.
    std::function<std::vector<std::pair<QWidget *, Uuid>>()> made;
    // Whether the widget shows its profile as the active one.
    std::function<bool(QWidget *)> active;
    // The name the widget shows, or nothing when it does not keep one.
    std::function<std::optional<QString>(QWidget *)> name;
    // The control of a made widget Tab stops at (null for none).
    std::function<QWidget *(QWidget *)> control;
    std::size_t atMost; // widgets the list's view may need
};

inline std::vector<Uuid> ids(const std::vector<std::pair<QWidget *, Uuid>> &made) {
    std::vector<Uuid> result;
    for (const auto &[widget, id] : made) {
        result.push_back(id);
    }
    return result;
}

inline QWidget *widgetOf(const ProfileList &list, const Uuid &id) {
    for (const auto &[widget, shown] : list.made()) {
        if (shown == id) {
            return widget;
        }
    }
    return nullptr;
}

// The made widgets show consecutive profiles of the document, in its order, from `first`.
inline void expectConsecutive(const ProfileList &list, const AppModel &model, std::size_t first, const char *when) {
    const auto made = ids(list.made());
    ASSERT_FALSE(made.empty()) << when;
    ASSERT_LE(first + made.size(), model.data().profiles.size()) << when;
    for (std::size_t i = 0; i < made.size(); ++i) {
        EXPECT_EQ(made[i], model.data().profiles[first + i].id) << when << ": widget " << i;
    }
}

// With 300 profiles and the list shown: a bounded number of widgets, and each change of the document touches
// only the widgets of the profiles it changed.
inline void checkFollowsInPlace(const ProfileList &list, AppModel &model) {
    const auto &profiles = [&model]() -> const std::vector<Profile> & { return model.data().profiles; };
    ASSERT_EQ(profiles().size(), 300u);
    auto made = list.made();
    EXPECT_LE(made.size(), list.atMost);
    ASSERT_GE(made.size(), 3u);
    expectConsecutive(list, model, 0, "shown");
    EXPECT_TRUE(list.active(made[0].first));
    EXPECT_FALSE(list.active(made[1].first));

    // A rename in view: that widget shows the new name; every widget stays.
    model.renameProfile(profiles()[1].id, "Renamed");
    EXPECT_EQ(list.made(), made) << "rename in view";
    if (const auto name = list.name(made[1].first)) {
        EXPECT_EQ(*name, QStringLiteral("Renamed"));
    }
    // A change out of view: no widget is made or changes its profile.
    model.renameProfile(profiles()[250].id, "Far away");
    model.setProfileColor(profiles()[251].id, ProfileColor::red);
    EXPECT_EQ(list.made(), made) << "change out of view";

    // The active mark moves to the clicked profile, on the same widgets.
    model.setActiveProfile(profiles()[2].id);
    EXPECT_EQ(list.made(), made) << "active profile";
    EXPECT_FALSE(list.active(made[0].first));
    EXPECT_TRUE(list.active(made[2].first));

    // A profile removed from view: its widget no longer shows it, the others keep theirs, in order.
    const Uuid gone = profiles()[1].id;
    model.deleteProfile(gone);
    expectConsecutive(list, model, 0, "removed");
    EXPECT_EQ(widgetOf(list, gone), nullptr);
    for (const std::size_t kept : {0u, 2u, 3u}) {
        EXPECT_EQ(widgetOf(list, made[kept].second), made[kept].first) << "removed: widget " << kept;
    }

    // A profile put in second place appears there; the ones around it keep their widgets.
    model.commitEdit([](AppData &data) {
        Profile added = data.profiles.front();
        added.id = Uuid::random();
        added.name = "Added";
        data.profiles.insert(data.profiles.begin() + 1, added);
    });
    expectConsecutive(list, model, 0, "added");
    ASSERT_NE(widgetOf(list, profiles()[1].id), nullptr);
    if (const auto name = list.name(widgetOf(list, profiles()[1].id))) {
        EXPECT_EQ(*name, QStringLiteral("Added"));
    }
    for (const std::size_t kept : {0u, 2u, 3u}) {
        EXPECT_EQ(widgetOf(list, made[kept].second), made[kept].first) << "added: widget " << kept;
    }
    EXPECT_LE(list.made().size(), list.atMost);
}

// Tab from the first profile's control reaches every other profile's in document order (`activeHasControl`:
// the profile in use has one too), through widgets of a bounded number, and Backtab goes back one.
inline void checkTabReachesEveryProfile(const ProfileList &list, AppModel &model, bool activeHasControl,
                                        Qt::Key onward = Qt::Key_Tab, Qt::Key backward = Qt::Key_Backtab) {
    model.setActiveProfile(model.data().profiles[5].id);
    const auto made = list.made();
    ASSERT_FALSE(made.empty());
    QWidget *first = list.control(made.front().first);
    ASSERT_NE(first, nullptr);
    first->setFocus(Qt::TabFocusReason);
    const auto focusedProfile = [&list]() -> std::optional<Uuid> {
        QWidget *focused = QApplication::focusWidget();
        for (const auto &[widget, id] : list.made()) {
            if (focused != nullptr && list.control(widget) == focused) {
                return id;
            }
        }
        return std::nullopt;
    };
    std::vector<Uuid> expected;
    for (const Profile &profile : model.data().profiles) {
        if (activeHasControl || profile.id != model.data().activeProfileID) {
            expected.push_back(profile.id);
        }
    }
    std::vector<Uuid> reached;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto id = focusedProfile();
        ASSERT_TRUE(id.has_value()) << "left the list after " << reached.size() << " profiles";
        reached.push_back(*id);
        if (i + 1 < expected.size()) {
            QTest::keyClick(QApplication::focusWidget(), onward);
        }
    }
    EXPECT_EQ(reached, expected);
    EXPECT_LE(list.made().size(), list.atMost);
    QTest::keyClick(QApplication::focusWidget(), backward);
    const auto back = focusedProfile();
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, expected[expected.size() - 2]);
}

} // namespace tc::test
