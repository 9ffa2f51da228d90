// Names of 10,000 characters on every screen (profiles, own sounds, a word, applications, app rules): no page
// grows wider than the window and no part sticks out of the part it sits in, no menu is wider than the window,
// the trigger editor's chips wrap instead of overlapping, and a name shown shortened tells its whole name
// (bounded) in a tooltip.

#include "ui/shell/MainWindow.h"

#include "app/shell/DesktopEntryApps.h"
#include "support/FakeSystemSources.h"
#include "ui/ModelStates.h"
#include "ui/apprules/AddAppCard.h"
#include "ui/apprules/AppRulesView.h"
#include "ui/apprules/RuleCard.h"
#include "ui/editor/BaseSoundMenu.h"
#include "ui/editor/EditorView.h"
#include "ui/editor/KeyboardCase.h"
#include "ui/editor/TitleBlock.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/SidewaysScrollArea.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/onboarding/PackCard.h"
#include "ui/shell/Header.h"
#include "ui/shell/MenuBarParts.h"
#include "ui/shell/MenuBarView.h"
#include "ui/shell/ProfileSwitcher.h"
#include "ui/sounds/PickerSoundCard.h"
#include "ui/sounds/ProfilePackCard.h"
#include "ui/sounds/SoundLibraryPanel.h"
#include "ui/sounds/SoundLibraryRow.h"
#include "ui/sounds/SoundsAlert.h"
#include "ui/sounds/SoundsView.h"
#include "ui/triggers/FlowChips.h"
#include "ui/triggers/TriggerEditor.h"
#include "ui/triggers/TriggerGraph.h"
#include "ui/triggers/TriggerLabel.h"
#include "ui/triggers/TriggerList.h"
#include "ui/triggers/TriggersView.h"

#include <QAbstractScrollArea>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QTest>
#include <QTextDocument>
#include <QTextOption>
#include <QToolTip>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace tc::test {
namespace {

constexpr int kLength = 10000;
const QString kMarker = QStringLiteral("LoremIpsumDolorSitAmet");

// `what` and its number, then letters without a space (as a pasted path or a run-together name) up to `length`.
std::string longName(const std::string &what, int number, int length = kLength) {
    std::string text = what + std::to_string(number) + "_";
    while (static_cast<int>(text.size()) < length) {
        text += kMarker.toStdString();
    }
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// Every profile, three own sounds (the active profile's base sound and two keys'), a word trigger limited to
// three applications and two app rules, one of them with a profile, all named at length; `profiles` more
// profiles after the document's own.
void fillLong(AppModel &model, int profiles = 0) {
    model.commitEdit([profiles](AppData &data) {
        const Profile first = data.profiles.front();
        for (int i = 0; i < profiles; ++i) {
            Profile profile = first;
            profile.id = Uuid::random();
            data.profiles.push_back(std::move(profile));
        }
        int number = 0;
        for (Profile &profile : data.profiles) {
            profile.name = longName("Profile", ++number);
        }
        for (int i = 0; i < 3; ++i) {
            data.userSounds.push_back({"user.long." + std::to_string(i), longName("Sound", i), SoundCategory::mine,
                                       "long" + std::to_string(i) + ".wav", 0.4});
        }
        for (Profile &profile : data.profiles) {
            if (profile.id == data.activeProfileID) {
                profile.baseSoundID = "user.long.0";
                profile.keys["0"] = KeyAssignment{"user.long.1"};
                profile.keys["49"] = KeyAssignment{"user.long.2"};
            }
        }
        Trigger trigger{Uuid::random(), Trigger::Kind::word(std::string(kLength, 'w')), "user.long.1", {}, true};
        trigger.appBundleIDs = {longName("org.example.first", 1), longName("org.example.second", 2),
                                longName("org.example.third", 3)};
        data.triggers.insert(data.triggers.begin(), trigger);
        data.appRules.insert(data.appRules.begin(),
                             AppRule{longName("org.example.app", 1), longName("App", 1), data.profiles.back().id});
        data.appRules.insert(data.appRules.begin(), AppRule{longName("org.example.app", 2), longName("App", 2), {}});
    });
}

QString describe(const QWidget *widget) {
    QString text = QString::fromLatin1(typeid(*widget).name());
    if (!widget->objectName().isEmpty()) {
        text += QLatin1Char('#') + widget->objectName();
    }
    return text;
}

// A scroll area whose content is meant to be wider than its view: it scrolls sideways.
bool scrollsSideways(const QAbstractScrollArea *area) {
    return dynamic_cast<const SidewaysScrollArea *>(area) != nullptr;
}

// A part meant to reach out of the part it sits in: the header's strip of profile chips, which scrolls sideways
// in its group, and the keyboard case, which is drawn over its slot with its shadow reaching into the gap beside.
bool reachesOutByDesign(const QWidget *widget) {
    return dynamic_cast<const KeyboardCase *>(widget) != nullptr ||
           QByteArray(typeid(*widget).name()).contains("ChipStrip");
}

// Rounding of a badge centred in a frame a point or two narrower than its drawing.
constexpr int kTolerance = 2;

// Every shown part under `root` that is wider than the part it sits in or lies partly outside it, side to side;
// and every scroll area that does not scroll sideways whose content is wider than its view.
QStringList outOfRoom(QWidget *root) {
    QStringList found;
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        QWidget *parent = widget->parentWidget();
        if (!widget->isVisibleTo(root) || widget->isWindow() || parent == nullptr) {
            continue;
        }
        if (auto *area = qobject_cast<QAbstractScrollArea *>(parent->parentWidget());
            area != nullptr && area->viewport() == parent) {
            if (!scrollsSideways(area) && widget->width() > parent->width() + kTolerance) {
                found << describe(widget) +
                             QStringLiteral(" is %1 wide in a view of %2").arg(widget->width()).arg(parent->width());
            }
            continue;
        }
        const QRect place = widget->geometry();
        if (reachesOutByDesign(widget)) {
            continue;
        }
        if (place.left() < -kTolerance || place.right() > parent->width() - 1 + kTolerance) {
            found << describe(widget) + QStringLiteral(" spans %1 to %2 in %3 of %4")
                                            .arg(place.left())
                                            .arg(place.right() + 1)
                                            .arg(describe(parent))
                                            .arg(parent->width());
        }
    }
    return found;
}

// The menu as it would open, and each of its submenus, is no wider than the window. A menu made for the test
// (`made`) is deleted; one its view keeps is left to it.
void expectFits(QMenu *menu, int width, const char *what, bool made = true) {
    ASSERT_NE(menu, nullptr) << what;
    EXPECT_LE(menu->sizeHint().width(), width) << what;
    for (QAction *action : menu->actions()) {
        if (action->menu()) {
            EXPECT_LE(action->menu()->sizeHint().width(), width) << what;
        }
    }
    if (made) {
        delete menu;
    }
}

// The offscreen application, made before anything else a test holds.
struct App {
    App() { shellApp(); }
};

// A started program whose names a test makes long, and the main window it opens.
class LongNames : public ::testing::Test {
protected:
    App app;
    Harness harness;
    AppModel &model = harness.started();
    std::unique_ptr<MainWindow> window_;

    // Opens a new main window at `size`, with the first run done.
    MainWindow &openWindow(QSize size = QSize(1400, 880), PageServices services = {}) {
        model.completeOnboarding();
        window_.reset();
        window_ = std::make_unique<MainWindow>(model, services);
        window_->resize(size);
        window_->show();
        QCoreApplication::processEvents();
        return *window_;
    }
    // The page of `section` in the open window, laid out; null when it is not a `Page`.
    template <typename Page> Page *showSection(AppSection section) {
        model.setSection(section);
        QCoreApplication::processEvents();
        return dynamic_cast<Page *>(window_->page());
    }
    // The Triggers page with the first trigger, the one with long names, in its editor.
    TriggersView *showFirstTrigger() {
        auto *triggers = showSection<TriggersView>(AppSection::triggers);
        if (triggers != nullptr) {
            triggers->setSelectedID(model.data().triggers.front().id);
            QCoreApplication::processEvents();
        }
        return triggers;
    }
};

// The same, with as many more profiles as the parameter says.
class LongNamesOfProfiles : public LongNames, public ::testing::WithParamInterface<int> {};
// The same, with the first trigger's three applications as long as the parameter says.
class LongNamesOfApps : public LongNames, public ::testing::WithParamInterface<int> {};

TEST_F(LongNames, EveryPageAndSheetStaysWithinTheWindow) {
    fillLong(model, 5); // nine profiles
    model.completeOnboarding();
    // The app with a rule comes to the front and leaves again: the switch log has an entry of long names.
    harness.activate(longName("org.example.app", 1), longName("App", 1));
    harness.activate("org.example.other", "Other");
    ASSERT_FALSE(model.switchLog().empty());
    for (const QSize size : {QSize(1400, 880), QSize(1366, 768), QSize(1280, 740)}) {
        MainWindow &window = openWindow(size);
        const auto check = [&](const QString &what) {
            SCOPED_TRACE(what.toStdString() + " at " + std::to_string(size.width()));
            QCoreApplication::processEvents();
            EXPECT_LE(window.width(), size.width());
            const QStringList found = outOfRoom(&window);
            EXPECT_TRUE(found.isEmpty()) << found.join('\n').toStdString();
        };
        for (AppSection section : allAppSections) {
            model.setSection(section);
            check(QStringLiteral("section %1").arg(static_cast<int>(section)));
        }
        TriggersView *triggers = showFirstTrigger();
        ASSERT_NE(triggers, nullptr);
        check(QStringLiteral("trigger graph"));
        triggers->setShowsGraph(false);
        check(QStringLiteral("trigger list"));

        model.setSoundPicker(SoundPickerTarget::keys({0}));
        QCoreApplication::processEvents();
        ASSERT_NE(window.soundPickerSheet(), nullptr);
        for (QWidget *sheet = window.soundPickerSheet(); sheet != nullptr; sheet = nullptr) {
            const QStringList found = outOfRoom(sheet);
            EXPECT_TRUE(found.isEmpty()) << "picker: " << found.join('\n').toStdString();
        }
        model.setSoundPicker(std::nullopt);
        flushDeletes();
    }
}

// The tray panel keeps its width with long names, and a profile's cell tells its whole name in the tooltip.
TEST_F(LongNames, TheTrayPanelStaysWithinItsWidth) {
    fillLong(model, 5);
    model.preview("user.long.1"); // the last sound played has a long name
    MenuBarView panel(model, {});
    panel.show();
    QCoreApplication::processEvents();
    EXPECT_LE(panel.width(), 420);
    const QStringList found = outOfRoom(&panel);
    EXPECT_TRUE(found.isEmpty()) << found.join('\n').toStdString();
    // A profile's cell shows its name cut, and whole in the tooltip.
    flushDeletes();
    ProfileCell *cell = nullptr;
    for (QWidget *made : panel.findChildren<QWidget *>()) {
        if (auto *shown = dynamic_cast<ProfileCell *>(made); shown != nullptr && shown->isVisible()) {
            cell = shown;
        }
    }
    ASSERT_NE(cell, nullptr);
    const QString name = cell->name();
    const QLabel *tip = shownToolTip(cell);
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(tip->text().contains(name.left(30)));
    QToolTip::hideText();
}

// The first-run sheet's pack cards keep their size with 9 and with 300 profiles (4 more than the parameter): the
// row scrolls sideways, and each card shows its "N custom keys" whole.
TEST_P(LongNamesOfProfiles, PackCardsKeepTheirSizeWithManyProfiles) {
    fillLong(model, GetParam());
    OnboardingView sheet(model);
    sheet.show();
    QCoreApplication::processEvents();
    ASSERT_FALSE(sheet.packCards().empty());
    const QStringList found = outOfRoom(&sheet);
    EXPECT_TRUE(found.isEmpty()) << found.join('\n').toStdString();
    PackCard *first = sheet.packCards().front();
    const int countWidth =
        QFontMetrics(Fonts::system(11)).horizontalAdvance(PackCard::countText(model.data().profiles[0]));
    EXPECT_GE(first->width(), 90) << "a card has room for its badge and its count";
    EXPECT_GE(first->width(), countWidth);
    EXPECT_LE(sheet.width(), OnboardingView::kWidth);
}
INSTANTIATE_TEST_SUITE_P(NineAndThreeHundred, LongNamesOfProfiles, ::testing::Values(5, 296));

TEST_F(LongNames, NoMenuIsWiderThanTheWindow) {
    fillLong(model);
    FakeRunningAppsSource running;
    running.apps = {AppIdentity{longName("org.example.running", 1), longName("Running", 1)}};
    DesktopEntryApps desktop(DesktopEntries({}, {}), std::make_unique<FakeRunningAppsSource>(running));
    MainWindow &window = openWindow(QSize(1400, 880), PageServices{&desktop});
    const int width = window.width();

    ProfileSwitcher *switcher = window.header()->profileSwitcher();
    expectFits(switcher->makeMoreMenu(nullptr), width, "the more menu");
    expectFits(switcher->makeProfileMenu(model.data().activeProfileID, nullptr), width, "a profile's menu");

    auto *editor = showSection<EditorView>(AppSection::keyboard);
    ASSERT_NE(editor, nullptr);
    expectFits(editor->titleBlock()->baseSoundMenu()->makeMenu(nullptr), width, "the base sound menu");

    auto *apps = showSection<AppRulesView>(AppSection::apps);
    ASSERT_NE(apps, nullptr);
    for (RuleCard *card : apps->ruleCards()) {
        expectFits(card->makeMenu(nullptr), width, "a rule card's profile menu");
    }
    expectFits(apps->fallbackCard()->makeMenu(nullptr), width, "the fallback card's menu");
    expectFits(apps->addAppCard()->makeMenu(nullptr), width, "the add app menu");

    TriggersView *triggers = showFirstTrigger();
    ASSERT_NE(triggers, nullptr);
    expectFits(triggers->editor()->buildSoundMenu(), width, "the trigger's sound menu", false);
    expectFits(triggers->editor()->chips()->buildMenu(), width, "the add app menu of a trigger", false);
}

// Three applications of 12, 30 and 10,000 characters: the chips and "+ App" lie side by side or on further
// lines, never over each other, all inside the row; the editor's word hint lies below the word's box.
TEST_P(LongNamesOfApps, TriggerChipsWrapInsteadOfOverlapping) {
    const int length = GetParam();
    fillLong(model);
    model.commitEdit([length](AppData &data) {
        data.triggers.front().appBundleIDs = {longName("a", 1, length), longName("b", 2, length),
                                              longName("c", 3, length)};
    });
    model.setSection(AppSection::triggers);
    openWindow();
    TriggersView *triggers = showFirstTrigger();
    ASSERT_NE(triggers, nullptr);
    FlowChips *chips = triggers->editor()->chips();
    QWidget *add = chips->addButton();
    QWidget *row = add->parentWidget();
    std::vector<QWidget *> parts;
    for (QWidget *child : row->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisibleTo(row)) {
            parts.push_back(child);
        }
    }
    ASSERT_EQ(parts.size(), 4u); // three chips and "+ App"
    EXPECT_TRUE(chips->rect().contains(row->geometry()));
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_TRUE(row->rect().contains(parts[i]->geometry())) << describe(parts[i]).toStdString();
        for (std::size_t j = i + 1; j < parts.size(); ++j) {
            EXPECT_FALSE(parts[i]->geometry().intersects(parts[j]->geometry()))
                << describe(parts[i]).toStdString() << " and " << describe(parts[j]).toStdString();
        }
    }
    EXPECT_EQ(row->childAt(add->geometry().center()), add) << "+ App can be clicked";

    // Word hint below the word's box.
    model.setTriggerKind(model.data().triggers.front().id, Trigger::Kind::word("hello"));
    QCoreApplication::processEvents();
    QWidget *box = triggers->editor()->wordField()->parentWidget();
    const auto hints = triggers->editor()->findChildren<QLabel *>();
    for (QLabel *label : hints) {
        if (label->isVisibleTo(triggers->editor()) && label->text() == triggers->editor()->hint() &&
            label->parentWidget() == box->parentWidget()) {
            EXPECT_GE(label->geometry().top(), box->geometry().bottom()) << "the hint lies below the box";
        }
    }
}
INSTANTIATE_TEST_SUITE_P(OfTwelveThirtyAndTenThousandCharacters, LongNamesOfApps, ::testing::Values(12, 30, kLength));

// Each name shown shortened offers its whole name, bounded, as the tooltip where it shows.
TEST_F(LongNames, AShortenedNameShowsItsWholeNameAsATooltip) {
    fillLong(model);
    MainWindow &window = openWindow();

    // The tooltip shown over `widget` (at `at`, else its middle) starts as the name does and is bounded.
    const auto expectTip = [](QWidget *widget, const std::string &name, const QString &what,
                              std::optional<QPoint> at = std::nullopt) {
        ASSERT_NE(widget, nullptr) << what.toStdString();
        QToolTip::hideText();
        const QPoint point = at.value_or(widget->rect().center());
        // As Qt does: the part under the pointer is asked first, then the parts it lies in.
        QWidget *asked = widget->childAt(point) != nullptr ? widget->childAt(point) : widget;
        QLabel *tip = nullptr;
        for (; asked != nullptr && tip == nullptr; asked = asked == widget ? nullptr : asked->parentWidget()) {
            const QPoint local = asked->mapFrom(widget, point);
            QHelpEvent help(QEvent::ToolTip, local, asked->mapToGlobal(local));
            QCoreApplication::sendEvent(asked, &help);
            for (QWidget *top : QApplication::topLevelWidgets()) {
                if (top->objectName() == QLatin1String("qtooltip_label") && top->isVisible()) {
                    tip = qobject_cast<QLabel *>(top);
                }
            }
        }
        ASSERT_NE(tip, nullptr) << what.toStdString() << " shows no tooltip";
        QTextDocument document;
        document.setHtml(tip->text());
        // Lines broken where the tooltip's width ends, at a space or inside a long word.
        const auto unbroken = [](QString text) {
            return text.remove(QLatin1Char('\n')).remove(QChar(0x2028)).remove(QChar(0x2029)).remove(QLatin1Char(' '));
        };
        const QString shown = unbroken(document.toPlainText());
        EXPECT_TRUE(shown.startsWith(unbroken(QString::fromStdString(name.substr(0, 60))))) << what.toStdString();
        EXPECT_LE(shown.size(), ShownText::kMaxCharacters + 1) << what.toStdString();
        EXPECT_LE(tip->sizeHint().width(), 600) << what.toStdString();
        QToolTip::hideText();
    };
    const std::string profile = model.data().activeProfile().name;
    const std::string sound0 = longName("Sound", 0);
    const std::string sound1 = longName("Sound", 1);

    auto *editor = showSection<EditorView>(AppSection::keyboard);
    ASSERT_NE(editor, nullptr);
    FittingText *title = nullptr;
    for (QWidget *widget : editor->titleBlock()->findChildren<QWidget *>()) {
        if (auto *text = dynamic_cast<FittingText *>(widget); text != nullptr && title == nullptr) {
            title = text;
        }
    }
    expectTip(title, profile, "the profile's name on Keys");
    expectTip(editor->titleBlock()->baseSoundMenu(), sound0, "the base sound button");
    ASSERT_NE(window.header()->profileSwitcher(), nullptr);
    for (ProfileChip *chip : window.header()->profileSwitcher()->chips()) {
        if (chip->isVisible()) {
            expectTip(chip, "Profile", "a profile's chip in the header");
        }
    }

    auto *sounds = showSection<SoundsView>(AppSection::sounds);
    ASSERT_NE(sounds, nullptr);
    SoundLibraryRow *row = sounds->libraryPanel()->rowFor("user.long.1");
    if (row == nullptr) {
        sounds->libraryPanel()->scrollArea()->ensureVisible(0, 1 << 20);
        QCoreApplication::processEvents();
        row = sounds->libraryPanel()->rowFor("user.long.1");
    }
    ASSERT_NE(row, nullptr);
    expectTip(row, sound1, "a Sounds list row's name", QPoint(row->width() / 4, row->height() / 2));
    for (ProfilePackCard *card : sounds->findChildren<ProfilePackCard *>()) {
        if (card->isVisible()) {
            expectTip(card, model.data().profiles.front().name.substr(0, 8), "a pack card's name",
                      QPoint(card->width() / 2, 104)); // on the name
            break;
        }
    }

    TriggersView *triggers = showFirstTrigger();
    ASSERT_NE(triggers, nullptr);
    FlowChips *chips = triggers->editor()->chips();
    expectTip(chips->removeButton(chips->chipTitles().front())->parentWidget(), longName("org.example.first", 1),
              "an application chip");
    expectTip(triggers->editor()->soundButton(), sound1, "the trigger's sound");
    // A part of a row that lets the pointer through to its row: the tooltip shows over the row.
    const auto expectTipThrough = [&](QWidget *part, const std::string &name, const QString &what) {
        ASSERT_NE(part, nullptr) << what.toStdString();
        // The pointer reaches the part that holds the outermost one letting it through.
        QWidget *receiver = part;
        for (QWidget *up = part; up != nullptr && !up->isWindow(); up = up->parentWidget()) {
            if (up->testAttribute(Qt::WA_TransparentForMouseEvents)) {
                receiver = up->parentWidget();
            }
        }
        expectTip(receiver, name, what, part->mapTo(receiver, part->rect().center()));
    };
    const auto findIn = [](QWidget *root, const auto &match) -> QWidget * {
        for (QWidget *widget : root->findChildren<QWidget *>()) {
            if (widget->isVisibleTo(root) && match(widget)) {
                return widget;
            }
        }
        return nullptr;
    };
    const auto isWord = [](QWidget *widget) {
        auto *label = dynamic_cast<TriggerLabel *>(widget);
        return label != nullptr && label->kind().isWord() && label->kind().asWord()->word.size() > 100;
    };
    const auto showsSound1 = [](QWidget *widget) {
        auto *text = dynamic_cast<FittingText *>(widget);
        return text != nullptr && text->text().startsWith(QStringLiteral("Sound1_"));
    };
    const std::string word(kLength, 'w');
    expectTipThrough(findIn(triggers->graph(), isWord), word, "a word's node in the graph");
    expectTipThrough(findIn(triggers->graph(), showsSound1), sound1, "a sound's node in the graph");
    triggers->setShowsGraph(false);
    QCoreApplication::processEvents();
    expectTipThrough(findIn(triggers->list(), isWord), word, "a word in the list");
    expectTipThrough(findIn(triggers->list(), showsSound1), sound1, "a sound in the list");
    expectTipThrough(findIn(triggers->list(),
                            [](QWidget *widget) {
                                auto *text = dynamic_cast<FittingText *>(widget);
                                return text != nullptr && text->text().startsWith(QStringLiteral("org.example.first"));
                            }),
                     longName("org.example.first", 1), "the applications in the list");

    auto *apps = showSection<AppRulesView>(AppSection::apps);
    ASSERT_NE(apps, nullptr);
    RuleCard *named = nullptr;
    for (RuleCard *card : apps->ruleCards()) {
        if (card->rule().bundleID == longName("org.example.app", 1)) {
            named = card;
        }
    }
    ASSERT_NE(named, nullptr);
    expectTip(named->menuButton(), model.data().profiles.back().name, "a rule's profile button");

    model.setSoundPicker(SoundPickerTarget::keys({0}));
    QCoreApplication::processEvents();
    QWidget *picker = window.soundPickerSheet();
    ASSERT_NE(picker, nullptr);
    expectTip(findIn(picker,
                     [](QWidget *widget) {
                         auto *text = dynamic_cast<FittingText *>(widget);
                         return text != nullptr && text->text().startsWith(QStringLiteral("For the A key in"));
                     }),
              "For the A key in " + profile, "the picker's header");
    expectTip(findIn(picker, showsSound1), sound1, "the picker's footer");
    for (PickerSoundCard *card : picker->findChildren<PickerSoundCard *>()) {
        if (card->isVisibleTo(picker) && card->sound().id == "user.long.0") {
            expectTip(card, sound0, "a picker card's name");
        }
    }
    model.setSoundPicker(std::nullopt);
    flushDeletes();
}

// The alert with a file name of 180 characters and no space wraps that name inside its edge.
TEST_F(LongNames, TheImportAlertWrapsALongFileNameInsideItsEdge) {
    const QString name = QString::fromStdString(longName("file", 1, 180)) + QStringLiteral(".wav");
    std::unique_ptr<SoundsAlert> alert(
        SoundsAlert::importError(name + QStringLiteral(": This file is silent."), nullptr));
    alert->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(alert->message(), name + QStringLiteral(": This file is silent."));
    const QStringList found = outOfRoom(alert.get());
    EXPECT_TRUE(found.isEmpty()) << found.join('\n').toStdString();
    QLabel *message = nullptr;
    for (QLabel *label : alert->findChildren<QLabel *>()) {
        if (label->text().contains(QStringLiteral("silent"))) {
            message = label;
        }
    }
    ASSERT_NE(message, nullptr);
    // Every line of the message fits the label's width.
    QTextDocument document;
    document.setDefaultFont(message->font());
    document.setPlainText(message->text());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    document.setDefaultTextOption(option);
    document.setTextWidth(message->width());
    EXPECT_LE(document.idealWidth(), message->width() + 1);
}

} // namespace
} // namespace tc::test
