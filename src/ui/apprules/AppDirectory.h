#pragma once

#include "ui/kit/PanelHelper.h"

#include <QIcon>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace tc {

class DesktopApps;
class RunningAppsSource;

// What the App rules screen asks of the desktop, all through its installed applications: the
// applications with windows open (this program left out, sorted by name ignoring case), the modal chooser
// over the installed applications, and an application's icon (a null icon when it has none). A plain value of
// functions, so tests hand in their own lists and choices. Main thread only.
struct AppDirectory {
    std::function<std::vector<RunningApp>()> runningApps;
    std::function<std::optional<ChosenApp>(QWidget *parent)> chooseApp;
    std::function<QIcon(const QString &bundleID)> icon;

    // The desktop's: the session's running-applications list and the installed applications (read again when
    // their folders changed). Either may be null: no running applications, then no installed ones and no
    // icons. Both must outlive every copy of the directory.
    static AppDirectory desktop(RunningAppsSource *running, DesktopApps *installed);
};

} // namespace tc
