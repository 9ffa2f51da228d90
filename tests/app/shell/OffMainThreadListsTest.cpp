// The application lists the screens read are made on the background service's desktop lane: the running
// applications and the installed ones; the main thread only takes what landed last, and hears when it changed.

#include "app/BackgroundService.h"
#include "app/shell/BackgroundRunningApps.h"
#include "app/shell/DesktopEntryApps.h"
#include "engine/WorkQueue.h"
#include "support/FakeScheduler.h"
#include "support/QtTestApp.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"
#include "support/Wait.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>

namespace tc::test {
namespace {

// A running-applications source that waits until the test lets it answer, and notes where it was asked.
class HeldSource final : public RunningAppsSource {
public:
    std::vector<AppIdentity> list() override {
        std::unique_lock lock(mutex_);
        asked_.push_back(std::this_thread::get_id());
        released_.wait(lock, [this] { return releases_ > 0; });
        --releases_;
        return apps_;
    }
    void answer(std::vector<AppIdentity> apps) {
        std::lock_guard lock(mutex_);
        apps_ = std::move(apps);
        ++releases_;
        released_.notify_all();
    }
    std::vector<std::thread::id> asked() {
        std::lock_guard lock(mutex_);
        return asked_;
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    int releases_ = 0;
    std::vector<AppIdentity> apps_;
    std::vector<std::thread::id> asked_;
};

// The program's lanes with the main thread the test runs.
struct Lanes {
    // Waits until the desktop lane has nothing left, then lands what it delivered.
    bool settle() {
        const bool done = waitUntil([&] { return lanes.queue(BackgroundService::Lane::desktop).idle(); });
        mainThread.runPosted();
        return done;
    }
    FakeScheduler mainThread;
    BackgroundService lanes{mainThread};
};

TEST(BackgroundRunningApps, ListsAtOnceWhileTheSourceIsAskedOnTheLaneAndTellsAFreshList) {
    qtApp();
    Lanes t;
    auto owned = std::make_unique<HeldSource>();
    HeldSource &source = *owned;
    BackgroundRunningApps apps(std::move(owned), t.lanes);
    QSignalSpy changed(&apps, &BackgroundRunningApps::changed);
    ASSERT_TRUE(waitUntil([&] { return source.asked().size() == 1; })); // the first list, made at once

    // The source has not answered: every list() returns at once, and asks for no second list meanwhile.
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(apps.list().empty());
    }
    source.answer({{"org.gnome.Terminal", "Terminal"}});
    ASSERT_TRUE(waitUntil([&] { return source.asked().size() == 2; })) << "one more list, for the calls meanwhile";
    source.answer({{"org.gnome.Terminal", "Terminal"}, {"firefox", "Firefox"}});
    ASSERT_TRUE(t.settle());
    // Each fresh list landed and was told, so a screen open on it shows it without being asked again.
    EXPECT_EQ(changed.count(), 2);
    const auto listed = apps.list(); // the last list made; asks for a fresh one
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1].bundleId, "firefox");
    for (const auto &thread : source.asked()) {
        EXPECT_NE(thread, std::this_thread::get_id());
    }
    source.answer(listed); // the same list again: nothing to tell
    ASSERT_TRUE(t.settle());
    EXPECT_EQ(changed.count(), 2);
}

TEST(DesktopEntryApps, TheDesktopsEntriesAreReadOnTheLaneAndTheNewListIsTold) {
    qtApp();
    TempDir home;
    const auto applications = home.path() / "applications";
    std::filesystem::create_directories(applications);
    const auto write = [&](const std::string &id, const std::string &name) {
        std::ofstream(applications / (id + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=" << name << "\nExec=" << id << "\n";
    };
    write("org.example.Editor", "Editor");
    ScopedEnv data("XDG_DATA_HOME", home.path().string().c_str());
    ScopedEnv dirs("XDG_DATA_DIRS", (home.path() / "none").string().c_str());
    ScopedEnv flatpak("HOME", (home.path() / "nobody").string().c_str());

    Lanes t;
    const auto apps = DesktopEntryApps::readInBackground(t.lanes);
    QSignalSpy changed(apps.get(), &DesktopApps::changed);
    ASSERT_TRUE(t.settle());
    ASSERT_EQ(apps->installed().size(), 1u);
    EXPECT_EQ(apps->installed()[0].name, QStringLiteral("Editor"));
    EXPECT_TRUE(apps->find(QStringLiteral("org.example.Editor")).has_value());
    EXPECT_EQ(changed.count(), 1);

    // An application installed since: found after a refresh, which returns at once; the list that lands is told,
    // so an open chooser shows it.
    std::filesystem::last_write_time(applications, std::filesystem::file_time_type::clock::now() -
                                                       std::chrono::hours(1)); // the folder's stamp moves below
    write("org.example.Viewer", "Viewer");
    apps->refreshIfChanged();
    ASSERT_TRUE(t.settle());
    EXPECT_EQ(changed.count(), 2);
    ASSERT_EQ(apps->installed().size(), 2u);
    EXPECT_TRUE(apps->find(QStringLiteral("org.example.Viewer")).has_value());
}

} // namespace
} // namespace tc::test
