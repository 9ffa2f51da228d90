// Every control that takes focus shows the whole ring where Tab brings it, standing out from what it covers,
// in each section of the window at the sizes it is used at.

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/editor/InspectorControls.h"
#include "ui/shell/MainWindow.h"

#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(FocusSight, EveryRingOfEverySectionShowsWholeAndStandsOut) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    model.completeOnboarding();
    model.assign("synth.meow", {0});
    for (const QSize size : {QSize(1400, 880), QSize(1366, 768)}) {
        for (const AppSection section : allAppSections) {
            for (const KeySet &selected : {KeySet{1}, KeySet{0}}) {
                // The key without a sound of its own shows the quick picks, the one with its sound the sliders.
                if (section != AppSection::keyboard && selected == KeySet{0}) {
                    continue;
                }
                model.setSelectedKeys(selected);
                model.setSection(section);
                MainWindow window(model);
                window.resize(size);
                ASSERT_TRUE(activate(&window));
                for (QWidget *widget : window.findChildren<QWidget *>()) {
                    if (auto *controls = dynamic_cast<AssignedControls *>(widget)) {
                        controls->setAdvancedOpen(true); // the pitch slider
                    }
                }
                const QStringList hidden = hiddenRings(&window);
                EXPECT_TRUE(hidden.isEmpty())
                    << static_cast<int>(section) << " at " << size.width() << "x" << size.height() << ":\n"
                    << hidden.join(QLatin1Char('\n')).toStdString();
            }
        }
    }
    flushDeletes();
    motion::setEnabled(true);
}

} // namespace
} // namespace tc::test
