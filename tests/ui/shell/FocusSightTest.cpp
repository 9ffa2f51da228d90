// Every control that takes focus shows the whole ring where Tab brings it, standing out from what it covers,
// in each section of the window at the sizes it is used at; and every slider of a percentage moves by 1 % per
// arrow key and 10 % per Page key.

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/editor/InspectorControls.h"
#include "ui/shell/MainWindow.h"

#include <QAbstractSlider>
#include <QTest>
#include <functional>
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
    for (const QSize size : {QSize(1400, 880), QSize(1366, 768), QSize(1280, 800)}) {
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

TEST(FocusSight, EverySliderMovesOnePercentPerArrowKeyAndTenPerPageKey) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    model.completeOnboarding();
    model.assign("synth.meow", {0});
    model.editAssignments({0}, [](KeyAssignment &a) {
        a.volume = 0.5;
        a.pitchVariation = 0.1;
    });
    model.setSetting(&AppSettings::masterVolume, 0.5);
    model.setSelectedKeys({0});
    const auto assignment = [&model] { return *model.data().activeProfile().assignment(0); };
    const struct {
        const char *name;
        AppSection section;
        std::function<double()> value;
    } sliders[] = {
        {"Volume", AppSection::keyboard, [&] { return assignment().volume; }},
        {"Pitch variation", AppSection::keyboard, [&] { return assignment().pitchVariation; }},
        {"Volume", AppSection::settings, [&] { return model.data().settings.masterVolume; }},
    };
    for (const auto &slider : sliders) {
        model.setSection(slider.section);
        MainWindow window(model);
        window.resize(1400, 880);
        ASSERT_TRUE(activate(&window));
        for (QWidget *widget : window.findChildren<QWidget *>()) {
            if (auto *controls = dynamic_cast<AssignedControls *>(widget)) {
                controls->setAdvancedOpen(true); // the pitch slider
            }
        }
        QAbstractSlider *found = nullptr;
        for (auto *candidate : window.findChildren<QAbstractSlider *>()) {
            if (candidate->accessibleName() == QLatin1String(slider.name)) {
                found = candidate;
            }
        }
        ASSERT_NE(found, nullptr) << slider.name;
        found->setFocus(Qt::TabFocusReason);
        const struct {
            Qt::Key key;
            double change;
        } presses[] = {{Qt::Key_Right, 0.01}, {Qt::Key_Left, -0.01}, {Qt::Key_PageUp, 0.1}, {Qt::Key_PageDown, -0.1}};
        for (const auto &press : presses) {
            const double before = slider.value();
            QTest::keyClick(found, press.key);
            EXPECT_NEAR(slider.value() - before, press.change, 1e-9) << slider.name << " " << press.key;
        }
    }
    flushDeletes();
    motion::setEnabled(true);
}

} // namespace
} // namespace tc::test
