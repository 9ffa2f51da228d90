#include "engine/linux/XConnectionLoss.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tc {

namespace {

// Made once and never destroyed: the handler may run while the process ends.
struct Adopted {
    std::mutex lock;
    std::vector<std::pair<Display *, std::atomic<bool> *>> connections;
};

Adopted &adopted() {
    static auto *const connections = new Adopted;
    return *connections;
}

std::atomic<XConnectionLoss::Action> endAction{nullptr};
std::atomic<XConnectionLoss::Action> notifyAction{nullptr};
std::atomic<bool> notified{false};
std::thread::id mainThread; // written by install() before the handler is in place

std::atomic<bool> *lostFlagOf(Display *display) {
    auto &state = adopted();
    std::lock_guard guard(state.lock);
    const auto found = std::find_if(state.connections.begin(), state.connections.end(),
                                    [display](const auto &entry) { return entry.first == display; });
    return found == state.connections.end() ? nullptr : found->second;
}

int onIoError(Display *display) {
    if (std::this_thread::get_id() == mainThread) {
        if (const auto end = endAction.load()) {
            end();
        }
        _exit(1); // `end` does not return; should it, the process still ends here and not in Xlib's exit()
    }
    XConnectionLoss::report();
    if (lostFlagOf(display) != nullptr) {
        return 0; // the exit handler of adopt() marks it lost, and the call that failed returns
    }
    // Xlib would call exit() on this thread next: the main thread ends the process instead.
    std::this_thread::sleep_for(std::chrono::seconds(XConnectionLoss::kForeignHoldSeconds));
    _exit(1);
}

void onExitOfAdopted(Display *, void *lost) {
    static_cast<std::atomic<bool> *>(lost)->store(true);
}

} // namespace

void XConnectionLoss::install(Action end, Action notify) {
    mainThread = std::this_thread::get_id();
    endAction = end;
    notifyAction = notify;
    XSetIOErrorHandler(onIoError);
}

void XConnectionLoss::report() {
    if (!notified.exchange(true)) {
        if (const auto notify = notifyAction.load()) {
            notify();
        }
    }
}

bool XConnectionLoss::installed() {
    return endAction.load() != nullptr;
}

void XConnectionLoss::adopt(_XDisplay *display, std::atomic<bool> *lost) {
    XSetIOErrorExitHandler(display, onExitOfAdopted, lost);
    auto &state = adopted();
    std::lock_guard guard(state.lock);
    state.connections.emplace_back(display, lost);
}

void XConnectionLoss::forget(_XDisplay *display) {
    auto &state = adopted();
    std::lock_guard guard(state.lock);
    std::erase_if(state.connections, [display](const auto &entry) { return entry.first == display; });
}

} // namespace tc
