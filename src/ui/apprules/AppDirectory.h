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

// What the App rules screen asks of the desktop, all through its installed applications: the
// applications with windows open (this program left out, sorted by name ignoring case), the modal chooser
// over the installed applications, and an application's icon (a null icon when it has none). A plain value of
// functions, so tests hand in their own lists and choices. Main thread only.
struct AppDirectory {
    std::function<std::vector<RunningApp>()> runningApps;
    std::function<std::optional<ChosenApp>(QWidget *parent)> chooseApp;
    std::function<QIcon(const QString &bundleID)> icon;
    // Where these come from, whose changed() says a fresh list landed (an open menu shows it); may be null.
    DesktopApps *source = nullptr;

    // The desktop's applications, running and installed (read again when their folders changed). Null: no
    // applications and no icons. `apps` must outlive every copy of the directory.
    static AppDirectory desktop(DesktopApps *apps);
};

} // namespace tc
