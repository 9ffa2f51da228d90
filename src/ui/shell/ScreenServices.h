#pragma once

namespace tc {

class DesktopEntries;
class RunningAppsSource;

// What the screens need of the desktop beyond the model, handed down from the composition root. A null
// member leaves the screens without it (no running applications, no installed ones). Both must outlive the
// screens.
struct ScreenServices {
    RunningAppsSource *runningApps = nullptr;
    DesktopEntries *desktopEntries = nullptr;
};

} // namespace tc
