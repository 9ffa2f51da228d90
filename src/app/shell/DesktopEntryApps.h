#pragma once

#include "app/DesktopApps.h"
#include "engine/RunningAppsSource.h"
#include "engine/linux/DesktopEntries.h"

#include <memory>
#include <optional>

namespace tc {

class BackgroundService;
class Landings;

// The program's one applications service: the installed applications of the XDG desktop entries and the
// applications with windows open, both named from one catalogue of the entries, for the screens. Made, asked
// and destroyed on the main thread.
//
// The program's own (readInBackground) keeps the catalogue and the window list on the background service's
// desktop lane, so the window never waits for hundreds of files or for the display server: the folders are read
// at once and looked at again on refreshIfChanged() and before every window list; a window list is made at once
// and whenever running() is asked (a menu or a screen that lists running applications opens), never on its own.
// Requests that arrive while a list is waiting to be made add nothing. What a lane task found lands on the main
// thread, and changed() follows when the installed entries were read again or the window list differs, so a
// screen open on it shows it. The screens see the last of each that landed (none before the first).
class DesktopEntryApps final : public DesktopApps {
public:
    // Entries read already; refreshIfChanged() reads and running() lists on the calling thread, and neither
    // tells changed(). No `windows`: no running applications.
    explicit DesktopEntryApps(DesktopEntries entries, std::unique_ptr<RunningAppsSource> windows = nullptr);
    // The desktop's own folders and languages, read on `lanes`' desktop lane, where `windows` is asked too.
    static std::unique_ptr<DesktopEntryApps> readInBackground(BackgroundService &lanes,
                                                              std::unique_ptr<RunningAppsSource> windows = nullptr);
    ~DesktopEntryApps() override;

    // Returns at once with a background reader: the reader looks at the folders and lands what changed.
    void refreshIfChanged() override;
    std::vector<InstalledApp> installed() const override;
    std::optional<InstalledApp> find(const QString &bundleID) const override;
    // With a background reader: the last list that landed; a fresh one is asked for.
    std::vector<AppIdentity> running() override;

private:
    struct Desk;
    DesktopEntryApps(BackgroundService &lanes, std::unique_ptr<RunningAppsSource> windows);
    void show(std::shared_ptr<const DesktopEntries> entries);
    void showRunning(std::vector<AppIdentity> running);
    // Posts a read to the desktop lane; `first`: the folders are read whole, not looked at for changes.
    void read(bool first);
    // Posts a window list to the desktop lane unless one waits there already.
    void list();

    std::optional<DesktopEntries> entries_;      // without a reader: the caller's, read on the main thread
    std::unique_ptr<RunningAppsSource> windows_; // without a reader: asked on the main thread
    BackgroundService *lanes_ = nullptr;         // with a reader
    std::shared_ptr<Desk> desk_;                 // the reader's catalogue and window list, used on the lane only
    std::shared_ptr<const DesktopEntries> shown_;
    std::vector<AppIdentity> running_;
    std::unique_ptr<Landings> landings_;
};

} // namespace tc
