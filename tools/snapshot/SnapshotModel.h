#pragma once

#include "app/AppModel.h"
#include "engine/AudioDevices.h"
#include "engine/FrontmostAppSource.h"

#include <QDateTime>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

namespace tc::snapshot {

// An application model for pictures: the default document in a temporary folder, the real router and
// watchers on Qt timers, and stand-ins for the rest (no sound is heard, nothing is written outside the
// folder). The keyboard can be pressed, the system output muted and an application put in front.
class SnapshotModel {
public:
    struct Options {
        bool keyboardAccess = true;             // the keyboard monitor starts
        bool outputSilent = false;              // the system output is muted
        AppIdentity frontmost;                  // the application in front (empty: none reported)
        std::int64_t pressesToday = 1234;       // the count restored for today
        bool micInUse = false;                  // a microphone is recording (seen at the watchers' first poll)
        bool secureInput = false;               // a password field has the focus (likewise)
        std::vector<AudioDevice> outputDevices; // what the sound server lists
        bool launchAtLogin = false;             // the login item is registered
    };

    explicit SnapshotModel(Options options);
    ~SnapshotModel();

    AppModel &model();
    // Another application comes to the front, reported as the frontmost-window watcher reports it.
    void activate(const AppIdentity &app);
    // From now on the clock reads `time` (an invalid time: the system clock again).
    void setNow(const QDateTime &time);
    // One key down and up, delivered and played.
    void press(std::uint16_t code, const std::string &characters);
    // One key down, held.
    void hold(std::uint16_t code);
    // Runs what the model and its watchers posted to the main thread.
    static void settle();
    // Runs the event loop until the model's long work (imports, exports) has landed (at most 10 s).
    void finishWork();
    // Lets the watchers poll their sources once (about a second of the event loop).
    static void waitForPoll();
    // Reads the output devices and waits (bounded) until the model has them.
    void loadOutputDevices();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// A widget that owns a model and shows one view of it; the view goes before the model does.
class ModelHost : public QWidget {
public:
    ModelHost(std::unique_ptr<SnapshotModel> model, const std::function<QWidget *(SnapshotModel &)> &makeView);
    ~ModelHost() override;

private:
    std::unique_ptr<SnapshotModel> model_;
};

} // namespace tc::snapshot
