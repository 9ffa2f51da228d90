// The picker on the real sound library (FFmpeg) and, on the rig's private sound server, the real recorder:
// files and takes go all the way to sounds of the user's own, or to the library's own messages.

#include "SoundPickerFixture.h"
#include "app/SoundCatalog.h"
#include "engine/SoundLibrary.h"
#include "engine/linux/PulseRecordingBackend.h"
#include "engine/linux/ffmpeg/AacFileWriter.h"
#include "engine/linux/ffmpeg/FfmpegDecoder.h"
#include "support/ChildProcess.h"
#include "support/FakeScheduler.h"
#include "support/MonitorCapture.h"
#include "support/Rig.h"
#include "support/Wait.h"
#include "ui/sounds/PickerImportPane.h"
#include "ui/sounds/PickerRecordPane.h"

#include <QTest>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>

using namespace tc;
using namespace tc::test;
using namespace std::chrono_literals;
using Kind = Recorder::State::Kind;

namespace {

// A 16-bit mono WAV file of a sine tone.
void writeTone(const std::filesystem::path &file, double seconds, double frequency, double amplitude) {
    const std::uint32_t rate = 48000;
    const auto frames = static_cast<std::uint32_t>(seconds * rate);
    std::ofstream out(file, std::ios::binary);
    const auto put32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char *>(&v), 4); };
    const auto put16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char *>(&v), 2); };
    out.write("RIFF", 4);
    put32(36 + frames * 2);
    out.write("WAVEfmt ", 8);
    put32(16);
    put16(1); // PCM
    put16(1); // mono
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    out.write("data", 4);
    put32(frames * 2);
    for (std::uint32_t i = 0; i < frames; ++i) {
        put16(static_cast<std::uint16_t>(
            static_cast<std::int16_t>(std::lround(amplitude * 32767 * std::sin(2 * M_PI * frequency * i / rate)))));
    }
}

std::size_t filesIn(const std::filesystem::path &folder) {
    std::error_code error;
    std::size_t count = 0;
    for (auto it = std::filesystem::directory_iterator(folder, error); !error && it != std::filesystem::end(it);
         it.increment(error)) {
        ++count;
    }
    return count;
}

// The picker's model on the program's own sound library, over a temporary sounds folder (no built-in
// recordings, so the start-up stays short).
struct RealLibrary {
    RealLibrary() {
        f.harness.catalog = &catalog;
        f.start();
    }

    TempDir dir;
    TempDir noRecordings;
    SoundLibrary library{std::make_shared<FfmpegDecoder>(), dir.path() / "Sounds", noRecordings.path()};
    SoundLibraryCatalog catalog{library};
    PickerFixture f;
};

// A sheet whose recorder takes from the rig's sound server; its meter and reports run in real time.
struct LiveSheet {
    explicit LiveSheet(RealLibrary &real) {
        real.f.sheet =
            std::make_unique<SoundPickerSheet>(SoundPickerTarget::keys({0}), *real.f.harness.model,
                                               std::make_unique<Recorder>(scheduler, backend), std::function<void()>{});
        sheet = real.f.sheet.get();
        sheet->show();
        sheet->state().setTab(SoundPickerTab::record);
    }

    // Records for about `seconds`, then stops the take with the record key and waits for its end.
    bool record(double seconds) {
        QTest::mouseClick(sheet->recordPane()->recordButton(), Qt::LeftButton);
        if (sheet->recorder().state().kind != Kind::recording) {
            return false;
        }
        take = sheet->recorder().state().file;
        if (!scheduler.runUntil([&] { return sheet->recorder().elapsed() >= seconds; }, 10s)) {
            return false;
        }
        QTest::mouseClick(sheet->recordPane()->recordButton(), Qt::LeftButton);
        return scheduler.runUntil([&] { return sheet->recorder().state().kind != Kind::recording; }, 15s);
    }

    FakeScheduler scheduler;
    PulseRecordingBackend backend{AacFileWriter::write};
    SoundPickerSheet *sheet = nullptr;
    std::filesystem::path take;
};

} // namespace

TEST(SoundPickerRealLibrary, AnAudioFileBecomesASoundAndATextFileNamedMp3IsRefusedWithTheLibrarysMessage) {
    RealLibrary real;
    AppModel &model = *real.f.harness.model;
    auto &sheet = real.f.open(SoundPickerTarget::keys({}));
    auto &pane = *sheet.importPane();
    const auto sounds = real.dir.path() / "Sounds";

    const auto notes = real.dir.path() / "notes.mp3";
    std::ofstream(notes) << "Remember the milk.\n";
    pane.importFile(notes);
    ASSERT_TRUE(real.f.harness.finishWork());
    EXPECT_EQ(sheet.state().errorText(), "This file isn't an audio format Tapchime can read.");
    EXPECT_EQ(sheet.footerMessage(), "This file isn't an audio format Tapchime can read.");
    EXPECT_TRUE(model.data().userSounds.empty());
    EXPECT_EQ(filesIn(sounds), 0u);

    const auto chime = real.dir.path() / "Chime.WAV";
    writeTone(chime, 0.5, 660, 0.5);
    pane.importFile(chime);
    ASSERT_TRUE(real.f.harness.finishWork());
    ASSERT_EQ(model.data().userSounds.size(), 1u);
    const SoundItem item = model.data().userSounds[0];
    EXPECT_EQ(item.name, "Chime");
    EXPECT_NEAR(item.duration, 0.5, 0.02);
    EXPECT_EQ(sheet.state().chosen(), item.id);
    EXPECT_EQ(sheet.state().errorText(), std::nullopt);
    EXPECT_EQ(sheet.footerDetail(), "My sounds · 0.50 s");
    EXPECT_TRUE(std::filesystem::exists(sounds / (item.id + ".wav")));
    ASSERT_EQ(real.f.harness.audio.plays.size(), 1u); // the new sound, played once
    EXPECT_NEAR(real.f.harness.audio.plays[0].buffer->seconds(), 0.5, 0.02);
}

TEST(SoundPickerMicrophone, ARecordingOfTheRigsToneBecomesARecordingOfTheUsersOwn) {
    RigPulse pulse;
    RealLibrary real;
    AppModel &model = *real.f.harness.model;
    // The microphone hears what is played on tc_out: a steady tone.
    pulse.pactl("set-default-source tc_out.monitor");
    const auto tone = real.dir.path() / "tone.wav";
    writeTone(tone, 20, 440, 0.5);
    ChildProcess player({"paplay", "-d", "tc_out", tone.string()});
    {
        MonitorCapture heard;
        ASSERT_TRUE(waitUntil([&] { return findSound(heard.recorded(), 0.1f).found; }, 20s));
    }

    LiveSheet live(real);
    ASSERT_TRUE(live.record(1.0))
        << PickerRecordPane::statusText(live.sheet->recorder().state(), std::nullopt).toStdString();
    player.stop();
    ASSERT_TRUE(real.f.harness.finishWork()); // the take is read on the model's worker

    ASSERT_EQ(live.sheet->recorder().state().kind, Kind::finished);
    EXPECT_EQ(live.sheet->recordPane()->status(), "Saved to My sounds");
    ASSERT_EQ(model.data().userSounds.size(), 1u);
    const SoundItem item = model.data().userSounds[0];
    EXPECT_EQ(item.name, "Recording 1");
    EXPECT_GT(item.duration, 0.8);
    EXPECT_EQ(live.sheet->state().chosen(), item.id);
    EXPECT_EQ(live.sheet->state().category(), SoundCategory::mine);
    EXPECT_TRUE(std::filesystem::exists(real.dir.path() / "Sounds" / (item.id + ".m4a")));
    EXPECT_FALSE(std::filesystem::exists(live.take));
}

TEST(SoundPickerMicrophone, ASilentTakeIsNotSavedAndLeavesNoFileBehind) {
    RigPulse pulse; // the default source is tc_mic, which hears nothing
    RealLibrary real;
    AppModel &model = *real.f.harness.model;
    LiveSheet live(real);
    ASSERT_TRUE(live.record(0.5));
    ASSERT_TRUE(real.f.harness.finishWork());

    ASSERT_EQ(live.sheet->recorder().state().kind, Kind::finished);
    EXPECT_EQ(live.sheet->recordPane()->status(), "This file is silent.");
    EXPECT_EQ(live.sheet->state().errorText(), "This file is silent.");
    EXPECT_TRUE(model.data().userSounds.empty());
    EXPECT_FALSE(std::filesystem::exists(live.take));
    EXPECT_EQ(filesIn(real.dir.path() / "Sounds"), 0u);
}
