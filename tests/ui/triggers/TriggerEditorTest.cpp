// The trigger editor: recording a shortcut, the kind switch, the word field, the sound menu, delete; every edit
// reaches the document through the model, which saves it and hands the router the new configuration.

#include "ui/triggers/TriggerEditor.h"
#include "app/Motion.h"
#include "model/Json.h"
#include "model/Modifiers.h"
#include "ui/ModelStates.h"
#include "ui/kit/PillToggle.h"
#include "ui/triggers/SegmentedSwitch.h"
#include "ui/triggers/TriggerLabel.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tc::test {
namespace {

using namespace Modifiers;

// Made before the fixture's widgets: the application and motion off.
struct StillApp {
    StillApp() {
        shellApp();
        motion::setEnabled(false);
    }
    ~StillApp() { motion::setEnabled(true); }
};

struct EditorFixture : StillApp {
    EditorFixture() {
        model = &harness.started();
        window.resize(400, 700);
        editor = new TriggerEditor(*model, {}, &window);
        window.show();
    }

    // The first trigger of the document with this kind, shown in the editor.
    const Trigger &show(bool shortcut) {
        for (const Trigger &trigger : model->data().triggers) {
            if (trigger.kind.isShortcut() == shortcut) {
                editor->setTriggerID(trigger.id);
                return trigger;
            }
        }
        throw std::runtime_error("no such trigger");
    }
    const Trigger &shown() const { return *model->trigger(*editor->triggerID()); }
    // The triggers as the saved document holds them.
    std::vector<Trigger> saved() {
        letSaveRun(harness);
        const auto json = nlohmann::json::parse(harness.readDocument().toStdString());
        return fromJson<AppData>(json).triggers;
    }
    bool routerHasShortcut(std::uint16_t code, std::uint64_t modifiers) const {
        for (const auto &trigger : harness.router.config()->shortcutTriggers) {
            if (trigger.code == code && trigger.modifiers == modifiers) {
                return true;
            }
        }
        return false;
    }

    Harness harness;
    AppModel *model = nullptr;
    QWidget window;
    TriggerEditor *editor = nullptr;
};

TEST(TriggerEditor, ARecordedShortcutIsSavedAndPlaysAndRecordingEnds) {
    EditorFixture f;
    const Trigger before = f.show(true);
    f.editor->captureArea()->click();
    ASSERT_TRUE(f.editor->isRecording());
    EXPECT_EQ(f.editor->hint(), QStringLiteral("Use Ctrl, Alt or Super with a key. Esc cancels."));

    QTest::keyClick(&f.window, Qt::Key_F, Qt::ShiftModifier | Qt::MetaModifier);
    EXPECT_FALSE(f.editor->isRecording());
    EXPECT_EQ(f.shown().kind, Trigger::Kind::shortcut(3, 0x120000));
    EXPECT_EQ(f.shown().soundID, before.soundID);
    EXPECT_EQ(f.editor->hint(), QStringLiteral("Click, then press a new shortcut."));
    EXPECT_TRUE(f.routerHasShortcut(3, 0x120000)); // pushed
    EXPECT_FALSE(f.routerHasShortcut(before.kind.asShortcut()->keyCode, before.kind.asShortcut()->modifiers));
    EXPECT_EQ(f.saved().front().kind, Trigger::Kind::shortcut(3, 0x120000)); // saved
    EXPECT_EQ(f.editor->captureLabel()->sizeHint().height(), 54);            // the big caps

    // Every modifier with Space is too wide for big caps in the area: drawn small.
    f.editor->captureArea()->click();
    QTest::keyClick(&f.window, Qt::Key_Space,
                    Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier);
    EXPECT_EQ(f.shown().kind, Trigger::Kind::shortcut(49, 0x1E0000));
    EXPECT_EQ(f.editor->captureLabel()->sizeHint().height(), 34);
}

TEST(TriggerEditor, WhileRecordingEveryKeyIsSwallowedAndOnlyAChordWithControlOptionOrCommandCounts) {
    EditorFixture f;
    const Trigger before = f.show(true);
    auto *field = new QLineEdit(&f.window);
    field->show();
    field->setFocus();
    f.editor->captureArea()->click();

    QTest::keyClicks(field, "ab");
    QTest::keyClick(field, Qt::Key_A, Qt::ShiftModifier);
    QTest::keyClick(field, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_TRUE(field->text().isEmpty()); // swallowed
    EXPECT_TRUE(f.editor->isRecording());
    EXPECT_EQ(f.shown().kind, before.kind);

    // The program's own hotkeys always win, so they cannot be a trigger: recording goes on and says why.
    for (Qt::Key key : {Qt::Key_K, Qt::Key_P}) {
        QTest::keyClick(field, key, Qt::ControlModifier | Qt::AltModifier);
        EXPECT_TRUE(f.editor->isRecording());
        EXPECT_EQ(f.shown().kind, before.kind);
        EXPECT_EQ(f.editor->hint(),
                  QStringLiteral("Ctrl+Alt+K and Ctrl+Alt+P are Tapchime's own hotkeys. Try another."));
    }
    // A modifier key on its own is no shortcut either.
    QTest::keyClick(field, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_TRUE(f.editor->isRecording());

    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(f.editor->isRecording());
    EXPECT_EQ(f.shown().kind, before.kind);
    QTest::keyClicks(field, "ok"); // keys reach the program again
    EXPECT_EQ(field->text(), QStringLiteral("ok"));
}

// Ctrl+Alt+K pressed while a shortcut is recorded is refused with the hint, and the hotkey the keyboard monitor also
// sees does not turn sounds off; once recording ends, it works again.
TEST(TriggerEditor, TheProgramsHotkeysDoNothingElseWhileAShortcutIsRecorded) {
    EditorFixture f;
    f.show(true);
    f.editor->captureArea()->click();
    ASSERT_TRUE(f.editor->isRecording());
    QTest::keyClick(&f.window, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
    f.harness.press(KeyCodes::kK, kControl | kOption);
    EXPECT_EQ(f.editor->hint(), QStringLiteral("Ctrl+Alt+K and Ctrl+Alt+P are Tapchime's own hotkeys. Try another."));
    EXPECT_TRUE(f.model->data().settings.enabled);
    EXPECT_TRUE(f.harness.notices.empty());
    const Uuid active = f.model->data().activeProfileID;
    f.harness.press(KeyCodes::kP, kControl | kOption);
    EXPECT_EQ(f.model->data().activeProfileID, active);

    QTest::keyClick(&f.window, Qt::Key_Escape);
    ASSERT_FALSE(f.editor->isRecording());
    f.harness.press(KeyCodes::kK, kControl | kOption);
    EXPECT_FALSE(f.model->data().settings.enabled);

    // An editor closed while recording leaves the hotkeys working.
    f.editor->captureArea()->click();
    delete f.editor;
    f.editor = nullptr;
    f.harness.press(KeyCodes::kK, kControl | kOption);
    EXPECT_TRUE(f.model->data().settings.enabled);
}

TEST(TriggerEditor, NoWindowShortcutFiresWhileAShortcutIsRecorded) {
    EditorFixture f;
    f.show(true);
    int fired = 0;
    auto *action = new QAction(&f.window);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    action->setShortcutContext(Qt::ApplicationShortcut);
    f.window.addAction(action);
    QObject::connect(action, &QAction::triggered, [&fired] { ++fired; });
    // Shortcuts go to the active window only.
    f.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.window));
    QTest::keyClick(&f.window, Qt::Key_J, Qt::ControlModifier);
    ASSERT_EQ(fired, 1); // the shortcut works while nothing records

    f.editor->captureArea()->click();
    QTest::keyClick(&f.window, Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(f.shown().kind, Trigger::Kind::shortcut(38, kControl));
}

TEST(TriggerEditor, ClickingTheCaptureAreaAgainOrSelectingAnotherTriggerEndsRecordingWithoutAChange) {
    EditorFixture f;
    const Trigger first = f.show(true);
    f.editor->captureArea()->click();
    f.editor->captureArea()->click();
    EXPECT_FALSE(f.editor->isRecording());
    EXPECT_EQ(f.shown().kind, first.kind);

    f.editor->captureArea()->click();
    f.editor->setTriggerID(f.model->data().triggers[1].id);
    EXPECT_FALSE(f.editor->isRecording());
    QTest::keyClick(&f.window, Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(f.model->data().triggers[0].kind, first.kind);

    f.editor->captureArea()->click();
    f.editor->hide(); // leaving the screen
    EXPECT_FALSE(f.editor->isRecording());
}

TEST(TriggerEditor, TheKindSwitchChangesOnlyToTheOtherKind) {
    EditorFixture f;
    const Trigger trigger = f.show(true);
    SegmentedSwitch *kind = f.editor->kindSwitch();
    ASSERT_EQ(kind->selected(), 0);

    // The kind already chosen: nothing changes, nothing is saved.
    const std::size_t writes = f.harness.writeCount();
    kind->button(0)->click();
    EXPECT_EQ(f.shown().kind, trigger.kind);
    letSaveRun(f.harness);
    EXPECT_EQ(f.harness.writeCount(), writes);

    kind->button(1)->click();
    EXPECT_EQ(f.shown().kind, Trigger::Kind::word("yay"));
    EXPECT_EQ(f.shown().soundID, trigger.soundID);
    EXPECT_EQ(f.shown().appBundleIDs, trigger.appBundleIDs);
    EXPECT_EQ(f.editor->wordField()->text(), QStringLiteral("yay"));
    EXPECT_TRUE(f.editor->wordField()->isVisibleTo(&f.window));
    EXPECT_FALSE(f.editor->captureArea()->isVisibleTo(&f.window));
    EXPECT_EQ(f.harness.router.config()->wordTriggers.at("yay"), trigger.soundID);

    QTest::keyClicks(f.editor->wordField(), "!");
    kind->button(1)->click(); // a typed word survives a second press on Word
    EXPECT_EQ(f.shown().kind, Trigger::Kind::word("yay"));
    EXPECT_EQ(f.editor->wordField()->text(), QStringLiteral("yay!"));

    kind->button(0)->click();
    EXPECT_EQ(f.shown().kind, Trigger::Kind::shortcut(3, 0x60000));
    EXPECT_EQ(f.saved().front().kind, Trigger::Kind::shortcut(3, 0x60000));
}

TEST(TriggerEditor, ChangingTheKindWhileRecordingStopsTheRecordingSoTheWordCanBeTyped) {
    EditorFixture f;
    f.show(true);
    f.editor->captureArea()->click();
    f.editor->kindSwitch()->button(1)->click();
    EXPECT_FALSE(f.editor->isRecording());

    QLineEdit *word = f.editor->wordField();
    word->setFocus();
    word->clear();
    QTest::keyClicks(word, "Ship");
    EXPECT_EQ(f.shown().kind, Trigger::Kind::word("ship"));
    QTest::keyClick(word, Qt::Key_S, Qt::ControlModifier); // a chord no longer turns it back into a shortcut
    EXPECT_TRUE(f.shown().kind.isWord());
}

TEST(TriggerEditor, TheWordFieldStoresTheCleanedWordKeystrokeByKeystroke) {
    EditorFixture f;
    f.show(false);
    QLineEdit *word = f.editor->wordField();
    EXPECT_EQ(word->text(), QStringLiteral("lol")); // the trigger's word on showing it
    word->clear();
    QTest::keyClicks(word, "GG WP!");
    EXPECT_EQ(f.shown().kind, Trigger::Kind::word("ggwp"));
    EXPECT_EQ(word->text(), QStringLiteral("GG WP!")); // the field keeps what was typed
    EXPECT_EQ(f.harness.router.config()->wordTriggers.count("ggwp"), 1u);

    word->selectAll();
    QTest::keyClick(word, Qt::Key_Backspace);
    QTest::keyClicks(word, "?!");
    EXPECT_EQ(f.shown().kind, Trigger::Kind::word("ggwp")); // nothing left of the word: it stays
    EXPECT_EQ(f.saved()[2].kind, Trigger::Kind::word("ggwp"));
}

TEST(TriggerEditor, TheSoundMenuListsCategoriesChoosesAndPreviewsAndOpensThePicker) {
    EditorFixture f;
    const Trigger trigger = f.show(true);
    QMenu *menu = f.editor->buildSoundMenu();
    QStringList titles;
    for (QAction *action : menu->actions()) {
        titles << action->text();
    }
    // The fake library's built-in sounds; no user sounds, so no "My sounds".
    EXPECT_EQ(titles, (QStringList{"Mechanical", "Memes", "Animals", "Retro", "Everyday", "", "Record or import…"}));

    QMenu *animals = menu->actions()[2]->menu();
    ASSERT_NE(animals, nullptr);
    QAction *meow = animals->actions()[0];
    EXPECT_EQ(meow->text(), QStringLiteral("Meow"));
    const std::size_t plays = f.harness.audio.plays.size();
    meow->trigger();
    EXPECT_EQ(f.shown().soundID, "synth.meow");
    EXPECT_EQ(f.harness.audio.plays.size(), plays + 1); // previewed
    EXPECT_EQ(f.harness.router.config()->shortcutTriggers.front().soundID, "synth.meow");

    menu = f.editor->buildSoundMenu();
    menu->actions().back()->trigger();
    EXPECT_EQ(f.model->soundPicker(), SoundPickerTarget::trigger(trigger.id));
}

TEST(TriggerEditor, TheSwitchAndDeleteEditTheDocumentAndAGoneTriggerShowsTheEmptyCard) {
    EditorFixture f;
    const Trigger trigger = f.show(true);
    f.editor->onOffSwitch()->click();
    EXPECT_FALSE(f.shown().enabled);
    EXPECT_FALSE(f.routerHasShortcut(trigger.kind.asShortcut()->keyCode, trigger.kind.asShortcut()->modifiers));
    f.editor->onOffSwitch()->click();
    EXPECT_TRUE(f.shown().enabled);

    f.editor->captureArea()->click();
    f.editor->deleteButton()->click();
    EXPECT_EQ(f.model->trigger(trigger.id), nullptr);
    EXPECT_FALSE(f.editor->isRecording());
    EXPECT_TRUE(f.editor->emptyCard()->isVisibleTo(&f.window));
    EXPECT_EQ(f.saved().size(), 4u);
}

TEST(TriggerEditor, TheSwitchShowsAChosenTriggerAtOnceAndSlidesForAClick) {
    EditorFixture f;
    const Trigger on = f.show(true);
    const Trigger off = f.show(false);
    f.model->setTriggerEnabled(off.id, false);
    motion::setEnabled(true);
    PillToggle *toggle = f.editor->onOffSwitch();
    for (const Trigger *chosen : {&on, &off, &on}) {
        f.editor->setTriggerID(chosen->id);
        EXPECT_EQ(toggle->knobPosition(), chosen == &on ? 1.0 : 0.0);
    }
    toggle->click(); // switches the trigger off: the knob starts at the trailing end
    EXPECT_FALSE(f.shown().enabled);
    EXPECT_EQ(toggle->knobPosition(), 1.0);
    toggle->finishAnimation();
    EXPECT_EQ(toggle->knobPosition(), 0.0);
}

// Counts the paint events a widget receives.
struct PaintCount : QObject {
    explicit PaintCount(QWidget *widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int count = 0;
};

// Each frame of the switch's slide paints the switch and what lies under it, not the rest of the editor card.
TEST(TriggerEditor, TheSwitchsSlidePaintsOnlyTheSwitch) {
    EditorFixture f;
    f.show(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.window));
    motion::setEnabled(true);
    PillToggle *toggle = f.editor->onOffSwitch();
    PaintCount kind(f.editor->kindSwitch());
    PaintCount knob(toggle);
    toggle->click();
    QCoreApplication::processEvents(); // the change itself is painted
    kind.count = 0;
    knob.count = 0;
    for (int turn = 0; turn < 400 && toggle->knobPosition() != 0.0; ++turn) { // slides, past the end and back
        QTest::qWait(5);
    }
    EXPECT_EQ(toggle->knobPosition(), 0.0);
    EXPECT_GT(knob.count, 0) << "the knob slid";
    EXPECT_EQ(kind.count, 0);
}

} // namespace
} // namespace tc::test
