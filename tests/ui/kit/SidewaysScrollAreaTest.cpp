// A sideways band of cards shows arrows on the sides where more lies out of view, and moves by whole cards.

#include "ui/kit/SidewaysScrollArea.h"

#include "support/QtTestApp.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

constexpr int kCard = 120;
constexpr int kGap = 14;

// Ten cards 120 wide, 14 apart, in a band 400 wide.
class SidewaysScrollAreaTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto *strip = new QWidget;
        auto *row = new QHBoxLayout(strip);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(kGap);
        for (int i = 0; i < 10; ++i) {
            auto *card = new QWidget(strip);
            card->setFixedSize(kCard, 80);
            row->addWidget(card);
        }
        band_.setWidget(strip);
        band_.resize(400, 100);
        band_.show();
        QCoreApplication::processEvents();
    }

    int value() { return band_.horizontalScrollBar()->value(); }
    int maximum() { return band_.horizontalScrollBar()->maximum(); }
    void wheel(int turn) {
        QWheelEvent event(QPointF(200, 50), band_.mapToGlobal(QPointF(200, 50)), QPoint(), QPoint(0, turn),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(band_.viewport(), &event);
    }

    QApplication &app_ = qtApp(); // made before the band
    SidewaysScrollArea band_;
};

TEST_F(SidewaysScrollAreaTest, AWheelNotchOrAnArrowMovesByOneWholeCardAndArrowsShowWhereMoreLies) {
    const int pitch = kCard + kGap;
    ASSERT_EQ(maximum(), 10 * kCard + 9 * kGap - 400);
    EXPECT_FALSE(band_.backArrow()->isVisible());
    EXPECT_TRUE(band_.forwardArrow()->isVisible());
    wheel(-120);
    EXPECT_EQ(value(), pitch);
    EXPECT_TRUE(band_.backArrow()->isVisible());
    for (int i = 0; i < 3; ++i) {
        wheel(-40); // a touchpad's small turns add up to a notch
    }
    band_.forwardArrow()->click();
    EXPECT_EQ(value(), 3 * pitch);
    wheel(120);
    band_.backArrow()->click();
    EXPECT_EQ(value(), pitch);
    // The last step stops at the end, with the last card whole at the right edge.
    for (int i = 0; i < 20; ++i) {
        wheel(-120);
    }
    EXPECT_EQ(value(), maximum());
    EXPECT_FALSE(band_.forwardArrow()->isVisible());
    // Wide enough for every card: nothing to show.
    band_.resize(10 * kCard + 9 * kGap, 100);
    QCoreApplication::processEvents();
    EXPECT_FALSE(band_.backArrow()->isVisible() || band_.forwardArrow()->isVisible());
}

} // namespace
} // namespace tc::test
