#include "Keys.h"

#include "Harness.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <random>
#include <stdexcept>

namespace tc::probe {

std::vector<Press> makeSchedule(int count, double minGapMs, double maxGapMs, int pauseEvery,
                                const std::vector<double> &pausesMs, uint64_t seed) {
    static const char letters[] = "asdfjlqwertyuiozxcvbnmgh";
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> gap(minGapMs, maxGapMs);
    std::vector<Press> presses;
    double at = 0;
    size_t pauseIndex = 0;
    for (int i = 0; i < count; ++i) {
        Press press;
        if (i > 0) {
            press.pauseBeforeMs = gap(random);
            if (pauseEvery > 0 && i % pauseEvery == 0 && !pausesMs.empty()) {
                press.pauseBeforeMs = pausesMs[pauseIndex++ % pausesMs.size()];
            }
        }
        at += press.pauseBeforeMs;
        press.atMs = at;
        press.keysym = static_cast<unsigned long>(letters[static_cast<size_t>(i) % (sizeof(letters) - 1)]);
        presses.push_back(press);
    }
    return presses;
}

std::vector<uint64_t> runSchedule(const std::vector<Press> &presses, uint64_t startNs,
                                  const std::function<void(size_t)> &act) {
    std::vector<uint64_t> at(presses.size(), 0);
    for (size_t i = 0; i < presses.size(); ++i) {
        harness::sleepUntil(startNs + static_cast<uint64_t>(presses[i].atMs * 1e6));
        at[i] = harness::monotonicNs();
        act(i);
    }
    return at;
}

KeyInjector::KeyInjector() {
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        throw std::runtime_error("cannot open the X display (is DISPLAY set?)");
    }
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        XCloseDisplay(display);
        throw std::runtime_error("the X server has no XTest extension");
    }
    display_ = display;
}

KeyInjector::~KeyInjector() {
    XCloseDisplay(static_cast<Display *>(display_));
}

std::vector<uint64_t> KeyInjector::play(const std::vector<Press> &presses, uint64_t startNs, double holdMs,
                                        const std::function<void(size_t)> &onPress) {
    auto *display = static_cast<Display *>(display_);
    struct Event {
        uint64_t at;
        size_t press;
        bool down;
    };
    std::vector<Event> events;
    for (size_t i = 0; i < presses.size(); ++i) {
        const auto at = startNs + static_cast<uint64_t>(presses[i].atMs * 1e6);
        events.push_back({at, i, true});
        events.push_back({at + static_cast<uint64_t>(holdMs * 1e6), i, false});
    }
    std::stable_sort(events.begin(), events.end(), [](const Event &a, const Event &b) { return a.at < b.at; });

    std::vector<uint64_t> pressedAt(presses.size(), 0);
    for (const Event &event : events) {
        harness::sleepUntil(event.at);
        const KeyCode code = XKeysymToKeycode(display, presses[event.press].keysym);
        XTestFakeKeyEvent(display, code, event.down ? True : False, CurrentTime);
        if (event.down) {
            pressedAt[event.press] = harness::monotonicNs();
        }
        XFlush(display);
        if (event.down && onPress) {
            onPress(event.press);
        }
    }
    XSync(display, False);
    return pressedAt;
}

} // namespace tc::probe
