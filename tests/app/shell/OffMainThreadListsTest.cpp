// The one applications service: the lists the screens read (the installed applications and the running ones,
// named from one catalogue) are made on the background service's desktop lane; the main thread only takes what
// landed last, and hears when it changed.

#include "app/BackgroundService.h"
#include "app/shell/DesktopEntryApps.h"
#include "engine/WorkQueue.h"
#include "support/FakeScheduler.h"
#include "support/QtTestApp.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"
#include "support/Wait.h"

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "engine/linux/X11RunningApps.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>

namespace tc::test {
namespace {

// A window list that waits until the test lets it answer, and notes where it was asked. Its windows are named
// by the namer it is handed, as the display server's are.
class HeldSource final : public RunningAppsSource {
public:
    std::vector<AppIdentity> list(const Namer &name) override {
        std::unique_lock lock(mutex_);
        asked_.push_back(std::this_thread::get_id());
        released_.wait(lock, [this] { return releases_ > 0; });
        --releases_;
        std::vector<AppIdentity> apps;
        for (const std::string &wmClass : windows_) {
            apps.push_back(name(WindowHints{{}, {}, wmClass, wmClass}).value_or(AppIdentity{}));
        }
        return apps;
    }
    // The windows' WM_CLASS.
    void answer(std::vector<std::string> windows) {
        std::lock_guard lock(mutex_);
        windows_ = std::move(windows);
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
    std::vector<std::string> windows_;
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

// An applications folder of the test's own as the desktop's only one, with the program's lanes.
class DesktopLists : public ::testing::Test {
protected:
    DesktopLists() { std::filesystem::create_directories(applications); }

    void install(const std::string &id, const std::string &name) {
        std::ofstream(applications / (id + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=" << name << "\nExec=" << id << "\n";
    }

    TempDir home;
    const std::filesystem::path applications = home.path() / "applications";
    ScopedEnv data{"XDG_DATA_HOME", home.path().string().c_str()};
    ScopedEnv dirs{"XDG_DATA_DIRS", (home.path() / "none").string().c_str()};
    ScopedEnv flatpak{"HOME", (home.path() / "nobody").string().c_str()};
    Lanes t;
};

TEST_F(DesktopLists, RunningListsAreMadeOnTheLaneNamedFromTheOneCatalogueAndTold) {
    qtApp();
    install("org.example.Editor", "Editor");
    auto owned = std::make_unique<HeldSource>();
    HeldSource &source = *owned;
    const auto apps = DesktopEntryApps::readInBackground(t.lanes, std::move(owned));
    QSignalSpy changed(apps.get(), &DesktopApps::changed);
    ASSERT_TRUE(waitUntil([&] { return source.asked().size() == 1; })); // the first list, made at once

    // The source has not answered: every running() returns at once, and asks for no second list meanwhile.
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(apps->running().empty());
    }
    source.answer({"XTerm"});
    ASSERT_TRUE(waitUntil([&] { return source.asked().size() == 2; })) << "one more list, for the calls meanwhile";
    source.answer({"XTerm", "org.example.Editor"});
    ASSERT_TRUE(t.settle());
    // The installed list and each fresh running list landed and were told, so a screen open on them shows them
    // without being asked again.
    EXPECT_EQ(changed.count(), 3);
    const auto listed = apps->running(); // the last list made; asks for a fresh one
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1], (AppIdentity{"org.example.Editor", "Editor"})) << "named by the installed entry";
    for (const auto &thread : source.asked()) {
        EXPECT_NE(thread, std::this_thread::get_id());
    }
    source.answer({"XTerm", "org.example.Editor"}); // the same list again: nothing to tell
    ASSERT_TRUE(t.settle());
    EXPECT_EQ(changed.count(), 3);
    // Nothing but a request makes a list.
    EXPECT_EQ(source.asked().size(), 3u);
}

TEST_F(DesktopLists, TheDesktopsEntriesAreReadOnTheLaneAndTheNewListIsTold) {
    qtApp();
    install("org.example.Editor", "Editor");
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
    install("org.example.Viewer", "Viewer");
    apps->refreshIfChanged();
    ASSERT_TRUE(t.settle());
    EXPECT_EQ(changed.count(), 2);
    ASSERT_EQ(apps->installed().size(), 2u);
    EXPECT_TRUE(apps->find(QStringLiteral("org.example.Viewer")).has_value());
}

// The rig's X server with a window manager, started before the desktop's folders are the test's, so that the
// window manager never reads them.
struct RigDisplay {
    RigX x{RigX::Options{.windowManager = true}};
};
class DesktopListsOnX : public RigDisplay, public DesktopLists {};

// The installed list and the windows of the session are named from one read of the folders (the entry's file is
// opened once, as inotify sees it).
TEST_F(DesktopListsOnX, OneReadOfTheFoldersServesTheInstalledAndTheRunningList) {
    qtApp();
    install("org.example.Editor", "Editor");
    const int probe = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(probe, 0);
    ASSERT_GE(inotify_add_watch(probe, applications.c_str(), IN_OPEN), 0);
    Display *client = XOpenDisplay(x.display().c_str());
    ASSERT_NE(client, nullptr);
    const Window window = XCreateSimpleWindow(client, DefaultRootWindow(client), 0, 0, 100, 100, 0, 0, 0);
    XClassHint hint{const_cast<char *>("editor"), const_cast<char *>("org.example.Editor")};
    XSetClassHint(client, window, &hint);
    XMapWindow(client, window);
    XSync(client, False);

    const auto apps = DesktopEntryApps::readInBackground(t.lanes, std::make_unique<X11RunningApps>(x.display()));
    // The window manager lists the window once it manages it: asked again until then.
    ASSERT_TRUE(waitUntil([&] {
        t.settle();
        return apps->running() == std::vector<AppIdentity>{{"org.example.Editor", "Editor"}};
    }));
    EXPECT_EQ(apps->installed().size(), 1u);
    int opens = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = read(probe, buffer, sizeof buffer)) > 0;) {
        for (char *at = buffer; at < buffer + n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(at);
            opens += event->len > 0 && std::string(event->name) == "org.example.Editor.desktop";
            at += sizeof(inotify_event) + event->len;
        }
    }
    EXPECT_EQ(opens, 1);
    close(probe);
    XCloseDisplay(client);
}

} // namespace
} // namespace tc::test
