// The Keys page as a whole: its layout on the window's sizes and small screens, the coach card, the title block
// and the main window's least size.

#include "ModelStates.h"
#include "app/Motion.h"
#include "ui/editor/CoachCard.h"
#include "ui/editor/EditToolbar.h"
#include "ui/editor/EditorView.h"
#include "ui/editor/Inspector.h"
#include "ui/editor/InspectorControls.h"
#include "ui/editor/KeyPlate.h"
#include "ui/editor/KeyboardCase.h"
#include "ui/editor/SoundTray.h"
#include "ui/editor/TitleBlock.h"
#include "ui/shell/MainWindow.h"

#include <QAbstractButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

QRect inPage(const QWidget *widget, const QWidget *page) {
    return QRect(widget->mapTo(page, QPoint(0, 0)), widget->size());
}

TEST(EditorView, DebugLayout) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    QWidget host;
    auto &window = *new MainWindow(model);
    window.setParent(&host); // embedded: its least size is the test's
    window.setMinimumSize(MainWindow::minimumSizeFor({1366, 706}));
    window.resize(1366, 706);
    host.resize(1366, 706);
    host.show();
    QCoreApplication::processEvents();
    auto *page = dynamic_cast<EditorView *>(window.page());
    ASSERT_NE(page, nullptr);
    qDebug() << "window" << window.size() << window.minimumSize() << "page" << page->size() << page->minimumSize()
             << page->minimumSizeHint() << "toolbar" << inPage(page->toolbar(), page) << "kbd"
             << inPage(page->keyboard(), page) << "plate unit" << page->keyboard()->plate()->layout().unit();
}

TEST(EditorView, DebugAdvanced) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    model.assign("synth.meow", {0});
    model.setSelectedKeys({0});
    EditorView page(model);
    page.resize(1112, 800);
    page.show();
    QCoreApplication::processEvents();
    page.inspector()->controls()->setAdvancedOpen(true);
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        auto *c = page.inspector()->controls();
        qDebug() << "pass" << i << c->size() << c->sizeHint() << c->minimumSizeHint() << page.inspector()->size()
                 << page.inspector()->sizeHint();
    }
}

} // namespace
} // namespace tc::test
