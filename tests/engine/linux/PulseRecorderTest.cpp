// Microphone takes on each of the rig's sound servers: real AAC files of the right length, a meter that follows the
// signal, and the messages for a missing or vanishing server.

#include "engine/Recorder.h"
#include "engine/linux/PulseRecordingBackend.h"
#include "engine/linux/ffmpeg/AacFileWriter.h"
#include "engine/linux/ffmpeg/FfmpegDecoder.h"
#include "support/FakeScheduler.h"
#include "support/MonitorCapture.h"
#include "support/Rig.h"
#include "support/Wait.h"

#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <pulse/simple.h>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

using namespace tc;
using namespace tc::test;
using namespace std::chrono_literals;
using Kind = Recorder::State::Kind;

namespace {

// What the file holds, read back the way an importer would: demuxed and decoded.
struct FileFacts {
    std::string codec;
    int sampleRate = 0;
    int channels = 0;
    int64_t decodedFrames = 0;
    float peak = 0;
    double sumOfSquares = 0;
    double rms() const { return decodedFrames > 0 ? std::sqrt(sumOfSquares / static_cast<double>(decodedFrames)) : 0; }
};

FileFacts readBack(const std::filesystem::path &file) {
    FileFacts facts;
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, file.c_str(), nullptr, nullptr) < 0) {
        return facts;
    }
    avformat_find_stream_info(format, nullptr);
    const AVCodec *codec = nullptr;
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (index >= 0 && codec) {
        const auto *parameters = format->streams[index]->codecpar;
        facts.codec = avcodec_get_name(parameters->codec_id);
        facts.sampleRate = parameters->sample_rate;
        facts.channels = parameters->ch_layout.nb_channels;
        AVCodecContext *decoder = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(decoder, parameters);
        avcodec_open2(decoder, codec, nullptr);
        AVPacket *packet = av_packet_alloc();
        AVFrame *frame = av_frame_alloc();
        auto drain = [&] {
            while (avcodec_receive_frame(decoder, frame) >= 0) {
                facts.decodedFrames += frame->nb_samples;
                const auto *samples = reinterpret_cast<const float *>(frame->data[0]);
                for (int i = 0; i < frame->nb_samples; ++i) {
                    facts.peak = std::max(facts.peak, std::fabs(samples[i]));
                    facts.sumOfSquares += static_cast<double>(samples[i]) * samples[i];
                }
            }
        };
        while (av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == index) {
                avcodec_send_packet(decoder, packet);
                drain();
            }
            av_packet_unref(packet);
        }
        avcodec_send_packet(decoder, nullptr);
        drain();
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&decoder);
    }
    avformat_close_input(&format);
    return facts;
}

struct Session {
    FakeScheduler scheduler;
    PulseRecordingBackend backend{AacFileWriter::write};
    Recorder recorder{scheduler, backend};

    bool waitWhileRecording() {
        return scheduler.runUntil([&] { return recorder.state().kind != Kind::recording; }, 15s);
    }
};

// Removes a take's file when the test ends.
struct Cleanup {
    std::filesystem::path file;
    ~Cleanup() {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
};

// Takes on each of the rig's sound servers.
class PulseRecorder : public ::testing::TestWithParam<SoundServer> {};

} // namespace

TEST_P(PulseRecorder, ATakeLeftToRunStopsAtThreeSecondsAsAacMonoAt48kHz) {
    RigPulse pulse(GetParam());
    Session s;
    s.recorder.start();
    ASSERT_EQ(s.recorder.state().kind, Kind::recording) << s.recorder.state().message;
    ASSERT_TRUE(s.waitWhileRecording());
    ASSERT_EQ(s.recorder.state().kind, Kind::finished) << s.recorder.state().message;
    const auto file = s.recorder.state().file;
    Cleanup cleanup{file};

    EXPECT_EQ(file.parent_path(), std::filesystem::temp_directory_path());
    EXPECT_EQ(file.filename().string().rfind("Tapchime-", 0), 0u);
    EXPECT_EQ(file.extension(), ".m4a");
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".part"));

    const auto facts = readBack(file);
    EXPECT_EQ(facts.codec, "aac");
    EXPECT_EQ(facts.sampleRate, 48000);
    EXPECT_EQ(facts.channels, 1);
    // 3.0 s, give or take the encoder's frame of 1024 samples, also as the sound library reads it.
    EXPECT_NEAR(static_cast<double>(facts.decodedFrames), 3.0 * 48000, 1100.0);
    EXPECT_NEAR(FfmpegDecoder().read(file).seconds(), 3.0, 0.025);
    // tc_mic is a null source: silence, and a meter at zero.
    EXPECT_LT(facts.peak, 0.001f);
    EXPECT_FALSE(s.recorder.levels().empty());
    EXPECT_LE(s.recorder.levels().size(), Recorder::kMaxLevels);
    for (float level : s.recorder.levels()) {
        EXPECT_EQ(level, 0.0f);
    }
    EXPECT_GT(s.recorder.elapsed(), 2.5);
}

TEST_P(PulseRecorder, StoppedEarlyTheTakeHoldsWhatWasRecordedAndTheMeterFollowsTheSignal) {
    RigPulse pulse(GetParam());
    // Record what is played on tc_out: a steady tone at half of full scale (-9 dB, level 0.82, on PulseAudio).
    pulse.pactl("set-default-source tc_out.monitor");
    std::atomic<bool> playing = true;
    std::thread player([&] {
        pa_sample_spec sampleSpec{PA_SAMPLE_FLOAT32LE, 48000, 2};
        int error = 0;
        pa_simple *out =
            pa_simple_new(nullptr, "tone", PA_STREAM_PLAYBACK, "tc_out", "tone", &sampleSpec, nullptr, nullptr, &error);
        ASSERT_NE(out, nullptr);
        std::vector<float> block(4800 * 2);
        size_t at = 0;
        while (playing) {
            for (size_t i = 0; i < 4800; ++i, ++at) {
                block[2 * i] = block[2 * i + 1] = 0.5f * static_cast<float>(std::sin(2 * M_PI * 440.0 * at / 48000));
            }
            pa_simple_write(out, block.data(), block.size() * sizeof(float), &error);
        }
        pa_simple_free(out);
    });

    Session s;
    // The take starts once the tone is really heard: a fresh stream on an idle null sink takes a while to run.
    {
        MonitorCapture heard;
        ASSERT_TRUE(waitUntil([&] { return findSound(heard.recorded(), 0.1f).found; }, 20s));
    }
    s.recorder.start();
    ASSERT_EQ(s.recorder.state().kind, Kind::recording) << s.recorder.state().message;
    ASSERT_TRUE(s.scheduler.runUntil([&] { return s.recorder.elapsed() >= 1.0; }, 10s));
    const double stoppedAt = s.recorder.elapsed();
    s.recorder.stop();
    ASSERT_TRUE(s.waitWhileRecording());
    playing = false;
    player.join();
    ASSERT_EQ(s.recorder.state().kind, Kind::finished) << s.recorder.state().message;
    Cleanup cleanup{s.recorder.state().file};

    const auto facts = readBack(s.recorder.state().file);
    EXPECT_NEAR(static_cast<double>(facts.decodedFrames) / 48000, stoppedAt, 0.15);
    // The tone's RMS (lossy coding may overshoot the peak at the take's edges), as the server mixes the stereo
    // monitor down to the take's one channel: PulseAudio averages the two, PipeWire adds them at -3 dB each.
    const double amplitude = GetParam() == SoundServer::pipeWire ? 0.5 * std::sqrt(2.0) : 0.5;
    EXPECT_NEAR(facts.rms(), amplitude / std::sqrt(2.0), 0.03);
    ASSERT_GE(s.recorder.levels().size(), 5u);
    // The newest levels (the tone is steady by then).
    EXPECT_NEAR(s.recorder.levels().back(),
                Recorder::levelFor(static_cast<float>(20 * std::log10(amplitude / std::sqrt(2.0)))), 0.03f);
}

TEST_P(PulseRecorder, WithoutASoundServerTheMicrophoneIsNotAvailable) {
    RigPulse pulse(GetParam());
    pulse.stop();
    Session s;
    s.recorder.start();
    EXPECT_EQ(s.recorder.state(), Recorder::State::failed("The microphone isn't available right now."));
}

TEST_P(PulseRecorder, AServerThatVanishesMidTakeEndsItUnexpectedly) {
    RigPulse pulse(GetParam());
    Session s;
    s.recorder.start();
    ASSERT_EQ(s.recorder.state().kind, Kind::recording);
    ASSERT_TRUE(s.scheduler.runUntil([&] { return s.recorder.elapsed() > 0.2; }, 10s));
    pulse.stop();
    ASSERT_TRUE(s.waitWhileRecording());
    EXPECT_EQ(s.recorder.state(), Recorder::State::failed("Recording stopped unexpectedly."));
}

TEST(PulseRecordingBackend, AnUnwritableTemporaryFolderFailsWithItsReason) {
    TempDir dir;
    const auto folder = dir.path() / "missing";
    PulseRecordingBackend backend(AacFileWriter::write);
    try {
        backend.createTake(folder / "Tapchime-x.m4a");
        FAIL() << "a take in a missing folder was made";
    } catch (const RecordingError &error) {
        EXPECT_NE(std::string(error.what()).find(folder.string()), std::string::npos) << error.what();
    }
}

TEST_P(PulseRecorder, ResetDuringATakeAbandonsItWithoutAFile) {
    RigPulse pulse(GetParam());
    TempDir temporary;
    setenv("TMPDIR", temporary.path().c_str(), 1);
    Session s;
    s.recorder.start();
    ASSERT_EQ(s.recorder.state().kind, Kind::recording);
    ASSERT_TRUE(s.scheduler.runUntil([&] { return s.recorder.elapsed() > 0.2; }, 10s));
    s.recorder.reset();
    s.scheduler.runUntil([] { return false; }, 300ms);
    EXPECT_EQ(s.recorder.state().kind, Kind::idle);
    EXPECT_EQ(s.scheduler.activeTimers(), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(temporary.path()));
    unsetenv("TMPDIR");
}

INSTANTIATE_TEST_SUITE_P(SoundServers, PulseRecorder, kSoundServers, SoundServerName());
