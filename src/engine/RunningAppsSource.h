#pragma once

#include "engine/FrontmostAppSource.h"

#include <vector>

namespace tc {

// Lists the applications that have windows open now, as the screens offer them for rules and triggers: in
// the system's order, one entry per application, named by the desktop entries; this program is never
// listed. Empty where the session cannot be asked.
//
// Thread: the main thread; each call asks the system afresh (a few round trips, no waiting on a server that
// does not answer).
class RunningAppsSource {
public:
    virtual ~RunningAppsSource() = default;
    virtual std::vector<AppIdentity> list() = 0;
};

// The list where nothing can be known (a Wayland session, no display).
class NullRunningAppsSource final : public RunningAppsSource {
public:
    std::vector<AppIdentity> list() override { return {}; }
};

} // namespace tc
