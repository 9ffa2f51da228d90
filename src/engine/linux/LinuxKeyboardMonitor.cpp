#include "engine/linux/LinuxKeyboardMonitor.h"

#include "engine/linux/EvdevKeyboardMonitor.h"
#include "engine/linux/WaylandSession.h"
#include "engine/linux/XInput2KeyboardMonitor.h"

namespace tc {

LinuxKeyboardMonitor::LinuxKeyboardMonitor() : LinuxKeyboardMonitor(Options{}) {}

LinuxKeyboardMonitor::LinuxKeyboardMonitor(Options options) : options_(std::move(options)) {}

LinuxKeyboardMonitor::~LinuxKeyboardMonitor() = default;

void LinuxKeyboardMonitor::setHandler(Handler handler) {
    handler_ = handler;
    if (backend_) {
        backend_->setHandler(std::move(handler));
    }
}

bool LinuxKeyboardMonitor::start() {
    if (backend_) {
        return true;
    }
    std::unique_ptr<KeyboardMonitor> candidate;
    Backend kind = Backend::none;
    if (EvdevKeyboardMonitor::hasReadableKeyboard(options_.deviceFolder)) {
        EvdevKeyboardMonitor::Options evdevOptions;
        evdevOptions.deviceFolder = options_.deviceFolder;
        candidate = std::make_unique<EvdevKeyboardMonitor>(std::move(evdevOptions));
        kind = Backend::evdev;
        candidate->setHandler(handler_);
        if (!candidate->start()) {
            candidate.reset();
        }
    }
    if (!candidate && !isWaylandSession()) {
        candidate = std::make_unique<XInput2KeyboardMonitor>(options_.displayName);
        kind = Backend::xinput2;
        candidate->setHandler(handler_);
        if (!candidate->start()) {
            candidate.reset();
        }
    }
    if (!candidate) {
        return false;
    }
    backend_ = std::move(candidate);
    kind_ = kind;
    return true;
}

} // namespace tc
