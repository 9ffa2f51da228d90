// The Sounds page on a model built on fakes: imports by panel and drop, the alerts, the packs row and the
// library's rows, with the file panels played by the test.

#include "ui/sounds/SoundsView.h"
#include "app/Motion.h"
#include "ui/ModelStates.h"
#include "ui/kit/LabelPillButton.h"
#include "ui/sounds/PacksRow.h"
#include "ui/sounds/ProfilePackCard.h"
#include "ui/sounds/SoundLibraryPanel.h"
#include "ui/sounds/SoundLibraryRow.h"
#include "ui/sounds/SoundsScreenState.h"

#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QUrl>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

// Plays the user's part in the file panels: what each panel answers, and what was asked of it.
struct PanelScript {
    QStringList importChoice;
    std::optional<QString> packChoice;
    int importPanels = 0;
    int packPanels = 0;
    std::vector<std::string> sharedProfiles; // the active profile's name at each share
    std::function<void(AppModel &)> share;   // what the save panel writes, if anything

    SoundFilePanels panels() {
        SoundFilePanels panels;
        panels.chooseImportFiles = [this](QWidget *) {
            ++importPanels;
            return importChoice;
        };
        panels.choosePackFile = [this](QWidget *) {
            ++packPanels;
            return packChoice;
        };
        panels.sharePack = [this](AppModel &model, QWidget *) {
            sharedProfiles.push_back(model.data().activeProfile().name);
            if (share) {
                share(model);
            }
        };
        return panels;
    }
};

QAction *action(QMenu &menu, const QString &text) {
    for (QAction *item : menu.actions()) {
        if (item->text() == text) {
            return item;
        }
    }
    return nullptr;
}

QStringList actionTexts(QMenu &menu) {
    QStringList texts;
    for (QAction *item : menu.actions()) {
        texts << (item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    return texts;
}

std::vector<std::string> userSoundNames(const AppModel &model) {
    std::vector<std::string> names;
    for (const auto &sound : model.data().userSounds) {
        names.push_back(sound.name);
    }
    return names;
}

class SoundsViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        shellApp();
        motion::setEnabled(false);
        model_ = &harness_.started();
        view_ = std::make_unique<SoundsView>(*model_, script_.panels());
        view_->resize(1300, 800);
        view_->show();
    }
    void TearDown() override {
        view_.reset();
        flushDeletes();
        motion::setEnabled(true);
    }

    // Lets the model's worker finish the imports and lands them, as the event loop would.
    void land() { ASSERT_TRUE(harness_.finishWork()); }

    SoundItem addUserSound(const std::string &name) {
        const auto item = model_->importSound(std::filesystem::path("/in") / (name + ".wav"));
        return item;
    }

    void drop(const QStringList &paths) {
        auto *mime = new QMimeData;
        QList<QUrl> urls;
        for (const QString &path : paths) {
            urls << QUrl::fromLocalFile(path);
        }
        mime->setUrls(urls);
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(view_.get(), &enter);
        QDropEvent dropped(QPointF(50, 50), Qt::CopyAction, mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(view_.get(), &dropped);
        delete mime;
    }

    Harness harness_;
    PanelScript script_;
    AppModel *model_ = nullptr;
    std::unique_ptr<SoundsView> view_;
};

TEST_F(SoundsViewTest, ABatchOfGoodAndBadFilesImportsTheGoodOnesAndReportsEveryBadOne) {
    script_.importChoice = {"/in/clap.wav", "/in/bad-notes.txt", "/in/snap.mp3", "/in/bad-hum.wav"};
    view_->importButton()->click();
    land();

    EXPECT_EQ(script_.importPanels, 1);
    EXPECT_EQ(userSoundNames(*model_), (std::vector<std::string>{"clap", "snap"})); // in the panel's order
    EXPECT_EQ(view_->state().filter(), SoundCategory::mine);
    ASSERT_NE(view_->errorAlert(), nullptr);
    const QString reason = QStringLiteral("This file isn't an audio format Tapchime can read.");
    // The two files failed alike: the reason is told once.
    EXPECT_EQ(view_->errorAlert()->message(), QStringLiteral("bad-notes.txt, bad-hum.wav: ") + reason);

    // "OK" closes the alert and clears the message.
    view_->errorAlert()->defaultButton()->click();
    EXPECT_EQ(view_->errorAlert(), nullptr);
    EXPECT_EQ(view_->state().errorText(), std::nullopt);
}

// A new search starts at the top of the list, and "Nothing matches …" sits in the middle of the list's room.
TEST_F(SoundsViewTest, ANewSearchStartsAtTheTopAndNothingMatchesIsCentred) {
    for (int i = 0; i < 30; ++i) {
        addUserSound("take " + std::to_string(i));
    }
    view_->resize(1300, view_->minimumSizeHint().height()); // a short screen: six rows in view
    QCoreApplication::processEvents();
    SoundLibraryPanel *library = view_->libraryPanel();
    QScrollBar *bar = library->scrollArea()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    view_->state().setSearch(QStringLiteral("e"));
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), 0);

    view_->state().setSearch(QStringLiteral("no sound is called this"));
    QCoreApplication::processEvents();
    QLabel *empty = library->emptyLabel();
    ASSERT_FALSE(empty->isHidden());
    EXPECT_TRUE(empty->alignment() & Qt::AlignHCenter);
    const QRect room = library->scrollArea()->viewport()->rect();
    const QPoint middle = empty->mapTo(library->scrollArea()->viewport(), empty->rect().center());
    EXPECT_LE(std::abs(middle.x() - room.center().x()), 2);
    EXPECT_LE(std::abs(middle.y() - room.center().y()), 2);
}

TEST_F(SoundsViewTest, ACancelledPanelChangesNothing) {
    const auto before = model_->data();
    view_->importButton()->click();
    land();
    view_->packsRow()->importTile()->click();
    land();
    EXPECT_EQ(script_.importPanels, 1);
    EXPECT_EQ(script_.packPanels, 1);
    EXPECT_EQ(model_->data(), before);
    EXPECT_EQ(view_->errorAlert(), nullptr);
}

TEST_F(SoundsViewTest, PacksAreToldByTheirExtensionInAnyCase) {
    const auto profiles = model_->data().profiles.size();
    view_->state().setFilter(SoundCategory::animals);
    view_->importFiles({"/in/friend.TAPCHIME"});
    land();
    EXPECT_EQ(model_->data().profiles.size(), profiles + 1);
    EXPECT_EQ(model_->data().activeProfile().name, "Shared");
    EXPECT_EQ(view_->state().filter(), SoundCategory::animals); // a pack alone leaves the filter
    EXPECT_EQ(view_->packsRow()->cards().size(), profiles + 1);

    // A pack and a sound: both come in, and the sound selects My sounds.
    view_->importFiles({"/in/other.tapchime", "/in/ding.wav"});
    land();
    EXPECT_EQ(model_->data().activeProfile().name, "Shared 2");
    EXPECT_EQ(view_->state().filter(), SoundCategory::mine);

    // Whatever made a pack unreadable, the user reads the one sentence.
    view_->importFiles({"/in/bad.tapchime"});
    land();
    ASSERT_NE(view_->errorAlert(), nullptr);
    EXPECT_EQ(view_->errorAlert()->message(), QStringLiteral("This .tapchime file couldn't be read."));
}

TEST_F(SoundsViewTest, OnAScrolledPageTheDropHighlightCoversOnlyThePartInView) {
    // A short screen: the page scrolls as a whole inside the window, and is scrolled to its end.
    QScrollArea area;
    area.resize(900, 420);
    SoundsView *page = view_.release();
    page->setMinimumSize(880, 1000);
    area.setWidget(page);
    area.show();
    area.verticalScrollBar()->setValue(area.verticalScrollBar()->maximum());
    ASSERT_GT(area.verticalScrollBar()->value(), 0);

    auto *mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile("/in/a.wav")});
    QDragEnterEvent enter(QPoint(100, 900), Qt::CopyAction, mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(page, &enter);
    auto *highlight = page->findChild<QWidget *>(QStringLiteral("tc-drop-highlight"));
    ASSERT_NE(highlight, nullptr);
    ASSERT_TRUE(highlight->isVisible());
    const QRect inView(page->mapFrom(area.viewport(), QPoint(0, 0)), area.viewport()->size());
    EXPECT_EQ(highlight->geometry(), inView & page->rect());

    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(page, &leave);
    EXPECT_FALSE(highlight->isVisible());
    delete mime;
}

// On a short screen the page scrolls as a whole: the wheel over the library moves the page first, until the
// list shows whole, and only then the list.
TEST_F(SoundsViewTest, OnAShortScreenTheWheelOverTheLibraryMovesThePageFirst) {
    for (int i = 0; i < 30; ++i) {
        addUserSound("take " + std::to_string(i));
    }
    QScrollArea area;
    area.resize(900, 420);
    SoundsView *page = view_.release();
    page->setMinimumSize(880, 900);
    area.setWidget(page);
    area.show();
    QCoreApplication::processEvents();
    QScrollBar *pageBar = area.verticalScrollBar();
    QScrollBar *listBar = page->libraryPanel()->scrollArea()->verticalScrollBar();
    ASSERT_GT(pageBar->maximum(), 0);
    ASSERT_GT(listBar->maximum(), 0);
    pageBar->setValue(0);
    listBar->setValue(0);
    QWidget *list = page->libraryPanel()->scrollArea()->viewport();
    const QPointF at(40, 20);
    QWheelEvent wheel(at, list->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(list, &wheel);
    EXPECT_GT(pageBar->value(), 0);
    EXPECT_EQ(listBar->value(), 0);
}

TEST_F(SoundsViewTest, ALaterFailureReplacesTheMessageOfTheAlertThatIsUp) {
    view_->importFiles({"/in/bad-one.wav"});
    land();
    SoundsAlert *alert = view_->errorAlert();
    ASSERT_NE(alert, nullptr);
    view_->packsRow()->importTile()->click(); // cancelled: no change
    land();
    script_.packChoice = QStringLiteral("/in/bad.tapchime");
    view_->packsRow()->importTile()->click();
    land();
    EXPECT_EQ(view_->errorAlert(), alert); // still the one alert
    EXPECT_EQ(alert->message(), QStringLiteral("This .tapchime file couldn't be read."));
}

// A pack that was read and whose sounds the disk had no room for says so, from the tile as from a drop.
TEST_F(SoundsViewTest, APackTheDiskHasNoRoomForIsNotCalledUnreadable) {
    harness_.library.folderFailure =
        SoundsFolderError(SoundsFolderError::Kind::noRoom, "/home/u/Sounds", "No space left on device");
    script_.packChoice = QStringLiteral("/in/friend.tapchime");
    view_->packsRow()->importTile()->click();
    land();
    ASSERT_NE(view_->errorAlert(), nullptr);
    EXPECT_TRUE(view_->errorAlert()->message().startsWith(
        QStringLiteral("There isn't enough room on the disk for this pack's sounds.")))
        << view_->errorAlert()->message().toStdString();
}

TEST_F(SoundsViewTest, DroppedFilesAreImportedInOrderWithTheHighlightWhileTheyHover) {
    auto *mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile("/in/a.wav")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view_.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(view_->state().dropTargeted());
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(view_.get(), &leave);
    EXPECT_FALSE(view_->state().dropTargeted());

    // Text without files is no import.
    QMimeData text;
    text.setText(QStringLiteral("synth.meow"));
    QDragEnterEvent textEnter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view_.get(), &textEnter);
    EXPECT_FALSE(textEnter.isAccepted());
    EXPECT_FALSE(view_->state().dropTargeted());
    delete mime;

    drop({"/in/one.wav", "/in/bad-two.wav", "/in/three.wav"});
    land();
    EXPECT_FALSE(view_->state().dropTargeted());
    EXPECT_EQ(userSoundNames(*model_), (std::vector<std::string>{"one", "three"}));
    EXPECT_EQ(view_->state().filter(), SoundCategory::mine);
    ASSERT_NE(view_->errorAlert(), nullptr);
    EXPECT_EQ(view_->errorAlert()->message(), QStringLiteral("This file isn't an audio format Tapchime can read."));
}

TEST_F(SoundsViewTest, WhileABatchIsReadImportSaysHowFarItIsAndTakesNoClick) {
    auto *button = static_cast<LabelPillButton *>(view_->importButton());
    view_->importFiles({"/in/one.wav", "/in/two.wav", "/in/bad-three.wav"});
    // Nothing has landed yet: the worker's results wait for the main thread.
    EXPECT_TRUE(view_->importing());
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->label().title, QStringLiteral("Importing 1 of 3\u2026"));
    EXPECT_TRUE(model_->data().userSounds.empty());
    EXPECT_EQ(view_->errorAlert(), nullptr);

    land();
    EXPECT_FALSE(view_->importing());
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(button->label().title, QStringLiteral("Import"));
    EXPECT_EQ(button->label().symbol, "plus");
    EXPECT_EQ(userSoundNames(*model_), (std::vector<std::string>{"one", "two"}));
    ASSERT_NE(view_->errorAlert(), nullptr);
    EXPECT_EQ(view_->errorAlert()->message(), QStringLiteral("This file isn't an audio format Tapchime can read."));
}

TEST_F(SoundsViewTest, APageLeftWhileItsImportRunsMissesTheResultButTheFilesComeInOnce) {
    view_->importFiles({"/in/clap.wav", "/in/friend.tapchime"});
    script_.packChoice = QStringLiteral("/in/other.tapchime");
    view_->packsRow()->importTile()->click();
    EXPECT_TRUE(view_->packsRow()->importing());
    EXPECT_FALSE(view_->packsRow()->importTile()->isEnabled());
    const auto profiles = model_->data().profiles.size();
    view_.reset(); // the section changed
    flushDeletes();

    land();
    EXPECT_EQ(userSoundNames(*model_), (std::vector<std::string>{"clap", "Packed", "Packed"}));
    EXPECT_EQ(model_->data().profiles.size(), profiles + 2);
    EXPECT_EQ(model_->data().activeProfile().name, "Shared 2");
}

TEST_F(SoundsViewTest, TheHeaderCountsEverySoundAndPackWithPluralWords) {
    model_->commitEdit([](AppData &data) {
        data.profiles.resize(1);
        data.activeProfileID = data.profiles[0].id;
    });
    const auto builtins = harness_.library.builtinItems().size();
    EXPECT_EQ(view_->headerDetail(),
              QStringLiteral("%1 sounds \u00B7 1 packs").arg(builtins)); // no singular for one pack
    view_->importFiles({"/in/clap.wav"});
    land();
    EXPECT_EQ(view_->headerDetail(), QStringLiteral("%1 sounds \u00B7 1 packs").arg(builtins + 1));
}

TEST_F(SoundsViewTest, RenameTrimsTheNameAndAnEmptyNameChangesNothing) {
    const SoundItem sound = addUserSound("take");
    SoundLibraryRow *row = view_->libraryPanel()->rowFor(sound.id);
    ASSERT_NE(row, nullptr);

    struct Case {
        QString typed;
        bool confirm;
        std::string expected;
    };
    const Case cases[] = {
        {QStringLiteral("  Desk tap \t"), true, "Desk tap"},
        {QStringLiteral("   "), true, "Desk tap"},             // ignored, and the alert still closes
        {QStringLiteral("Something else"), false, "Desk tap"}, // cancelled
        {QStringLiteral("<b>x</b> & y"), true, "<b>x</b> & y"},
    };
    for (const Case &c : cases) {
        auto menu = row->makeContextMenu();
        action(*menu, QStringLiteral("Rename\u2026"))->trigger();
        SoundsAlert *alert = view_->renameAlert();
        ASSERT_NE(alert, nullptr);
        EXPECT_EQ(alert->field()->text(), QString::fromStdString(model_->data().userSounds[0].name));
        alert->field()->setText(c.typed);
        (c.confirm ? alert->defaultButton() : alert->cancelButton())->click();
        EXPECT_EQ(view_->renameAlert(), nullptr);
        EXPECT_EQ(view_->state().renaming(), std::nullopt);
        EXPECT_EQ(model_->data().userSounds[0].name, c.expected) << c.typed.toStdString();
    }
}

TEST_F(SoundsViewTest, DeletingASoundRemovesItsKeysTriggersRowAndTheBrushLetsGoOfIt) {
    const SoundItem sound = addUserSound("gone");
    const SoundItem kept = addUserSound("kept");
    model_->assign(sound.id, {12, 49});
    model_->assign(kept.id, {13});
    const Uuid trigger = model_->addTrigger(Trigger::Kind::word("hello"), sound.id);
    const Uuid other = model_->addTrigger(Trigger::Kind::word("bye"), kept.id);
    model_->setBrushSoundID(sound.id);
    EXPECT_EQ(view_->libraryPanel()->rowFor(sound.id)->keysText(), QStringLiteral("Q  SPACE"));

    auto menu = view_->libraryPanel()->rowFor(sound.id)->makeContextMenu();
    action(*menu, QStringLiteral("Delete"))->trigger();
    flushDeletes();

    EXPECT_EQ(harness_.library.deletes, std::vector<std::string>{sound.id});
    EXPECT_EQ(userSoundNames(*model_), std::vector<std::string>{"kept"});
    const Profile &active = model_->data().activeProfile();
    EXPECT_FALSE(active.keys.contains("12"));
    EXPECT_FALSE(active.keys.contains("49"));
    EXPECT_EQ(active.keys.at("13").soundID, kept.id);
    for (const auto &t : model_->data().triggers) {
        EXPECT_NE(t.id, trigger);
        EXPECT_NE(t.soundID, sound.id);
    }
    EXPECT_TRUE(std::any_of(model_->data().triggers.begin(), model_->data().triggers.end(),
                            [&](const Trigger &t) { return t.id == other; }));
    EXPECT_EQ(model_->brushSoundID(), AppModel::kDefaultBrushSoundID);
    EXPECT_EQ(view_->libraryPanel()->rowFor(sound.id), nullptr);
    EXPECT_NE(view_->libraryPanel()->rowFor(kept.id), nullptr);

    // Deleting another sound leaves a brush that is not on it alone.
    model_->setBrushSoundID("synth.coin");
    auto keptMenu = view_->libraryPanel()->rowFor(kept.id)->makeContextMenu();
    action(*keptMenu, QStringLiteral("Delete"))->trigger();
    EXPECT_EQ(model_->brushSoundID(), "synth.coin");
}

TEST_F(SoundsViewTest, RowMenusOfferRenameAndDeleteOnlyForTheUsersOwnSounds) {
    const SoundItem mine = addUserSound("mine");
    auto builtin = view_->libraryPanel()->rowFor("synth.meow")->makeContextMenu();
    EXPECT_EQ(actionTexts(*builtin), (QStringList{"Preview", "Use as tray sound"}));
    auto own = view_->libraryPanel()->rowFor(mine.id)->makeContextMenu();
    EXPECT_EQ(actionTexts(*own), (QStringList{"Preview", "Use as tray sound", "-", "Rename\u2026", "Delete"}));

    action(*builtin, QStringLiteral("Preview"))->trigger();
    EXPECT_EQ(harness_.audio.plays.size(), 1u);
}

TEST_F(SoundsViewTest, UseAsTraySoundPicksTheBrushAndGoesToTheKeysWithThePaintTool) {
    model_->setSection(AppSection::sounds);
    auto menu = view_->libraryPanel()->rowFor("rec.bark")->makeContextMenu();
    action(*menu, QStringLiteral("Use as tray sound"))->trigger();
    EXPECT_EQ(model_->brushSoundID(), "rec.bark");
    EXPECT_EQ(model_->tool(), EditTool::paint);
    EXPECT_EQ(model_->section(), AppSection::keyboard);
    EXPECT_EQ(harness_.writeCount(), 0u) << "view state only: nothing to save";
}

TEST_F(SoundsViewTest, AssignFollowsTheKeySelection) {
    model_->setActiveProfile(profileNamed(*model_, "Default").id); // no key of its own
    SoundLibraryPanel *panel = view_->libraryPanel();
    SoundLibraryRow *row = panel->rowFor("synth.coin");
    EXPECT_EQ(row->keysText(), QString());
    model_->setSelectedKeys({});
    EXPECT_FALSE(row->assignButton()->isEnabled());
    EXPECT_TRUE(panel->selectionLine()->isHidden());
    EXPECT_TRUE(row->assignButton()->toolTip().contains(QStringLiteral("Select a key on the Keys screen first")));

    model_->setSelectedKeys({49});
    EXPECT_FALSE(panel->selectionLine()->isHidden());
    EXPECT_EQ(panel->selectionLine()->text(), QStringLiteral("Assign goes to SPACE"));
    model_->setSelectedKeys({12, 13, 49});
    EXPECT_EQ(panel->selectionLine()->text(), QStringLiteral("Assign goes to 3 keys"));
    ASSERT_TRUE(row->assignButton()->isEnabled());
    EXPECT_TRUE(row->assignButton()->toolTip().contains(QStringLiteral("Put this sound on 3 keys")));
    // The phrase shows on one line, not broken into a box.
    const QLabel *tip = shownToolTip(row->assignButton());
    ASSERT_NE(tip, nullptr);
    EXPECT_LT(tip->height(), 2 * QFontMetrics(tip->font()).lineSpacing());
    QToolTip::hideText();

    row->assignButton()->click();
    for (const char *key : {"12", "13", "49"}) {
        EXPECT_EQ(model_->data().activeProfile().keys.at(key).soundID, "synth.coin") << key;
    }
    EXPECT_EQ(harness_.audio.plays.size(), 1u); // and it plays once
    EXPECT_EQ(row->keysText(), QStringLiteral("Q  W  SPACE"));
}

TEST_F(SoundsViewTest, ChipsAndSearchFilterTheRowsAndTheEmptyLineExplainsWhy) {
    SoundLibraryPanel *panel = view_->libraryPanel();
    const auto shownIDs = [&] {
        std::vector<std::string> ids;
        for (SoundLibraryRow *row : panel->visibleRows()) {
            ids.push_back(row->sound().id);
        }
        return ids;
    };
    EXPECT_EQ(shownIDs().size(), harness_.library.builtinItems().size());
    panel->chips()[3]->click(); // Animals
    EXPECT_EQ(view_->state().filter(), SoundCategory::animals);
    EXPECT_EQ(shownIDs(), (std::vector<std::string>{"synth.meow", "rec.bark"}));
    panel->chips()[3]->click(); // the selected chip stays selected
    EXPECT_TRUE(panel->chips()[3]->isChecked());
    EXPECT_EQ(view_->state().filter(), SoundCategory::animals);

    view_->searchField()->setText(QStringLiteral("BARK"));
    EXPECT_EQ(shownIDs(), std::vector<std::string>{"rec.bark"});
    EXPECT_TRUE(panel->emptyLabel()->isHidden());

    view_->searchField()->setText(QStringLiteral("<b>tuba</b>"));
    EXPECT_TRUE(shownIDs().empty());
    EXPECT_FALSE(panel->emptyLabel()->isHidden());
    EXPECT_EQ(panel->emptyLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(panel->emptyLabel()->text(), QStringLiteral("Nothing matches \u201C<b>tuba</b>\u201D."));

    // My sounds: without any, the invitation even with a search; with some, the search is why.
    panel->chips()[6]->click();
    EXPECT_EQ(panel->emptyLabel()->text(), QStringLiteral("Import or record your first sound."));
    addUserSound("desk");
    EXPECT_EQ(panel->emptyLabel()->text(), QStringLiteral("Nothing matches \u201C<b>tuba</b>\u201D."));
    view_->searchField()->clear();
    EXPECT_EQ(shownIDs().size(), 1u);
    panel->chips()[0]->click(); // All
    EXPECT_EQ(view_->state().filter(), std::nullopt);
}

TEST_F(SoundsViewTest, PackCardsUseDuplicateShareAndDelete) {
    PacksRow *row = view_->packsRow();
    const auto cardNamed = [&](const std::string &name) -> ProfilePackCard * {
        for (ProfilePackCard *card : row->cards()) {
            if (profileNamed(*model_, name).id == card->profileID()) {
                return card;
            }
        }
        return nullptr;
    };
    ASSERT_EQ(row->cards().size(), model_->data().profiles.size());
    ProfilePackCard *animals = cardNamed("Animals");
    ASSERT_NE(animals, nullptr);
    EXPECT_FALSE(animals->isActive());
    EXPECT_TRUE(animals->useButton()->isVisibleTo(animals));
    animals->useButton()->click();
    EXPECT_EQ(model_->data().activeProfileID, animals->profileID());
    EXPECT_FALSE(animals->useButton()->isVisibleTo(animals)); // "In use" instead

    // Duplicate twice: " copy", then " copy 2"; each copy becomes active and gets its card.
    for (int i = 0; i < 2; ++i) {
        auto menu = animals->makeContextMenu();
        action(*menu, QStringLiteral("Duplicate"))->trigger();
    }
    EXPECT_EQ(model_->data().activeProfile().name, "Animals copy 2");
    EXPECT_NE(cardNamed("Animals copy"), nullptr);
    EXPECT_EQ(row->cards().back()->profileID(), model_->data().activeProfileID);

    // Share makes the card's pack active first, and it stays active.
    ProfilePackCard *arcade = cardNamed("Arcade");
    auto share = arcade->makeContextMenu();
    action(*share, QStringLiteral("Share as .tapchime\u2026"))->trigger();
    EXPECT_EQ(script_.sharedProfiles, std::vector<std::string>{"Arcade"});
    EXPECT_EQ(model_->data().activeProfile().name, "Arcade");

    // Delete the active pack: the first one takes over, and the card goes.
    auto remove = arcade->makeContextMenu();
    ASSERT_TRUE(action(*remove, QStringLiteral("Delete"))->isEnabled());
    action(*remove, QStringLiteral("Delete"))->trigger();
    flushDeletes();
    EXPECT_EQ(model_->data().activeProfileID, model_->data().profiles.front().id);
    EXPECT_NE(cardNamed("Animals copy 2"), nullptr);
    EXPECT_EQ(row->cards().size(), model_->data().profiles.size());

    // The last pack cannot be deleted.
    while (model_->data().profiles.size() > 1) {
        model_->deleteProfile(model_->data().profiles.back().id);
    }
    flushDeletes();
    ASSERT_EQ(row->cards().size(), 1u);
    auto last = row->cards().front()->makeContextMenu();
    EXPECT_FALSE(action(*last, QStringLiteral("Delete"))->isEnabled());
    EXPECT_EQ(actionTexts(*last), (QStringList{"Use", "Duplicate", "Share as .tapchime\u2026", "-", "Delete"}));
}

// What comes in shows: a duplicated or imported pack scrolls the packs band to its card, an imported sound
// scrolls the library to its row, on a page too narrow and short for everything.
TEST_F(SoundsViewTest, ANewPackAndANewSoundAreScrolledIntoView) {
    view_->resize(700, 700);
    for (int i = 0; i < 40; ++i) {
        addUserSound("take " + std::to_string(100 + i));
    }
    QCoreApplication::processEvents();
    const auto shows = [](QWidget *widget, QWidget *viewport) {
        const QRect at(widget->mapTo(viewport, QPoint(0, 0)), widget->size());
        return viewport->rect().contains(at);
    };
    PacksRow *row = view_->packsRow();
    auto *band = qobject_cast<QScrollArea *>(row->parentWidget()->parentWidget());
    ASSERT_NE(band, nullptr);
    const auto newest = [&] { return row->widgetFor(model_->data().profiles.back().id); };

    // Duplicated, from the first card with the band at its start.
    band->horizontalScrollBar()->setValue(0);
    auto menu = row->cards().front()->makeContextMenu();
    action(*menu, QStringLiteral("Duplicate"))->trigger();
    QCoreApplication::processEvents();
    ASSERT_NE(newest(), nullptr);
    EXPECT_GT(band->horizontalScrollBar()->value(), 0);
    EXPECT_TRUE(shows(newest(), band->viewport()));

    // Imported with the "Import a pack" tile.
    band->horizontalScrollBar()->setValue(0);
    script_.packChoice = QStringLiteral("/in/friend.tapchime");
    row->importPack();
    land();
    QCoreApplication::processEvents();
    ASSERT_NE(newest(), nullptr);
    EXPECT_TRUE(shows(newest(), band->viewport()));

    // A sound imported with the list at its top: its row shows, below the forty before it.
    SoundLibraryPanel *library = view_->libraryPanel();
    library->scrollArea()->verticalScrollBar()->setValue(0);
    view_->importFiles({"/in/zz last.wav"});
    land();
    QCoreApplication::processEvents();
    const std::string id = model_->data().userSounds.back().id;
    const std::vector<std::string> shown = library->shownIDs();
    ASSERT_EQ(shown.back(), id);
    const int pitch = SoundLibraryRow::kHeight + 1;
    ASSERT_GT(static_cast<int>(shown.size()) * pitch, library->scrollArea()->viewport()->height());
    SoundLibraryRow *imported = library->rowFor(id);
    ASSERT_NE(imported, nullptr);
    EXPECT_TRUE(shows(imported, library->scrollArea()->viewport()));
}

} // namespace
} // namespace tc::test
