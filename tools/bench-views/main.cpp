// Times the main window on a big document, as a long-time user's grows: 300 profiles, 2,000 triggers (half
// shortcuts, half words), 2,000 app rules and 500 own sounds, every name `length` characters long. For each
// section it measures the time from the switch until the main thread is idle (the median of three openings),
// then the sound picker's opening on the user's own sounds (the median of three), the time of a keystroke in a
// word trigger's field (the mean of nine), and the profile lists outside the sections: the tray panel made and
// opened, the header's more menu opened, and a switch of the active profile with the Sounds page shown (medians of
// three). It also reads the resident memory (VmRSS): with the document built and saved and no window, with the
// window open, after every section was visited (and the peak while visiting; likewise while typing, the document
// saved), and a second after the window was closed, when the window has handed its page's memory back. Then it does
// each user action of the sections (graph and list, adding, editing and deleting triggers and rules, every menu,
// the picker's tabs, the onboarding sheet, duplicating and importing packs, opening Keys, "Use as tray sound", the
// steps of a volume drag; see Actions.cpp) and prints the longest hold of the main thread each caused and the time
// until the window was idle again (the worst of `--rounds`). Prints one line per figure (tab-separated: figure, value,
// unit).
//
//   QT_QPA_PLATFORM=offscreen tapchime_bench_views [--pixmap-cache MB] [--actions] [--rounds N] [length ...]
//   (default: 12 2000 10000; --actions: only the actions, after the window opened; rounds: 3)
//
// Memory is the whole process's: run one length at a time for each length's own figures. The own sounds are
// entries of the document only; no audio is decoded for them.
//
// Not a test: the figures depend on the machine and its load.

#include "Actions.h"
#include "Holds.h"
#include "SnapshotModel.h"

#include "app/AppModel.h"
#include "ui/shell/Header.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/MenuBarPopup.h"
#include "ui/shell/ProfileSwitcher.h"
#include "ui/triggers/TriggerEditor.h"
#include "ui/triggers/TriggersView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPixmapCache>
#include <QThread>
#include <functional>
#include <memory>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

using namespace tc;
using namespace tc::snapshot;
using tc::bench::runUntilIdle;

namespace {

// A name of exactly `length` characters, told apart by its number at the front.
std::string name(const char *what, int number, int length) {
    std::string text = std::string(what) + " " + std::to_string(number) + " ";
    while (static_cast<int>(text.size()) < length) {
        text += "lorem ipsum dolor sit amet ";
    }
    text.resize(static_cast<std::size_t>(length));
    text.shrink_to_fit(); // as a name read from a saved document: no spare room
    return text;
}

// Letters only, as a word trigger stores its word.
std::string word(int number, int length) {
    std::string text = "w";
    for (int n = number; n > 0; n /= 26) {
        text += static_cast<char>('a' + n % 26);
    }
    while (static_cast<int>(text.size()) < length) {
        text += "lorem";
    }
    text.resize(static_cast<std::size_t>(std::max(length, 2)));
    text.shrink_to_fit();
    return text;
}

void fill(AppModel &model, int length) {
    model.commitEdit([&](AppData &data) {
        const Profile first = data.profiles.front();
        for (int i = 0; i < 300; ++i) {
            Profile profile = first;
            profile.id = Uuid::random();
            profile.name = name("Profile", i, length);
            profile.color = kAllProfileColors[static_cast<std::size_t>(i) % kAllProfileColors.size()];
            data.profiles.push_back(std::move(profile));
        }
        for (int i = 0; i < 500; ++i) {
            SoundItem sound;
            sound.id = "user." + Uuid::random().toString();
            sound.name = name("Sound", i, length);
            sound.category = SoundCategory::mine;
            data.userSounds.push_back(std::move(sound));
        }
        for (int i = 0; i < 2000; ++i) {
            Trigger trigger;
            trigger.id = Uuid::random();
            trigger.kind = i % 2 == 0 ? Trigger::Kind::shortcut(static_cast<std::uint16_t>(i % 50), 1u << 20)
                                      : Trigger::Kind::word(word(i, length));
            trigger.soundID = i % 3 == 0 ? data.userSounds[static_cast<std::size_t>(i) % 500].id : "synth.blip";
            if (i % 4 == 0) {
                trigger.appBundleIDs = {"app" + std::to_string(i)};
            }
            data.triggers.push_back(std::move(trigger));
        }
        for (int i = 0; i < 2000; ++i) {
            AppRule rule;
            rule.bundleID = "org.example.app" + std::to_string(i);
            rule.appName = name("App", i, length);
            if (i % 2 == 0) {
                rule.profileID = data.profiles[static_cast<std::size_t>(i) % data.profiles.size()].id;
            }
            data.appRules.push_back(std::move(rule));
        }
        data.settings.hasCompletedOnboarding = true;
    });
    // The model began on the default document, which asked for the first-run sheet; a long-time user's does not.
    model.setShowOnboarding(false);
}

void figure(const std::string &what, double value, const char *unit) {
    std::printf("%s\t%.3f\t%s\n", what.c_str(), value, unit);
    std::fflush(stdout);
}

// Runs the event loop for `ms` milliseconds.
void runFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(5);
    }
}

// The process's resident memory in MB from /proc/self/status: "VmRSS" now, or "VmHWM", the peak since the start or
// since the last resetPeak().
double residentMB(const std::string &field = "VmRSS") {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::stod(line.substr(field.size() + 1)) / 1024.0;
        }
    }
    return 0;
}

void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

const char *sectionName(AppSection section) {
    switch (section) {
    case AppSection::keyboard:
        return "Keys";
    case AppSection::sounds:
        return "Sounds";
    case AppSection::triggers:
        return "Triggers";
    case AppSection::apps:
        return "App rules";
    case AppSection::settings:
        return "Settings";
    }
    return "?";
}

// The median of three timings of `step`, each until the main thread is idle; `reset` runs untimed after each.
double median(QElapsedTimer &clock, const std::function<void()> &step, const std::function<void()> &reset) {
    std::vector<double> times;
    for (int round = 0; round < 3; ++round) {
        clock.restart();
        step();
        times.push_back(runUntilIdle(clock) / 1e9);
        reset();
        runUntilIdle(clock);
    }
    std::sort(times.begin(), times.end());
    return times[1];
}

// The tray panel (made, then opened from the icon), the header's more menu, and a switch of the active profile
// while the Sounds page shows.
void measureProfileLists(MainWindow &window, AppModel &model, const std::string &suffix) {
    QElapsedTimer clock;
    std::unique_ptr<MenuBarPopup> panel;
    figure("tray panel made" + suffix,
           median(
               clock, [&] { panel = std::make_unique<MenuBarPopup>(model, MenuBarView::Actions{}); },
               [&] { panel.reset(); }),
           "s");
    panel = std::make_unique<MenuBarPopup>(model, MenuBarView::Actions{});
    runUntilIdle(clock);
    figure("tray panel opened" + suffix,
           median(
               clock, [&] { panel->showAt(QRect(600, 0, 24, 24)); }, [&] { panel->hide(); }),
           "s");
    figure("tray panel widgets" + suffix, static_cast<double>(panel->findChildren<QWidget *>().size()), "widgets");
    panel.reset();

    window.openSection(AppSection::keyboard);
    runUntilIdle(clock);
    ProfileSwitcher *switcher = window.header()->profileSwitcher();
    if (switcher != nullptr) {
        figure("more menu opened" + suffix,
               median(
                   clock, [&] { switcher->moreButton()->click(); },
                   [&] {
                       for (QMenu *menu : switcher->findChildren<QMenu *>()) {
                           menu->close();
                       }
                   }),
               "s");
    }

    if (switcher != nullptr) {
        figure("profile switcher widgets" + suffix, static_cast<double>(switcher->findChildren<QWidget *>().size()),
               "widgets");
    }

    window.openSection(AppSection::sounds);
    runUntilIdle(clock);
    figure("Sounds page widgets" + suffix, static_cast<double>(window.page()->findChildren<QWidget *>().size()),
           "widgets");
    std::size_t next = 1;
    figure("active profile switched on Sounds" + suffix,
           median(
               clock,
               [&] { model.setActiveProfile(model.data().profiles[next++ * 97 % model.data().profiles.size()].id); },
               [] {}),
           "s");
}

void measure(int length, bool actionsOnly, int rounds) {
    const std::string suffix = " (names of " + std::to_string(length) + ")";
    SnapshotModel host({});
    AppModel &model = host.model();
    fill(model, length);
    model.setSection(AppSection::settings);
    SnapshotModel::settle();
    resetPeak();
    model.flushPendingSave(); // the big document written, as it is after any edit
    figure("resident memory, document built and saved, no window" + suffix, residentMB(), "MB");
    figure("resident memory, peak while saving the document" + suffix, residentMB("VmHWM"), "MB");
    resetPeak();

    QElapsedTimer clock;
    clock.start();
    MainWindow window(model);
    window.resize(1400, 880);
    window.show();
    figure("start to idle" + suffix, runUntilIdle(clock) / 1e9, "s");
    figure("resident memory, window open" + suffix, residentMB(), "MB");
    if (actionsOnly) {
        bench::measureActions(window, model, suffix, rounds);
        return;
    }

    // Each section is opened kRounds times, from another one; the median is reported, as the machine's load
    // varies.
    constexpr int kRounds = 3;
    const std::vector<AppSection> sections = {AppSection::triggers, AppSection::apps, AppSection::keyboard,
                                              AppSection::sounds, AppSection::settings};
    std::map<AppSection, std::vector<double>> opened;
    for (int round = 0; round < kRounds; ++round) {
        for (const AppSection section : sections) {
            clock.restart();
            window.openSection(section);
            opened[section].push_back(runUntilIdle(clock) / 1e9);
        }
    }
    for (const AppSection section : sections) {
        auto &times = opened[section];
        std::sort(times.begin(), times.end());
        figure(std::string("open ") + sectionName(section) + suffix, times[times.size() / 2], "s");
    }
    figure("resident memory after every section" + suffix, residentMB(), "MB");
    figure("resident memory, peak from the start to every section" + suffix, residentMB("VmHWM"), "MB");

    // The picker for a key that plays one of the user's sounds opens on "My sounds", all 500 of them.
    model.assign(model.data().userSounds[250].id, {0});
    runUntilIdle(clock);
    std::vector<double> picker;
    for (int round = 0; round < kRounds; ++round) {
        clock.restart();
        model.setSoundPicker(SoundPickerTarget::keys({0}));
        picker.push_back(runUntilIdle(clock) / 1e9);
        model.setSoundPicker(std::nullopt);
        runUntilIdle(clock);
    }
    std::sort(picker.begin(), picker.end());
    figure("open the sound picker on My sounds" + suffix, picker[picker.size() / 2], "s");

    measureProfileLists(window, model, suffix);

    window.openSection(AppSection::triggers);
    runUntilIdle(clock);
    auto *view = qobject_cast<QWidget *>(window.page()) ? dynamic_cast<TriggersView *>(window.page()) : nullptr;
    if (view == nullptr) {
        std::fprintf(stderr, "no triggers page\n");
        return;
    }
    view->setSelectedID(model.data().triggers[1].id); // a word trigger
    runUntilIdle(clock);
    resetPeak();
    QLineEdit *field = view->editor()->wordField();
    field->setFocus();
    field->setCursorPosition(field->text().size());
    // Handled: the key's own work and the first pass of the event loop after it (layout and paint), the time
    // the window cannot take the next key. Until idle: also what follows (animations, deferred deletes).
    double handled = 0;
    double idle = 0;
    constexpr int kKeys = 9;
    for (int i = 0; i < kKeys; ++i) {
        const QString letter(QChar('a' + i));
        clock.restart();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A + i, Qt::NoModifier, letter);
        QCoreApplication::sendEvent(field, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A + i, Qt::NoModifier, letter);
        QCoreApplication::sendEvent(field, &release);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        handled += clock.nsecsElapsed() / 1e6;
        idle += runUntilIdle(clock) / 1e6;
    }
    figure("keystroke in a word field, handled and painted" + suffix, handled / kKeys, "ms");
    figure("keystroke in a word field, until idle" + suffix, idle / kKeys, "ms");

    // Closed as a user closes it, once the typing is saved; the window hands its page's memory back a second later.
    model.flushPendingSave();
    figure("resident memory, peak while typing and saving" + suffix, residentMB("VmHWM"), "MB");
    bench::measureActions(window, model, suffix, rounds);
    window.close();
    runFor(1500);
    figure("resident memory 1 s after the window closed" + suffix, residentMB(), "MB");
}

} // namespace

int main(int argc, char **argv) {
    bench::TimedApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false); // as in the tray: closing the window hides it
    std::vector<int> lengths;
    bool actionsOnly = false;
    int rounds = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--actions") {
            actionsOnly = true;
            continue;
        }
        if (std::string(argv[i]) == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
            continue;
        }
        if (std::string(argv[i]) == "--pixmap-cache" && i + 1 < argc) {
            QPixmapCache::setCacheLimit(std::atoi(argv[++i]) * 1024);
            continue;
        }
        lengths.push_back(std::atoi(argv[i]));
    }
    figure("pixmap cache limit", QPixmapCache::cacheLimit() / 1024.0, "MB");
    if (lengths.empty()) {
        lengths = {12, 2000, 10000};
    }
    for (const int length : lengths) {
        measure(length, actionsOnly, rounds);
    }
    return 0;
}
