#pragma once

namespace tc {

class DesktopApps;

// What the screens need of the composition root besides the model. A null member: the screen does without
// (no running applications, no chooser, applications shown by their ids). The objects must outlive the pages.
struct PageServices {
    // The desktop's applications, installed and running: the one place the screens learn about applications.
    DesktopApps *apps = nullptr;
};

} // namespace tc
