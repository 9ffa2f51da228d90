// A list inside a page that scrolls: the wheel over the list moves the page until the list is wholly in view,
// then the list.

#include "ui/kit/PageWheel.h"

#include "ui/ShellTestApp.h"

#include <QCoreApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

// A 400-wide page whose 500-high content holds a 250-high list at `listTop`; the list's content is 2000 high.
struct NestedPage {
    explicit NestedPage(int pageHeight = 300, int listTop = 250) {
        page.resize(400, pageHeight);
        page.setFrameShape(QFrame::NoFrame);
        page.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto *content = new QWidget;
        content->setFixedSize(380, 500);
        list = new QScrollArea(content);
        list->setFrameShape(QFrame::NoFrame);
        list->setGeometry(0, listTop, 380, 250);
        auto *rows = new QWidget;
        rows->setFixedSize(360, 2000);
        list->setWidget(rows);
        page.setWidget(content);
        PageWheel::scrollPageFirst(list);
        page.show();
        QCoreApplication::processEvents();
    }

    void wheel(int turn) {
        const QPointF at(20, 20);
        QWheelEvent event(at, list->viewport()->mapToGlobal(at), QPoint(), QPoint(0, turn), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(list->viewport(), &event);
    }

    QScrollArea page;
    QScrollArea *list;
};

TEST(PageWheel, ThePageMovesFirstUntilTheListIsWhollyInView) {
    shellApp();
    NestedPage nested;
    QScrollBar *page = nested.page.verticalScrollBar();
    QScrollBar *list = nested.list->verticalScrollBar();
    ASSERT_EQ(page->maximum(), 200);

    // Down: the page, while the list's bottom is out of view.
    nested.wheel(-120);
    EXPECT_GT(page->value(), 0);
    EXPECT_EQ(list->value(), 0);
    for (int i = 0; i < 10 && page->value() < page->maximum(); ++i) {
        nested.wheel(-120);
    }
    EXPECT_EQ(page->value(), page->maximum());
    EXPECT_EQ(list->value(), 0);
    // The list shows whole: now it scrolls, and back up again before the page moves.
    nested.wheel(-120);
    EXPECT_GT(list->value(), 0);
    EXPECT_EQ(page->value(), page->maximum());
    nested.wheel(120);
    EXPECT_EQ(list->value(), 0);
    EXPECT_EQ(page->value(), page->maximum());
}

TEST(PageWheel, UpwardsThePageMovesFirstWhileTheListsTopIsOutOfView) {
    shellApp();
    NestedPage nested(300, 0);
    QScrollBar *page = nested.page.verticalScrollBar();
    QScrollBar *list = nested.list->verticalScrollBar();
    page->setValue(page->maximum());
    list->setValue(300);
    nested.wheel(120);
    EXPECT_LT(page->value(), page->maximum());
    EXPECT_EQ(list->value(), 300);
    page->setValue(0); // the list whole in view: it takes the wheel
    nested.wheel(120);
    EXPECT_LT(list->value(), 300);
}

TEST(PageWheel, WithoutAPageToMoveTheListTakesTheWheel) {
    shellApp();
    NestedPage nested(600); // the page shows all of its content
    ASSERT_EQ(nested.page.verticalScrollBar()->maximum(), 0);
    nested.wheel(-120);
    EXPECT_GT(nested.list->verticalScrollBar()->value(), 0);
}

} // namespace
} // namespace tc::test
