// A sound server that takes the connection and then never answers: every connect gives up at its deadline with
// a readable reason, nothing hangs, the watchers keep their null answer, saying so in the log once while
// they try again, and the audio engine plays on the null output and says its output cannot be reached.

#include "engine/AudioEngine.h"
#include "engine/Mixer.h"
#include "engine/linux/NullAudioOutput.h"
#include "engine/linux/PulseAudioDevices.h"
#include "engine/linux/PulseAudioOutput.h"
#include "engine/linux/PulseContext.h"
#include "engine/linux/PulseMicrophoneActivity.h"
#include "engine/linux/PulseOutputVolume.h"
#include "engine/linux/PulseRecordingBackend.h"
#include "engine/linux/ffmpeg/AacFileWriter.h"
#include "support/AudioSignals.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace tc;
using namespace tc::test;
using namespace std::chrono_literals;

namespace {

const std::string kNoAnswer = "the sound server did not answer in time";

// A unix socket that PULSE_SERVER points at while it lives. It listens; when `accepting` it also takes every
// connection and holds it open without reading or writing, and counts them.
class SilentServer {
public:
    explicit SilentServer(bool accepting) {
        const std::string path = (dir_.path() / "native").string();
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0 ||
            listen(listener_, 64) != 0 || stop_ < 0) {
            throw std::runtime_error("cannot listen on " + path);
        }
        env_.emplace("PULSE_SERVER", "unix:" + path);
        if (accepting) {
            thread_ = std::thread([this] { holdConnections(); });
        }
    }

    ~SilentServer() {
        if (thread_.joinable()) {
            const uint64_t one = 1;
            [[maybe_unused]] const ssize_t written = write(stop_, &one, sizeof(one));
            thread_.join();
        }
        for (int fd : held_) {
            close(fd);
        }
        close(listener_);
        close(stop_);
    }

    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;

    size_t accepted() const { return accepted_; }

private:
    void holdConnections() {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {stop_, POLLIN, 0}};
        for (;;) {
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return;
            }
            if (fds[1].revents != 0) {
                return;
            }
            if (const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC); fd >= 0) {
                held_.push_back(fd);
                ++accepted_;
            }
        }
    }

    TempDir dir_;
    int listener_ = -1;
    int stop_ = eventfd(0, EFD_CLOEXEC);
    std::optional<ScopedEnv> env_;
    std::vector<int> held_; // the thread's until it is joined
    std::atomic<size_t> accepted_ = 0;
    std::thread thread_;
};

// Log lines, from whichever thread logs.
class LogLines {
public:
    std::function<void(const std::string &)> sink() {
        return [this](const std::string &line) {
            std::lock_guard guard(mutex_);
            lines_.push_back(line);
        };
    }
    std::vector<std::string> lines() {
        std::lock_guard guard(mutex_);
        return lines_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

constexpr auto kDeadline = 100ms;

} // namespace

TEST(PulseSilentServer, EveryConnectGivesUpAtItsDeadlineWithAReadableReason) {
    for (const bool accepting : {false, true}) {
        SCOPED_TRACE(accepting ? "server accepts" : "server only listens");
        SilentServer server(accepting);
        {
            PulseLoop loop("Tapchime.test");
            PulseLoop::Lock lock(loop);
            PulseContext context(loop, "Tapchime test");
            std::string error;
            EXPECT_FALSE(context.connect(PulseContext::deadlineIn(kDeadline), error));
            EXPECT_EQ(error, kNoAnswer);
            EXPECT_FALSE(context.isReady());
        }
        {
            Mixer mixer;
            PulseAudioOutput output(kDeadline);
            std::string error;
            EXPECT_FALSE(output.start("", 128, mixer, error));
            EXPECT_EQ(error, kNoAnswer);
            EXPECT_FALSE(output.isRunning());
            EXPECT_FALSE(output.currentSink().has_value());
            EXPECT_FALSE(output.latencyMicroseconds().has_value());
        }
        {
            PulseAudioDevices devices(kDeadline);
            const int token = devices.addChangeHandler([] {});
            EXPECT_TRUE(devices.outputDevices().empty());
            EXPECT_TRUE(devices.allDeviceIDs().empty());
            EXPECT_FALSE(devices.defaultOutput().has_value());
            devices.removeChangeHandler(token);
        }
        {
            TempDir folder;
            PulseRecordingBackend backend(AacFileWriter::write, kDeadline);
            auto take = backend.createTake(folder.path() / "take.m4a");
            std::atomic<bool> finished = false;
            EXPECT_EQ(take->record(3.0, [&](bool) { finished = true; }), RecordingTake::StartResult::unavailable);
            EXPECT_FALSE(take->isRecording());
            take->stop();
            take.reset();
            EXPECT_FALSE(finished) << "a take that never started does not finish";
            EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
        }
    }
}

TEST(PulseSilentServer, WatchersKeepTheirNullAnswerAndLogOnceWhileTheyTryAgain) {
    struct Case {
        const char *name;
        // Makes the watcher; what it returns owns it and tells whether it gives its null answer and whether it
        // is connected.
        std::function<std::function<std::pair<bool, bool>()>(PulseWatchOptions)> make;
    };
    const Case cases[] = {
        {"Tapchime microphone watch",
         [](PulseWatchOptions options) {
             auto mic = std::make_shared<PulseMicrophoneActivity>(std::move(options));
             return [mic] { return std::make_pair(!mic->microphoneInUse(), mic->connected()); };
         }},
        {"Tapchime output watch",
         [](PulseWatchOptions options) {
             auto output = std::make_shared<PulseOutputVolume>(std::move(options));
             return [output] { return std::make_pair(!output->isSilent(), output->connected()); };
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SilentServer server(true);
        LogLines log;
        PulseWatchOptions options;
        options.connectTimeout = 50ms;
        options.reconnectDelay = 10ms;
        options.log = log.sink();
        const auto state = c.make(std::move(options));
        // Three connections taken: the first two tries gave up, and each was followed by another.
        ASSERT_TRUE(waitUntil([&] { return server.accepted() >= 3; }));
        EXPECT_EQ(state(), std::make_pair(true, false));
        const auto lines = log.lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], std::string(c.name) + ": cannot reach the sound server (" + kNoAnswer + "); trying again");
    }
}

TEST(PulseSilentServer, TheEngineGoesOnWithoutWaitingAndSaysItsOutputCannotBeReached) {
    // The engine's own thread waits for each connect until its deadline; key presses and settings do not.
    SilentServer server(true);
    PulseAudioOutput output(kDeadline);
    NullAudioOutput fallback;
    PulseAudioDevices devices(kDeadline);
    LogLines log;
    {
        AudioEngine engine(output, devices, AudioEngine::Options{&fallback, {}, log.sink(), 50ms});
        engine.setVoiceCount(4);
        engine.setOutputDevice("tc_elsewhere");
        engine.start();
        ASSERT_TRUE(waitUntil([&] { return server.accepted() >= 1; })) << "the engine connects";
        engine.play(toneBuffer(0.1, 440.0, 0.5f), 1.0f, 1.0f, 0.0f);
        engine.setLowLatency(false);

        ASSERT_TRUE(waitUntil([&] { return !engine.isOutputReachable(); }));
        EXPECT_TRUE(waitUntil([&] { return fallback.renderedFrames() > AudioBuffer::kSampleRate / 4; }));
        EXPECT_TRUE(engine.isRunning()) << "the null output renders while the engine tries again";
        ASSERT_TRUE(waitUntil([&] { return server.accepted() >= 3; })) << "tried again";
        EXPECT_FALSE(engine.isOutputReachable());
        EXPECT_EQ(engine.outputDeviceUID(), "tc_elsewhere") << "a server that lists nothing forgets no choice";
    }
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Tapchime: audio engine failed to start: " + kNoAnswer});
}
