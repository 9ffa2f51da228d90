// The drawn keyboard's plate against a real application model: sweeps with the paint and reset tools, clicks
// by tool, double clicks, drops, the context menu, the keys' looks and names, and repainting only what changed.

#include "ui/editor/KeyPlate.h"
#include "app/Motion.h"
#include "ui/ModelStates.h"
#include "ui/editor/KeyFace.h"
#include "ui/kit/CategorySymbols.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

constexpr std::uint16_t kQ = 12, kW = 13, kE = 14, kR = 15, kA = 0, kX = 7;

// A plate that remembers the area of each repaint.
class WatchedPlate : public KeyPlate {
public:
    using KeyPlate::KeyPlate;
    std::vector<QRect> painted;

protected:
    void paintEvent(QPaintEvent *event) override {
        painted.push_back(event->rect());
        KeyPlate::paintEvent(event);
    }
};

struct PlateTest : ::testing::Test {
    PlateTest() {
        shellApp();
        motion::setEnabled(false);
        AppModel &m = harness.started();
        m.setActiveProfile(profileNamed(m, "Default").id); // no keys of its own
        plate = std::make_unique<WatchedPlate>(m);
        plate->setUnit(50);
        plate->show();
        QCoreApplication::processEvents();
    }
    ~PlateTest() override {
        plate.reset();
        motion::setEnabled(true);
    }

    AppModel &model() { return *harness.model; }
    QPoint at(const char *id) const { return plate->centreOf(QString::fromUtf8(id)); }
    std::size_t plays() const { return harness.audio.plays.size(); }
    void send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers modifiers = {}) {
        sendAt(type, plate->mapToGlobal(QPointF(pos)), button, buttons, modifiers);
    }
    // An event at a point of the screen, in the plate's coordinates of the moment, as the window system sends it.
    void sendAt(QEvent::Type type, QPointF screen, Qt::MouseButton button, Qt::MouseButtons buttons,
                Qt::KeyboardModifiers modifiers = {}) {
        QMouseEvent event(type, plate->mapFromGlobal(screen), screen, button, buttons, modifiers);
        QApplication::sendEvent(plate.get(), &event);
    }
    // Press at the first point, drag through the rest, release at the last.
    void drag(const std::vector<QPoint> &points) {
        send(QEvent::MouseButtonPress, points.front(), Qt::LeftButton, Qt::LeftButton);
        for (std::size_t i = 1; i < points.size(); ++i) {
            send(QEvent::MouseMove, points[i], Qt::NoButton, Qt::LeftButton);
        }
        send(QEvent::MouseButtonRelease, points.back(), Qt::LeftButton, Qt::NoButton);
    }
    void click(QPoint pos, Qt::KeyboardModifiers modifiers = {}) {
        send(QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton, modifiers);
        send(QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton, modifiers);
    }
    void doubleClick(QPoint pos, Qt::KeyboardModifiers modifiers = {}) {
        click(pos, modifiers);
        send(QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton, modifiers);
        send(QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton, modifiers);
    }
    // Drags text over a point and drops it; whether the drop was accepted.
    bool dropText(const QString &text, QPoint pos) {
        QMimeData data;
        data.setText(text);
        QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(plate.get(), &enter);
        QDragMoveEvent move(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(plate.get(), &move);
        QDropEvent drop(QPointF(pos), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(plate.get(), &drop);
        return drop.isAccepted();
    }
    // The ids of the keys with a sound of their own, in layout order.
    QStringList ownKeys() {
        QStringList ids;
        for (const PlacedKey &key : plate->layout().keys()) {
            if (key.code && soundOf(*key.code) && !ids.contains(key.id)) {
                ids << key.id;
            }
        }
        return ids;
    }
    std::optional<std::string> soundOf(std::uint16_t code) {
        const auto assignment = model().data().activeProfile().assignment(code);
        return assignment ? std::optional(assignment->soundID) : std::nullopt;
    }

    Harness harness;
    std::unique_ptr<WatchedPlate> plate;
};

TEST_F(PlateTest, APaintSweepAssignsAndPreviewsEachKeyOnceInTheOrderReached) {
    model().setTool(EditTool::paint);
    DocumentSignals edits(model());
    drag({at("Q"), at("W"), at("E"), at("R"), at("E"), at("W"), at("Q")});
    for (auto code : {kQ, kW, kE, kR}) {
        EXPECT_EQ(soundOf(code), "synth.meow") << code;
    }
    EXPECT_EQ(plays(), 4u);               // nothing on the way back
    EXPECT_EQ(edits.seen.size(), 4u + 1); // four assignments, and the coach's step 3 once

    // A new sweep starts afresh.
    model().setBrushSoundID("synth.coin");
    drag({at("Q")});
    EXPECT_EQ(soundOf(kQ), "synth.coin");
    EXPECT_EQ(plays(), 5u);
    EXPECT_EQ(model().data().settings.coachStep, 3);
}

// The window system reports a quick sweep by few, far-apart positions: every key between two of them is handled,
// in one edit and one preview per step.
TEST_F(PlateTest, ASweepHandlesEveryKeyBetweenFarApartPointerPositions) {
    model().setTool(EditTool::paint);
    drag({at("A"), at("H"), at("A")});
    EXPECT_EQ(ownKeys(), (QStringList{"A", "S", "D", "F", "G", "H"}));
    EXPECT_EQ(plays(), 2u); // the pressed key, then the five the first step crossed
    model().setTool(EditTool::reset);
    drag({at("S"), at("G")});
    EXPECT_EQ(ownKeys(), (QStringList{"A", "H"}));
}

TEST_F(PlateTest, ASweepGoesByThePlateAsItLayWhenTheButtonWentDown) {
    model().setTool(EditTool::paint);
    const QPointF a = plate->mapToGlobal(QPointF(at("A")));
    const QPointF d = plate->mapToGlobal(QPointF(at("D")));
    sendAt(QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
    plate->move(plate->x(), plate->y() + 40); // the row above now lies under the pointer
    sendAt(QEvent::MouseMove, d, Qt::NoButton, Qt::LeftButton);
    sendAt(QEvent::MouseButtonRelease, d, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(ownKeys(), (QStringList{"A", "S", "D"}));
}

TEST_F(PlateTest, OnePaintOrResetClickIsAppliedOnce) {
    model().setTool(EditTool::paint);
    DocumentSignals edits(model());
    click(at("A"));
    EXPECT_EQ(soundOf(kA), "synth.meow");
    EXPECT_EQ(plays(), 1u);
    EXPECT_EQ(edits.seen, (std::vector<std::string>{"keys", "settings"})); // the assignment and the coach

    model().setTool(EditTool::reset);
    edits.seen.clear();
    click(at("A"));
    EXPECT_FALSE(soundOf(kA));
    EXPECT_EQ(edits.seen, std::vector<std::string>{"keys"});
    EXPECT_EQ(plays(), 1u);
}

TEST_F(PlateTest, AResetSweepRemovesOwnSoundsSilently) {
    model().assign("synth.coin", {kQ, kW, kE, kR, kA});
    model().setTool(EditTool::reset);
    drag({at("Q"), at("W"), at("E"), at("R")});
    for (auto code : {kQ, kW, kE, kR}) {
        EXPECT_FALSE(soundOf(code)) << code;
    }
    EXPECT_EQ(soundOf(kA), "synth.coin");
    EXPECT_EQ(plays(), 0u);
}

TEST_F(PlateTest, ASweepEndsWhenTheToolChanges) {
    model().assign("synth.coin", {kW, kE});
    model().setTool(EditTool::reset);
    send(QEvent::MouseButtonPress, at("Q"), Qt::LeftButton, Qt::LeftButton);
    model().setTool(EditTool::select);
    send(QEvent::MouseMove, at("W"), Qt::NoButton, Qt::LeftButton);
    model().setTool(EditTool::reset);
    send(QEvent::MouseMove, at("E"), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at("E"), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(soundOf(kW), "synth.coin");
    EXPECT_EQ(soundOf(kE), "synth.coin");
}

TEST_F(PlateTest, ASweepOverBothArrowHalvesHandlesTheStackedKeyOnce) {
    model().setTool(EditTool::paint);
    DocumentSignals edits(model());
    drag({at("up"), at("down"), at("up")});
    EXPECT_EQ(soundOf(126), "synth.meow");
    EXPECT_FALSE(soundOf(125)); // the down arrow shares the stacked key's assignment
    EXPECT_EQ(plays(), 1u);
    EXPECT_EQ(edits.seen, (std::vector<std::string>{"keys", "settings"}));
}

TEST_F(PlateTest, ASweepOverTheTouchIdKeyOrTheCaseDoesNothing) {
    model().setTool(EditTool::paint);
    const auto before = model().data();
    // From the Touch ID key out to the plate's corner, and down the padding at its left edge.
    drag({at("touch"), QPoint(plate->width() - 1, 1), QPoint(plate->width() + 20, 3)});
    drag({QPoint(1, 1), QPoint(2, plate->height() - 1)});
    EXPECT_EQ(model().data(), before);
    EXPECT_EQ(plays(), 0u);
}

TEST_F(PlateTest, WithTheSelectOrTestToolADragDoesNothing) {
    for (EditTool tool : {EditTool::select, EditTool::test}) {
        model().setTool(tool);
        const auto before = model().data();
        const auto selection = model().selectedKeys();
        drag({at("Q"), at("W"), at("E")});
        EXPECT_EQ(model().data(), before);
        EXPECT_EQ(model().selectedKeys(), selection);
        EXPECT_EQ(plays(), 0u);
    }
}

// A click acts as the button comes up, without waiting to see whether a second click follows.
TEST_F(PlateTest, SelectClicksReplaceOrToggleTheSelectionAtOnceAndRaiseTheCoach) {
    click(at("Q"));
    EXPECT_EQ(model().selectedKeys(), (KeySet{kQ}));
    EXPECT_EQ(model().data().settings.coachStep, 2);
    click(at("W"), Qt::ShiftModifier);
    EXPECT_EQ(model().selectedKeys(), (KeySet{kQ, kW}));
    click(at("E"), Qt::ControlModifier);
    EXPECT_EQ(model().selectedKeys(), (KeySet{kQ, kW, kE}));
    click(at("Q"), Qt::ControlModifier);
    EXPECT_EQ(model().selectedKeys(), (KeySet{kW, kE}));
    click(at("W"), Qt::ShiftModifier);
    EXPECT_EQ(model().selectedKeys(), (KeySet{kE}));
    click(at("R"));
    EXPECT_EQ(model().selectedKeys(), (KeySet{kR}));

    model().advanceCoach(3);
    click(at("Q"));
    EXPECT_EQ(model().data().settings.coachStep, 3); // never lowered
    EXPECT_EQ(plays(), 0u);
}

TEST_F(PlateTest, ADoubleClickOpensThePickerForThatKeyAlone) {
    model().setSelectedKeys({kQ, kW});
    doubleClick(at("A"), Qt::ShiftModifier); // its first click adds A
    EXPECT_EQ(model().selectedKeys(), (KeySet{kA}));
    ASSERT_TRUE(model().soundPicker());
    ASSERT_TRUE(model().soundPicker()->asKeys());
    EXPECT_EQ(model().soundPicker()->asKeys()->codes, (KeySet{kA}));

    model().setSoundPicker(std::nullopt);
    model().setTool(EditTool::test);
    doubleClick(at("W"));
    EXPECT_EQ(model().soundPicker()->asKeys()->codes, (KeySet{kW}));
    EXPECT_EQ(plays(), 1u); // the first click's preview, at once

    model().setSoundPicker(std::nullopt);
    doubleClick(at("touch"));
    EXPECT_FALSE(model().soundPicker());
}

TEST_F(PlateTest, TheTestToolPreviewsTheKeysOwnOrTheBaseSoundAtOnce) {
    model().setTool(EditTool::test);
    model().assign("synth.coin", {kQ});
    const auto selection = model().selectedKeys();
    click(at("Q"));
    click(at("W")); // the base sound, synth.cream
    EXPECT_EQ(plays(), 2u);
    EXPECT_EQ(model().selectedKeys(), selection);
    model().setBaseSound("none");
    click(at("W"));
    EXPECT_EQ(plays(), 2u);
}

TEST_F(PlateTest, DroppedSoundIdsAreAssignedAndOtherTextIsRefused) {
    model().setSelectedKeys({kQ, kW});
    EXPECT_TRUE(dropText("synth.meow", at("A")));
    EXPECT_EQ(soundOf(kA), "synth.meow");
    EXPECT_EQ(model().selectedKeys(), (KeySet{kA}));
    EXPECT_EQ(plays(), 1u);
    EXPECT_FALSE(plate->dropTarget());

    const auto before = model().data();
    for (const char *text : {"no.such.sound", "synth.meow\n", "", "SYNTH.MEOW"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(dropText(QString::fromUtf8(text), at("E")));
    }
    EXPECT_FALSE(dropText(QStringLiteral("synth.coin"), at("touch")));
    EXPECT_EQ(model().data(), before);
    EXPECT_EQ(model().selectedKeys(), (KeySet{kA}));
    EXPECT_EQ(plays(), 1u);
}

TEST_F(PlateTest, ADragHoveringOverAKeyMarksItAsTheDropTarget) {
    QMimeData data;
    data.setText(QStringLiteral("synth.meow"));
    QDragEnterEvent enter(at("Q"), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(plate.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent over(at("up"), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(plate.get(), &over);
    EXPECT_EQ(plate->dropTarget(), 126);
    QDragMoveEvent touch(at("touch"), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(plate.get(), &touch);
    EXPECT_FALSE(touch.isAccepted());
    EXPECT_FALSE(plate->dropTarget());
    QDragMoveEvent back(at("Q"), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(plate.get(), &back);
    QDragLeaveEvent leave;
    QApplication::sendEvent(plate.get(), &leave);
    EXPECT_FALSE(plate->dropTarget());
}

TEST_F(PlateTest, TheContextMenuChoosesPreviewsAndResets) {
    const auto texts = [](QMenu *menu) {
        QStringList list;
        for (QAction *action : menu->actions()) {
            list << action->text();
        }
        return list;
    };
    std::unique_ptr<QMenu> plain(plate->contextMenu(kQ));
    EXPECT_EQ(texts(plain.get()), (QStringList{"Choose sound…", "Preview"}));
    plain->actions()[1]->trigger();
    EXPECT_EQ(plays(), 1u); // the base sound

    // A key whose sound is gone still offers the reset.
    model().assign("user.gone", {kX});
    std::unique_ptr<QMenu> missing(plate->contextMenu(kX));
    ASSERT_EQ(texts(missing.get()), (QStringList{"Choose sound…", "Preview", "Reset to base sound"}));
    missing->actions()[1]->trigger();
    EXPECT_EQ(plays(), 1u); // nothing to preview
    missing->actions()[2]->trigger();
    EXPECT_FALSE(soundOf(kX));

    missing->actions()[0]->trigger();
    EXPECT_EQ(model().selectedKeys(), (KeySet{kX}));
    ASSERT_TRUE(model().soundPicker());
    EXPECT_EQ(model().soundPicker()->asKeys()->codes, (KeySet{kX}));
}

TEST_F(PlateTest, KeysAreNamedAfterTheirSound) {
    model().assign("synth.meow", {kA});
    model().assign("user.gone", {kX});
    const auto nameOf = [&](const char *id) {
        for (const PlacedKey &key : plate->layout().keys()) {
            if (key.id == id) {
                return plate->accessibleKeyName(key);
            }
        }
        return QString();
    };
    EXPECT_EQ(nameOf("A"), "A key: Meow");
    // Screen readers see one button per placed key with that name.
    QAccessibleInterface *group = QAccessible::queryAccessibleInterface(plate.get());
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->childCount(), 78);
    QAccessibleInterface *a = group->childAt(plate->mapToGlobal(at("A")).x(), plate->mapToGlobal(at("A")).y());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(QAccessible::Name), "A key: Meow");
    EXPECT_EQ(a->role(), QAccessible::Button);
    EXPECT_EQ(group->child(group->indexOfChild(a)), a);
    EXPECT_EQ(a->parent(), group);
    EXPECT_EQ(nameOf("X"), "X key: Missing sound");
    EXPECT_EQ(nameOf("Q"), "Q key: Cream");
    EXPECT_EQ(nameOf("caps"), "Caps Lock key: Cream");
    model().setBaseSound("none");
    EXPECT_EQ(nameOf("space"), "Space key: Silent");
}

TEST_F(PlateTest, AHeldKeyRepaintsOnlyItsOwnCap) {
    plate->painted.clear();
    const auto &layout = plate->layout();
    const QRectF e = plate->keyRect(*layout.keysWithCode(kE).front());
    const QRectF q = plate->keyRect(*layout.keysWithCode(kQ).front());
    harness.monitor->down(kE);
    harness.time.runPosted();
    ASSERT_EQ(model().pressedKeys(), (KeySet{kE}));
    QCoreApplication::processEvents();
    ASSERT_FALSE(plate->painted.empty());
    for (const QRect &area : plate->painted) {
        EXPECT_TRUE(area.intersects(e.toAlignedRect()));
        EXPECT_FALSE(area.contains(q.center().toPoint()));
        EXPECT_LT(area.width(), plate->width() / 4);
    }
}

// A slider dragged in the inspector edits the key at pointer speed: the plate repaints only a cap whose look the
// edit changed.
TEST_F(PlateTest, AnEditRepaintsOnlyTheCapsItChanges) {
    model().assign("synth.meow", {kE});
    QCoreApplication::processEvents();
    plate->painted.clear();
    model().editAssignments({kE}, [](KeyAssignment &a) { a.volume = 0.4; });
    QCoreApplication::processEvents();
    EXPECT_TRUE(plate->painted.empty());

    model().assign("synth.coin", {kE}); // another category, another colour
    QCoreApplication::processEvents();
    const QRectF e = plate->keyRect(*plate->layout().keysWithCode(kE).front());
    ASSERT_FALSE(plate->painted.empty());
    for (const QRect &area : plate->painted) {
        EXPECT_TRUE(area.intersects(e.toAlignedRect()));
        EXPECT_LT(area.width(), plate->width() / 4);
    }
}

TEST(KeyFace, PalettesFollowTheKindAndTheCategoryOfTheKeysOwnSound) {
    using Kind = KeyDef::Kind;
    struct Case {
        Kind kind;
        std::optional<SoundCategory> category;
        const CapPalette &palette;
    };
    const Case cases[] = {
        {Kind::decorative, SoundCategory::memes, CapPalette::black},
        {Kind::character, SoundCategory::mechanical, CapPalette::white},
        {Kind::modifier, SoundCategory::memes, CapPalette::yellow},
        {Kind::function, SoundCategory::animals, CapPalette::blue},
        {Kind::arrow, SoundCategory::retro, CapPalette::red},
        {Kind::wide, SoundCategory::everyday, CapPalette::green},
        {Kind::space, SoundCategory::mine, CapPalette::black},
        {Kind::character, std::nullopt, CapPalette::white},
        {Kind::space, std::nullopt, CapPalette::white},
        {Kind::modifier, std::nullopt, CapPalette::gray},
        {Kind::function, std::nullopt, CapPalette::gray},
        {Kind::wide, std::nullopt, CapPalette::gray},
        {Kind::arrow, std::nullopt, CapPalette::gray},
    };
    for (const Case &c : cases) {
        EXPECT_TRUE(KeyFace::palette(c.kind, c.category) == c.palette) << static_cast<int>(c.kind);
    }
}

TEST(KeyFace, LegendsFollowTheLabelsLengthInCharacters) {
    shellApp();
    const KeyboardGeometry geometry(50);
    const auto key = [&](const char *id) -> const PlacedKey & {
        for (const PlacedKey &placed : geometry.keys()) {
            if (placed.id == id) {
                return placed;
            }
        }
        throw std::runtime_error(id);
    };
    using Kind = KeyFace::Legend::Kind;
    struct Case {
        const char *id;
        std::optional<SoundCategory> category;
        Kind kind;
        const char *text;
        qreal size; // of the text, or of the symbol for a key with its own sound
    };
    const Case cases[] = {
        {"A", std::nullopt, Kind::centred, "A", 14},       // unit × 0.27, rounded to whole pixels
        {"F1", std::nullopt, Kind::centred, "F1", 9},      // short key: max(unit × 0.17, 8) × 1.1
        {"esc", std::nullopt, Kind::cornerText, "ESC", 9}, // three characters
        {"caps", std::nullopt, Kind::cornerText, "CAPS LOCK", 9},
        {"up", std::nullopt, Kind::centred, "↑", 14},
        {"touch", std::nullopt, Kind::ring, "", 0},
        {"A", SoundCategory::animals, Kind::ownSound, "A", 15}, // the symbol at unit × 0.3
        {"F1", SoundCategory::retro, Kind::ownSound, "F1", 10}, // short key: unit × 0.2
        {"esc", SoundCategory::memes, Kind::ownSound, "ESC", 15 * 2 / 3.0},
        {"space", SoundCategory::mine, Kind::ownSound, "", 15},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        const KeyFace::Legend legend = KeyFace::legend(key(c.id), 50, c.category);
        EXPECT_EQ(legend.kind, c.kind);
        EXPECT_EQ(legend.text, QString::fromUtf8(c.text));
        if (c.kind == Kind::ownSound) {
            EXPECT_DOUBLE_EQ(legend.symbolSize, c.size);
            EXPECT_STREQ(legend.symbol, CategorySymbols::key(*c.category));
        } else if (c.kind != Kind::ring) {
            EXPECT_EQ(legend.font.pixelSize(), qRound(c.size));
        }
    }
    EXPECT_EQ(KeyFace::legend(key("touch"), 50, std::nullopt).ringSize, 15);
    EXPECT_EQ(KeyFace::characterCount(QStringLiteral("↑↓")), 2);
    EXPECT_EQ(KeyFace::characterCount(QString::fromUtf8("e\u0301")), 1); // a letter with a combining accent
    EXPECT_EQ(KeyFace::characterCount(QString::fromUtf8("\U0001F431")), 1);
}

} // namespace
} // namespace tc::test
