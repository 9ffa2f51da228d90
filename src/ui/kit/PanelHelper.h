#pragma once

#include "app/DesktopApps.h"

#include <QIcon>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace tc {

class AppModel;

// An application as the screens list it: its desktop-entry id (the program's "bundle id"), its name and
// its icon.
struct RunningApp {
    QString bundleID;
    QString name;
    QIcon icon;
};

// An application the user picked: id and name.
struct ChosenApp {
    QString bundleID;
    QString name;

    friend bool operator==(const ChosenApp &, const ChosenApp &) = default;
};

// Small shared pieces around file panels and application lists. Applications are named and drawn through the
// desktop's installed applications (DesktopApps), which the caller owns and passes in; the overloads that take
// plain lists are the same rules without it. Main thread only; the panels are modal.
class PanelHelper {
public:
    // The icon of the application with this id, or a null icon when no installed entry has it.
    static QIcon icon(const QString &bundleID, const DesktopApps &apps);
    // The applications with windows open as `apps` last listed them (asking for a fresh list), this program
    // left out, with their icons, sorted by name ignoring case. Empty where the session cannot be asked.
    static std::vector<RunningApp> runningApps(DesktopApps &apps);
    // The chooser over the installed applications.
    static std::optional<ChosenApp> chooseApp(const DesktopApps &apps, QWidget *parent = nullptr);

    // The icon of a desktop entry's Icon value: an absolute path is loaded from the file, anything else is
    // looked up in the icon theme. A null icon when there is none or it cannot be drawn (callers draw a
    // placeholder).
    static QIcon iconFromDesktopIcon(const QString &icon);
    // The icon of the application with this id among `installed`; a null icon when none has it.
    static QIcon icon(const QString &bundleID, const std::vector<InstalledApp> &installed);

    // The running applications a rule or trigger can name: `running` in the system's order, without this
    // program (`selfID`), without entries that have no id and once per id (the first entry); a missing name
    // falls back to the id; sorted by
    // name ignoring case, equal names keeping their order.
    static std::vector<RunningApp> runningApps(const std::vector<RunningApp> &running, const QString &selfID);

    // A modal chooser over the installed applications; the chosen one, or nothing when the user cancels.
    static std::optional<ChosenApp> chooseApp(const std::vector<InstalledApp> &installed, QWidget *parent = nullptr);

    // The proposed file name of a share pack: the profile's name followed by ".tapchime" (a slash in the name
    // would name a folder, so it becomes a dash; leading points would hide the file, so they go; a name left
    // empty gives "Pack.tapchime").
    static QString packFileName(const QString &profileName);

    // The file-panel filter of share packs. Where the desktop knows the pack type (application/x-tapchime, a
    // kind of JSON, installed with the program) the panels offer "*.tapchime"; where it does not, JSON files
    // are offered beside them.
    static QString packNameFilter();
    static QString packNameFilter(bool packTypeInstalled);

    // A modal save panel for a share pack named after the active profile; on OK calls `write` with the chosen
    // path (which ends in ".tapchime"). Failures of `write` are the caller's to drop; nothing is shown.
    static void exportPack(const QString &profileName, const std::function<void(const QString &path)> &write,
                           QWidget *parent = nullptr);
    // The same for the model's active profile, written with the user sounds it uses; failures are dropped.
    static void exportPack(AppModel &model, QWidget *parent = nullptr);
};

} // namespace tc
