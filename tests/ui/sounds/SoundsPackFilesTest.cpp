// The Sounds page on the real sound library and share-pack reader and writer (with a decoder that reads a
// tiny text format instead of audio): a pack shared from one document comes back into another, and packs
// that are broken or hostile leave the document and the sounds folder as they were.

#include "app/Motion.h"
#include "app/SoundCatalog.h"
#include "engine/SoundLibrary.h"
#include "support/FakeAudioDecoder.h"
#include "support/Rig.h"
#include "ui/ModelStates.h"
#include "ui/sounds/PacksRow.h"
#include "ui/sounds/ProfilePackCard.h"
#include "ui/sounds/SoundsScreenState.h"
#include "ui/sounds/SoundsView.h"

#include <QMenu>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tc::test {
namespace {

namespace fs = std::filesystem;

constexpr int kFrames = 4800;
constexpr std::size_t kSoundBytes = kFrames * sizeof(float); // the fake decodes to one channel

// One document on a real library in its own folder, with the Sounds page on it.
struct Desk {
    explicit Desk(const fs::path &folder, std::size_t userSoundBytes = SoundLibrary::kMaxUserSoundBytes)
        : library(std::make_shared<FakeAudioDecoder>(), folder / "Sounds", folder / "resources", userSoundBytes),
          catalog(library) {
        harness.catalog = &catalog;
        model = &harness.make();
        SoundFilePanels panels;
        panels.sharePack = [this](AppModel &m, QWidget *) {
            if (sharePath) {
                m.exportPack(*sharePath);
            }
        };
        view = std::make_unique<SoundsView>(*model, panels);
    }
    ~Desk() {
        view.reset();
        flushDeletes();
    }

    std::size_t soundFiles() const {
        std::error_code error;
        if (!fs::exists(library.soundsFolder(), error)) {
            return 0;
        }
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(library.soundsFolder()), {}));
    }
    std::optional<QString> errorText() const { return view->state().errorText(); }

    SoundLibrary library;
    SoundLibraryCatalog catalog;
    Harness harness;
    AppModel *model = nullptr;
    std::optional<fs::path> sharePath;
    std::unique_ptr<SoundsView> view;
};

QString qPath(const fs::path &path) {
    return QString::fromStdString(path.string());
}

class SoundsPackFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        shellApp();
        motion::setEnabled(false);
    }
    void TearDown() override { motion::setEnabled(true); }

    // Two sounds of the user's own on Q and W of the active profile, shared as a pack; its path.
    fs::path sharedPack(Desk &from) {
        writeText(dir_.path() / "in" / "clap.wav", FakeAudioDecoder::tone(kFrames, 0.5f));
        writeText(dir_.path() / "in" / "snap.wav", FakeAudioDecoder::tone(kFrames, 0.25f));
        from.view->importFiles({qPath(dir_.path() / "in" / "clap.wav"), qPath(dir_.path() / "in" / "snap.wav")});
        EXPECT_TRUE(from.harness.finishWork());
        EXPECT_EQ(from.errorText(), std::nullopt);
        from.model->assign(from.model->data().userSounds.at(0).id, {12});
        from.model->assign(from.model->data().userSounds.at(1).id, {13});

        from.sharePath = dir_.path() / "out" / "Shared.tapchime";
        fs::create_directories(from.sharePath->parent_path());
        ProfilePackCard *active = nullptr;
        for (ProfilePackCard *card : from.view->packsRow()->cards()) {
            if (card->isActive()) {
                active = card;
            }
        }
        EXPECT_NE(active, nullptr);
        auto menu = active->makeContextMenu();
        for (QAction *item : menu->actions()) {
            if (item->text() == QStringLiteral("Share as .tapchime\u2026")) {
                item->trigger();
            }
        }
        EXPECT_TRUE(fs::exists(*from.sharePath));
        return *from.sharePath;
    }

    TempDir dir_;
};

TEST_F(SoundsPackFilesTest, APackSharedFromOneDocumentComesBackIntoAnother) {
    Desk from(dir_.path() / "from");
    const fs::path pack = sharedPack(from);
    const Profile original = from.model->data().activeProfile();

    Desk to(dir_.path() / "to");
    const auto profiles = to.model->data().profiles.size();
    to.view->importFiles({qPath(pack)});
    ASSERT_TRUE(to.harness.finishWork());
    ASSERT_EQ(to.errorText(), std::nullopt);
    ASSERT_EQ(to.model->data().profiles.size(), profiles + 1);
    const Profile &imported = to.model->data().activeProfile();
    EXPECT_EQ(imported.name, original.name + " 2"); // the other document has a pack of that name already
    EXPECT_NE(imported.id, original.id);
    EXPECT_EQ(imported.keys.size(), original.keys.size());
    ASSERT_EQ(to.model->data().userSounds.size(), 2u);
    for (const SoundItem &sound : to.model->data().userSounds) {
        EXPECT_TRUE(fs::exists(to.library.soundsFolder() / *sound.fileName)) << sound.name;
        EXPECT_NE(to.library.loaded(sound.id), nullptr) << sound.name;
    }
    EXPECT_EQ(to.model->sound(imported.keys.at("12").soundID)->name, "clap");
    EXPECT_EQ(to.model->sound(imported.keys.at("13").soundID)->name, "snap");
    EXPECT_EQ(to.view->packsRow()->cards().size(), profiles + 1);
}

TEST_F(SoundsPackFilesTest, BrokenAndHostilePacksLeaveTheDocumentAndTheSoundsFolderAlone) {
    Desk from(dir_.path() / "from");
    const nlohmann::json good = nlohmann::json::parse(readText(sharedPack(from)));

    // Room for one of the pack's two sounds only.
    Desk to(dir_.path() / "to", kSoundBytes + kSoundBytes / 2);
    const auto document = to.model->data();
    const auto files = to.soundFiles();

    struct Case {
        const char *what;
        std::string text;
    };
    nlohmann::json badData = good;
    badData["sounds"][1]["data"] = "%%% not base64 %%%";
    nlohmann::json noVersion = good;
    noVersion.erase("version");
    nlohmann::json keysAsText = good;
    keysAsText["profile"]["keys"] = "everything";
    nlohmann::json hugeName = good;
    hugeName["profile"]["name"] = std::string(2 * 1024 * 1024, 'x');
    const Case cases[] = {
        {"not JSON", "this is no pack"},
        {"an empty file", ""},
        {"JSON of another shape", "{\"hello\": [1, 2, 3]}"},
        {"audio data that is not base64", badData.dump()},
        {"no version", noVersion.dump()},
        {"keys of the wrong type", keysAsText.dump()},
        {"a name past the document's bound", hugeName.dump()},
        {"more audio than the library has room for", good.dump()},
    };
    for (const Case &c : cases) {
        const fs::path path = dir_.path() / "in" / "hostile.tapchime";
        writeText(path, c.text);
        to.view->importFiles({qPath(path)});
        ASSERT_TRUE(to.harness.finishWork());
        EXPECT_EQ(to.errorText(), QStringLiteral("This .tapchime file couldn't be read.")) << c.what;
        EXPECT_EQ(to.model->data(), document) << c.what;
        EXPECT_EQ(to.soundFiles(), files) << c.what << ": a failed import leaves no sound file behind";
        EXPECT_EQ(to.library.userSoundBytes(), 0u) << c.what;
        to.view->state().setErrorText(std::nullopt);
    }
}

TEST_F(SoundsPackFilesTest, APackRenamedToJsonIsOfferedToTheSoundImportAndFailsThere) {
    Desk from(dir_.path() / "from");
    const fs::path pack = sharedPack(from);
    const fs::path renamed = dir_.path() / "in" / "pack.json";
    fs::create_directories(renamed.parent_path());
    fs::copy_file(pack, renamed);

    Desk to(dir_.path() / "to");
    const auto document = to.model->data();
    to.view->importFiles({qPath(renamed)});
    ASSERT_TRUE(to.harness.finishWork());
    EXPECT_EQ(to.errorText(), QStringLiteral("This file isn't an audio format Tapchime can read."));
    EXPECT_EQ(to.model->data(), document);
    EXPECT_EQ(to.soundFiles(), 0u);

    // The same bytes under a capitalised pack extension are a pack.
    const fs::path capitals = dir_.path() / "in" / "pack.TapChime";
    fs::copy_file(pack, capitals);
    to.view->importFiles({qPath(capitals)});
    ASSERT_TRUE(to.harness.finishWork());
    to.view->state().setErrorText(std::nullopt);
    EXPECT_EQ(to.model->data().profiles.size(), document.profiles.size() + 1);
    EXPECT_EQ(to.soundFiles(), 2u);
}

} // namespace
} // namespace tc::test
