// The right column and the log of the App rules screen: the right-now card in every state, the smart-mute
// rows and quiet-hours times, and today's switches.

#include "model/Json.h"
#include "ui/ModelStates.h"
#include "ui/apprules/RightNowCard.h"
#include "ui/apprules/SmartMuteCard.h"
#include "ui/apprules/SwitchLogCard.h"
#include "ui/kit/FittingText.h"

#include <QComboBox>
#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(RightNowCard, ShowsTheAppInFrontAndWhatPlaysThereInEveryState) {
    shellApp();
    for (const Silence::Kind kind : allSilenceKinds) {
        Harness harness;
        AppModel &model = startSilent(harness, kind);
        if (kind != Silence::Kind::app) {
            harness.activate("org.gnome.Terminal", "Terminal");
        }
        RightNowCard card(model);
        const Silence silence = *model.silence();
        EXPECT_EQ(silence.kind, kind);
        EXPECT_EQ(card.headlineText(), kind == Silence::Kind::off ? "Off" : "Muted");
        EXPECT_EQ(card.subtitleText(), silence.title);
        EXPECT_EQ(card.symbol(), "speaker.slash.fill");
        EXPECT_EQ(card.appText(), kind == Silence::Kind::app ? "ZOOM" : "TERMINAL");
        EXPECT_EQ(card.height(), 230);
    }

    // Playing: the effective profile, which follows the application in front and the rules.
    Harness harness;
    AppModel &model = harness.started();
    RightNowCard card(model);
    EXPECT_EQ(card.appText(), QString::fromUtf8("—")); // nothing reported yet (also a Wayland session)
    EXPECT_EQ(card.headlineText(), QString::fromStdString(model.data().activeProfile().name));
    EXPECT_EQ(card.subtitleText(), "Playing your sounds");
    EXPECT_EQ(card.symbol(), "speaker.wave.2.fill");
    model.setRule("org.gnome.TextEditor", QString::fromUtf8("éditeur").toStdString(),
                  profileNamed(model, "Animals").id);
    harness.activate("org.gnome.TextEditor", QString::fromUtf8("éditeur").toStdString());
    EXPECT_EQ(card.appText(), QString::fromUtf8("ÉDITEUR"));
    EXPECT_EQ(card.headlineText(), "Animals");
    model.setSetting(&AppSettings::enabled, false);
    EXPECT_EQ(card.headlineText(), "Off");
    model.setSetting(&AppSettings::enabled, true);
    model.removeRule("org.gnome.TextEditor");
    EXPECT_EQ(card.headlineText(), QString::fromStdString(model.data().activeProfile().name));
}

// A text that does not fit is cut at its end with "…" and shows whole as a tooltip; one that fits has none.
TEST(RightNowCard, ALongApplicationNameIsCutAtItsEndAndShownWholeAsATooltip) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    model.commitEdit([](AppData &data) { data.appRules.push_back(AppRule{"rxvt", "Rxvt", std::nullopt}); });
    const std::string name = "Rxvt Color Unicode Terminal With A Very Long Name Indeed";
    harness.activate("rxvt", name);
    RightNowCard card(model);
    card.resize(320, card.height()); // about the width of the App rules screen's right column
    card.show();
    QCoreApplication::processEvents();
    bool cutSubtitle = false;
    for (const QWidget *widget : card.findChildren<QWidget *>()) {
        const auto *line = dynamic_cast<const FittingText *>(widget); // not a Q_OBJECT: no qobject_cast
        if (!line) {
            continue;
        }
        const auto fit = line->currentFit();
        EXPECT_EQ(line->toolTip(), fit.elided ? line->text() : QString()) << line->text().toStdString();
        if (fit.elided) {
            EXPECT_TRUE(fit.text.endsWith(QStringLiteral("…"))) << fit.text.toStdString();
            EXPECT_TRUE(line->text().startsWith(fit.text.chopped(1))) << fit.text.toStdString();
            cutSubtitle = cutSubtitle || line->text() == card.subtitleText();
        }
    }
    EXPECT_TRUE(cutSubtitle); // "Muted in Rxvt Color Unicode Terminal…"
}

TEST(SmartMuteCard, EachRowFlipsItsOwnSettingWhichIsSavedAndPushed) {
    shellApp();
    struct Case {
        const char *title;
        bool AppSettings::*field;
        CheckRow *(SmartMuteCard::*row)() const;
    };
    const Case cases[] = {
        {"Microphone in use", &AppSettings::muteWhenMicInUse, &SmartMuteCard::micRow},
        {"Password fields", &AppSettings::muteInSecureInput, &SmartMuteCard::passwordRow},
        {"Quiet hours", &AppSettings::quietHoursEnabled, &SmartMuteCard::quietRow},
    };
    for (const Case &c : cases) {
        Harness harness;
        AppModel &model = harness.started();
        // Every cause holds at once, so the router's mute follows each setting alone.
        *harness.mic = true;
        *harness.secure = true;
        harness.time.advance(SystemWatchers::kPollInterval);
        model.commitEdit([](AppData &data) {
            data.settings.quietStartMinutes = 0;
            data.settings.quietEndMinutes = 1439;
        });
        SmartMuteCard card(model);
        card.resize(340, card.sizeHint().height());
        CheckRow *row = (card.*c.row)();
        EXPECT_EQ(row->text(), c.title);
        const bool before = model.data().settings.*c.field;
        const AppSettings others = model.data().settings;

        // Anywhere on the row counts, its empty right-hand part included.
        QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(row->width() - 5, row->height() / 2));
        EXPECT_EQ(model.data().settings.*c.field, !before) << c.title;
        EXPECT_EQ(row->isChecked(), !before) << c.title;
        AppSettings expected = others;
        expected.*c.field = !before;
        EXPECT_EQ(model.data().settings, expected) << c.title; // that one setting only
        const bool anyMute = expected.muteWhenMicInUse || expected.muteInSecureInput || expected.quietHoursEnabled;
        EXPECT_EQ(harness.router.config()->muted, anyMute) << c.title;
        letSaveRun(harness);
        EXPECT_EQ(decodeAppData(harness.readDocument().toStdString()).settings.*c.field, !before) << c.title;
        EXPECT_EQ(card.timeRow()->isHidden(), !model.data().settings.quietHoursEnabled) << c.title;

        QTest::mouseClick(row, Qt::LeftButton);
        EXPECT_EQ(model.data().settings.*c.field, before) << c.title;
    }
}

TEST(SmartMuteCard, QuietHoursTimesAreShownWithinADayAndPickedInHalfHours) {
    struct Case {
        std::int64_t start, end;
        const char *label;
        int startIndex, endIndex;
    };
    const Case cases[] = {
        {1380, 480, "23:00 – 08:00", 46, 16}, // the defaults
        {1385, 1500, "23:05 – 01:00", -1, 2}, // stored by hand: no entry, and a count past one day
        {-30, 0, "23:30 – 00:00", 47, 0},
        {1410, 1410, "23:30 – 23:30", 47, 47},
        {2 * 1440 + 45, 59, "00:45 – 00:59", -1, -1},
    };
    for (const Case &c : cases) {
        AppSettings settings;
        settings.quietStartMinutes = c.start;
        settings.quietEndMinutes = c.end;
        EXPECT_EQ(SmartMuteCard::quietLabel(settings), QString::fromUtf8(c.label)) << c.start;
        EXPECT_EQ(SmartMuteCard::pickerIndex(c.start), c.startIndex) << c.start;
        EXPECT_EQ(SmartMuteCard::pickerIndex(c.end), c.endIndex) << c.end;
    }

    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    SmartMuteCard card(model);
    EXPECT_TRUE(card.timeRow()->isHidden());
    EXPECT_EQ(card.quietRow()->note(), QString::fromUtf8("23:00 – 08:00"));
    model.commitEdit([](AppData &data) {
        data.settings.quietHoursEnabled = true;
        data.settings.quietStartMinutes = 1385;
    });
    EXPECT_FALSE(card.timeRow()->isHidden());
    EXPECT_EQ(card.startPicker()->currentIndex(), -1); // shown as no entry, and left as stored
    EXPECT_EQ(card.startPicker()->count(), 48);
    EXPECT_EQ(card.startPicker()->itemText(47), "23:30");
    EXPECT_EQ(model.data().settings.quietStartMinutes, 1385);

    // A pick writes its minutes; the note follows.
    card.startPicker()->setCurrentIndex(44);
    emit card.startPicker()->activated(44);
    EXPECT_EQ(model.data().settings.quietStartMinutes, 1320);
    EXPECT_EQ(card.quietRow()->note(), QString::fromUtf8("22:00 – 08:00"));
    // Turned off elsewhere (the quiet-hours remedy): the times go, the stored values stay.
    model.setSetting(&AppSettings::quietHoursEnabled, false);
    EXPECT_TRUE(card.timeRow()->isHidden());
    EXPECT_EQ(model.data().settings.quietStartMinutes, 1320);
}

TEST(SwitchLogCard, ListsTodaysNewestFourAndCountsThemAll) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    model.setRule("firefox", "Firefox", profileNamed(model, "Arcade").id);
    SwitchLogCard card(model);
    EXPECT_EQ(card.headerCount(), "0 SWITCHES");
    EXPECT_TRUE(card.showsEmptyText());
    EXPECT_TRUE(card.rows().empty());

    harness.activate("gedit", "Text Editor"); // the first report is no switch
    harness.activate("firefox", "Firefox");
    flushDeletes();
    EXPECT_EQ(card.headerCount(), "1 SWITCHES");
    EXPECT_FALSE(card.showsEmptyText());
    ASSERT_EQ(card.rows().size(), 1u);
    EXPECT_EQ(card.rows()[0].app, "Firefox");
    EXPECT_EQ(card.rows()[0].profile, "Arcade");
    EXPECT_EQ(card.rows()[0].time, SwitchLogCard::timeText(model.switchLog()[0].date));

    for (int i = 0; i < 5; ++i) {
        harness.time.advance(60);
        harness.activate(i % 2 ? "firefox" : "Zoom", i % 2 ? "Firefox" : "Zoom");
    }
    flushDeletes();
    EXPECT_EQ(card.headerCount(), "6 SWITCHES");
    const auto rows = card.rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].app, "Zoom"); // newest first
    EXPECT_EQ(rows[0].profile, "Muted");
    EXPECT_EQ(rows[1].profile, "Arcade");

    // After midnight the card titled "Today" holds none of yesterday's switches.
    harness.time.advanceTo(QTime(0, 1));
    flushDeletes();
    EXPECT_EQ(card.headerCount(), "0 SWITCHES");
    EXPECT_TRUE(card.showsEmptyText());
    EXPECT_TRUE(card.rows().empty());
}

TEST(SwitchLogCard, TimesAreHoursAndMinutesAsTheLocaleWritesThem) {
    const QDateTime afternoon(QDate(2024, 5, 14), QTime(14, 5, 42));
    const std::pair<QLocale, QString> cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), QString::fromUtf8("2:05\u202fPM")},
        {QLocale(QLocale::German, QLocale::Germany), "14:05"},
        {QLocale::c(), "14:05"},
    };
    for (const auto &[locale, text] : cases) {
        QString shown = SwitchLogCard::timeText(afternoon, locale);
        shown.replace(QChar(' '), QChar(0x202f)); // CLDR versions differ in the space before "PM"
        QString want = text;
        want.replace(QChar(' '), QChar(0x202f));
        EXPECT_EQ(shown, want) << locale.name().toStdString();
    }
}

} // namespace
} // namespace tc::test
