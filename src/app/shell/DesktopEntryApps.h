#pragma once

#include "app/DesktopApps.h"
#include "engine/linux/DesktopEntries.h"

#include <memory>
#include <mutex>
#include <optional>

namespace tc {

class WorkQueue;

// The installed applications of the XDG desktop entries, for the screens. Made, asked and destroyed on the main
// thread. The program's own reads the folders on a thread of its own (readInBackground), at once and whenever
// refreshIfChanged() is asked, so the window never waits for hundreds of files; the screens see the entries of
// the last read that ended (none before the first).
class DesktopEntryApps final : public DesktopApps {
public:
    // Entries read already; refreshIfChanged() reads on the calling thread.
    explicit DesktopEntryApps(DesktopEntries entries);
    // The desktop's own folders and languages, read in the background.
    static std::unique_ptr<DesktopEntryApps> readInBackground();
    ~DesktopEntryApps() override;

    // Returns at once with a background reader: the reader looks at the folders and publishes what changed.
    void refreshIfChanged() override;
    std::vector<InstalledApp> installed() const override;
    std::optional<InstalledApp> find(const QString &bundleID) const override;

    // Whether no read is running or waiting (for tests).
    bool readsDone() const;

private:
    DesktopEntryApps();
    std::shared_ptr<const DesktopEntries> shown() const;
    void publish(const DesktopEntries &entries);

    std::optional<DesktopEntries> entries_; // the reader's own (without one, the caller's)
    mutable std::mutex mutex_;              // guards shown_
    std::shared_ptr<const DesktopEntries> shown_;
    std::unique_ptr<WorkQueue> reader_; // last: it ends before the rest goes
};

} // namespace tc
