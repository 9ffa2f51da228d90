#pragma once

#include "model/AppData.h"
#include "model/Trigger.h"
#include "ui/kit/PanelHelper.h"

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace tc {

class AppModel;
class DesktopApps;
class PillToggle;

// What the trigger views share: the kinds the add buttons and the editor's kind switch start from, the on/off
// switch, and where they learn about applications. The edits of a trigger are the model's operations.
namespace TriggerEdits {

// Ctrl+Shift+F: the F key with control and shift.
inline constexpr std::uint16_t kDefaultKeyCode = 3;
inline constexpr std::uint64_t kDefaultModifiers = 0x60000;
inline const char *const kDefaultWord = "yay";
inline const char *const kNewTriggerSound = "synth.tada";

Trigger::Kind defaultShortcut();
Trigger::Kind defaultWord();

// The trigger's on/off switch ("Trigger on"): shows the document's flag for the id and writes it back through
// the model. It follows every change of the document.
PillToggle *onOffSwitch(AppModel &model, const Uuid &id, QWidget *parent = nullptr);

} // namespace TriggerEdits

// Where the trigger screen learns about applications: a view on the desktop's applications (DesktopApps), the
// same the App rules screen sees; tests fill it with fixed answers. Every member may be empty (then: no running
// applications, no chooser, no installed names).
struct TriggerApps {
    // The applications with windows open now, this program left out, sorted by name, one entry each.
    std::function<std::vector<RunningApp>()> running;
    // The modal chooser over the installed applications; nothing when cancelled.
    std::function<std::optional<ChosenApp>(QWidget *parent)> choose;
    // The name of an installed application's desktop entry, or nothing when none has the id.
    std::function<std::optional<QString>(const QString &bundleID)> installedName;
    // Where these come from, whose changed() says a fresh list landed (an open menu shows it); may be null.
    DesktopApps *source = nullptr;

    // What a chip shows for an application: its desktop entry's name, else the id itself.
    QString chipName(const QString &bundleID) const;
    // What the list's WHERE column shows: "All apps" for none; else, joined by ", " in stored order, each
    // application's name in an app rule, else its desktop entry's name, else its id.
    QString whereText(const AppData &data, const Trigger &trigger) const;
};

} // namespace tc
