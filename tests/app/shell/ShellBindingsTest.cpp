// The shell's pieces on the application model: tray icon, "Sounds" item and the notice's remedy.

#include "app/AppModelHarness.h"

#include "app/FailureText.h"
#include "app/shell/AppMenus.h"
#include "app/shell/ShellBindings.h"
#include "app/shell/TrayIcon.h"
#include "app/shell/Updater.h"
#include "model/Json.h"
#include "support/QtTestApp.h"

#include <QAction>
#include <QDir>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(ShellBindings, TheSoundsItemFlipsTheSettingSilentlyAndTheTrayClosesItsEyes) {
    qtApp();
    Harness harness;
    AppModel &model = harness.started();
    QMenuBar bar;
    Updater updater(QString(), QStringLiteral("1.0.0"), QStringLiteral("1"));
    AppMenus menus(&bar, updater);
    TrayIcon tray(Qt::white);
    bindTray(model, tray);
    bindMenus(model, menus);
    ASSERT_FALSE(model.silence());
    EXPECT_EQ(tray.state(), MenuBarIcon::State::playing);
    EXPECT_EQ(menus.soundsAction()->text(), QStringLiteral("Turn Sounds Off  (Ctrl+Alt+K)"));

    const std::size_t writes = harness.writeCount();
    menus.soundsAction()->trigger();
    EXPECT_FALSE(model.data().settings.enabled);
    EXPECT_FALSE(harness.router.config()->enabled); // pushed at once
    EXPECT_EQ(menus.soundsAction()->text(), QStringLiteral("Turn Sounds On  (Ctrl+Alt+K)"));
    EXPECT_EQ(tray.state(), MenuBarIcon::State::off);
    EXPECT_TRUE(harness.notices.empty()); // unlike the hotkey, no notice
    harness.time.advance(AppModel::kSaveDelay);
    harness.documents->waitForWrites(std::chrono::seconds(5));
    EXPECT_EQ(harness.writeCount(), writes + 1); // saved after the debounce

    menus.soundsAction()->trigger();
    EXPECT_TRUE(model.data().settings.enabled);
    EXPECT_EQ(tray.state(), MenuBarIcon::State::playing);

    model.setSetting(&AppSettings::masterVolume, 0.0);
    EXPECT_EQ(tray.state(), MenuBarIcon::State::silenced);
}

TEST(ShellBindings, TheNoticesRemedyFixesTheSilenceItWasShownFor) {
    qtApp();
    Harness harness;
    AppModel &model = harness.started();
    int appRulesShown = 0;
    const NoticeHUD::FixHandler fix = noticeFix(model, [&] { ++appRulesShown; });

    // A notice about the volume; before the click, sounds were also switched off (a cause that comes first).
    model.setSetting(&AppSettings::masterVolume, 0.0);
    const Silence shown = *model.silence();
    ASSERT_EQ(shown.kind, Silence::Kind::volume);
    model.setSetting(&AppSettings::enabled, false);
    ASSERT_EQ(model.silence()->kind, Silence::Kind::off);

    fix(shown);
    EXPECT_DOUBLE_EQ(model.data().settings.masterVolume, 0.8); // "Set to 80%" did what it said
    EXPECT_FALSE(model.data().settings.enabled);               // and nothing else
    EXPECT_EQ(appRulesShown, 0);

    harness.activate("Zoom", "Zoom");
    model.setSetting(&AppSettings::enabled, true);
    ASSERT_EQ(model.silence()->kind, Silence::Kind::app);
    fix(*model.silence());
    EXPECT_EQ(model.section(), AppSection::apps);
    EXPECT_EQ(appRulesShown, 1);
}

TEST(ShellBindings, TheModelsUpdateCheckReachesTheUpdaterOnlyWithAFeed) {
    qtApp();
    Harness harness;
    AppModel &model = harness.make();
    int presented = 0;
    Updater withoutFeed(QString(), QStringLiteral("1.0.0"), QStringLiteral("1"));
    withoutFeed.setPresenter([&presented](const UpdateCheckResult &) { ++presented; });
    bindUpdater(model, withoutFeed);
    EXPECT_FALSE(model.canCheckForUpdates());
    model.checkForUpdates();
    EXPECT_EQ(presented, 0);

    // A feed the updater refuses at once shows that the request arrived, without any network.
    Harness second;
    AppModel &other = second.make();
    Updater withFeed(QStringLiteral("ftp://updates.invalid/appcast.xml"), QStringLiteral("1.0.0"), QStringLiteral("1"));
    UpdateCheckResult result;
    withFeed.setPresenter([&](const UpdateCheckResult &r) {
        result = r;
        ++presented;
    });
    bindUpdater(other, withFeed);
    EXPECT_TRUE(other.canCheckForUpdates());
    other.checkForUpdates();
    EXPECT_EQ(presented, 1);
    EXPECT_EQ(result.outcome, UpdateCheckResult::Outcome::failed);
}

// A failing save is told once per run of failures, in an alert over the window the shell names.
TEST(ShellBindings, AFailedSaveIsToldInAnAlertWithItsReason) {
    qtApp();
    Harness harness;
    AppModel &model = harness.started();
    QWidget window;
    bindSaveFailures(model, [&window] { return &window; });
    harness.writes->failure = QStringLiteral("No space left on device");
    model.addProfile("Lost");
    model.flushPendingSave();
    harness.time.runPosted();
    const auto alerts = window.findChildren<QMessageBox *>();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0]->text(), saveFailureTitle());
    EXPECT_TRUE(alerts[0]->informativeText().contains("No space left on device"));
    model.addProfile("Lost too");
    model.flushPendingSave();
    harness.time.runPosted();
    EXPECT_EQ(window.findChildren<QMessageBox *>().size(), 1); // still the same run of failures
    delete alerts[0];
}

// The texts of a failed save speak for the program and name the folder; the library's own text (with the hidden
// temporary file it names) comes last, shortened.
TEST(ShellBindings, ASaveFailureNamesTheFolderInTheProgramsWordsWithTheDetailShortened) {
    const QString folder = DocumentStore::defaultFolder();
    struct Case {
        const char *name;
        QString reason;
        QString detail; // the last paragraph, in brackets; empty: none
    };
    const Case cases[] = {
        {"the library's text",
         "filesystem error: cannot create file: Operation not permitted [" + folder +
             "/.data.json.6F9619FF-8B86-D011-B42D-00C04FC964FF.tmp]",
         "cannot create file: Operation not permitted"},
        {"two paths", "filesystem error: cannot rename: No space left on device [/a/.x.tmp] [/a/data.json]",
         "cannot rename: No space left on device"},
        {"our own words", "the document would take 70000000 bytes, more than the 67108864 a document may hold",
         "the document would take 70000000 bytes, more than the 67108864 a document may hold"},
        {"a very long text", QString(400, QChar('x')), QString(kMaxDetailLength - 1, QChar('x')) + QChar(0x2026)},
        {"nothing", "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString text = saveFailureText(c.reason);
        EXPECT_TRUE(text.startsWith("Your changes couldn't be written to the folder " + folder + ". "))
            << text.toStdString();
        EXPECT_FALSE(text.contains(".tmp")) << text.toStdString();
        EXPECT_FALSE(text.contains("filesystem error")) << text.toStdString();
        if (c.detail.isEmpty()) {
            EXPECT_FALSE(text.contains("\n\n")) << text.toStdString();
        } else {
            EXPECT_TRUE(text.endsWith("\n\n(" + c.detail + ")")) << text.toStdString();
        }
    }
}

// A document that could not be read is told once, over the window, naming the copy and its folder.
TEST(ShellBindings, ABrokenDocumentIsToldOnceNamingTheCopyKeptAndItsFolder) {
    qtApp();
    Harness harness;
    harness.writeDocument("{ not a document");
    AppModel &model = harness.make();
    QWidget window;
    bindBrokenDocumentNotice(model, [&window] { return &window; });
    model.start();
    const auto alerts = window.findChildren<QMessageBox *>();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0]->text(), QStringLiteral("Tapchime couldn't read your saved settings"));
    const QString name = DocumentStore::brokenFileName(harness.time.now());
    EXPECT_EQ(alerts[0]->informativeText(), "Tapchime starts with its defaults. A copy of the file was kept as \"" +
                                                name + "\" in the folder " +
                                                QDir::toNativeSeparators(QDir(harness.folder()).absolutePath()) +
                                                "; Tapchime never changes or removes it.");
    delete alerts[0];

    // A document that reads well says nothing.
    Harness fine;
    fine.writeDocument(QByteArray::fromStdString(encodeAppData(AppModel::makeDefaultData(), false)));
    AppModel &other = fine.make();
    QWidget second;
    bindBrokenDocumentNotice(other, [&second] { return &second; });
    other.start();
    EXPECT_TRUE(second.findChildren<QMessageBox *>().isEmpty());
}

// Typing into one of the program's own windows is known to the model as soon as the window has the focus.
TEST(ShellBindings, TheModelFollowsWhetherAWindowOfTheProgramHasTheFocus) {
    qtApp();
    Harness harness;
    AppModel &model = harness.started();
    QWidget window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    bindOwnWindowFocus(model); // a window has the focus already
    EXPECT_TRUE(model.ownWindowFocused());
    // The focus leaves the program (another application's window), and comes back.
    emit qApp->focusWindowChanged(nullptr);
    EXPECT_FALSE(model.ownWindowFocused());
    emit qApp->focusWindowChanged(window.windowHandle());
    EXPECT_TRUE(model.ownWindowFocused());
}

} // namespace
} // namespace tc::test
