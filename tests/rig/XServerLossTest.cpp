// The X server goes away under the real program (the session ends, the display server restarts) just after an
// edit: the program saves the edit and ends by itself with status 0 or 1, never by a signal and never hanging.

#include "support/ChildProcess.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"
#include "support/Wait.h"

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include "support/ProgramRig.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace tc::test;

#ifdef TAPCHIME_PROGRAM
namespace {

// The program's shown top-level windows: all of them, or only the notice panel (a tool window).
int shownProgramWindows(Display *display, bool noticesOnly) {
    const Atom typeAtom = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    const Atom tool = XInternAtom(display, "_NET_WM_WINDOW_TYPE_UTILITY", False);
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        return 0;
    }
    int shown = 0;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        XClassHint hint{};
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable ||
            !XGetClassHint(display, children[i], &hint)) {
            continue;
        }
        const bool ours = hint.res_class != nullptr && std::string(hint.res_class) == "Tapchime";
        XFree(hint.res_name);
        XFree(hint.res_class);
        if (!ours) {
            continue;
        }
        bool isNotice = false;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char *value = nullptr;
        if (XGetWindowProperty(display, children[i], typeAtom, 0, 16, False, XA_ATOM, &type, &format, &items, &after,
                               &value) == Success &&
            value != nullptr) {
            const auto *atoms = reinterpret_cast<const Atom *>(value);
            for (unsigned long n = 0; n < items; ++n) {
                isNotice = isNotice || atoms[n] == tool;
            }
            XFree(value);
        }
        shown += !noticesOnly || isNotice ? 1 : 0;
    }
    if (children) {
        XFree(children);
    }
    return shown;
}

} // namespace
#endif

TEST(XServerLoss, AnEditJustBeforeTheServerGoesIsSavedAndTheProgramEndsByItself) {
#ifndef TAPCHIME_PROGRAM
    GTEST_SKIP() << "built without the Qt program";
#else
    RigPulse pulse; // the audio threads run as on a desktop
    constexpr int kRounds = 3;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        RigX x;
        ProgramHome home;
        const auto document = home.path() / "data" / "Tapchime" / "data.json";
        const auto log = home.path() / "program.log";

        std::optional<int> status;
        {
            RigDisplay connection(x.display());
            ASSERT_NE(connection.display, nullptr);
            ChildProcess program({TAPCHIME_PROGRAM}, log.string());
            // Up: without a tray its main window opens.
            ASSERT_TRUE(waitUntil(
                [&] {
                    return shownProgramWindows(connection.display, false) > 0 &&
                           shownProgramWindows(connection.display, true) == 0;
                },
                std::chrono::seconds(30)))
                << fileText(log);
            // Ctrl+Alt+K turns the sounds off; the notice panel says so once the edit is made, and its save waits
            // a moment for more edits.
            runCommand("xdotool key ctrl+alt+k");
            ASSERT_TRUE(
                waitUntil([&] { return shownProgramWindows(connection.display, true) > 0; }, std::chrono::seconds(30)))
                << fileText(log);
            connection.close();
            x.stop();
            status = program.waitForExit(std::chrono::seconds(30));
            ASSERT_TRUE(status.has_value()) << "the program hangs after the X server went away\n" << fileText(log);
        }
        EXPECT_FALSE(WIFSIGNALED(*status)) << "ended by signal " << WTERMSIG(*status) << "\n" << fileText(log);
        ASSERT_TRUE(WIFEXITED(*status));
        EXPECT_TRUE(WEXITSTATUS(*status) == 0 || WEXITSTATUS(*status) == 1) << WEXITSTATUS(*status);
        const auto saved = nlohmann::json::parse(fileText(document), nullptr, false);
        ASSERT_FALSE(saved.is_discarded()) << "no document on disk\n" << fileText(log);
        EXPECT_EQ(saved["settings"]["enabled"], false) << "the edit is not on disk\n" << fileText(log);
    }
#endif
}
