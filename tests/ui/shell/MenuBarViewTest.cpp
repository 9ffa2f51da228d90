// The tray panel: the on/off pill, the silence card or the now-playing dial, profiles, volume, the banner,
// opening the window, quitting; and where its popup opens.

#include "ui/shell/MenuBarView.h"

#include "ui/ModelStates.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/OrangeDial.h"
#include "ui/shell/MenuBarParts.h"
#include "ui/shell/MenuBarPopup.h"
#include "ui/shell/SilenceCard.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

struct Recorded {
    int opened = 0;
    int quits = 0;
    MenuBarView::Actions actions() {
        return {[this] { ++opened; }, [this] { ++quits; }};
    }
};

TEST(MenuBarView, ShowsTheSilenceCardForEachSilenceAndTheDialWithoutOne) {
    shellApp();
    struct Case {
        Silence::Kind kind;
        const char *symbol;
        const char *title;
        const char *fix; // null: no button
    };
    const Case cases[] = {
        {Silence::Kind::permission, "keyboard.badge.exclamationmark", "Can't hear your keys", "Allow"},
        {Silence::Kind::off, "speaker.slash.fill", "Sounds are off", "Turn on"},
        {Silence::Kind::volume, "speaker.fill", "Volume is at 0", "Set to 80%"},
        {Silence::Kind::macMuted, "speaker.slash", "Your computer is muted", nullptr},
        {Silence::Kind::app, "app.badge", "Muted in Zoom", "Edit rules"},
        {Silence::Kind::mic, "mic.slash.fill", "Muted while the mic is on", "Play in calls"},
        {Silence::Kind::password, "lock.fill", "Silent in password fields", nullptr},
        {Silence::Kind::quiet, "moon.fill", "Quiet hours", "Play now"},
    };
    for (const Case &c : cases) {
        Harness harness;
        AppModel &model = startSilent(harness, c.kind);
        Recorded recorded;
        MenuBarView view(model, recorded.actions());
        SilenceCard *card = view.silenceCard();
        ASSERT_NE(card, nullptr) << c.title;
        EXPECT_TRUE(view.nowPlaying()->isHidden());
        EXPECT_EQ(SilenceCard::symbol(c.kind), c.symbol);
        EXPECT_EQ(card->titleText()->text(), QString(c.title));
        EXPECT_EQ(card->detailLabel()->text(), model.silence()->detail);
        EXPECT_EQ(card->height(), SilenceCard::fixedHeight);
        if (c.fix) {
            ASSERT_NE(card->fixButton(), nullptr) << c.title;
            EXPECT_EQ(card->fixButton()->text(), QString(c.fix));
        } else {
            EXPECT_EQ(card->fixButton(), nullptr) << c.title;
        }
    }
}

// With many profiles the panel keeps its height: the profile list scrolls, and "Open Tapchime" and the power
// button stay where they were.
TEST(MenuBarView, ManyProfilesScrollInsteadOfGrowingThePanel) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    while (model.data().profiles.size() < 2 * MenuBarView::kVisibleProfileRows) {
        model.addProfile("Extra");
    }
    MenuBarView view(model, {});
    view.show();
    QCoreApplication::processEvents();
    const int full = view.sizeHint().height();
    EXPECT_FALSE(view.profileScroll()->verticalScrollBar()->isVisible());
    for (int i = 0; i < 12; ++i) {
        model.addProfile("More");
    }
    view.adjustSize();
    QCoreApplication::processEvents();
    EXPECT_EQ(view.sizeHint().height(), full);
    QScrollArea *scroll = view.profileScroll();
    EXPECT_TRUE(QTest::qWaitFor([scroll] { return scroll->widget()->height() > scroll->viewport()->height(); }));
}

TEST(MenuBarView, FixingAnAppRuleOpensTheMainWindowOnAppRules) {
    shellApp();
    Harness harness;
    AppModel &model = startSilent(harness, Silence::Kind::app);
    Recorded recorded;
    MenuBarView view(model, recorded.actions());
    view.silenceCard()->fixButton()->click();
    EXPECT_EQ(model.section(), AppSection::apps);
    EXPECT_EQ(recorded.opened, 1);
}

TEST(MenuBarView, FixesTheModelRemovesItselfOpenNothingAndTheDialReturns) {
    shellApp();
    Harness harness;
    AppModel &model = startSilent(harness, Silence::Kind::off);
    Recorded recorded;
    MenuBarView view(model, recorded.actions());
    view.silenceCard()->fixButton()->click(); // "Turn on"
    EXPECT_TRUE(model.data().settings.enabled);
    EXPECT_EQ(recorded.opened, 0);
    flushDeletes();
    EXPECT_EQ(view.silenceCard(), nullptr);
    EXPECT_FALSE(view.nowPlaying()->isHidden());
}

TEST(MenuBarView, TheOnOffPillFlipsSoundsWithoutANotice) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    MenuBarView view(model, {});
    OnOffPill *pill = view.onOffPill();
    EXPECT_TRUE(pill->isOn());
    EXPECT_EQ(pill->text(), QString("On"));
    EXPECT_EQ(pill->toolTip(), QString("Ctrl+Alt+K"));
    const std::size_t writes = harness.writeCount();
    pill->click();
    EXPECT_FALSE(model.data().settings.enabled);
    EXPECT_FALSE(harness.router.config()->enabled);
    EXPECT_EQ(pill->text(), QString("Off"));
    EXPECT_NE(view.silenceCard(), nullptr);
    EXPECT_TRUE(harness.notices.empty());
    letSaveRun(harness);
    EXPECT_EQ(harness.writeCount(), writes + 1);
    pill->click();
    EXPECT_TRUE(model.data().settings.enabled);
    EXPECT_EQ(pill->text(), QString("On"));
}

TEST(MenuBarView, TheDialShowsTheLastKeyAndSoundAndTheDaysCount) {
    shellApp();
    Harness harness;
    harness.stats.storedDay = "2024-05-14";
    harness.stats.storedCount = 1234;
    AppModel &model = harness.started();
    MenuBarView view(model, {});
    EXPECT_EQ(view.shownKeyText(), QString("TYPE SOMETHING"));
    EXPECT_EQ(view.shownNameText(), QString::fromStdString(model.effectiveProfile().name));
    EXPECT_EQ(view.shownCountText(), MenuBarView::todayText(1234));

    model.assign("synth.meow", {49});
    harness.press(49, 0, " ");
    EXPECT_EQ(view.shownKeyText(), QString("SPACE"));
    EXPECT_EQ(view.shownNameText(), QString("Meow"));
    EXPECT_EQ(view.shownCountText(), MenuBarView::todayText(1235));

    model.assign("user.gone", {12}); // a sound that no longer resolves
    harness.library.lookup.addSound("user.gone", SoundCategory::mine);
    harness.press(12, 0, "q");
    EXPECT_EQ(view.shownKeyText(), QString("Q"));
    EXPECT_EQ(view.shownNameText(), QString("Missing sound"));
}

TEST(MenuBarView, CountsAreWrittenWithTheLocalesGroupingAndTheSingularForOne) {
    EXPECT_EQ(MenuBarView::todayText(1234, QLocale(QLocale::English, QLocale::UnitedStates)), QString("1,234 TODAY"));
    EXPECT_EQ(MenuBarView::todayText(1234, QLocale(QLocale::German, QLocale::Germany)), QString("1.234 TODAY"));
    EXPECT_EQ(MenuBarView::todayText(1234, QLocale::c()), QString("1,234 TODAY"));
    EXPECT_EQ(MenuBarView::todayText(0, QLocale::c()), QString("0 TODAY"));

    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    model.commitEdit([](AppData &data) {
        Profile base = data.profiles.front();
        data.profiles.clear();
        for (int keys : {0, 1, 2}) {
            Profile profile = base;
            profile.id = Uuid::random();
            profile.keys.clear();
            for (int k = 0; k < keys; ++k) {
                profile.keys[std::to_string(k)] = KeyAssignment{};
            }
            data.profiles.push_back(profile);
        }
        data.activeProfileID = data.profiles.front().id;
    });
    MenuBarView view(model, {});
    ASSERT_EQ(view.profileCells().size(), 3u);
    EXPECT_EQ(view.profileCells()[0]->keysText(), QString("0 keys"));
    EXPECT_EQ(view.profileCells()[1]->keysText(), QString("1 key"));
    EXPECT_EQ(view.profileCells()[2]->keysText(), QString("2 keys"));
}

TEST(MenuBarView, ProfileCellsSwitchTheActiveProfileInPlace) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    model.addProfile("Second");
    model.setActiveProfile(model.data().profiles.front().id);
    MenuBarView view(model, {});
    const std::vector<ProfileCell *> cells = view.profileCells();
    ASSERT_EQ(cells.size(), model.data().profiles.size());
    EXPECT_TRUE(cells.front()->isActive());
    cells.back()->click();
    EXPECT_EQ(model.data().activeProfileID, model.data().profiles.back().id);
    EXPECT_TRUE(cells.back()->isActive());
    EXPECT_FALSE(cells.front()->isActive());
    EXPECT_EQ(view.profileCells(), cells); // the same cells, updated

    model.addProfile("Third"); // the list changed: cells are made again, two to a row
    flushDeletes();
    EXPECT_EQ(view.profileCells().size(), model.data().profiles.size());
}

TEST(MenuBarView, VolumeShowsWholePercentsAndWritesThroughTheModel) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    MenuBarView view(model, {});
    const std::pair<double, const char *> cases[] = {
        {0.8, "80%"}, {0.456, "45%"}, {0.999, "99%"}, {1.0, "100%"}, {0.0, "0%"}};
    for (const auto &[volume, text] : cases) {
        model.setSetting(&AppSettings::masterVolume, volume);
        EXPECT_EQ(view.volumeText(), QString(text));
    }
    EXPECT_EQ(view.silenceCard()->silence().kind, Silence::Kind::volume); // 0 %

    const std::size_t writes = harness.writeCount();
    view.volumeSlider()->setValue(250);
    EXPECT_DOUBLE_EQ(model.data().settings.masterVolume, 0.25);
    EXPECT_EQ(view.volumeText(), QString("25%"));
    EXPECT_FLOAT_EQ(harness.router.config()->masterVolume, 0.25f);
    letSaveRun(harness);
    EXPECT_EQ(harness.writeCount(), writes + 1);
}

TEST(MenuBarView, TheVolumeSliderKeepsItsDragWhileTheDocumentChanges) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    MenuBarView view(model, {});
    view.resize(view.sizeHint());
    view.show();
    VolumeSlider *slider = view.volumeSlider();
    const QPoint start = VolumeSlider::knobRect(slider->value(), slider->size()).center().toPoint();
    QTest::mousePress(slider, Qt::LeftButton, {}, start);
    ASSERT_TRUE(slider->isSliderDown());
    QMouseEvent move(QEvent::MouseMove, QPointF(slider->width() / 4.0, slider->height() / 2.0),
                     slider->mapToGlobal(QPointF(slider->width() / 4.0, slider->height() / 2.0)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(slider, &move);
    const int dragged = slider->value();
    EXPECT_LT(dragged, 500);
    EXPECT_DOUBLE_EQ(model.data().settings.masterVolume, dragged / 1000.0);

    // The document changes under the drag: a profile switch, then another writer of the volume.
    model.addProfile("Meanwhile");
    EXPECT_EQ(view.volumeSlider(), slider);
    EXPECT_TRUE(slider->isSliderDown());
    EXPECT_EQ(slider->value(), dragged);
    EXPECT_EQ(view.volumeText(), QString("%1%").arg(dragged / 10));
    model.setSetting(&AppSettings::masterVolume, 0.9);
    EXPECT_TRUE(slider->isSliderDown());
    EXPECT_EQ(slider->value(), dragged); // the knob stays under the pointer
    EXPECT_EQ(view.volumeText(), QString("90%"));

    // Once released, the knob shows the document again.
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(slider->width() / 4, slider->height() / 2));
    EXPECT_FALSE(slider->isSliderDown());
    EXPECT_EQ(slider->value(), 900);
    EXPECT_DOUBLE_EQ(model.data().settings.masterVolume, 0.9);
}

TEST(MenuBarView, TheBannerReportsAutoMuteInCalls) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    MenuBarView view(model, {});
    EXPECT_EQ(view.bannerDetail(), QString("Whenever your mic is on"));
    model.setSetting(&AppSettings::muteWhenMicInUse, false);
    EXPECT_EQ(view.bannerDetail(), QString("Off · turn on in App rules"));
}

TEST(MenuBarView, OpenBringsTheWindowAndQuitWritesThePendingSaveFirst) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    int opened = 0;
    std::size_t writesAtQuit = 0;
    MenuBarView view(model, {[&] { ++opened; }, [&] { writesAtQuit = harness.writeCount(); }});
    EXPECT_EQ(view.openButton()->text(), QString("Open Tapchime"));
    view.openButton()->click();
    EXPECT_EQ(opened, 1);

    const std::size_t before = harness.writeCount();
    model.renameProfile(model.data().activeProfileID, "Renamed before quitting"); // a save is pending
    EXPECT_EQ(harness.writeCount(), before);
    EXPECT_EQ(view.quitButton()->toolTip(), QString("Quit Tapchime"));
    view.quitButton()->click();
    EXPECT_EQ(writesAtQuit, before + 1);
    EXPECT_NE(harness.readDocument().indexOf("Renamed before quitting"), -1);
}

TEST(MenuBarPopup, OpensBesideTheTrayIconInsideTheScreen) {
    const QRect screen(0, 0, 1280, 800);
    const QSize panel(342, 600);
    struct Case {
        QRect icon;
        QPoint expected;
    };
    const Case cases[] = {
        {QRect(1200, 0, 24, 24), QPoint(1280 - 342, 28)},            // top-right: below, pushed in from the edge
        {QRect(600, 0, 24, 24), QPoint(611 - 171, 28)},              // top: centred under the icon
        {QRect(600, 776, 24, 24), QPoint(611 - 171, 776 - 4 - 600)}, // bottom panel: above
        {QRect(0, 300, 24, 24), QPoint(0, 800 - 600)},               // left edge, upper half: below, kept inside
        {QRect(QPoint(700, 790), QSize()), QPoint(700 - 171, 790 - 4 - 600)}, // unknown: at the pointer
    };
    for (const Case &c : cases) {
        EXPECT_EQ(MenuBarPopup::placement(c.icon, panel, screen), c.expected) << c.icon.x() << "," << c.icon.y();
    }
    // A panel taller than the screen starts at its top.
    EXPECT_EQ(MenuBarPopup::placement(QRect(600, 776, 24, 24), QSize(342, 900), screen).y(), 0);
}

TEST(MenuBarPopup, OpeningTheWindowClosesThePopup) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    int opened = 0;
    MenuBarPopup popup(model, {[&] { ++opened; }, {}});
    popup.showAt(QRect(600, 0, 24, 24));
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.view()->width(), MenuBarView::fixedWidth);
    popup.view()->openButton()->click();
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(opened, 1);
    popup.toggleAt(QRect(600, 0, 24, 24)); // the same click that closed it
    EXPECT_FALSE(popup.isVisible());
}

} // namespace
} // namespace tc::test
