// The shared views on the application model: a play button previews, a pill toggle edits a setting, a tip
// banner remembers its dismissal in the document.

#include "app/AppModelHarness.h"
#include "app/Motion.h"
#include "ui/ShellTestApp.h"
#include "ui/kit/ModelBindings.h"
#include "ui/kit/PlayButton.h"

#include <QAbstractButton>
#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(ModelViews, APlayButtonPreviewsTheSoundThroughTheModel) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    model.setSetting(&AppSettings::masterVolume, 0.1);
    PlayButton play(40, previewAction(model, "synth.meow"));
    play.show();
    QTest::mouseClick(&play, Qt::LeftButton, {}, QPoint(20, 20));
    ASSERT_EQ(harness.audio.plays.size(), 1u);
    EXPECT_FLOAT_EQ(harness.audio.plays[0].volume, 0.4f); // previews stay audible at a low master volume
    EXPECT_FLOAT_EQ(harness.audio.plays[0].rate, 1.0f);
    EXPECT_FLOAT_EQ(harness.audio.plays[0].pan, 0.0f);

    PlayButton nothing(40, previewAction(model, "no.such.sound"));
    nothing.click();
    EXPECT_EQ(harness.audio.plays.size(), 1u); // a sound that is not loaded previews nothing
}

TEST(ModelViews, APillToggleWritesItsSettingWithSaveAndPush) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    PillToggle toggle(toggleBinding(model.binding(&AppSettings::stereoSpread)), QStringLiteral("Stereo spread"));
    ASSERT_TRUE(toggle.isOn());
    toggle.click();
    EXPECT_FALSE(model.data().settings.stereoSpread);
    EXPECT_FALSE(toggle.isOn());
    EXPECT_FALSE(harness.router.config()->stereoSpread);
    motion::setEnabled(true);
}

TEST(ModelViews, GotItRecordsTheTipInTheDocumentAndEveryBannerWithItsIdGoes) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    QWidget page;
    TipBanner *first = tipBanner(model, QStringLiteral("apps"), QStringLiteral("app.badge"),
                                 QStringLiteral("Tapchime follows the app you're in"), QStringLiteral("…"), &page);
    TipBanner *second = tipBanner(model, QStringLiteral("apps"), QStringLiteral("app.badge"),
                                  QStringLiteral("Tapchime follows the app you're in"), QStringLiteral("…"), &page);
    page.show();
    ASSERT_FALSE(first->isHidden());
    const std::size_t writes = harness.writeCount();

    first->gotItButton()->click();
    EXPECT_EQ(model.data().settings.tipsSeen, std::vector<std::string>{"apps"});
    EXPECT_TRUE(first->isHidden());
    EXPECT_TRUE(second->isHidden()); // follows the document
    harness.time.advance(AppModel::kSaveDelay);
    harness.documents->waitForWrites(std::chrono::seconds(5));
    EXPECT_EQ(harness.writeCount(), writes + 1);

    TipBanner *later = tipBanner(model, QStringLiteral("apps"), QStringLiteral("app.badge"), QStringLiteral("t"),
                                 QStringLiteral("x"), &page);
    EXPECT_TRUE(later->isHidden()); // a dismissed tip stays dismissed
    motion::setEnabled(true);
}

} // namespace
} // namespace tc::test
