#pragma once

#include "app/Notice.h"
#include "model/Uuid.h"

#include <QObject>
#include <string>
#include <vector>

// Qt 6.4's moc cannot parse the standard library's concepts, which this header brings in; moc needs nothing
// of it.
#ifndef Q_MOC_RUN
#include "app/BackgroundWork.h"
#endif

namespace tc {

// The change signals of the application model, one per observed field and one per part of the document, so a
// view updates in place, and its requests to the shell. Kept in a header of their own that includes nothing but
// Qt, the notice record and the id type, so the meta-object compiler never reads the document headers.
//
// The document's parts signal only a real change, after it is made. A part's list signal carries the ids of
// the records that changed in place; an empty list means the list itself changed (a record was added, removed
// or moved): read the whole part again.
class AppModelSignals : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

signals:
    // The profiles: their list, the active profile, a profile's name or colour, and any change of a profile
    // other than the active one. Carries the ids of the profiles that changed in place.
    void profilesChanged(const std::vector<tc::Uuid> &ids);
    // The active profile's keys and base sound, also when another profile becomes active.
    void keysChanged();
    // The triggers; carries the ids of those that changed in place.
    void triggersChanged(const std::vector<tc::Uuid> &ids);
    // The app rules; carries the applications (bundle ids) whose rules changed in place.
    void appRulesChanged(const std::vector<std::string> &bundleIDs);
    // The user's own sounds; carries the ids of those that changed in place.
    void userSoundsChanged(const std::vector<std::string> &ids);
    // The settings, the seen tips, the coach card and onboarding included.
    void settingsChanged();
    void sectionChanged();
    void selectedKeysChanged();
    void toolChanged();
    void brushSoundIDChanged();
    void soundPickerChanged();
    void pickerStartsOnRecordChanged();
    void showOnboardingChanged();
    void pressedKeysChanged();
    void lastPlayedSoundIDChanged();
    void lastPlayedKeyChanged();
    void pressesTodayChanged();
    void permissionGrantedChanged();
    void tapRunningChanged();
    void currentAppBundleIDChanged();
    void currentAppNameChanged();
    void micInUseChanged();
    void secureInputChanged();
    void macOutputSilentChanged();
    void switchLogChanged();
    void soundsReadyChanged();
    void soundsVersionChanged();
    void silenceChanged();
    // The login item was registered or removed (or that failed): its status is read back from the system.
    void launchAtLoginChanged();
    void outputDevicesChanged();
    void canCheckForUpdatesChanged();
    // The user asked how to give the program keyboard access; the shell shows the keyboard-access help.
    void keyboardAccessHelpRequested();
    // The user asked for an update check now; the shell hands it to the update component.
    void updateCheckRequested();
    // Show this notice wherever the user is typing: the on/off hotkey has just turned sounds on or off, or the
    // user keeps typing but cannot hear the keys. The shell connects it to the notice panel.
    void noticeRequested(const tc::Notice &notice);
    // Saving the document failed (disk full, read-only folder, a document over the size bound), for the first
    // time since the last save that succeeded: the shell tells the user, with the reason.
    void saveFailed(const QString &reason);
    // The saved document could not be read at start and was moved aside to `keptPath` (the default document is
    // used now). Emitted once, by start(), after the onboarding decision: the shell tells the user.
    void brokenDocumentKept(const QString &keptPath);

    // The long work on the model's worker (AppModel::importFilesAsync and the exports). A file of import
    // task `task` has landed in the document or failed: `done` of its `total` files are through.
    void importProgress(int task, int done, int total);
    // An import task has ended; every file of it that came in is in the document already.
    void importFinished(const tc::ImportResult &result);
    // A share pack or backup export task has ended; `succeeded` is false when nothing was written, and then
    // `failure` says why where the user is told (a backup), else it is empty.
    void exportFinished(int task, bool succeeded, const QString &failure);
    // AppModel::isWorking() changed.
    void workingChanged();
};

} // namespace tc
