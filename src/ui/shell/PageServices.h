#pragma once

namespace tc {

class DesktopApps;
class RunningAppsSource;

// What the screens need of the composition root besides the model. A null member: the screen does without
// (no running applications, no chooser, applications shown by their ids). The objects must outlive the pages.
struct PageServices {
    RunningAppsSource *runningApps = nullptr;
    DesktopApps *installedApps = nullptr;
};

} // namespace tc
