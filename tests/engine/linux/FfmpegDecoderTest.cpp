#include "engine/linux/ffmpeg/FfmpegDecoder.h"
#include "engine/SoundLibrary.h"
#include "support/FakeAudioDecoder.h"
#include "support/Rig.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <fstream>

namespace tc {
namespace {

namespace fs = std::filesystem;
using Kind = AudioDecodeError::Kind;

// Makes an audio file with the ffmpeg command-line tool from a lavfi source.
void makeAudio(const fs::path &file, const std::string &source, const std::string &options = "") {
    test::runCommand("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i \"" + source + "\" " + options +
                     " '" + file.string() + "' 2>&1");
}

std::string sine(int frequency, int rate, double seconds) {
    return "sine=frequency=" + std::to_string(frequency) + ":sample_rate=" + std::to_string(rate) +
           ":duration=" + std::to_string(seconds);
}

std::string failure(const std::function<void()> &action) {
    try {
        action();
    } catch (const AudioDecodeError &error) {
        return error.what();
    }
    return "no error";
}

float peakOf(const AudioBuffer &buffer) {
    float peak = 0.0f;
    for (std::size_t i = 0; i < buffer.frames(); ++i) {
        peak = std::max({peak, std::fabs(buffer.channel(0)[i]), std::fabs(buffer.channel(1)[i])});
    }
    return peak;
}

// The RMS of a channel within [from, to) frames.
double rms(const std::vector<float> &channel, std::size_t from, std::size_t to) {
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i) {
        sum += static_cast<double>(channel[i]) * channel[i];
    }
    return std::sqrt(sum / static_cast<double>(to - from));
}

// Upward zero crossings of channel 0 within [from, to) frames.
int cycles(const AudioBuffer &buffer, std::size_t from, std::size_t to) {
    int count = 0;
    for (std::size_t i = from + 1; i < to; ++i) {
        count += buffer.left[i - 1] < 0.0f && buffer.left[i] >= 0.0f ? 1 : 0;
    }
    return count;
}

// The peak resident memory of this process (VmHWM), in kB; -1 when it cannot be read.
long peakResidentKB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// Runs `work` in a child process and gives how far it raised the child's peak resident memory, in kB, and
// what `work` returned. The child starts its peak afresh, so nothing the test did before counts.
std::pair<long, long> peakGrowthKB(const std::function<long()> &work) {
    int channel[2];
    if (pipe(channel) != 0) {
        return {-1, -1};
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::ofstream("/proc/self/clear_refs") << "5"; // resets the peak to the present resident size
        long result[2] = {-1, -1};
        const long before = peakResidentKB();
        try {
            result[1] = work();
        } catch (...) {
        }
        result[0] = before < 0 ? -1 : peakResidentKB() - before;
        const ssize_t written = write(channel[1], result, sizeof result);
        _exit(written == sizeof result ? 0 : 1);
    }
    close(channel[1]);
    long result[2] = {-1, -1};
    const ssize_t got = child > 0 ? read(channel[0], result, sizeof result) : 0;
    close(channel[0]);
    if (child > 0) {
        waitpid(child, nullptr, 0);
    }
    return got == sizeof result ? std::make_pair(result[0], result[1]) : std::make_pair(-1L, -1L);
}

std::uint32_t crc32(const std::uint8_t *bytes, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

// Rewrites the header of the PNG picture inside a file so that the picture claims to be width x height
// pixels, its checksum made to match. The rest of the picture stays as it was (16 x 16 pixels of data).
void claimPictureSize(const fs::path &file, std::uint32_t width, std::uint32_t height) {
    std::string bytes = test::readText(file);
    const std::size_t header = bytes.find("IHDR");
    ASSERT_NE(header, std::string::npos);
    ASSERT_LE(header + 21, bytes.size());
    auto *data = reinterpret_cast<std::uint8_t *>(bytes.data()) + header;
    for (int i = 0; i < 4; ++i) {
        data[4 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        data[8 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    const std::uint32_t crc = crc32(data, 17);
    for (int i = 0; i < 4; ++i) {
        data[17 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    }
    test::writeText(file, bytes);
}

class FfmpegDecoderTest : public ::testing::Test {
protected:
    fs::path file(const std::string &name) const { return dir_.path() / name; }
    AudioBuffer decode(const fs::path &path) const { return library_.decode(path); }

    test::TempDir dir_;
    std::shared_ptr<FfmpegDecoder> decoder_ = std::make_shared<FfmpegDecoder>();
    SoundLibrary library_{decoder_, dir_.path() / "Sounds", dir_.path() / "resources"};
};

TEST_F(FfmpegDecoderTest, DecodesCommonFormatsToTheSharedFormat) {
    struct Case {
        const char *name;
        const char *options;
        int rate;
    };
    const Case cases[] = {
        {"tone.wav", "-ac 2", 44100},
        {"tone.flac", "-ac 2", 44100},
        {"tone.mp3", "-ac 2 -c:a libmp3lame -b:a 128k", 44100},
        {"tone.m4a", "-ac 2 -c:a aac -b:a 128k", 44100},
        {"tone.aiff", "-ac 2", 22050},
        {"mono.wav", "-ac 1", 48000},
        {"high.flac", "-ac 2", 96000},
        {"six.wav", "-ac 6", 48000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        makeAudio(file(c.name), sine(440, c.rate, 1.0), c.options);
        const AudioBuffer buffer = decode(file(c.name));
        ASSERT_EQ(buffer.channel(1).size(), buffer.frames());
        // One second of tone (the encoders' padding is trimmed as silence), plus at most the kept margins.
        EXPECT_GT(buffer.seconds(), 0.97);
        EXPECT_LT(buffer.seconds(), 1.0 + (192 + 960 + 100) / 48000.0);
        // Peak 0.9, unless a lossy codec's loudest overshoot sits in the faded first millisecond.
        EXPECT_LE(peakOf(buffer), 0.9f + 1e-6f);
        EXPECT_NEAR(peakOf(buffer), 0.9f, 5e-3);
        // 440 Hz at 48 kHz, whatever the file's rate.
        EXPECT_NEAR(cycles(buffer, 12000, 36000), 220, 2);
    }
}

TEST_F(FfmpegDecoderTest, StoresAMonoFileOnceAndATrueStereoFileAsTwoChannels) {
    const std::string twoTones = "aevalsrc=exprs='0.5*sin(2*PI*440*t)|0.3*sin(2*PI*660*t)':s=44100:d=0.5";
    struct Case {
        const char *name;
        std::string source;
        const char *options;
        int decoded; // channels the decoder gives
        int stored;  // channels of the sound the library keeps
    };
    const Case cases[] = {
        {"mono.wav", sine(440, 48000, 0.5), "-ac 1", 1, 1},
        {"mono.m4a", sine(440, 44100, 0.5), "-ac 1 -c:a aac", 1, 1},
        {"twice.wav", sine(440, 44100, 0.5), "-ac 2", 2, 1},
        {"twice.flac", sine(440, 44100, 0.5), "-ac 2", 2, 1},
        {"stereo.wav", twoTones, "", 2, 2},
        {"stereo.m4a", twoTones, "-c:a aac", 2, 2},
        {"surround.wav", twoTones, "-af 'pan=5.1|FL=c0|FR=c1|BL=c0|BR=c1'", 2, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        makeAudio(file(c.name), c.source, c.options);
        const AudioBuffer raw = decoder_->read(file(c.name));
        EXPECT_EQ(raw.channels(), c.decoded);
        if (c.decoded == 1) {
            EXPECT_EQ(raw.right.capacity(), 0u);
        } else {
            EXPECT_EQ(raw.right.size(), raw.left.size());
        }

        const SoundItem item = library_.importFile(file(c.name), std::nullopt);
        const LoadedSoundPtr sound = library_.loaded(item.id);
        ASSERT_NE(sound, nullptr);
        const AudioBuffer &take = *sound->takes().at(SoundSynth::Role::down).front();
        EXPECT_EQ(take.channels(), c.stored);
        EXPECT_NEAR(peakOf(take), 0.9f, 5e-3);
        if (c.stored == 2) {
            // The quieter right channel keeps its own level: 0.3 against the left's 0.5.
            EXPECT_NEAR(rms(take.right, 4800, 19200) / rms(take.left, 4800, 19200), 0.6, 0.02);
        }
    }
}

TEST_F(FfmpegDecoderTest, ReadsAtMostTwelveSecondsAndKeepsAtMostTen) {
    makeAudio(file("long.m4a"), sine(300, 44100, 30.0), "-ac 2 -c:a aac");
    const AudioBuffer raw = decoder_->read(file("long.m4a"));
    EXPECT_GE(raw.frames(), 12u * 48000u - 64u);
    EXPECT_LE(raw.frames(), 12u * 48000u + 2048u);
    EXPECT_EQ(decode(file("long.m4a")).frames(), 480000u);

    makeAudio(file("long.wav"), sine(300, 48000, 30.0));
    const AudioBuffer exact = decoder_->read(file("long.wav"));
    EXPECT_EQ(exact.frames(), 12u * 48000u);
}

TEST_F(FfmpegDecoderTest, TrimsFromTheFirstLoudFrame) {
    struct Case {
        int lead;
        std::size_t from; // first frame kept
    };
    for (const Case c : {Case{100, 0}, Case{5000, 4808}}) {
        SCOPED_TRACE(c.lead);
        // A ±0.5 square wave from frame `lead` on, half a second in all, at the shared rate.
        const std::string expr = "if(gte(n," + std::to_string(c.lead) + "),0.5*(1-2*mod(n,2)),0)";
        makeAudio(file("step.wav"), "aevalsrc=exprs='" + expr + "':s=48000:d=0.5", "-c:a pcm_s16le");
        const AudioBuffer buffer = decode(file("step.wav"));
        EXPECT_EQ(buffer.frames(), 24000u - c.from); // loud to the end: nothing after it to keep
        const std::size_t firstLoud = static_cast<std::size_t>(c.lead) - c.from;
        EXPECT_EQ(buffer.left[firstLoud - 1], 0.0f);
        EXPECT_FLOAT_EQ(std::fabs(buffer.left[firstLoud]), 0.9f);
    }
}

TEST_F(FfmpegDecoderTest, SilentAndUnreadableFilesFailWithTheirMessages) {
    makeAudio(file("silence.wav"), "anullsrc=r=44100:cl=stereo", "-t 1");
    EXPECT_EQ(failure([&] { decode(file("silence.wav")); }), "This file is silent.");

    makeAudio(file("whisper.wav"), "aevalsrc=exprs='0.0005*sin(2*PI*440*t)':s=48000:d=0.5", "-c:a pcm_f32le");
    EXPECT_EQ(failure([&] { decode(file("whisper.wav")); }), "This file is silent.");

    const std::string unreadable = "This file isn't an audio format Tapchime can read.";
    std::ofstream(file("notes.wav")) << "Dear diary, today I pressed many keys.\n";
    EXPECT_EQ(failure([&] { decode(file("notes.wav")); }), unreadable);
    std::ofstream(file("empty.mp3")).flush();
    EXPECT_EQ(failure([&] { decode(file("empty.mp3")); }), AudioDecodeError::message(Kind::emptyFile));
    EXPECT_EQ(failure([&] { decode(file("missing.wav")); }), AudioDecodeError::message(Kind::missing));
    EXPECT_EQ(failure([&] { decode(dir_.path()); }), unreadable);
    // A picture has streams, but no audio.
    makeAudio(file("picture.png"), "color=c=red:s=16x16", "-frames:v 1");
    EXPECT_EQ(failure([&] { decode(file("picture.png")); }), unreadable);
}

// A long file whose sound comes after the part that is read is told apart from a silent file; a sound file the
// user may not read is told apart from one that is not audio.
TEST_F(FfmpegDecoderTest, LateSoundAndALockedFileSayWhatIsWrong) {
    const int late = AudioDecoder::kMaxReadSeconds + 1;
    makeAudio(file("late.wav"), "aevalsrc=exprs='if(gt(t," + std::to_string(late) +
                                    "),0.5*sin(2*PI*440*t),0)':s=44100:d=" + std::to_string(late + 1));
    EXPECT_EQ(failure([&] { decode(file("late.wav")); }), AudioDecodeError::message(Kind::silentStart));
    // Exactly the length of a read, silent: the same (the program cannot tell, and the sentence holds).
    makeAudio(file("twelve.wav"), "anullsrc=r=48000:cl=mono", "-t " + std::to_string(late - 1));
    EXPECT_EQ(failure([&] { decode(file("twelve.wav")); }), AudioDecodeError::message(Kind::silentStart));
    // A sound that starts before the bound is read.
    makeAudio(file("early.wav"),
              "aevalsrc=exprs='if(gt(t,10),0.5*sin(2*PI*440*t),0)':s=48000:d=" + std::to_string(late + 1));
    EXPECT_GT(decode(file("early.wav")).frames(), 0u);

    makeAudio(file("locked.wav"), sine(440, 48000, 0.2));
    EXPECT_EQ(test::decodeMessageWithoutPermission(file("locked.wav"), [&] { decode(file("locked.wav")); }),
              AudioDecodeError::message(Kind::notAllowed));
}

TEST_F(FfmpegDecoderTest, OpensOnlyTheFileItself) {
    // A name that looks like a protocol is still a file name.
    makeAudio(file("a:b.wav"), sine(440, 48000, 0.2));
    EXPECT_GT(decode(file("a:b.wav")).frames(), 0u);

    // A playlist could make the decoder read other files (or the network): playlists are not opened.
    // (FFmpeg itself would follow both of these.)
    const std::string unreadable = "This file isn't an audio format Tapchime can read.";
    makeAudio(file("inner.wav"), sine(440, 48000, 0.2));
    makeAudio(file("segment.aac"), sine(440, 48000, 0.2), "-c:a aac -f adts");
    std::ofstream(file("list.m3u8")) << "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:0.2,\nsegment.aac\n#EXT-X-ENDLIST\n";
    EXPECT_EQ(failure([&] { decode(file("list.m3u8")); }), unreadable);
    std::ofstream(file("list.ffconcat")) << "ffconcat version 1.0\nfile 'inner.wav'\n";
    EXPECT_EQ(failure([&] { decode(file("list.ffconcat")); }), unreadable);
}

TEST_F(FfmpegDecoderTest, RefusesHugeFilesBeforeReadingThem) {
    makeAudio(file("huge.wav"), sine(440, 48000, 0.2));
    fs::resize_file(file("huge.wav"), SoundLibrary::kMaxFileBytes + 1);
    EXPECT_EQ(failure([&] { decode(file("huge.wav")); }), AudioDecodeError::message(Kind::tooLarge));
}

TEST_F(FfmpegDecoderTest, DecodesOnlyAudioHoweverLargeTheOtherStreamsClaimToBe) {
    // Each file carries a 16 x 16 picture beside half a second of audio; then the picture is made to claim
    // 16000 x 16000 pixels, which would take 750 MB or more to decode.
    makeAudio(file("picture.png"), "color=c=red:s=16x16", "-frames:v 1");
    struct Case {
        const char *name;
        const char *options;
    };
    const Case cases[] = {
        {"video.mkv", "-c:a pcm_s16le"},                              // a video stream
        {"cover.flac", "-c:a flac -disposition:v attached_pic"},      // a cover picture
        {"cover.mp3", "-c:a libmp3lame -disposition:v attached_pic"}, // in the ID3 tag
        {"cover.m4a", "-c:a aac -disposition:v attached_pic"},        // in the metadata
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        makeAudio(file(c.name), sine(440, 44100, 0.5),
                  "-i '" + file("picture.png").string() + "' -map 0 -map 1 -c:v png " + c.options);
        claimPictureSize(file(c.name), 16000, 16000);
        ASSERT_LT(fs::file_size(file(c.name)), 64u * 1024u);
        const auto [growthKB, frames] = peakGrowthKB([&] { return static_cast<long>(decode(file(c.name)).frames()); });
        EXPECT_GT(frames, 23000) << "the audio still decodes";
        EXPECT_GE(growthKB, 0);
        EXPECT_LT(growthKB, 100 * 1024) << "peak memory grew by " << growthKB << " kB";
    }
}

TEST_F(FfmpegDecoderTest, RatesBelowEightKilohertzAreNotSounds) {
    // A file of a few bytes at 8 Hz would otherwise stretch to 12 s at 48 kHz.
    struct Case {
        int rate;
        bool sound;
    };
    for (const Case c : {Case{8, false}, Case{4000, false}, Case{7999, false}, Case{8000, true}}) {
        SCOPED_TRACE(c.rate);
        const std::string expr = "0.5*(1-2*mod(n,2))";
        makeAudio(file("low.wav"), "aevalsrc=exprs='" + expr + "':s=" + std::to_string(c.rate) + ":d=1",
                  "-c:a pcm_s16le");
        if (c.sound) {
            EXPECT_NEAR(decode(file("low.wav")).seconds(), 1.0, 0.05);
        } else {
            EXPECT_EQ(failure([&] { decode(file("low.wav")); }), AudioDecodeError::message(Kind::unreadable));
        }
    }
}

TEST_F(FfmpegDecoderTest, DecodesInParallel) {
    makeAudio(file("tone.m4a"), sine(440, 44100, 0.5), "-c:a aac");
    const AudioBuffer expected = decode(file("tone.m4a"));
    std::vector<std::thread> threads;
    std::atomic<int> same{0};
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            for (int k = 0; k < 5; ++k) {
                same += decode(file("tone.m4a")).left == expected.left ? 1 : 0;
            }
        });
    }
    for (auto &thread : threads) {
        thread.join();
    }
    EXPECT_EQ(same, 20);
}

} // namespace
} // namespace tc
