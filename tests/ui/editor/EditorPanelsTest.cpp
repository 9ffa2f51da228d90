// The keys editor's panels on a real application model: the legend, the sound tray, the inspector with its
// controls and quick picks, and the base sound menu.

#include "app/Motion.h"
#include "model/KeyCodes.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/editor/BaseSoundMenu.h"
#include "ui/editor/Inspector.h"
#include "ui/editor/InspectorControls.h"
#include "ui/editor/SoundTray.h"
#include "ui/editor/TitleBlock.h"
#include "ui/kit/PillToggle.h"

#include <QAbstractButton>
#include <QAction>
#include <QLocale>
#include <QMenu>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <map>

namespace tc::test {
namespace {

// A catalogue for the pure functions: the fallbacks and quick picks exist, "synth.cream" is mechanical.
std::optional<SoundItem> catalogue(const std::string &id) {
    static const std::map<std::string, SoundCategory> sounds = {
        {"synth.cream", SoundCategory::mechanical}, {"synth.meow", SoundCategory::animals},
        {"synth.boom", SoundCategory::memes},       {"synth.airhorn", SoundCategory::memes},
        {"synth.coin", SoundCategory::retro},       {"synth.quack", SoundCategory::animals},
        {"rec.bell", SoundCategory::everyday},      {"user.mine", SoundCategory::mine},
    };
    const auto found = sounds.find(id);
    if (found == sounds.end()) {
        return std::nullopt;
    }
    return SoundItem{id, id, found->second, std::nullopt, 0};
}

Profile profileWith(const std::vector<std::pair<std::uint16_t, std::string>> &keys, std::string base = "synth.cream") {
    Profile profile;
    profile.name = "Test";
    profile.baseSoundID = std::move(base);
    for (const auto &[code, sound] : keys) {
        KeyAssignment assignment;
        assignment.soundID = sound;
        profile.keys[KeyCodes::text(code)] = assignment;
    }
    return profile;
}

std::vector<std::string> ids(const std::vector<SoundItem> &items) {
    std::vector<std::string> out;
    for (const auto &item : items) {
        out.push_back(item.id);
    }
    return out;
}

TEST(TitleBlock, TheLegendCountsBaseKeysThenUsedCategoriesInItsFixedOrder) {
    shellApp();
    using Entry = TitleBlock::LegendEntry;
    struct Case {
        const char *name;
        Profile profile;
        std::vector<Entry> legend;
    };
    std::vector<std::pair<std::uint16_t, std::string>> many;
    for (std::uint16_t code = 200; code < 290; ++code) {
        many.emplace_back(code, "synth.meow"); // codes off the drawn layout
    }
    const Case cases[] = {
        {"no keys", profileWith({}), {{"Base", CapPalette::white, 76}}},
        {"silent base", profileWith({}, "none"), {{"Silent", CapPalette::white, 76}}},
        {"animals stored before memes",
         profileWith(
             {{0, "synth.meow"}, {1, "synth.quack"}, {12, "synth.boom"}, {13, "synth.boom"}, {14, "synth.airhorn"}}),
         {{"Base", CapPalette::white, 71}, {"Memes", CapPalette::yellow, 3}, {"Animals", CapPalette::blue, 2}}},
        {"mechanical only", profileWith({{0, "synth.cream"}}), {{"Base", CapPalette::white, 75}}},
        {"missing sound counts nowhere", profileWith({{0, "user.gone"}}), {{"Base", CapPalette::white, 75}}},
        {"every category",
         profileWith({{0, "user.mine"}, {1, "rec.bell"}, {2, "synth.coin"}, {3, "synth.meow"}, {4, "synth.boom"}}),
         {{"Base", CapPalette::white, 71},
          {"Memes", CapPalette::yellow, 1},
          {"Animals", CapPalette::blue, 1},
          {"Retro", CapPalette::red, 1},
          {"Everyday", CapPalette::green, 1},
          {"My sounds", CapPalette::black, 1}}},
        {"more entries than keys: base never below 0",
         profileWith(many),
         {{"Base", CapPalette::white, 0}, {"Animals", CapPalette::blue, 90}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TitleBlock::legend(c.profile, catalogue), c.legend);
    }
}

TEST(TitleBlock, FollowsTheActiveProfile) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    model.setActiveProfile(profileNamed(model, "Default").id);
    TitleBlock title(model);
    EXPECT_EQ(title.name(), "Default");
    ASSERT_EQ(title.shownLegend().size(), 1u);
    model.assign("synth.meow", {0, 1});
    ASSERT_EQ(title.shownLegend().size(), 2u);
    EXPECT_EQ(title.shownLegend()[1], (TitleBlock::LegendEntry{"Animals", CapPalette::blue, 2}));
}

TEST(SoundTray, BrushFirstThenMostUsedThenFallbacksAtMostFour) {
    struct Case {
        const char *name;
        Profile profile;
        std::string brush;
        std::vector<std::string> tray;
    };
    const Case cases[] = {
        {"no keys", profileWith({}), "synth.meow", {"synth.meow", "synth.boom", "synth.airhorn", "synth.coin"}},
        {"used sounds by count",
         profileWith({{0, "synth.quack"}, {1, "synth.boom"}, {2, "synth.boom"}, {3, "synth.boom"}}),
         "synth.coin",
         {"synth.coin", "synth.boom", "synth.quack", "synth.meow"}},
        {"a brush that names nothing",
         profileWith({{0, "synth.quack"}}),
         "user.deleted",
         {"synth.quack", "synth.meow", "synth.boom", "synth.airhorn"}},
        // Equal counts: the sound of the key met first on the keyboard (Q above A) comes first, whatever the
        // sounds' ids or the order of the stored keys.
        {"ties in layout order",
         profileWith({{0, "rec.bell"}, {12, "synth.quack"}}),
         "synth.meow",
         {"synth.meow", "synth.quack", "rec.bell", "synth.boom"}},
        {"ties: a key off the layout after the layout's keys",
         profileWith({{300, "rec.bell"}, {53, "user.mine"}}),
         "synth.meow",
         {"synth.meow", "user.mine", "rec.bell", "synth.boom"}},
        {"missing used sounds are dropped",
         profileWith({{0, "user.gone"}, {1, "user.gone"}}),
         "synth.coin",
         {"synth.coin", "synth.meow", "synth.boom", "synth.airhorn"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ids(SoundTray::traySounds(c.profile, c.brush, catalogue)), c.tray);
    }
    const Profile profile = profileWith({{0, "synth.quack"}, {1, "synth.boom"}, {2, "synth.boom"}});
    EXPECT_EQ(SoundTray::uses(profile, "synth.coin"), "NEW");
    EXPECT_EQ(SoundTray::uses(profile, "synth.quack"), "1 KEY");
    EXPECT_EQ(SoundTray::uses(profile, "synth.boom"), "2 KEYS");
}

TEST(SoundTray, AClickMakesTheBrushAndThePaintToolAndTheLinksOpenThePickerAndSounds) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    model.setActiveProfile(profileNamed(model, "Default").id);
    SoundTray tray(model);
    tray.show();
    EXPECT_EQ(tray.shownIDs().front(), "synth.meow");
    EXPECT_EQ(tray.activeRow(), std::nullopt); // the select tool

    const std::size_t plays = harness.audio.plays.size();
    QWidget *coin = tray.row("synth.coin");
    ASSERT_NE(coin, nullptr);
    QTest::mouseClick(coin, Qt::LeftButton, {}, QPoint(20, 20));
    flushDeletes();
    EXPECT_EQ(model.brushSoundID(), "synth.coin");
    EXPECT_EQ(model.tool(), EditTool::paint);
    EXPECT_EQ(model.data().settings.coachStep, 3);
    EXPECT_EQ(harness.audio.plays.size(), plays + 1);
    EXPECT_EQ(tray.shownIDs().front(), "synth.coin");
    EXPECT_EQ(tray.activeRow(), "synth.coin");
    model.setTool(EditTool::reset);
    EXPECT_EQ(tray.activeRow(), std::nullopt); // active needs the paint tool

    tray.addButton()->click();
    ASSERT_TRUE(model.soundPicker().has_value());
    EXPECT_TRUE(model.soundPicker()->isBrush());
    tray.browseLink()->click();
    EXPECT_EQ(model.section(), AppSection::sounds);
}

TEST(Inspector, DescribesTheFirstSelectedKeyInLayoutOrder) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    model.setActiveProfile(profileNamed(model, "Default").id);
    model.setBaseSound("synth.blue");
    model.assign("synth.cream", {1});  // S: its own mechanical sound
    model.assign("user.gone", {2});    // D: a sound that no longer exists
    model.assign("synth.meow", {122}); // F1
    struct Case {
        const char *name;
        KeySet codes;
        std::uint16_t primary;
        QString header, chip, name_, note;
        std::optional<std::string> symbol;
        std::optional<QString> text;
    };
    const QString baseName = "Blue";
    const Case cases[] = {
        {"space alone",
         {49},
         49,
         "KEY / SPACE",
         "Base sound",
         baseName,
         "Plays on every key without its own sound",
         std::nullopt,
         QString("Spa")},
        {"F1 comes before A",
         {0, 122},
         122,
         "2 KEYS",
         "Animals",
         "Meow",
         "",
         std::string("pawprint.fill"),
         std::nullopt},
        {"the PC keyboard's name",
         {51},
         51,
         "KEY / BACKSPACE",
         "Base sound",
         baseName,
         "Plays on every key without its own sound",
         std::nullopt,
         QString("Bac")},
        {"own mechanical sound", {1}, 1, "KEY / S", "Mechanical", "Cream", "", std::nullopt, std::nullopt},
        {"missing sound", {2}, 2, "KEY / D", "Sound", "Missing sound", "", std::nullopt, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto d = Inspector::describe(model, c.codes);
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(d->primary, c.primary);
        EXPECT_EQ(d->header, c.header);
        EXPECT_EQ(d->chip, c.chip);
        EXPECT_EQ(d->name, c.name_);
        EXPECT_EQ(d->note, c.note);
        EXPECT_EQ(d->capSymbol, c.symbol);
        EXPECT_EQ(d->capText, c.text);
    }
    EXPECT_FALSE(Inspector::describe(model, {}).has_value());
    EXPECT_FALSE(Inspector::describe(model, {300, 125}).has_value()); // codes the layout does not hold

    model.setBaseSound("none");
    const auto silent = Inspector::describe(model, {3});
    EXPECT_EQ(silent->name, "Silent");
    EXPECT_EQ(silent->duration, "0.00 s");
    EXPECT_EQ(silent->note, "Keys without their own sound stay quiet");
}

TEST(Inspector, DurationsUseAPointWhateverTheLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::string numeric = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8"); // where installed; the C locale otherwise
    const std::pair<double, const char *> cases[] = {
        {0.25, "0.25 s"}, {1.005, "1.00 s"},        {0, "0.00 s"},
        {-3, "0.00 s"},   {std::nan(""), "0.00 s"}, {std::numeric_limits<double>::infinity(), "0.00 s"},
    };
    for (const auto &[seconds, text] : cases) {
        EXPECT_EQ(Inspector::durationText(seconds), text) << seconds;
    }
    std::setlocale(LC_NUMERIC, numeric.c_str());
    QLocale::setDefault(previous);
}

struct ControlsFixture : ::testing::Test {
    void SetUp() override {
        shellApp();
        motion::setEnabled(false);
        model = &harness.started();
        model->setActiveProfile(profileNamed(*model, "Default").id);
    }
    KeyAssignment assignmentOf(std::uint16_t code) const { return *model->data().activeProfile().assignment(code); }
    bool hasAssignment(std::uint16_t code) const { return model->data().activeProfile().assignment(code).has_value(); }

    Harness harness;
    AppModel *model = nullptr;
};

TEST_F(ControlsFixture, TextsTruncatePercentagesAndClampHandEditedValues) {
    AssignedControls controls(*model);
    KeyAssignment a;
    controls.setAssignment(a, {0});
    EXPECT_EQ(controls.volumeText(), "100%");
    EXPECT_EQ(controls.subtitle(), "Pitch ±6% · 0 of 3 options on");
    struct Case {
        double volume, pitch;
        const char *volumeText, *pitchText;
        int volumePosition, pitchPosition;
    };
    const Case cases[] = {
        {0.29, 0.06, "28%", "±6%", 290, 60},    // 28.999… is cut, not rounded
        {5.0, 2.0, "100%", "±100%", 1000, 300}, // out of range: clamped before conversion
        {-1.0, -0.5, "0%", "±0%", 50, 0},       // the slider cannot show less than 5%
        {std::nan(""), std::nan(""), "0%", "±0%", 50, 0},
        {1e300, 1e300, "100%", "±100%", 1000, 300},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.volumeText);
        a.volume = c.volume;
        a.pitchVariation = c.pitch;
        controls.setAssignment(a, {0});
        EXPECT_EQ(controls.volumeText(), c.volumeText);
        EXPECT_EQ(controls.pitchText(), c.pitchText);
        EXPECT_EQ(controls.volumeSlider()->value(), c.volumePosition);
        EXPECT_EQ(controls.pitchSlider()->value(), c.pitchPosition);
    }
    a = KeyAssignment{};
    a.layerBase = a.playOnKeyUp = true;
    controls.setAssignment(a, {0});
    EXPECT_EQ(controls.subtitle(), "Pitch ±6% · 2 of 3 options on");
    controls.setAdvancedOpen(true);
    EXPECT_EQ(controls.subtitle(), "Fine-tune how this key sounds");
}

TEST_F(ControlsFixture, EachControlWritesOnlyItsFieldAndOnlyToKeysWithTheirOwnSound) {
    model->assign("synth.meow", {0, 11}); // A and B
    model->editAssignments({0}, [](KeyAssignment &a) { a.volume = 0.5; });
    model->editAssignments({11}, [](KeyAssignment &a) {
        a.pitchVariation = 0.2;
        a.randomInCategory = true;
    });
    model->setSelectedKeys({0, 1, 11}); // S (1) has no sound of its own
    Inspector inspector(*model);
    AssignedControls *controls = inspector.controls();
    ASSERT_FALSE(controls->isHidden());
    EXPECT_EQ(controls->volumeText(), "50%"); // A is the primary key

    controls->volumeSlider()->setValue(800);
    EXPECT_DOUBLE_EQ(assignmentOf(0).volume, 0.8);
    EXPECT_DOUBLE_EQ(assignmentOf(11).volume, 0.8);
    EXPECT_DOUBLE_EQ(assignmentOf(11).pitchVariation, 0.2); // B keeps its own pitch and options
    EXPECT_TRUE(assignmentOf(11).randomInCategory);
    EXPECT_FALSE(hasAssignment(1));
    EXPECT_EQ(controls->volumeText(), "80%");

    controls->pitchSlider()->setValue(100);
    EXPECT_DOUBLE_EQ(assignmentOf(0).pitchVariation, 0.1);
    EXPECT_DOUBLE_EQ(assignmentOf(11).pitchVariation, 0.1);
    EXPECT_DOUBLE_EQ(assignmentOf(11).volume, 0.8);

    controls->setAdvancedOpen(true);
    controls->toggles()[1]->click(); // layer over base click: A's value is off, so both turn it on
    EXPECT_TRUE(assignmentOf(0).layerBase);
    EXPECT_TRUE(assignmentOf(11).layerBase);
    EXPECT_FALSE(assignmentOf(0).randomInCategory);
    EXPECT_TRUE(assignmentOf(11).randomInCategory);
    EXPECT_FALSE(hasAssignment(1));
}

TEST_F(ControlsFixture, ASliderUnderThePointerIsNeverMovedByTheDocument) {
    model->assign("synth.meow", {0});
    model->setSelectedKeys({0});
    Inspector inspector(*model);
    QSlider *slider = inspector.controls()->volumeSlider();
    slider->setSliderDown(true);
    slider->setValue(600); // the user's drag
    EXPECT_DOUBLE_EQ(assignmentOf(0).volume, 0.6);
    model->editAssignments({0}, [](KeyAssignment &a) { a.volume = 0.3; }); // a change from elsewhere
    EXPECT_EQ(slider->value(), 600);
    EXPECT_EQ(inspector.controls()->volumeText(), "30%");
    slider->setSliderDown(false);
    model->editAssignments({0}, [](KeyAssignment &a) { a.volume = 0.4; });
    EXPECT_EQ(slider->value(), 400);
}

TEST_F(ControlsFixture, AQuickPickGivesEverySelectedKeyTheSoundAndPreviewsItOnce) {
    model->setSelectedKeys({0, 1, 2});
    Inspector inspector(*model);
    ASSERT_FALSE(inspector.quickPicks()->isHidden());
    EXPECT_EQ(inspector.quickPicks()->button("synth.boom"), nullptr); // not in this catalogue: left out
    QAbstractButton *meow = inspector.quickPicks()->button("synth.meow");
    ASSERT_NE(meow, nullptr);
    const std::size_t plays = harness.audio.plays.size();
    meow->click();
    for (std::uint16_t code : {0, 1, 2}) {
        const KeyAssignment a = assignmentOf(code);
        EXPECT_EQ(a.soundID, "synth.meow");
        EXPECT_DOUBLE_EQ(a.volume, 1.0);
        EXPECT_DOUBLE_EQ(a.pitchVariation, 0.06);
    }
    EXPECT_EQ(harness.audio.plays.size(), plays + 1);
    EXPECT_TRUE(inspector.quickPicks()->isHidden());
    EXPECT_FALSE(inspector.controls()->isHidden());
    EXPECT_EQ(inspector.chooseText(), "Replace sound");
    EXPECT_GE(model->data().settings.coachStep, 3);
}

TEST_F(ControlsFixture, TheActionsWorkOnTheWholeSelection) {
    model->assign("synth.meow", {0});
    model->setSelectedKeys({0, 1, 2});
    Inspector inspector(*model);
    EXPECT_FALSE(inspector.resetButton()->isHidden());
    inspector.recordButton()->click();
    EXPECT_TRUE(model->pickerStartsOnRecord());
    ASSERT_TRUE(model->soundPicker().has_value());
    ASSERT_NE(model->soundPicker()->asKeys(), nullptr);
    EXPECT_EQ(model->soundPicker()->asKeys()->codes, (KeySet{0, 1, 2}));
    model->setSoundPicker(std::nullopt);
    inspector.resetButton()->click();
    EXPECT_FALSE(hasAssignment(0));
    EXPECT_TRUE(inspector.resetButton()->isHidden());
    EXPECT_EQ(inspector.chooseText(), "Choose a sound");
    model->setSelectedKeys({});
    EXPECT_TRUE(inspector.isEmptyState());
}

// Reset goes with the own sound it resets: focus the keyboard gave it stays in the bar, on its neighbour.
TEST_F(ControlsFixture, AResetByTheKeyboardLeavesTheFocusInItsBar) {
    model->assign("synth.meow", {0});
    model->setSelectedKeys({0});
    Inspector inspector(*model);
    ASSERT_TRUE(activate(&inspector));
    inspector.resetButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(inspector.resetButton(), Qt::Key_Space);
    EXPECT_FALSE(hasAssignment(0));
    EXPECT_EQ(QApplication::focusWidget(), inspector.recordButton());
    EXPECT_TRUE(FocusRing::shows(inspector.recordButton()));
}

TEST_F(ControlsFixture, TheAdvancedGroupStaysOpenAcrossSelections) {
    model->assign("synth.meow", {0, 1});
    model->setSelectedKeys({0});
    Inspector inspector(*model);
    EXPECT_FALSE(inspector.controls()->isAdvancedOpen());
    inspector.controls()->advancedHeader()->click();
    EXPECT_TRUE(inspector.controls()->isAdvancedOpen());
    model->setSelectedKeys({1});
    EXPECT_TRUE(inspector.controls()->isAdvancedOpen());
}

TEST_F(ControlsFixture, TheBaseSoundMenuOffersSilenceAndTheMechanicalSoundsAndPreviewsAChoice) {
    model->assign("synth.meow", {0}); // a used animal sound is still not offered
    model->setSetting(&AppSettings::masterVolume, 0.1);
    BaseSoundMenu menu(*model);
    auto items = BaseSoundMenu::items(*model);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].title, "Silent: only keys with their own sound");
    EXPECT_EQ(items[1].soundID, "synth.cream");
    EXPECT_EQ(items[2].soundID, "synth.blue");

    std::unique_ptr<QMenu> popup(menu.makeMenu());
    const std::size_t plays = harness.audio.plays.size();
    popup->actions().at(0)->trigger(); // silent: no preview
    EXPECT_EQ(model->data().activeProfile().baseSoundID, "none");
    EXPECT_EQ(BaseSoundMenu::baseName(*model), "Silent");
    EXPECT_EQ(harness.audio.plays.size(), plays);
    items = BaseSoundMenu::items(*model);
    EXPECT_TRUE(items[0].checked);
    EXPECT_FALSE(items[1].checked || items[2].checked);

    // One checkmark, on the current item; no item draws a box of its own.
    popup.reset(menu.makeMenu());
    int marked = 0;
    for (QAction *action : popup->actions()) {
        EXPECT_FALSE(action->isCheckable()) << action->text().toStdString();
        marked += !action->icon().isNull();
    }
    EXPECT_EQ(marked, 1);
    EXPECT_FALSE(popup->actions().at(0)->icon().isNull());

    popup->actions().at(3)->trigger(); // silent, the divider, Cream, Blue
    EXPECT_EQ(model->data().activeProfile().baseSoundID, "synth.blue");
    ASSERT_EQ(harness.audio.plays.size(), plays + 1);
    EXPECT_FLOAT_EQ(harness.audio.plays.back().volume, 0.4f);

    model->setBaseSound("user.deleted");
    EXPECT_EQ(BaseSoundMenu::baseName(*model), "Missing sound");
    for (const auto &item : BaseSoundMenu::items(*model)) {
        EXPECT_FALSE(item.checked) << item.soundID;
    }
}

} // namespace
} // namespace tc::test
