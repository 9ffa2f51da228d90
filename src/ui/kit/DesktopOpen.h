#pragma once

#include <QString>
#include <QUrl>
#include <optional>

namespace tc::DesktopOpen {

// The application the desktop opens `mimeType` with (its desktop entry's name, as `xdg-mime query default`
// gives it; "x-scheme-handler/https" for web links): empty when the desktop names none, nothing when it cannot
// be asked (no xdg-mime).
std::optional<QString> defaultHandler(const QString &mimeType);

// The application the desktop opens folders with (the default handler of inode/directory).
std::optional<QString> folderHandler();

// Whether the desktop will show `url`. Qt hands every URL to xdg-open and calls that a success as soon as
// xdg-open starts, even when xdg-open then finds no application, so the user would see nothing happen: a local
// folder needs an application for folders; a link needs an application for its scheme, or one of the browsers
// xdg-open falls back to ($BROWSER, or a known browser on PATH). Where the desktop cannot be asked, Qt decides.
bool canOpen(const QUrl &url);

// Opens a URL with the desktop's own application (xdg-open, where there is one); false when nothing will show it
// (see canOpen) or xdg-open fails. Asks the desktop and waits for xdg-open (up to a few seconds): call it off the
// main thread.
bool openUrl(const QUrl &url);

} // namespace tc::DesktopOpen
