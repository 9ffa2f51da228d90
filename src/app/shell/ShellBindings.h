#pragma once

#include "app/shell/NoticeHUD.h"

#include <functional>

class QWidget;

namespace tc {

class AppMenus;
class AppModel;
class TrayIcon;
class Updater;

// Ties the shell's pieces to the application model. Main thread; the pieces must outlive the model's
// signals (they are made once in main and kept to the end).

// The tray icon follows the model's silence.
void bindTray(AppModel &model, TrayIcon &tray);

// The "Sounds" item is titled by settings.enabled and flips it: saved and pushed, without a notice (only the
// hotkey shows one).
void bindMenus(AppModel &model, AppMenus &menus);

// The model's update check (the settings screen's "Check now") reaches the update component, and the model
// knows whether there is a feed to check.
void bindUpdater(AppModel &model, Updater &updater);

// The model knows whether one of the program's own windows has the keyboard focus (no app rule applies to key
// sounds then).
void bindOwnWindowFocus(AppModel &model);

// A save that failed is told in an alert, with the reason, once per run of failures. `parent` gives the
// window to put it over (the main window when it is shown, else nothing: the alert stands alone).
void bindSaveFailures(AppModel &model, std::function<QWidget *()> parent);
// The alert's title and text for one failure.
QString saveFailureTitle();
QString saveFailureText(const QString &reason);

// A saved document that could not be read at start is told once, in an alert: the settings were not read, the
// program starts with its defaults, and the copy kept aside is named with its folder. `parent` as above.
void bindBrokenDocumentNotice(AppModel &model, std::function<QWidget *()> parent);
// The alert's title and text for the copy kept at `keptPath`.
QString brokenDocumentTitle();
QString brokenDocumentText(const QString &keptPath);

// The notice panel's remedy: fixes the silence the notice was shown for; when that remedy is the App rules
// section (the model has switched to it), `showAppRules` brings the main window forward.
NoticeHUD::FixHandler noticeFix(AppModel &model, std::function<void()> showAppRules);

} // namespace tc
