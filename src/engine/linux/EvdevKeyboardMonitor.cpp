#include "engine/linux/EvdevKeyboardMonitor.h"

#include "engine/linux/RealtimeScheduling.h"
#include "engine/linux/ThreadName.h"

#include <linux/input.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tc {

namespace {

constexpr std::size_t kRecordsPerRead = 64;

bool isEventDeviceName(const std::string &name) {
    return name.rfind("event", 0) == 0;
}

template <std::size_t Bits> bool testBit(const std::array<unsigned char, (Bits + 7) / 8> &bytes, unsigned bit) {
    return bit < Bits && (bytes[bit / 8] >> (bit % 8)) & 1;
}

void closeFd(int &fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

} // namespace

struct EvdevKeyboardMonitor::Device {
    int fd = -1;
    std::string name; // file name in the device folder; empty for an adopted descriptor
    // Bytes of records not yet complete (a pipe may hand over part of a record).
    std::array<unsigned char, sizeof(input_event) * kRecordsPerRead> buffer{};
    std::size_t buffered = 0;
    std::bitset<KEY_CNT> down; // keys this device holds down
    bool dropping = false;     // the kernel dropped records: skip to the next report, then resynchronise

    ~Device() { closeFd(fd); }
};

EvdevKeyboardMonitor::EvdevKeyboardMonitor() : EvdevKeyboardMonitor(Options{}) {}

EvdevKeyboardMonitor::EvdevKeyboardMonitor(Options options) : options_(std::move(options)) {
    if (!options_.isKeyboard) {
        options_.isKeyboard = isKeyboardDevice;
    }
}

EvdevKeyboardMonitor::~EvdevKeyboardMonitor() {
    stop();
    std::lock_guard lock(adoptMutex_);
    for (int fd : adopted_) {
        close(fd);
    }
}

void EvdevKeyboardMonitor::setHandler(Handler handler) {
    slot_.set(std::move(handler));
}

bool EvdevKeyboardMonitor::isKeyboardDevice(int fd) {
    std::array<unsigned char, (KEY_CNT + 7) / 8> keys{};
    if (ioctl(fd, EVIOCGBIT(EV_KEY, keys.size()), keys.data()) < 0) {
        return false;
    }
    constexpr unsigned kLetters[] = {KEY_A, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I,
                                     KEY_J, KEY_K, KEY_L, KEY_M, KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R,
                                     KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X, KEY_Y, KEY_Z};
    return std::all_of(std::begin(kLetters), std::end(kLetters),
                       [&](unsigned code) { return testBit<KEY_CNT>(keys, code); });
}

bool EvdevKeyboardMonitor::hasReadableKeyboard(const std::string &deviceFolder) {
    DIR *folder = opendir(deviceFolder.c_str());
    if (!folder) {
        return false;
    }
    bool found = false;
    while (dirent *entry = readdir(folder)) {
        if (!isEventDeviceName(entry->d_name)) {
            continue;
        }
        const int fd = open((deviceFolder + "/" + entry->d_name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            found = isKeyboardDevice(fd);
            close(fd);
        }
        if (found) {
            break;
        }
    }
    closedir(folder);
    return found;
}

bool EvdevKeyboardMonitor::start() {
    if (running_) {
        return true;
    }
    if (thread_.wakeFd() < 0) {
        return false;
    }
    // Without inotify the monitor still hears the keyboards present now, only not ones plugged in later.
    inotifyFd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotifyFd_ >= 0 && inotify_add_watch(inotifyFd_, options_.deviceFolder.c_str(),
                                             IN_CREATE | IN_ATTRIB | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM) < 0) {
        closeFd(inotifyFd_);
    }
    scanFolder();
    takeAdopted();
    if (devices_.empty()) {
        closeFd(inotifyFd_);
        return false;
    }

    std::unique_ptr<XkbKeyText> text =
        XkbKeyText::fromNames(options_.layout ? *options_.layout : XkbKeyText::systemDefaultNames());
    if (!text) {
        text = XkbKeyText::fromNames({}); // an unknown configured layout: fall back to the library's default
    }
    stream_.setText(std::move(text));

    thread_.start(kKeyboardThreadName, [this] { run(); });
    running_ = true;
    return true;
}

void EvdevKeyboardMonitor::stop() {
    thread_.stop();
    devices_.clear();
    closeFd(inotifyFd_);
    running_ = false;
}

void EvdevKeyboardMonitor::adoptDevice(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    std::lock_guard lock(adoptMutex_);
    adopted_.push_back(fd);
    thread_.wake();
}

void EvdevKeyboardMonitor::takeAdopted() {
    std::vector<int> fds;
    {
        std::lock_guard lock(adoptMutex_);
        fds.swap(adopted_);
    }
    for (int fd : fds) {
        addDevice(fd, {});
    }
}

void EvdevKeyboardMonitor::scanFolder() {
    DIR *folder = opendir(options_.deviceFolder.c_str());
    if (!folder) {
        return;
    }
    while (dirent *entry = readdir(folder)) {
        if (isEventDeviceName(entry->d_name)) {
            openDevice(entry->d_name);
        }
    }
    closedir(folder);
}

void EvdevKeyboardMonitor::openDevice(const std::string &name) {
    const bool alreadyOpen =
        std::any_of(devices_.begin(), devices_.end(), [&](const auto &device) { return device->name == name; });
    if (alreadyOpen) {
        return;
    }
    // Read-only and never EVIOCGRAB: other programs keep receiving every key.
    const int fd = open((options_.deviceFolder + "/" + name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return; // not readable (yet: udev may still be setting its permissions, which inotify reports)
    }
    if (!options_.isKeyboard(fd)) {
        close(fd);
        return;
    }
    addDevice(fd, name);
}

void EvdevKeyboardMonitor::addDevice(int fd, std::string name) {
    auto device = std::make_unique<Device>();
    device->fd = fd;
    device->name = std::move(name);
    devices_.push_back(std::move(device));
    devicesChanged_ = true;
}

void EvdevKeyboardMonitor::removeDevice(std::size_t index) {
    Device &device = *devices_[index];
    // Keys held on a keyboard that goes away are released, so no modifier stays stuck.
    for (std::size_t code = 0; code < device.down.size(); ++code) {
        if (device.down[code]) {
            stream_.key(static_cast<std::uint16_t>(code), 0);
        }
    }
    devices_.erase(devices_.begin() + static_cast<std::ptrdiff_t>(index));
    devicesChanged_ = true;
}

void EvdevKeyboardMonitor::run() {
    // Every key press starts here: on a busy machine the thread must not wait for a turn on a core.
    RealtimeScheduling::raiseCurrentThread(RealtimeScheduling::kKeyboardPriority);
    std::vector<pollfd> fds;
    while (!thread_.stopRequested()) {
        if (devicesChanged_) {
            fds.assign({{thread_.wakeFd(), POLLIN, 0}, {inotifyFd_, POLLIN, 0}});
            for (const auto &device : devices_) {
                fds.push_back({device->fd, POLLIN, 0});
            }
            devicesChanged_ = false;
        }
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents & POLLIN) {
            if (thread_.takeWake()) {
                return;
            }
            takeAdopted();
        }
        // Devices first, while the indices still match the poll list; the folder's news may change the list.
        for (std::size_t i = fds.size(); i-- > 2;) {
            if (fds[i].revents == 0 || i - 2 >= devices_.size()) {
                continue;
            }
            if (!readDevice(*devices_[i - 2])) {
                removeDevice(i - 2);
            }
        }
        if (fds[1].revents & POLLIN) {
            readInotify();
        }
    }
}

bool EvdevKeyboardMonitor::readDevice(Device &device) {
    for (;;) {
        const ssize_t got =
            read(device.fd, device.buffer.data() + device.buffered, device.buffer.size() - device.buffered);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno == EAGAIN || errno == EWOULDBLOCK; // ENODEV: unplugged
        }
        if (got == 0) {
            return false; // end of file: only a pipe ends, and then it is gone for good
        }
        device.buffered += static_cast<std::size_t>(got);
        const std::size_t whole = device.buffered / sizeof(input_event);
        for (std::size_t r = 0; r < whole; ++r) {
            input_event record;
            std::memcpy(&record, device.buffer.data() + r * sizeof record, sizeof record);
            if (device.dropping) {
                if (record.type == EV_SYN && record.code == SYN_REPORT) {
                    device.dropping = false;
                    resynchronise(device);
                }
            } else if (record.type == EV_SYN && record.code == SYN_DROPPED) {
                device.dropping = true;
            } else if (record.type == EV_KEY && record.code < KEY_CNT) {
                device.down[record.code] = record.value != 0;
                stream_.key(record.code, record.value);
            }
        }
        const std::size_t used = whole * sizeof(input_event);
        std::memmove(device.buffer.data(), device.buffer.data() + used, device.buffered - used);
        device.buffered -= used;
    }
}

void EvdevKeyboardMonitor::resynchronise(Device &device) {
    // Records were lost: ask the kernel which keys are down now and report the differences, releases
    // first, so that modifier flags match the keyboard again.
    std::array<unsigned char, (KEY_CNT + 7) / 8> keys{};
    if (ioctl(device.fd, EVIOCGKEY(keys.size()), keys.data()) < 0) {
        return;
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (unsigned code = 0; code < KEY_CNT; ++code) {
            const bool isDown = testBit<KEY_CNT>(keys, code);
            if (isDown != device.down[code] && isDown == (pass == 1)) {
                device.down[code] = isDown;
                stream_.key(static_cast<std::uint16_t>(code), isDown ? 1 : 0);
            }
        }
    }
}

void EvdevKeyboardMonitor::readInotify() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = read(inotifyFd_, buffer, sizeof buffer);
        if (got <= 0) {
            return;
        }
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                scanFolder();
                continue;
            }
            const std::string name = event->len > 0 ? event->name : "";
            if (!isEventDeviceName(name)) {
                continue;
            }
            if (event->mask & (IN_DELETE | IN_MOVED_FROM)) {
                for (std::size_t i = 0; i < devices_.size(); ++i) {
                    if (devices_[i]->name == name) {
                        removeDevice(i);
                        break;
                    }
                }
            } else {
                openDevice(name);
            }
        }
    }
}

} // namespace tc
