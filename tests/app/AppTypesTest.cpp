// The view-state types that travel with the model, and a fresh model's state.

#include "AppModelHarness.h"

#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(AppTypes, RawValuesRoundTripAndAnythingElseIsNone) {
    for (auto section : allAppSections) {
        EXPECT_EQ(appSectionFromString(toString(section)), section);
    }
    EXPECT_EQ(appSectionFromString("apps"), AppSection::apps);
    EXPECT_EQ(appSectionFromString("Apps"), std::nullopt);
    EXPECT_EQ(toString(AppSection::keyboard), "keyboard");
    for (auto tool : allEditTools) {
        EXPECT_EQ(editToolFromString(toString(tool)), tool);
    }
    EXPECT_EQ(editToolFromString("brush"), std::nullopt);
}

TEST(AppTypes, PickerTargetIdsAndEquality) {
    EXPECT_EQ(SoundPickerTarget::keys({49, 12}).id(), "keys-[12, 49]");
    EXPECT_EQ(SoundPickerTarget::keys({}).id(), "keys-[]");
    EXPECT_EQ(SoundPickerTarget::brush().id(), "brush");
    const auto id = *Uuid::parse("6f9619ff-8b86-d011-b42d-00c04fc964ff");
    EXPECT_EQ(SoundPickerTarget::trigger(id).id(), "trigger-6F9619FF-8B86-D011-B42D-00C04FC964FF");

    EXPECT_EQ(SoundPickerTarget::keys({12, 49}), SoundPickerTarget::keys({49, 12}));
    EXPECT_NE(SoundPickerTarget::keys({12}), SoundPickerTarget::keys({12, 49}));
    EXPECT_NE(SoundPickerTarget::trigger(id), SoundPickerTarget::brush());
}

TEST(AppModelState, AFreshModelStartsWithItsInitialValues) {
    Harness harness;
    auto &model = harness.make();
    EXPECT_EQ(model.section(), AppSection::keyboard);
    EXPECT_EQ(model.selectedKeys(), KeySet{49});
    EXPECT_EQ(model.tool(), EditTool::select);
    EXPECT_EQ(model.brushSoundID(), "synth.meow");
    EXPECT_FALSE(model.soundPicker());
    EXPECT_FALSE(model.pickerStartsOnRecord());
    EXPECT_FALSE(model.showOnboarding());
    EXPECT_TRUE(model.pressedKeys().empty());
    EXPECT_FALSE(model.lastPlayedKey());
    EXPECT_FALSE(model.permissionGranted());
    EXPECT_TRUE(model.switchLog().empty());
    EXPECT_FALSE(model.soundsReady());
    EXPECT_EQ(model.soundsVersion(), 0);
    EXPECT_EQ(model.currentAppBundleID(), "");
}

} // namespace
} // namespace tc::test
