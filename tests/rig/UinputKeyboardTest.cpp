// The evdev monitor reads real kernel keyboards: keyboards made with uinput, their keys written by the test,
// each key down played on the rig's sound server and heard on the null sink's monitor. A second keyboard made
// while the monitor runs is heard too. Skips where the kernel offers no writable /dev/uinput.

#include "engine/AudioEngine.h"
#include "engine/linux/EvdevKeyboardMonitor.h"
#include "engine/linux/NullAudioDevices.h"
#include "engine/linux/NullAudioOutput.h"
#include "engine/linux/PulseAudioOutput.h"
#include "model/KeyCodes.h"
#include "support/AudioSignals.h"
#include "support/MonitorCapture.h"
#include "support/Rig.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

#include <linux/uinput.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace tc;
using namespace tc::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr const char *kUinput = "/dev/uinput";
// The document's key codes of the letters the test types.
constexpr uint16_t kVirtualA = 0;
constexpr uint16_t kVirtualS = 1;
constexpr uint16_t kVirtualD = 2;
constexpr uint16_t kVirtualZ = 6; // taps that only look for a keyboard being heard: they play nothing

// Why keyboards cannot be made here, or nothing when they can.
std::optional<std::string> uinputUnavailable() {
    const int fd = open(kUinput, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::string(kUinput) + " cannot be opened for writing (" + std::strerror(errno) +
               "): the kernel has no uinput module loaded, or this user may not write to it";
    }
    close(fd);
    return std::nullopt;
}

// A keyboard made through uinput, with every letter key and Space. Destroyed with the object.
class UinputKeyboard {
public:
    explicit UinputKeyboard(const std::string &name) {
        fd_ = open(kUinput, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            throw std::runtime_error("cannot open /dev/uinput");
        }
        ioctl(fd_, UI_SET_EVBIT, EV_KEY);
        ioctl(fd_, UI_SET_EVBIT, EV_SYN);
        for (int code = KEY_ESC; code <= KEY_SPACE; ++code) {
            ioctl(fd_, UI_SET_KEYBIT, code);
        }
        uinput_setup setup{};
        setup.id.bustype = BUS_VIRTUAL;
        setup.id.vendor = 0x1234;
        setup.id.product = 0x5678;
        std::strncpy(setup.name, name.c_str(), UINPUT_MAX_NAME_SIZE - 1);
        if (ioctl(fd_, UI_DEV_SETUP, &setup) < 0 || ioctl(fd_, UI_DEV_CREATE) < 0) {
            close(fd_);
            throw std::runtime_error("cannot create a uinput keyboard");
        }
    }
    ~UinputKeyboard() {
        ioctl(fd_, UI_DEV_DESTROY);
        close(fd_);
    }
    UinputKeyboard(const UinputKeyboard &) = delete;
    UinputKeyboard &operator=(const UinputKeyboard &) = delete;

    // The event device's file name ("event7") and its device number, from sysfs.
    std::pair<std::string, dev_t> eventDevice() const {
        char sysname[64] = {};
        if (ioctl(fd_, UI_GET_SYSNAME(sizeof sysname), sysname) < 0) {
            throw std::runtime_error("uinput did not name its device");
        }
        const fs::path device = fs::path("/sys/devices/virtual/input") / sysname;
        std::pair<std::string, dev_t> found;
        waitUntil([&] {
            std::error_code error;
            for (const auto &entry : fs::directory_iterator(device, error)) {
                const std::string name = entry.path().filename().string();
                unsigned major = 0, minor = 0;
                char colon = 0;
                if (name.rfind("event", 0) == 0 && std::ifstream(entry.path() / "dev") >> major >> colon >> minor) {
                    found = {name, makedev(major, minor)};
                    return true;
                }
            }
            return false;
        });
        if (found.first.empty()) {
            throw std::runtime_error(std::string("no event device under ") + device.string());
        }
        return found;
    }

    // Presses and releases a key, each followed by a report, as a real keyboard sends them.
    void tap(int code) {
        emit(EV_KEY, code, 1);
        emit(EV_SYN, SYN_REPORT, 0);
        emit(EV_KEY, code, 0);
        emit(EV_SYN, SYN_REPORT, 0);
    }

private:
    void emit(int type, int code, int value) {
        input_event event{};
        event.type = static_cast<__u16>(type);
        event.code = static_cast<__u16>(code);
        event.value = value;
        if (write(fd_, &event, sizeof event) != static_cast<ssize_t>(sizeof event)) {
            throw std::runtime_error("cannot write to the uinput keyboard");
        }
    }
    int fd_ = -1;
};

// Puts the keyboard's event device into `folder` as a hot-plug does: the node udev made in /dev/input when
// there is one (linked), else a node of its own (needs the right to make device nodes).
void plugInto(const fs::path &folder, const UinputKeyboard &keyboard) {
    const auto [name, number] = keyboard.eventDevice();
    const fs::path system = fs::path("/dev/input") / name;
    if (waitUntil([&] { return fs::exists(system); }, 2s)) {
        fs::create_symlink(system, folder / name);
    } else if (mknod((folder / name).c_str(), S_IFCHR | 0600, number) != 0) {
        throw std::runtime_error("no node for " + name + " and none can be made: " + std::strerror(errno));
    }
}

// Key events and the sound each key down plays, as the router would: the monitor's handler plays a short
// tone per key down.
struct Listener {
    std::mutex lock;
    std::vector<uint16_t> downs;
    AudioBufferPtr tone = toneBuffer(0.08, 660.0, 0.5f);

    std::vector<uint16_t> keys() {
        std::lock_guard guard(lock);
        return downs;
    }
};

} // namespace

TEST(UinputKeyboard, KeysOfRealKernelKeyboardsAreHeardAlsoFromOnePluggedInLater) {
    if (auto reason = uinputUnavailable()) {
        GTEST_SKIP() << *reason;
    }
    RigPulse pulse;
    PulseAudioOutput output;
    NullAudioOutput fallback;
    NullAudioDevices devices;
    AudioEngine::Options engineOptions;
    engineOptions.fallback = &fallback;
    AudioEngine engine(output, devices, engineOptions);
    engine.setVoiceCount(8);
    engine.start();
    engine.waitUntilSettled();
    ASSERT_TRUE(output.isRunning());

    // The monitor reads a folder holding only the test's keyboards, so a real keyboard of the machine
    // cannot add keys of its own.
    TempDir folder;
    UinputKeyboard first("Tapchime test keyboard 1");
    plugInto(folder.path(), first);

    Listener listener;
    EvdevKeyboardMonitor::Options options;
    options.deviceFolder = folder.path().string();
    EvdevKeyboardMonitor monitor(options);
    monitor.setHandler([&](const KeyEvent &event) {
        if (event.isDown) {
            {
                std::lock_guard guard(listener.lock);
                listener.downs.push_back(event.code);
            }
            if (event.code != kVirtualZ) {
                engine.play(listener.tone, 1.0f, 1.0f, 0.0f);
            }
        }
    });
    ASSERT_TRUE(monitor.start()) << "the uinput keyboard was not taken for a keyboard";

    struct Step {
        UinputKeyboard *keyboard;
        int code;
        uint16_t expected;
    };
    std::unique_ptr<UinputKeyboard> second;
    auto heardAfter = [&](const Step &step) {
        MonitorCapture capture("tc_out.monitor");
        const size_t before = listener.keys().size();
        step.keyboard->tap(step.code);
        // Taps of the hot-plug search may still arrive; they play nothing.
        EXPECT_TRUE(waitUntil([&] {
            const auto keys = listener.keys();
            return std::find(keys.begin() + static_cast<std::ptrdiff_t>(std::min(before, keys.size())), keys.end(),
                             step.expected) != keys.end();
        })) << "key "
            << step.code << " never reached the monitor as " << step.expected;
        // Until the sound has come and gone, so the next step's recording starts in silence.
        const bool found = waitUntil([&] {
            const std::vector<float> heard = capture.recorded();
            const SoundSpan span = findSound(heard, 0.05f);
            return span.found && heard.size() / 2 > span.lastFrame + MonitorCapture::kRate / 4;
        });
        EXPECT_TRUE(found) << "key " << step.code << " was not heard on the sink";
    };

    heardAfter({&first, KEY_A, kVirtualA});
    heardAfter({&first, KEY_SPACE, KeyCodes::kSpace});

    // Hot-plug: a second keyboard arrives while the monitor runs.
    second = std::make_unique<UinputKeyboard>("Tapchime test keyboard 2");
    plugInto(folder.path(), *second);
    // Its node is opened once the folder's change is noticed; keys written before that are lost, as on a
    // real keyboard whose device is not open yet. Tap a silent key until the monitor hears it.
    ASSERT_TRUE(waitUntil(
        [&] {
            const size_t before = listener.keys().size();
            second->tap(KEY_Z);
            return waitUntil([&] { return listener.keys().size() > before; }, 200ms);
        },
        15s))
        << "the keyboard plugged in later was never heard";
    heardAfter({second.get(), KEY_S, kVirtualS});
    heardAfter({&first, KEY_D, kVirtualD});
    monitor.stop();
}
