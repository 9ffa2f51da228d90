#pragma once

#include "engine/RunningAppsSource.h"

#include <QObject>

#include <memory>
#include <vector>

namespace tc {

class BackgroundService;
class Landings;

// The running applications for the screens, listed on the background service's desktop lane, so the window
// never opens a connection to the display server to list them. list() answers at once with the last list made
// and asks for a fresh one; a fresh list is also made when this is made and on refresh(), which the shell calls
// whenever the frontmost application changes (a new application shows up that way). Requests that arrive
// while a list is waiting to be made add nothing. A fresh list lands on the main thread, and changed() follows
// when it differs from the one before, so a screen open on it can show it.
//
// Thread: made, list(), refresh() and destroyed on the main thread; `source` is asked on the desktop lane only.
class BackgroundRunningApps final : public QObject, public RunningAppsSource {
    Q_OBJECT
public:
    BackgroundRunningApps(std::unique_ptr<RunningAppsSource> source, BackgroundService &lanes);
    ~BackgroundRunningApps() override;

    std::vector<AppIdentity> list() override;
    void refresh();

signals:
    void changed();

private:
    struct Lister;

    BackgroundService &lanes_;
    std::shared_ptr<Lister> lister_; // the source, with the lane's tasks
    std::vector<AppIdentity> latest_;
    std::unique_ptr<Landings> landings_;
};

} // namespace tc
