// The first-run sheet: it waits for keyboard access and moves on by itself, the starter pack tapped becomes
// active and previews a sound chosen by a fixed rule, and both ways out end onboarding.

#include "ui/onboarding/OnboardingView.h"

#include "ui/ModelStates.h"
#include "ui/onboarding/PackCard.h"

#include <QAbstractButton>
#include <QJsonDocument>
#include <QLabel>
#include <QLayout>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

Profile profile(const std::string &name, std::string base, std::map<std::string, std::string> keys) {
    Profile made;
    made.id = Uuid::random();
    made.name = name;
    made.baseSoundID = std::move(base);
    for (auto &[key, sound] : keys) {
        made.keys[key] = KeyAssignment{.soundID = sound};
    }
    return made;
}

// The harness's built-in sounds as the model names them.
PackCard::SoundLookup lookupOf(AppModel &model) {
    return [&model](const std::string &id) { return model.sound(id); };
}

TEST(PackCard, PreviewAndBadgeFollowFixedRulesWhateverTheMapOrder) {
    struct Case {
        const char *what;
        Profile profile;
        std::string preview;
        std::string symbol;
    };
    // In the key map's text order "100" comes before "12" and "49": the rule must not follow it.
    const Case cases[] = {
        {"space wins", profile("a", "synth.cream", {{"100", "synth.boing"}, {"49", "synth.coin"}}), "synth.coin",
         "burst.fill"},
        {"lowest code, not text order", profile("b", "synth.cream", {{"100", "synth.boing"}, {"12", "synth.meow"}}),
         "synth.meow", "burst.fill"},
        {"keys that are no codes come last", profile("c", "none", {{"x", "synth.coin"}, {"7", "rec.bell"}}), "rec.bell",
         "gamecontroller.fill"},
        {"no keys: the base sound", profile("d", "synth.meow", {}), "synth.meow", "keyboard"},
        {"all silent counts as mechanical", profile("e", "none", {{"1", "none"}, {"2", "none"}}), "none", "keyboard"},
        {"assignments are counted, not sounds",
         profile("f", "none",
                 {{"1", "synth.boing"},
                  {"2", "synth.boing"},
                  {"3", "synth.boing"},
                  {"4", "synth.meow"},
                  {"5", "rec.bark"}}),
         "synth.boing", "burst.fill"},
        {"ties go to the category listed first",
         profile("g", "none",
                 {{"1", "synth.meow"},
                  {"2", "rec.bark"},
                  {"3", "synth.coin"},
                  {"40", "synth.boing"},
                  {"41", "synth.boing"},
                  {"5", "synth.coin"}}),
         "synth.meow", "burst.fill"},
        {"unknown sounds count nothing", profile("h", "none", {{"1", "synth.gone"}}), "synth.gone", "keyboard"},
    };
    shellApp();
    Harness harness;
    AppModel &model = harness.make();
    for (const Case &c : cases) {
        EXPECT_EQ(PackCard::previewSoundID(c.profile), c.preview) << c.what;
        EXPECT_EQ(PackCard::symbol(c.profile, lookupOf(model)), c.symbol) << c.what;
    }
    EXPECT_EQ(PackCard::countText(cases[3].profile), QStringLiteral("0 custom keys"));
    EXPECT_EQ(PackCard::countText(profile("one", "none", {{"1", "none"}})), QStringLiteral("1 custom keys"));
}

TEST(OnboardingView, WaitsForKeyboardAccessAndMovesOnByItself) {
    shellApp();
    Harness harness;
    harness.monitorStarts = false;
    AppModel &model = harness.started();
    ASSERT_TRUE(model.showOnboarding());
    OnboardingView sheet(model);
    EXPECT_EQ(sheet.step(), OnboardingView::Step::permission);
    ASSERT_NE(sheet.showMeHowButton(), nullptr);
    EXPECT_EQ(sheet.showMeHowButton()->text(), QStringLiteral("Show me how"));
    EXPECT_TRUE(sheet.packCards().empty());

    QSignalSpy help(&model, &AppModel::keyboardAccessHelpRequested);
    sheet.showMeHowButton()->click();
    EXPECT_EQ(help.count(), 1);
    EXPECT_EQ(sheet.step(), OnboardingView::Step::permission);

    // Access arrives while the sheet is open: no click, the next step shows.
    harness.monitor->startSucceeds = true;
    harness.time.advance(AppModel::kPermissionRetry);
    flushDeletes();
    EXPECT_EQ(sheet.step(), OnboardingView::Step::pack);
    EXPECT_EQ(sheet.showMeHowButton(), nullptr);
    ASSERT_NE(sheet.startTypingButton(), nullptr);
    EXPECT_EQ(sheet.packCards().size(), model.data().profiles.size());
    EXPECT_TRUE(model.showOnboarding()); // moving on is not completing
}

// Each step keeps its 22-point gaps: the sheet is as tall as the step wants, so nothing gives way.
TEST(OnboardingView, EachStepHasTheHeightItWantsWithItsGapsWhole) {
    shellApp();
    for (const bool access : {false, true}) {
        SCOPED_TRACE(access);
        Harness harness;
        harness.monitorStarts = access;
        AppModel &model = harness.started();
        OnboardingView sheet(model);
        sheet.show();
        QCoreApplication::processEvents();
        QWidget *step = sheet.stepContent();
        ASSERT_NE(step, nullptr);
        EXPECT_GE(sheet.height(), OnboardingView::kHeight);
        EXPECT_EQ(sheet.height(), std::max(OnboardingView::kHeight, OnboardingView::heightFor(*step)));
        const QLayout *layout = step->layout();
        const int wanted =
            layout->hasHeightForWidth() ? layout->totalHeightForWidth(step->width()) : layout->sizeHint().height();
        EXPECT_GE(step->height(), wanted);
    }
}

TEST(OnboardingView, OpensOnThePacksWhereAccessIsThereAtOnceAndLaterEndsIt) {
    shellApp();
    {
        Harness harness;
        AppModel &model = harness.started(); // the monitor starts, as on an X11 session
        OnboardingView sheet(model);
        EXPECT_EQ(sheet.step(), OnboardingView::Step::pack);
        sheet.startTypingButton()->click();
        EXPECT_TRUE(model.data().settings.hasCompletedOnboarding);
        EXPECT_FALSE(model.showOnboarding());
    }
    Harness harness;
    harness.monitorStarts = false;
    AppModel &model = harness.started();
    OnboardingView sheet(model);
    sheet.laterButton()->click();
    EXPECT_TRUE(model.data().settings.hasCompletedOnboarding); // although access is still missing
    EXPECT_FALSE(model.showOnboarding());
    letSaveRun(harness);
    const auto saved = QJsonDocument::fromJson(QByteArray::fromStdString(harness.writes->documents.back()));
    EXPECT_TRUE(saved["settings"]["hasCompletedOnboarding"].toBool());
}

TEST(OnboardingView, TheTappedPackBecomesActiveAndPreviewsItsSound) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    const Profile arcade = profile("Arcade", "synth.cream", {{"100", "synth.boing"}, {"12", "synth.coin"}});
    const Profile quiet = profile("Quiet", "none", {});
    model.commitEdit([&](AppData &data) {
        data.profiles.push_back(arcade);
        data.profiles.push_back(quiet);
    });
    model.setSetting(&AppSettings::masterVolume, 0.0);
    OnboardingView sheet(model);
    const auto &cards = sheet.packCards();
    ASSERT_EQ(cards.size(), model.data().profiles.size());
    PackCard *arcadeCard = cards[cards.size() - 2];
    PackCard *quietCard = cards.back();
    EXPECT_EQ(arcadeCard->profileID(), arcade.id);
    EXPECT_FALSE(arcadeCard->isSelected());

    harness.audio.plays.clear();
    arcadeCard->click();
    EXPECT_EQ(model.data().activeProfileID, arcade.id);
    EXPECT_EQ(harness.router.config()->profile->id, arcade.id); // pushed
    ASSERT_EQ(harness.audio.plays.size(), 1u);
    EXPECT_EQ(harness.library.lookup.describe(harness.audio.plays[0].buffer), "synth.coin/down"); // lowest code
    EXPECT_FLOAT_EQ(harness.audio.plays[0].volume, 0.4f); // audible at a master volume of 0
    EXPECT_EQ(cards.size(), sheet.packCards().size());    // the cards stay; only the selection moved
    EXPECT_TRUE(arcadeCard->isSelected());

    // The silent pack becomes active and plays nothing.
    quietCard->click();
    EXPECT_EQ(model.data().activeProfileID, quiet.id);
    EXPECT_TRUE(quietCard->isSelected());
    EXPECT_FALSE(arcadeCard->isSelected());
    EXPECT_EQ(harness.audio.plays.size(), 1u);
    letSaveRun(harness);
    EXPECT_TRUE(
        QString::fromStdString(harness.writes->documents.back()).contains(QString::fromStdString(quiet.id.toString())));
}

} // namespace
} // namespace tc::test
