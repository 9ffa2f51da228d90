#pragma once

#include "engine/KeyHandlerSlot.h"
#include "engine/KeyboardMonitor.h"
#include "engine/linux/KeyStream.h"
#include "engine/linux/WakeableThread.h"
#include "engine/linux/XkbKeyText.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tc {

// Hears the keyboard through the kernel's evdev devices: every readable /dev/input/event* device that
// reports letter keys, including keyboards plugged in later (the folder is watched with inotify). Reading
// needs membership of the "input" group. Devices are only read, never grabbed, so every other program
// keeps getting its keys. Typed text comes from xkbcommon with the system's default layout.
//
// Threads: the owner calls the public members on its thread; records are read with poll() and read() on
// the monitor's thread "Tapchime.kbd", which calls the handler. stop() or destruction ends the thread.
class EvdevKeyboardMonitor final : public KeyboardMonitor {
public:
    struct Options {
        std::string deviceFolder = "/dev/input";
        // The keyboard layout for the typed text; nothing means the system's default.
        std::optional<XkbKeyText::Names> layout;
        // Whether an opened device is a keyboard; nothing means asking the kernel (isKeyboardDevice).
        std::function<bool(int fd)> isKeyboard;
    };

    EvdevKeyboardMonitor();
    explicit EvdevKeyboardMonitor(Options options);
    ~EvdevKeyboardMonitor() override;
    EvdevKeyboardMonitor(const EvdevKeyboardMonitor &) = delete;
    EvdevKeyboardMonitor &operator=(const EvdevKeyboardMonitor &) = delete;

    void setHandler(Handler handler) override;
    // Opens every keyboard device and starts the thread; false when there is no readable keyboard (and no
    // adopted descriptor) or the thread's resources cannot be made.
    bool start() override;
    bool isRunning() const override { return running_; }
    // Ends the thread and closes every device. No handler call happens after it returns.
    void stop();

    // Reads key records from a descriptor opened elsewhere as one more keyboard (a pipe in the tests),
    // without asking whether it is one. Takes ownership; may be called before or after start().
    void adoptDevice(int fd);

    // True when the descriptor's device reports the letter keys A to Z.
    static bool isKeyboardDevice(int fd);
    // True when the folder holds at least one event device that can be read and is a keyboard.
    static bool hasReadableKeyboard(const std::string &deviceFolder = "/dev/input");

private:
    struct Device;

    void run();
    void scanFolder();
    void openDevice(const std::string &name);
    void addDevice(int fd, std::string name);
    void removeDevice(std::size_t index);
    void readInotify();
    bool readDevice(Device &device); // false when the device is gone
    void resynchronise(Device &device);
    void takeAdopted();

    Options options_;
    KeyHandlerSlot slot_;
    KeyStream stream_{slot_};
    bool running_ = false;

    // Monitor thread's own state (handed over before the thread starts, taken back after it ends).
    std::vector<std::unique_ptr<Device>> devices_;
    bool devicesChanged_ = true;
    int inotifyFd_ = -1; // watches the device folder; -1 without hot-plug

    std::mutex adoptMutex_;
    std::vector<int> adopted_; // woken for: adopted descriptors waiting
    WakeableThread thread_;
};

} // namespace tc
