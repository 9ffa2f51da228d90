#pragma once

#include "app/DesktopApps.h"
#include "engine/linux/DesktopEntries.h"

#include <memory>
#include <optional>

namespace tc {

class BackgroundService;
class Landings;

// The installed applications of the XDG desktop entries, for the screens. Made, asked and destroyed on the main
// thread. The program's own reads the folders on the background service's desktop lane (readInBackground), at
// once and whenever refreshIfChanged() is asked, so the window never waits for hundreds of files; each read
// that found something new lands on the main thread and emits changed(). The screens see the entries of the
// last read that landed (none before the first).
class DesktopEntryApps final : public DesktopApps {
public:
    // Entries read already; refreshIfChanged() reads on the calling thread.
    explicit DesktopEntryApps(DesktopEntries entries);
    // The desktop's own folders and languages, read on `lanes`' desktop lane.
    static std::unique_ptr<DesktopEntryApps> readInBackground(BackgroundService &lanes);
    ~DesktopEntryApps() override;

    // Returns at once with a background reader: the reader looks at the folders and lands what changed.
    void refreshIfChanged() override;
    std::vector<InstalledApp> installed() const override;
    std::optional<InstalledApp> find(const QString &bundleID) const override;

private:
    struct Reader;
    explicit DesktopEntryApps(BackgroundService &lanes);
    void show(std::shared_ptr<const DesktopEntries> entries);
    // Posts a read to the desktop lane; `first`: the folders are read whole, not looked at for changes.
    void read(bool first);

    std::optional<DesktopEntries> entries_; // without a reader: the caller's, read on the main thread
    BackgroundService *lanes_ = nullptr;    // with a reader
    std::shared_ptr<Reader> reader_;        // the reader's entries, used on the desktop lane only
    std::shared_ptr<const DesktopEntries> shown_;
    std::unique_ptr<Landings> landings_;
};

} // namespace tc
