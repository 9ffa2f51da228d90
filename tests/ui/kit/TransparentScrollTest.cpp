// A scroll area made transparent lets what lies behind it show around and behind its content, has no frame and
// takes no focus.

#include "ui/kit/TransparentScroll.h"

#include "ui/ShellTestApp.h"

#include <QCoreApplication>
#include <QPainter>
#include <QScrollArea>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

// A red backdrop, as the window's dotted one or a card lies behind a page.
struct Backdrop : QWidget {
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), Qt::red); }
};

TEST(TransparentScroll, TheBackdropShowsThroughAndTheAreaTakesNoFocus) {
    shellApp();
    Backdrop backdrop;
    backdrop.resize(200, 200);
    auto *scroll = new QScrollArea(&backdrop);
    makeTransparentScroll(scroll);
    auto *content = new QWidget;
    content->setMinimumHeight(50);
    scroll->setWidget(content);
    content->setAutoFillBackground(false); // setWidget() turned it on
    scroll->setGeometry(backdrop.rect());
    backdrop.show();
    QCoreApplication::processEvents();

    EXPECT_EQ(scroll->frameWidth(), 0);
    EXPECT_EQ(scroll->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(content->width(), scroll->viewport()->width()) << "the content takes the area's width";
    const QImage picture = backdrop.grab().toImage();
    for (const QPoint at : {QPoint(1, 1), QPoint(100, 25), QPoint(100, 150), QPoint(198, 198)}) {
        EXPECT_EQ(picture.pixelColor(at).name().toStdString(), "#ff0000") << at.x() << "," << at.y();
    }
}

} // namespace
} // namespace tc::test
