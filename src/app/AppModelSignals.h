#pragma once

#include "app/Notice.h"

#include <QObject>

namespace tc {

// The change signals of the application model, one per observed field, so a view updates in place, and its
// requests to the shell. Kept in a header of their own that includes nothing but Qt and the notice record, so
// the meta-object compiler never reads the document headers.
class AppModelSignals : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

signals:
    void dataChanged();
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
};

} // namespace tc
