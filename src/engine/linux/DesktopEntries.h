#pragma once

#include "engine/FrontmostAppSource.h"
#include "engine/RunningAppsSource.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

// One application's desktop entry (a .desktop file of Type=Application).
struct DesktopEntry {
    std::string id;             // file name without ".desktop"; subfolders joined with '-' ("kde4-foo")
    std::string name;           // Name, localized for the user's language when the file has it
    std::string icon;           // Icon: a theme icon name or an absolute path; may be empty
    std::string startupWmClass; // StartupWMClass; may be empty
    bool hidden = false;        // NoDisplay=true: an application not meant for menus
    std::filesystem::path file;
};

// Reads one desktop file's text. Returns nothing when it is not an application entry (no [Desktop Entry]
// group, Type other than Application, Hidden=true, no Name). `languages` are the locale's names in order of
// preference ("de_AT", "de"), used to pick Name[...].
std::optional<DesktopEntry> parseDesktopEntry(std::string_view text, const std::vector<std::string> &languages);

// The installed applications, and the one way windows are named as applications: every place that shows,
// picks or compares applications uses this resolver.
//
// Thread: not thread-safe; each user keeps its own instance. Loading reads files; do it off the main thread
// when the folders may be slow.
class DesktopEntries {
public:
    // $XDG_DATA_HOME/applications (default ~/.local/share), then each of $XDG_DATA_DIRS (default
    // /usr/local/share:/usr/share) + /applications, then the Flatpak exports (system, then the user's).
    // Earlier folders win for the same id.
    static std::vector<std::filesystem::path> defaultFolders();
    // The user's languages from LC_ALL, LC_MESSAGES or LANG ("de_AT.UTF-8" gives "de_AT", "de").
    static std::vector<std::string> defaultLanguages();

    DesktopEntries(); // default folders and languages, loaded at once
    DesktopEntries(std::vector<std::filesystem::path> folders, std::vector<std::string> languages);

    // Reads the folders again when any of them changed since the last load; returns whether it read.
    bool refreshIfChanged();

    // The entry with this id, including NoDisplay ones.
    const DesktopEntry *find(const std::string &id) const;

    // Applications for choosers: every entry without NoDisplay, sorted by name (case-insensitive), then id.
    std::vector<DesktopEntry> installed() const;

    // Names a window's application: _GTK_APPLICATION_ID, then _KDE_NET_WM_DESKTOP_FILE, then the WM_CLASS
    // (class, then instance) matched case-insensitively against the entries' StartupWMClass and then their
    // ids, else the WM_CLASS class itself. The name is the entry's Name, else the WM_CLASS class, else the id.
    // Nothing when the window gives no hint at all.
    std::optional<AppIdentity> resolve(const WindowHints &hints) const;

private:
    void load();
    std::optional<AppIdentity> identityFor(const std::string &id, const WindowHints &hints) const;

    std::vector<std::filesystem::path> folders_;
    std::vector<std::string> languages_;
    std::map<std::string, DesktopEntry> entries_;  // by id
    std::map<std::string, std::string> byWmClass_; // lower-cased StartupWMClass → id
    std::map<std::string, std::string> byLowerId_; // lower-cased id → id
    std::vector<std::filesystem::file_time_type> stamps_;
};

} // namespace tc
