// One copy per data folder, with the real program: a launch while the first copy is stopped (as in the middle of an
// import) touches nothing in the data folder, tells the user the first is not answering (in a dialog, or on stderr
// alone without a display) and ends with a failure status, and the first runs on when it resumes; after a kill -9
// the next launch starts at once.

#include "engine/linux/DataFolderLock.h"
#include "support/ChildProcess.h"
#include "support/PipedChild.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"
#include "support/Wait.h"

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include "support/ProgramRig.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <vector>

using namespace tc::test;

#ifdef TAPCHIME_PROGRAM
namespace {

namespace fs = std::filesystem;

// The shown top-level windows of the process `pid` (Qt names it on each of its windows).
std::vector<Window> shownWindowsOf(Display *display, pid_t pid) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned count = 0;
    std::vector<Window> shown;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        return shown;
    }
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        Atom type = 0;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char *value = nullptr;
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable ||
            XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                               &value) != Success ||
            value == nullptr) {
            continue;
        }
        if (items == 1 && static_cast<pid_t>(*reinterpret_cast<const unsigned long *>(value)) == pid) {
            shown.push_back(children[i]);
        }
        XFree(value);
    }
    if (children) {
        XFree(children);
    }
    return shown;
}

// Asks each window to close, as its close button does.
void closeWindows(Display *display, const std::vector<Window> &windows) {
    for (const Window window : windows) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
    }
    XFlush(display);
}

// Every file under `folder` with its size and time of change: what a launch kept out must leave as it was.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> folderState(const fs::path &folder) {
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), folder).string()] = {entry.file_size(), entry.last_write_time()};
        }
    }
    return files;
}

// A partial copy, as an import writes it into the sounds folder, which a start-up clean-up removes.
fs::path importInFlight(const fs::path &data) {
    const fs::path partial = data / "Sounds" / ".user.6F9619FF-8B86-D011-B42D-00C04FC964FF.wav.part";
    fs::create_directories(partial.parent_path());
    std::ofstream(partial) << std::string(4096, 'x');
    return partial;
}

bool exitedWith(const std::optional<int> &status, bool success) {
    return status && WIFEXITED(*status) && (WEXITSTATUS(*status) == 0) == success;
}

class OneCopy : public ::testing::Test {
protected:
    // Starts a copy of the program and waits until its window shows (without a tray the main window opens).
    std::unique_ptr<ChildProcess> startCopy(const fs::path &log) {
        auto copy = std::make_unique<ChildProcess>(std::vector<std::string>{TAPCHIME_PROGRAM}, log.string());
        EXPECT_TRUE(waitUntil([&] { return !shownWindowsOf(display, copy->pid()).empty(); }, std::chrono::seconds(30)))
            << fileText(log);
        return copy;
    }
    static bool saysNotAnswering(const std::vector<std::string> &lines) {
        return std::any_of(lines.begin(), lines.end(), [](const std::string &line) {
            return line.find("already running but not answering") != std::string::npos;
        });
    }

    RigX x;
    ProgramHome home;
    RigDisplay connection{x.display()};
    Display *display = connection.display;
    const fs::path data = home.path() / "data" / "Tapchime";
};

} // namespace

TEST_F(OneCopy, ALaunchWhileTheFirstIsStoppedTouchesNothingAndEndsAndTheFirstRunsOnWhenResumed) {
    ASSERT_NE(display, nullptr);
    const auto firstLog = home.path() / "first.log";
    const auto first = startCopy(firstLog);
    const fs::path partial = importInFlight(data);
    first->signal(SIGSTOP);
    const auto before = folderState(data);

    PipedChild second({TAPCHIME_PROGRAM}, PipedChild::Streams::outputAndErrors);
    // It tells the user in a dialog, which the user closes.
    ASSERT_TRUE(
        waitUntil([&] { return !shownWindowsOf(display, second.process().pid()).empty(); }, std::chrono::seconds(30)));
    closeWindows(display, shownWindowsOf(display, second.process().pid()));
    const auto status = second.waitForExit(std::chrono::seconds(30));
    // Without a display for the dialog, the line on stderr is all the user gets; the status is the same.
    std::optional<int> blindStatus;
    std::vector<std::string> blindLines;
    {
        ScopedEnv noDisplay("DISPLAY", nullptr);
        PipedChild blind({TAPCHIME_PROGRAM}, PipedChild::Streams::outputAndErrors);
        blindStatus = blind.waitForExit(std::chrono::seconds(30));
        blindLines = blind.lines();
    }
    EXPECT_EQ(folderState(data), before);
    EXPECT_TRUE(fs::exists(partial));
    ASSERT_TRUE(status.has_value()) << "the second launch runs beside the stopped copy";
    EXPECT_TRUE(exitedWith(status, false)) << *status;
    EXPECT_TRUE(saysNotAnswering(second.lines())) << testing::PrintToString(second.lines());
    EXPECT_TRUE(exitedWith(blindStatus, false)) << testing::PrintToString(blindLines);
    EXPECT_TRUE(saysNotAnswering(blindLines)) << testing::PrintToString(blindLines);

    // Resumed, the first copy runs on and answers the next launch, which ends at once.
    first->signal(SIGCONT);
    PipedChild third({TAPCHIME_PROGRAM}, PipedChild::Streams::outputAndErrors);
    EXPECT_TRUE(exitedWith(third.waitForExit(std::chrono::seconds(30)), true)) << testing::PrintToString(third.lines());
    EXPECT_FALSE(first->waitForExit(std::chrono::milliseconds(0)).has_value()) << fileText(firstLog);
    first->terminate(std::chrono::seconds(10));
}

TEST_F(OneCopy, ALaunchAfterAKillStartsAtOnceAndClearsWhatTheKilledCopyLeft) {
    ASSERT_NE(display, nullptr);
    startCopy(home.path() / "first.log")->stop(); // SIGKILL
    const fs::path partial = importInFlight(data);

    const auto secondLog = home.path() / "second.log";
    const auto second = startCopy(secondLog);
    EXPECT_FALSE(fs::exists(partial)) << fileText(secondLog);
    EXPECT_EQ(fileText(secondLog).find("not answering"), std::string::npos) << fileText(secondLog);
    EXPECT_EQ(tc::DataFolderLock(data).state(), tc::DataFolderLock::State::heldElsewhere);
    second->terminate(std::chrono::seconds(10));
}
#endif
