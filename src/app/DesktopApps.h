#pragma once

#include "engine/FrontmostAppSource.h"

#include <QObject>
#include <QString>
#include <optional>
#include <vector>

namespace tc {

// An installed application as the desktop lists it.
struct InstalledApp {
    QString bundleID; // desktop-entry id
    QString name;     // the entry's Name
    QString icon;     // the entry's Icon: a theme icon name or an absolute path; may be empty
};

// The desktop's applications, as the screens see them: the installed ones (the one source of application names
// and icons for choosers, chips and rule cards) and the ones with windows open now, both named from the one
// catalogue. The composition root fills it from the desktop entries and the window list; tests hand in fixed
// lists. Main thread only; changed() tells the screens open on it that a list is new.
class DesktopApps : public QObject {
    Q_OBJECT
public:
    ~DesktopApps() override = default;

    // Reads the installed applications again when their folders changed since the last read; changed() follows
    // when the list differs (at once, or when a read in the background lands).
    virtual void refreshIfChanged() = 0;
    // The applications for choosers: no entry hidden from menus, sorted by name (case-insensitive), then id.
    virtual std::vector<InstalledApp> installed() const = 0;
    // The installed application with this id, hidden ones included; nothing when none has it.
    virtual std::optional<InstalledApp> find(const QString &bundleID) const = 0;
    // The applications with windows open as last listed, in the system's order (none where the session cannot
    // be asked); asks for a fresh list, and changed() follows when the one that lands differs.
    virtual std::vector<AppIdentity> running() { return {}; }

signals:
    void changed();
};

} // namespace tc
