// The main window: its size, the rail and the section it shows, the header, the sheets and Ctrl+,.

#include "ui/shell/MainWindow.h"

#include "app/Motion.h"
#include "ui/ModelStates.h"
#include "ui/apprules/AppRulesView.h"
#include "ui/apprules/RuleCard.h"
#include "ui/apprules/RuleGridLayout.h"
#include "ui/editor/EditorView.h"
#include "ui/kit/CardScrollBar.h"
#include "ui/kit/StatusPill.h"
#include "ui/kit/Theme.h"
#include "ui/settings/SettingsView.h"
#include "ui/shell/Header.h"
#include "ui/shell/Pages.h"
#include "ui/shell/ProfileSwitcher.h"
#include "ui/shell/Rail.h"
#include "ui/sounds/SoundLibraryPanel.h"
#include "ui/sounds/SoundLibraryRow.h"
#include "ui/sounds/SoundsView.h"
#include "ui/triggers/TriggersView.h"

#include <QAction>
#include <QDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

// The offscreen application, made before anything else a test holds.
struct App {
    App() { shellApp(); }
};

// A program's model, made (not started) and its main window, hidden.
class MainWindowTest : public ::testing::Test {
protected:
    App app;
    Harness harness;
    AppModel &model = harness.make();
    MainWindow window{model};
};

// A started program, as in normal use, whose windows and pages a test makes.
class StartedProgram : public ::testing::Test {
protected:
    App app;
    Harness harness;
    AppModel &model = harness.started();
};

TEST_F(MainWindowTest, OpensTitledTapchimeAtItsDefaultSizeAndKeepsItsMinimum) {
    window.show();
    EXPECT_EQ(window.windowTitle(), "Tapchime");
    EXPECT_EQ(window.objectName(), "main");
    EXPECT_EQ(window.size(), QSize(1400, 880));
    window.resize(600, 400);
    EXPECT_EQ(window.size(), window.minimumSize()); // 1180 × 780 where the screen allows it
}

TEST_F(MainWindowTest, TheRailChangesTheSectionOnlyWhenItDiffers) {
    QSignalSpy changes(&model, &AppModelSignals::sectionChanged);

    window.rail()->item(AppSection::keyboard)->click(); // already the section
    EXPECT_EQ(changes.count(), 0);
    for (AppSection section : allAppSections) {
        const int before = changes.count();
        window.rail()->item(section)->click();
        EXPECT_EQ(model.section(), section);
        EXPECT_EQ(changes.count(), before + (section == AppSection::keyboard ? 0 : 1));
        window.rail()->item(section)->click();
        EXPECT_EQ(changes.count(), before + (section == AppSection::keyboard ? 0 : 1)) << toString(section);
        for (AppSection other : allAppSections) {
            EXPECT_EQ(window.rail()->item(other)->isSelected(), other == section);
        }
    }
}

TEST_F(MainWindowTest, EachSectionGetsANewPageAndItsTitleAndTheSwitcherOnlyOnKeys) {
    window.show(); // an open window makes each section's page as the section changes
    const std::pair<AppSection, const char *> titles[] = {
        {AppSection::sounds, "Sounds"},     {AppSection::triggers, "Triggers"}, {AppSection::apps, "App rules"},
        {AppSection::settings, "Settings"}, {AppSection::keyboard, "Keys"},
    };
    QWidget *previous = window.page();
    for (const auto &[section, title] : titles) {
        model.setSection(section);
        flushDeletes();
        ASSERT_NE(window.page(), nullptr);
        if (section == AppSection::keyboard) {
            EXPECT_NE(dynamic_cast<EditorView *>(window.page()), nullptr);
        }
        EXPECT_EQ(dynamic_cast<SettingsView *>(window.page()) != nullptr, section == AppSection::settings) << title;
        EXPECT_EQ(dynamic_cast<SoundsView *>(window.page()) != nullptr, section == AppSection::sounds) << title;
        EXPECT_NE(window.page(), previous);
        EXPECT_EQ(window.header()->title(), QString(title));
        EXPECT_EQ(window.header()->titleLine(), QString("Tapchime ") + title);
        EXPECT_EQ(window.header()->profileSwitcher() != nullptr, section == AppSection::keyboard) << title;
        EXPECT_NE(window.header()->statusPill(), nullptr);
        previous = window.page();
    }
}

TEST_F(MainWindowTest, AClosedWindowKeepsNoPageAndGetsTheCurrentSectionsPageWhenShownAgain) {
    // Pages are found by their type (the editor has no meta-object of its own to search by).
    const auto pages = [&] {
        const auto children = window.findChildren<QWidget *>();
        return std::count_if(children.begin(), children.end(),
                             [](QWidget *w) { return dynamic_cast<EditorView *>(w) != nullptr; });
    };
    flushDeletes();
    EXPECT_EQ(pages(), 0) << "a window made hidden (the program starts in the tray) keeps no page";

    window.show();
    EXPECT_EQ(pages(), 1);
    window.close();
    flushDeletes();
    EXPECT_EQ(pages(), 0) << "closing the window releases its page";

    model.setSection(AppSection::triggers); // from the tray while closed
    window.show();
    flushDeletes();
    EXPECT_EQ(pages(), 0);
    EXPECT_NE(dynamic_cast<TriggersView *>(window.page()), nullptr);

    window.showMinimized();
    QWidget *kept = window.page();
    flushDeletes();
    EXPECT_EQ(window.page(), kept) << "a minimised window keeps its page";
}

TEST_F(MainWindowTest, LeavingKeysDropsARenameInProgress) {
    ProfileSwitcher *switcher = window.header()->profileSwitcher();
    ASSERT_NE(switcher, nullptr);
    switcher->startRename(model.data().activeProfileID);
    ASSERT_NE(switcher->renameDialog(), nullptr);
    model.setSection(AppSection::apps);
    EXPECT_EQ(window.header()->profileSwitcher(), nullptr);
    model.setSection(AppSection::keyboard);
    ASSERT_NE(window.header()->profileSwitcher(), nullptr);
    EXPECT_EQ(window.header()->profileSwitcher()->renameDialog(), nullptr);
    EXPECT_FALSE(window.header()->profileSwitcher()->renaming());
}

TEST(MainWindow, RailItemsAreDrawnByShapeAndSelection) {
    struct Case {
        bool circular, selected;
        QColor symbol, fill;
        qreal corner, shadow;
        bool ring;
    };
    const Case cases[] = {
        {false, false, Theme::ink2, Qt::transparent, 12, 0, false},
        {false, true, Theme::ink, Qt::white, 12, 0.08, false},
        {true, false, Theme::ink2, Qt::transparent, 20, 0, true},
        {true, true, Qt::white, Theme::ink, 20, 0, false},
    };
    for (const Case &c : cases) {
        const RailItem::Face face = RailItem::face(c.circular, c.selected);
        EXPECT_EQ(face.symbol, c.symbol);
        EXPECT_EQ(face.fill.alpha() == 0 ? QColor(Qt::transparent) : face.fill, c.fill);
        EXPECT_EQ(face.corner, c.corner);
        EXPECT_EQ(face.shadow, c.shadow);
        EXPECT_EQ(face.showRing, c.ring);
    }
}

TEST_F(MainWindowTest, RailItemsAreNamedAndTakeClicksOnTheirWholeSquare) {
    const std::pair<AppSection, const char *> labels[] = {{AppSection::keyboard, "Keys"},
                                                          {AppSection::sounds, "Sounds"},
                                                          {AppSection::triggers, "Triggers"},
                                                          {AppSection::apps, "App rules"},
                                                          {AppSection::settings, "Settings"}};
    for (const auto &[section, label] : labels) {
        RailItem *item = window.rail()->item(section);
        EXPECT_EQ(item->toolTip(), QString(label));
        EXPECT_EQ(item->accessibleName(), QString(label));
    }
    window.resize(1400, 880);
    window.show();
    RailItem *apps = window.rail()->item(AppSection::apps);
    QTest::mouseClick(apps, Qt::LeftButton, {}, QPoint(RailItem::outset + 1, RailItem::outset + 1)); // a corner
    EXPECT_EQ(model.section(), AppSection::apps);
}

// Every list and page that scrolls shows the program's slim bar (no arrows), in every section and in the picker:
// none falls back to the style's default bar.
TEST_F(MainWindowTest, EveryScrollBarIsTheProgramsSlimBar) {
    window.show();
    const auto expectSlimBars = [](QWidget &top, const char *where) {
        int checked = 0;
        for (QAbstractScrollArea *area : top.findChildren<QAbstractScrollArea *>()) {
            if (area->window() != top.window() || area->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff) {
                continue; // a combo box's popup list, or an area that never shows a bar
            }
            ++checked;
            EXPECT_TRUE(area->verticalScrollBar()->styleSheet().contains(
                QStringLiteral("width: %1px").arg(CardScrollBar::kWidth)))
                << where << ": " << area->metaObject()->className() << " " << area->objectName().toStdString();
        }
        EXPECT_GT(checked, 0) << where;
    };
    for (const auto &[section, title] :
         {std::pair{AppSection::keyboard, "Keys"}, std::pair{AppSection::sounds, "Sounds"},
          std::pair{AppSection::triggers, "Triggers"}, std::pair{AppSection::apps, "App rules"},
          std::pair{AppSection::settings, "Settings"}}) {
        model.setSection(section);
        flushDeletes();
        expectSlimBars(window, title);
    }
    model.setSoundPicker(SoundPickerTarget::keys({49}));
    ASSERT_NE(window.soundPickerSheet(), nullptr);
    expectSlimBars(*window.soundPickerSheet(), "the sound picker");
    model.setSoundPicker(std::nullopt);
}

TEST_F(MainWindowTest, TheSoundPickerSheetFollowsTheModelAndClosingItResetsTheField) {
    EXPECT_EQ(window.soundPickerSheet(), nullptr);

    model.setSoundPicker(SoundPickerTarget::keys({49}));
    QDialog *sheet = window.soundPickerSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    sheet->reject(); // the user closes it
    EXPECT_EQ(window.soundPickerSheet(), nullptr);
    EXPECT_FALSE(model.soundPicker());

    // A new target replaces the open sheet; clearing the field closes it without another change.
    model.setSoundPicker(SoundPickerTarget::brush());
    QDialog *brush = window.soundPickerSheet();
    ASSERT_NE(brush, nullptr);
    model.setSoundPicker(SoundPickerTarget::keys({12}));
    EXPECT_NE(window.soundPickerSheet(), nullptr);
    QSignalSpy changes(&model, &AppModelSignals::soundPickerChanged);
    model.setSoundPicker(std::nullopt);
    EXPECT_EQ(window.soundPickerSheet(), nullptr);
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(MainWindowTest, TheOnboardingSheetFollowsTheModelAndClosingItResetsTheField) {
    model.setShowOnboarding(true);
    ASSERT_NE(window.onboardingSheet(), nullptr);
    window.onboardingSheet()->reject();
    EXPECT_EQ(window.onboardingSheet(), nullptr);
    EXPECT_FALSE(model.showOnboarding());
    EXPECT_FALSE(model.data().settings.hasCompletedOnboarding); // closing is not completing

    model.setShowOnboarding(true);
    ASSERT_NE(window.onboardingSheet(), nullptr);
    model.completeOnboarding();
    EXPECT_EQ(window.onboardingSheet(), nullptr);
    EXPECT_FALSE(model.showOnboarding());
}

// The first run's onboarding is a sheet of the main window: the window shows with it, even when it was
// hidden in the tray, and stays when the sheet closes.
TEST_F(MainWindowTest, ASheetShowsTheWindowWithItAndTheWindowStaysWhenItCloses) {
    ASSERT_FALSE(window.isVisible());
    model.setShowOnboarding(true);
    ASSERT_NE(window.onboardingSheet(), nullptr);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.onboardingSheet()->parentWidget(), &window);
    model.completeOnboarding();
    EXPECT_TRUE(window.isVisible());

    window.hide();
    model.setSoundPicker(SoundPickerTarget::brush());
    ASSERT_NE(window.soundPickerSheet(), nullptr);
    EXPECT_TRUE(window.isVisible());
    model.setSoundPicker(std::nullopt);
}

// A dialog asked for while a sheet is open (the keyboard-access help from onboarding's "Show me how") goes over
// the sheet, where it takes clicks; over the window itself it would wait until the sheet closes.
TEST_F(MainWindowTest, ADialogOpenedWhileASheetIsOpenTakesClicks) {
    EXPECT_EQ(window.dialogParent(), &window);
    model.setShowOnboarding(true);
    ASSERT_NE(window.onboardingSheet(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.onboardingSheet()));
    EXPECT_EQ(window.dialogParent(), window.onboardingSheet());

    QDialog help(window.dialogParent());
    auto *close = new QPushButton(QStringLiteral("Close"), &help);
    close->setGeometry(10, 10, 80, 30);
    help.resize(120, 60);
    int clicks = 0;
    QObject::connect(close, &QPushButton::clicked, [&clicks] { ++clicks; });
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    // Through the window system, where a blocked window drops the click.
    QTest::mouseClick(help.windowHandle(), Qt::LeftButton, {}, QPoint(50, 25));
    EXPECT_EQ(clicks, 1);
    model.setShowOnboarding(false);
}

// Qt's warnings while the window shows, one per line; installed for the life of the object.
struct QtWarnings {
    QtWarnings() { previous = qInstallMessageHandler(&QtWarnings::record); }
    ~QtWarnings() { qInstallMessageHandler(previous); }
    static void record(QtMsgType type, const QMessageLogContext &, const QString &message) {
        // The offscreen platform says what it cannot do; that is the test's platform, not the program.
        if (type >= QtWarningMsg && !message.contains(QLatin1String("This plugin does not support"))) {
            lines() << message;
        }
    }
    static QStringList &lines() {
        static QStringList recorded;
        return recorded;
    }
    QtMessageHandler previous = nullptr;
};

// Shows every section's page in the open window, the Keys page with a key selected, the first-run sheet and
// the picker.
void showEverySectionAndSheet(AppModel &model) {
    for (AppSection section : allAppSections) {
        model.setSection(section);
        QCoreApplication::processEvents();
    }
    model.setSection(AppSection::keyboard);
    model.setSelectedKeys({KeyCodes::kSpace});
    QCoreApplication::processEvents();
    model.setShowOnboarding(true);
    QCoreApplication::processEvents();
    model.setShowOnboarding(false);
    model.setSoundPicker(SoundPickerTarget::brush());
    QCoreApplication::processEvents();
    model.setSoundPicker(std::nullopt);
    flushDeletes();
}

// A normal start prints no Qt warning: every section's page, the first-run sheet and the picker lay out
// without a negative size or an impossible font.
TEST_F(StartedProgram, EverySectionAndSheetShowsWithoutAQtWarning) {
    QtWarnings warnings;
    QtWarnings::lines().clear();
    MainWindow window(model);
    window.resize(1400, 880);
    window.show();
    showEverySectionAndSheet(model);
    EXPECT_TRUE(QtWarnings::lines().isEmpty()) << QtWarnings::lines().join('\n').toStdString();
}

// A name as long as a user may type: 2,000 characters, with spaces.
std::string longName(const char *what) {
    std::string text = what;
    while (text.size() < 2000) {
        text += " lorem ipsum dolor sit amet";
    }
    return text.substr(0, 2000);
}

// No Qt warning at any size a window manager may give, down to far below the window's least size, nor with
// names thousands of characters long: a size or a font derived from a widget's size never goes negative.
TEST_F(StartedProgram, EverySectionShowsWithoutAQtWarningAtAnySizeAndWithLongNames) {
    QtWarnings warnings;
    for (const bool longNames : {false, true}) {
        if (longNames) { // the same program, its names now long
            model.commitEdit([](AppData &data) {
                for (Profile &profile : data.profiles) {
                    profile.name = longName("Profile");
                }
                for (int i = 0; i < 3; ++i) {
                    SoundItem sound;
                    sound.id = "user." + Uuid::random().toString();
                    sound.name = longName("Sound");
                    sound.category = SoundCategory::mine;
                    data.triggers.push_back(
                        Trigger{Uuid::random(), Trigger::Kind::word(std::string(500, 'w')), sound.id, {}, true});
                    data.userSounds.push_back(std::move(sound));
                }
                data.appRules.push_back(AppRule{longName("org.example.App"), longName("App"), std::nullopt});
            });
        }
        for (const QSize size : {QSize(1400, 880), QSize(1358, 712), QSize(900, 560), QSize(320, 200)}) {
            SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()) +
                         (longNames ? " long names" : ""));
            QtWarnings::lines().clear();
            MainWindow window(model);
            window.resize(size);
            window.show();
            showEverySectionAndSheet(model);
            EXPECT_TRUE(QtWarnings::lines().isEmpty()) << QtWarnings::lines().join('\n').toStdString();
        }
    }
}

// Each page alone, laid out in a room far too small for it (as for a moment before the window's first layout):
// no negative size, no font of no size.
TEST_F(StartedProgram, EachPageInATinyRoomShowsWithoutAQtWarning) {
    QtWarnings warnings;
    QtWarnings::lines().clear();
    model.setSelectedKeys({KeyCodes::kSpace});
    for (AppSection section : allAppSections) {
        for (const QSize size : {QSize(0, 0), QSize(1, 1), QSize(60, 40), QSize(240, 160)}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(section)) + " at " + std::to_string(size.width()) + "x" +
                         std::to_string(size.height()));
            std::unique_ptr<QWidget> page(makePage(section, model));
            page->setMinimumSize(0, 0);
            page->resize(size);
            page->show();
            QCoreApplication::processEvents();
            page->resize(size + QSize(1, 1));
            QCoreApplication::processEvents();
            EXPECT_TRUE(QtWarnings::lines().isEmpty()) << QtWarnings::lines().join('\n').toStdString();
            QtWarnings::lines().clear();
        }
    }
    flushDeletes();
}

// On a 1366 × 768 laptop with a panel (the window's client area about 1358 × 712): the least size fits, a
// page taller than the card scrolls as a whole, the Sounds list shows six rows and App rules two rows of cards.
TEST_F(StartedProgram, OnALaptopScreenPagesScrollAsAWholeAndKeepTheirRows) {
    motion::setEnabled(false);
    const QSize client(1358, 712);
    QWidget host;
    auto *window = new MainWindow(model);
    window->setParent(&host); // embedded, so its least size is the one given here
    window->setMinimumSize(MainWindow::minimumSizeFor(client));
    window->setGeometry(QRect(QPoint(0, 0), client));
    host.resize(client);
    host.show();
    const auto pageScroll = [window] { return window->findChild<QScrollArea *>(QStringLiteral("pageScroll")); };

    model.setSection(AppSection::sounds);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->size(), client);
    auto *sounds = dynamic_cast<SoundsView *>(window->page());
    ASSERT_NE(sounds, nullptr);
    ASSERT_NE(pageScroll(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pageScroll()->widget()->height() > pageScroll()->viewport()->height(); }));
    const int rows = sounds->libraryPanel()->scrollArea()->viewport()->height() / (SoundLibraryRow::kHeight + 1);
    EXPECT_GE(rows, SoundLibraryPanel::kRowsAlwaysShown);

    model.setSection(AppSection::apps);
    QCoreApplication::processEvents();
    auto *apps = dynamic_cast<AppRulesView *>(window->page());
    ASSERT_NE(apps, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return apps->scrollArea()->viewport()->height() > 0; }));
    EXPECT_GE(apps->scrollArea()->viewport()->height(), 2 * apps->fallbackCard()->height() + RuleGridLayout::gap);
    motion::setEnabled(true);
}

TEST_F(MainWindowTest, ControlCommaOpensSettingsAsTheTrayPanelPromises) {
    EXPECT_EQ(window.settingsAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+,")));
    EXPECT_EQ(window.settingsAction()->shortcutContext(), Qt::ApplicationShortcut);

    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_EQ(model.section(), AppSection::settings);
    EXPECT_TRUE(window.isVisible());
}

} // namespace
} // namespace tc::test
