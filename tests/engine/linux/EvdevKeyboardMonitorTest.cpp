// The evdev backend fed with struct input_event records through pipes and FIFOs that stand for devices.

#include "engine/linux/EvdevKeyboardMonitor.h"
#include "support/KeyEventRecorder.h"
#include "support/Rig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace tc;
using namespace tc::test;
using namespace std::chrono_literals;

namespace {

struct Record {
    unsigned short type;
    unsigned short code;
    int value;
};

constexpr Record report{EV_SYN, SYN_REPORT, 0};

Record key(unsigned short code, int value) {
    return {EV_KEY, code, value};
}

void writeRecords(int fd, std::initializer_list<Record> records) {
    for (const Record &r : records) {
        input_event event{};
        event.type = r.type;
        event.code = r.code;
        event.value = r.value;
        ASSERT_EQ(write(fd, &event, sizeof event), static_cast<ssize_t>(sizeof event));
    }
}

KeyEvent event(std::uint16_t code, bool isDown, std::uint64_t flags, std::string characters = {},
               bool isRepeat = false) {
    return KeyEvent{code, isDown, isRepeat, flags, std::move(characters)};
}

bool isFifo(int fd) {
    struct stat info {};
    return fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode);
}

// Opens a FIFO for writing once a reader has it open; -1 when none does in time.
int openWriterWhenRead(const std::string &path) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            return fd;
        }
        std::this_thread::sleep_for(5ms);
    }
    return -1;
}

class EvdevKeyboardMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(pipe2(fds_, O_CLOEXEC), 0);
        EvdevKeyboardMonitor::Options options;
        options.deviceFolder = folder_.path().string();
        options.layout = XkbKeyText::Names{"evdev", "pc105", "us", "", ""};
        options.isKeyboard = isFifo; // FIFOs in the test folder stand for keyboard devices
        monitor_ = std::make_unique<EvdevKeyboardMonitor>(options);
        monitor_->setHandler(recorder_.handler());
    }
    void TearDown() override {
        monitor_.reset();
        if (fds_[1] >= 0) {
            close(fds_[1]);
        }
    }
    // Starts with the pipe as the one keyboard.
    void startWithPipe() {
        monitor_->adoptDevice(fds_[0]);
        ASSERT_TRUE(monitor_->start());
    }
    int writer() const { return fds_[1]; }

    TempDir folder_;
    int fds_[2] = {-1, -1};
    KeyEventRecorder recorder_;
    std::unique_ptr<EvdevKeyboardMonitor> monitor_;
};

} // namespace

TEST_F(EvdevKeyboardMonitorTest, ReportsKeysWithFlagsAndText) {
    startWithPipe();
    writeRecords(writer(), {key(KEY_A, 1), report, key(KEY_A, 0), report});
    writeRecords(writer(), {key(KEY_LEFTSHIFT, 1), report, key(KEY_A, 1), report, key(KEY_A, 2), report, key(KEY_A, 0),
                            report, key(KEY_LEFTSHIFT, 0), report});
    writeRecords(writer(), {key(KEY_LEFTCTRL, 1), key(KEY_LEFTALT, 1), key(KEY_K, 1), key(KEY_K, 0), report});
    const std::vector<KeyEvent> expected = {
        event(0, true, 0, "a"),
        event(0, false, 0, "a"),
        event(56, true, 0x20002),
        event(0, true, 0x20002, "A"),
        event(0, true, 0x20002, "A", true),
        event(0, false, 0x20002, "A"),
        event(56, false, 0),
        event(59, true, 0x40001),
        event(58, true, 0xC0021),
        event(40, true, 0xC0021, "\v"),
        event(40, false, 0xC0021, "\v"),
    };
    EXPECT_EQ(recorder_.waitFor(expected.size()), expected);
}

TEST_F(EvdevKeyboardMonitorTest, CapsLockReportsEveryPressAsAKeyDown) {
    startWithPipe();
    writeRecords(writer(), {key(KEY_CAPSLOCK, 1), report, key(KEY_CAPSLOCK, 0), report, key(KEY_B, 1), report,
                            key(KEY_CAPSLOCK, 1), report, key(KEY_CAPSLOCK, 2), report, key(KEY_CAPSLOCK, 0), report,
                            key(KEY_B, 0), report});
    const std::vector<KeyEvent> expected = {
        event(57, true, 0x10000),
        event(11, true, 0x10000, "B"),
        event(57, true, 0),
        event(11, false, 0, "b"),
    };
    EXPECT_EQ(recorder_.waitFor(expected.size()), expected);
}

TEST_F(EvdevKeyboardMonitorTest, ReassemblesRecordsSplitAcrossReads) {
    startWithPipe();
    input_event records[2]{};
    records[0].type = EV_KEY;
    records[0].code = KEY_S;
    records[0].value = 1;
    records[1].type = EV_KEY;
    records[1].code = KEY_S;
    records[1].value = 0;
    const auto *bytes = reinterpret_cast<const char *>(records);
    const std::size_t cut = sizeof(input_event) / 2 + 3;
    ASSERT_EQ(write(writer(), bytes, cut), static_cast<ssize_t>(cut));
    // Let the monitor read the first part on its own before the rest arrives.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    int unread = 1;
    while (unread > 0 && std::chrono::steady_clock::now() < deadline) {
        ASSERT_EQ(ioctl(writer(), FIONREAD, &unread), 0);
        std::this_thread::yield();
    }
    ASSERT_EQ(write(writer(), bytes + cut, sizeof records - cut), static_cast<ssize_t>(sizeof records - cut));
    const std::vector<KeyEvent> expected = {event(1, true, 0, "s"), event(1, false, 0, "s")};
    EXPECT_EQ(recorder_.waitFor(2), expected);
}

TEST_F(EvdevKeyboardMonitorTest, SkipsToTheNextReportAfterTheKernelDroppedRecords) {
    startWithPipe();
    writeRecords(writer(), {{EV_SYN, SYN_DROPPED, 0}, key(KEY_X, 1), key(KEY_X, 0), report, key(KEY_C, 1), report});
    const std::vector<KeyEvent> expected = {event(8, true, 0, "c")};
    EXPECT_EQ(recorder_.waitFor(1), expected);
}

TEST_F(EvdevKeyboardMonitorTest, ReleasesTheKeysOfADeviceThatGoesAway) {
    startWithPipe();
    writeRecords(writer(), {key(KEY_RIGHTSHIFT, 1), report, key(KEY_D, 1), report});
    close(fds_[1]); // the pipe ends, as an unplugged keyboard does
    fds_[1] = -1;
    const auto events = recorder_.waitFor(4);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0], event(60, true, 0x20004));
    EXPECT_EQ(events[1], event(2, true, 0x20004, "D"));
    // The order of the releases follows the key codes: D (32) before right Shift (54).
    EXPECT_EQ(events[2], event(2, false, 0x20004, "D"));
    EXPECT_EQ(events[3], event(60, false, 0));
}

TEST_F(EvdevKeyboardMonitorTest, HearsKeyboardsPluggedInLaterAndForgetsRemovedOnes) {
    startWithPipe();
    const std::string path = (folder_.path() / "event7").string();
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    const int device = openWriterWhenRead(path);
    ASSERT_GE(device, 0) << "the monitor did not open the new device";
    writeRecords(device, {key(KEY_LEFTMETA, 1), report, key(KEY_Z, 1), key(KEY_Z, 0), report});
    std::vector<KeyEvent> expected = {event(55, true, 0x100008), event(6, true, 0x100008, "z"),
                                      event(6, false, 0x100008, "z")};
    EXPECT_EQ(recorder_.take(3), expected);

    ASSERT_EQ(unlink(path.c_str()), 0); // the device node goes away with Super still held
    expected = {event(55, false, 0)};
    EXPECT_EQ(recorder_.take(1), expected);
    close(device);
}

TEST_F(EvdevKeyboardMonitorTest, AReplacedHandlerGetsNothingMore) {
    startWithPipe();
    writeRecords(writer(), {key(KEY_1, 1), report});
    EXPECT_EQ(recorder_.waitFor(1).size(), 1u);
    KeyEventRecorder second;
    monitor_->setHandler(second.handler());
    writeRecords(writer(), {key(KEY_1, 0), report});
    const std::vector<KeyEvent> expected = {event(18, false, 0, "1")};
    EXPECT_EQ(second.waitFor(1), expected);
    EXPECT_EQ(recorder_.events().size(), 1u);
}

TEST_F(EvdevKeyboardMonitorTest, RunsOnItsOwnNamedThreadUntilStopped) {
    startWithPipe();
    EXPECT_TRUE(monitor_->isRunning());
    EXPECT_TRUE(monitor_->start()); // a second start changes nothing

    auto threadNames = [] {
        std::vector<std::string> names;
        DIR *tasks = opendir("/proc/self/task");
        while (dirent *entry = readdir(tasks)) {
            std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
            std::string name;
            if (std::getline(comm, name)) {
                names.push_back(name);
            }
        }
        closedir(tasks);
        return names;
    };
    // The thread names itself as it begins.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    auto names = threadNames();
    while (std::count(names.begin(), names.end(), "Tapchime.kbd") == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
        names = threadNames();
    }
    EXPECT_EQ(std::count(names.begin(), names.end(), "Tapchime.kbd"), 1);

    monitor_->stop();
    EXPECT_FALSE(monitor_->isRunning());
    names = threadNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "Tapchime.kbd"), 0);
}

TEST(EvdevKeyboardMonitor, DoesNotStartWithoutAKeyboard) {
    TempDir folder;
    EvdevKeyboardMonitor::Options options;
    options.deviceFolder = folder.path().string();
    EvdevKeyboardMonitor monitor(options);
    EXPECT_FALSE(monitor.start());
    EXPECT_FALSE(monitor.isRunning());

    // A FIFO named like a device is no keyboard to the kernel's capability query.
    ASSERT_EQ(mkfifo((folder.path() / "event0").c_str(), 0600), 0);
    EXPECT_FALSE(EvdevKeyboardMonitor::hasReadableKeyboard(folder.path().string()));
    EXPECT_FALSE(monitor.start());
    EXPECT_FALSE(EvdevKeyboardMonitor::hasReadableKeyboard((folder.path() / "missing").string()));
}
