// The keyboard focus stays in view: a control that takes focus scrolls into view, and back into it when the
// layout pushes it out while it keeps the focus; a scroll of the user's is left alone.

#include "ui/kit/FocusInView.h"
#include "ui/FocusWalk.h"
#include "ui/ShellTestApp.h"
#include "ui/kit/PillButton.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

// Lets layouts and what follows them run, as the event loop does between two presses.
void settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
}

bool inView(const QScrollArea &area, const QWidget *widget) {
    const QRect shown(widget->mapTo(area.viewport(), QPoint(0, 0)), widget->size());
    return area.viewport()->rect().contains(shown);
}

TEST(FocusInView, AFocusedControlComesIntoViewAndBackWhenTheLayoutPushesItOut) {
    shellApp();
    QScrollArea area;
    area.resize(300, 200);
    area.setWidgetResizable(true);
    auto *content = new QWidget;
    auto *column = new QVBoxLayout(content);
    auto *top = new PillButton("Top", OutlinePillButtonStyle{30});
    auto *card = new QWidget; // grows as a coach card turns into tips
    card->setFixedHeight(100);
    auto *field = new PillButton("Test", OutlinePillButtonStyle{30});
    column->addWidget(top);
    column->addWidget(card);
    column->addSpacing(300);
    column->addWidget(field);
    column->addSpacing(300);
    area.setWidget(content);
    ASSERT_TRUE(activate(&area));
    ASSERT_FALSE(inView(area, field));

    field->setFocus(Qt::OtherFocusReason); // as the program gives it, or an arrow key
    settle();
    EXPECT_TRUE(inView(area, field));

    card->setFixedHeight(500);
    settle();
    EXPECT_TRUE(inView(area, field));

    // The user scrolls away: the page stays where they put it.
    area.verticalScrollBar()->setValue(0);
    settle();
    EXPECT_EQ(area.verticalScrollBar()->value(), 0);
    EXPECT_FALSE(inView(area, field));

    // Focus a click gives stays where it was clicked: nothing scrolls.
    top->setFocus(Qt::MouseFocusReason);
    area.verticalScrollBar()->setValue(40);
    field->setFocus(Qt::MouseFocusReason);
    settle();
    EXPECT_EQ(area.verticalScrollBar()->value(), 40);
}

} // namespace
} // namespace tc::test
