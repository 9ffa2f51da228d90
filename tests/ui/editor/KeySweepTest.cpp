// Paint and reset sweeps over the drawn keyboard: the keys a straight stretch of the pointer's path crosses, a
// sweep reported by few and far-apart pointer positions, a plate that moves under a held button, and the Keys
// page keeping the keyboard still while a sweep adds a chip to the legend.

#include "app/Motion.h"
#include "ui/ModelStates.h"
#include "ui/editor/EditorView.h"
#include "ui/editor/KeyPlate.h"
#include "ui/editor/KeyboardCase.h"
#include "ui/editor/TitleBlock.h"
#include "ui/shell/MainWindow.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

QPointF centre(const KeyboardGeometry &geometry, const char *id) {
    for (const PlacedKey &key : geometry.keys()) {
        if (key.id == QLatin1String(id)) {
            return key.rect.center();
        }
    }
    throw std::runtime_error(id);
}

QStringList idsAlong(const KeyboardGeometry &geometry, QPointF from, QPointF to) {
    QStringList ids;
    for (const PlacedKey *key : geometry.keysAlong(from, to)) {
        ids << key->id;
    }
    return ids;
}

// The ids of the keys that have a sound of their own in the active profile, in layout order.
QStringList ownKeys(const AppModel &model, const KeyboardGeometry &geometry) {
    QStringList ids;
    for (const PlacedKey &key : geometry.keys()) {
        if (key.code && model.data().activeProfile().assignment(*key.code) && !ids.contains(key.id)) {
            ids << key.id;
        }
    }
    return ids;
}

TEST(KeyboardGeometry, ASegmentCrossesTheKeysUnderItInTheOrderReached) {
    const KeyboardGeometry g(50);
    const qreal half = g.gap() / 2;
    const QPointF a = centre(g, "A");
    // The line where the A row's cells begin: it belongs to the A row, not the Q row above.
    const qreal aTop = g.key(a)->rect.top() - half;
    struct Case {
        const char *what;
        QPointF from;
        QPointF to;
        QStringList ids;
    };
    const Case cases[] = {
        {"along the middle row", a, centre(g, "H"), {"A", "S", "D", "F", "G", "H"}},
        {"backwards", centre(g, "H"), a, {"H", "G", "F", "D", "S", "A"}},
        {"along the bottom row", centre(g, "Z"), centre(g, "M"), {"Z", "X", "C", "V", "B", "N", "M"}},
        {"along the top letter row", centre(g, "W"), centre(g, "P"), {"W", "E", "R", "T", "Y", "U", "I", "O", "P"}},
        {"a point", a, a, {"A"}},
        {"on the edge between two rows", QPointF(a.x(), aTop), QPointF(centre(g, "D").x(), aTop), {"A", "S", "D"}},
        {"in from the plate's edge", QPointF(-40, a.y()), a, {"caps", "A"}},
        {"down over both arrow halves", centre(g, "up"), centre(g, "down"), {"up", "down"}},
        {"over the key without a code", centre(g, "touch"), centre(g, "touch"), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(idsAlong(g, c.from, c.to), c.ids);
    }
    // A slant through the corner where four cells meet crosses the two it passes between, not the other two.
    const PlacedKey *w = g.key(centre(g, "W"));
    ASSERT_NE(w, nullptr);
    const QPointF corner = w->rect.bottomRight() + QPointF(half, half);
    const QStringList slant = idsAlong(g, corner - QPointF(10, 10), corner + QPointF(10, 10));
    EXPECT_EQ(slant.size(), 2) << slant.join(' ').toStdString();
    EXPECT_EQ(slant.front(), "W");
}

// A plate alone, fed pointer events whose screen positions the test chooses.
struct SweepPlate : ::testing::Test {
    SweepPlate() {
        shellApp();
        motion::setEnabled(false);
        AppModel &m = harness.started();
        m.setActiveProfile(profileNamed(m, "Default").id); // no keys of its own
        m.setTool(EditTool::paint);
        plate = std::make_unique<KeyPlate>(m);
        plate->setUnit(50);
        plate->move(100, 100);
        plate->show();
        QCoreApplication::processEvents();
    }
    ~SweepPlate() override { motion::setEnabled(true); }

    AppModel &model() { return *harness.model; }
    // A pointer event at `screen`, in the plate's coordinates of the moment, as the window system reports it.
    void send(QEvent::Type type, QPointF screen, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, plate->mapFromGlobal(screen), screen, button, buttons, Qt::NoModifier);
        QApplication::sendEvent(plate.get(), &event);
    }
    QPointF onScreen(const char *id) const { return plate->mapToGlobal(QPointF(plate->centreOf(QLatin1String(id)))); }
    QStringList own() const { return ownKeys(*harness.model, plate->layout()); }

    Harness harness;
    std::unique_ptr<KeyPlate> plate;
};

TEST_F(SweepPlate, FarApartPointerPositionsPaintEveryKeyBetweenThemOnce) {
    send(QEvent::MouseButtonPress, onScreen("A"), Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, onScreen("H"), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, onScreen("A"), Qt::NoButton, Qt::LeftButton); // back over them: nothing new
    send(QEvent::MouseButtonRelease, onScreen("A"), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(own(), (QStringList{"A", "S", "D", "F", "G", "H"}));
    EXPECT_EQ(harness.audio.plays.size(), 2u); // the pressed key, then the five the one step crossed

    model().setTool(EditTool::reset);
    send(QEvent::MouseButtonPress, onScreen("S"), Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, onScreen("G"), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, onScreen("G"), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(own(), (QStringList{"A", "H"}));
}

TEST_F(SweepPlate, ASweepGoesByThePlateAsItLayWhenTheButtonWentDown) {
    const QPointF a = onScreen("A");
    const QPointF d = onScreen("D");
    send(QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
    plate->move(plate->x(), plate->y() + 40); // the row above now lies under the pointer
    send(QEvent::MouseMove, d, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, d, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(own(), (QStringList{"A", "S", "D"}));
}

// The Keys page in a main window of the audited size, driven through the window as the window system drives it.
TEST(KeysPage, ASweepThatAddsALegendChipPaintsOnlyTheKeysItCrossed) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    model.setActiveProfile(profileNamed(model, "Default").id);
    model.dismissCoach(); // a long-time user's page: the title's row is as high as the title alone
    model.setTool(EditTool::paint);
    model.setBrushSoundID("synth.meow");
    QWidget host;
    auto *window = new MainWindow(model);
    window->setParent(&host);
    window->setGeometry(0, 0, 1400, 880);
    host.resize(1400, 880);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    auto *page = dynamic_cast<EditorView *>(window->page());
    ASSERT_NE(page, nullptr);
    KeyPlate *plate = page->keyboard()->plate();
    const auto legendLabels = [&] {
        QStringList labels;
        for (const auto &entry : page->titleBlock()->shownLegend()) {
            labels << entry.label;
        }
        return labels;
    };
    ASSERT_FALSE(legendLabels().contains("Animals"));

    const struct {
        const char *from;
        const char *to;
        QStringList painted;
    } sweeps[] = {{"A", "H", {"A", "S", "D", "F", "G", "H"}}, {"Z", "M", {"Z", "X", "C", "V", "B", "N", "M"}}};
    QWindow *handle = host.windowHandle();
    for (const auto &sweep : sweeps) {
        SCOPED_TRACE(sweep.from);
        const QStringList before = ownKeys(model, plate->layout());
        const QPoint from = plate->mapTo(&host, plate->centreOf(QLatin1String(sweep.from)));
        const QPoint to = plate->mapTo(&host, plate->centreOf(QLatin1String(sweep.to)));
        const QPoint placed = plate->mapTo(&host, QPoint(0, 0));
        const QStringList legend = legendLabels();
        QTest::mousePress(handle, Qt::LeftButton, {}, from);
        QCoreApplication::processEvents(); // the page lays itself out as it would between two pointer reports
        EXPECT_EQ(plate->mapTo(&host, QPoint(0, 0)), placed) << "the keyboard moved under the held button";
        EXPECT_EQ(legendLabels(), legend); // a new chip waits for the button
        QTest::mouseMove(handle, to);      // one report for the whole way
        QCoreApplication::processEvents();
        QTest::mouseRelease(handle, Qt::LeftButton, {}, to);
        QCoreApplication::processEvents();
        QStringList painted = ownKeys(model, plate->layout());
        for (const QString &id : before) {
            painted.removeOne(id);
        }
        std::sort(painted.begin(), painted.end());
        QStringList expected = sweep.painted;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(painted, expected);
    }
    EXPECT_TRUE(legendLabels().contains("Animals")); // once the button was up
}

} // namespace
} // namespace tc::test
