#pragma once

#include <QString>
#include <QUrl>
#include <optional>

namespace tc::DesktopOpen {

// The application the desktop opens folders with (its desktop entry's name, as `xdg-mime query default
// inode/directory` gives it): empty when the desktop names none, nothing when it cannot be asked (no xdg-mime).
std::optional<QString> folderHandler();

// Opens a URL with the desktop's own application; false when nothing will show it. Qt hands every URL to
// xdg-open and calls that a success as soon as xdg-open starts, even when xdg-open then finds no application:
// a local folder is therefore opened only when the desktop names an application for folders.
bool openUrl(const QUrl &url);

} // namespace tc::DesktopOpen
