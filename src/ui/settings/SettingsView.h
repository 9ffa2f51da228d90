#pragma once

#include "engine/AudioDevices.h"

#include <QString>
#include <QUrl>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAbstractButton;
class QComboBox;
class QSlider;

namespace tc {

class AppModel;
class Landings;
class PillToggle;

// The Settings section of the main window: on one scrolling page the title "Settings" with the version, and
// five groups in three columns (General and Your data; Sound and Privacy; About). Plain settings go through
// the model's settings binding; the audio settings through its setters, which also reconfigure the engine.
// The page keeps no copy of the document: every control reads the model and follows its signals in place
// (a slider being dragged is left alone).
//
// Two things come from the system each time the page comes on screen: whether the login item is registered
// (and again after every change of the switch), and the output devices (read off the main thread; they follow
// hot-plug while the page is open). A stored output device that is not plugged in shows as "System default"
// and stays stored until the user picks another entry.
//
// Main thread only. The model must outlive the page.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    // Asks for the backup's file name; nothing when the user cancels.
    using SavePanel = std::function<std::optional<QString>(QWidget *parent)>;
    // Shows a folder in the file manager, or opens a web or mail address; false when nothing could open it. Runs
    // on the background service's desktop lane.
    using Opener = std::function<bool(const QUrl &)>;

    static constexpr std::array<int, 5> kVoiceCounts = {6, 8, 12, 16, 24};
    static constexpr const char *kFeedbackAddress = "mailto:feedback@tapchime.app";
    static constexpr const char *kWebsiteAddress = "https://tapchime.app";

    explicit SettingsView(AppModel &model, QWidget *parent = nullptr);
    ~SettingsView() override;

    // The header's detail: "Tapchime " and the short version, "1.0" when there is none.
    static QString headerDetail(const QString &shortVersion);
    // The About row's version line: "Tapchime ", the version text and " · checks daily".
    static QString versionLine(const QString &versionText);
    // The Output picker's entries: "System default" (an empty id), then one per device with its UID.
    struct OutputEntry {
        QString name;
        QString uid;
    };
    static std::vector<OutputEntry> outputEntries(const std::vector<AudioDevice> &devices);
    // The entry to show for a stored device: the device's entry while it is listed, else "System default".
    static int outputIndex(const std::vector<OutputEntry> &entries, const std::optional<std::string> &stored);
    // The "Sounds at once" entry of a voice count, or -1 when it is not one of them (no entry shown).
    static int voiceIndex(std::int64_t maxVoices);
    // The volume slider's 0 to 1000 position as the stored fraction, and back: the ends are exactly 0 and 1.
    static double volumeForPosition(int position);
    static int positionForVolume(double volume);

    // Replace the platform pieces (tests): the save panel of the backup, and the opener of the sounds folder
    // and the two links.
    void setSavePanel(SavePanel panel) { savePanel_ = std::move(panel); }
    void setOpener(Opener opener) { opener_ = std::move(opener); }

    // Where the backup's save panel opens: the Documents folder, or the home folder when there is none.
    static QString backupFolder();

    // What "Check now" says on hover: why it is disabled, nothing while it works.
    static QString checkNowTip(bool canCheck);

    // The controls, for tests.
    PillToggle *launchAtLoginToggle() const { return launchAtLogin_; }
    PillToggle *stereoToggle() const { return stereo_; }
    PillToggle *lowLatencyToggle() const { return lowLatency_; }
    QSlider *volumeSlider() const { return volume_; }
    QComboBox *outputPicker() const { return output_; }
    QComboBox *voicesPicker() const { return voices_; }
    QAbstractButton *revealButton() const { return reveal_; }
    QAbstractButton *exportButton() const { return export_; }
    QAbstractButton *allowButton() const { return allow_; }
    QWidget *allowedBadge() const { return allowed_; }
    QAbstractButton *checkNowButton() const { return checkNow_; }
    QAbstractButton *feedbackLink() const { return feedback_; }
    QAbstractButton *websiteLink() const { return website_; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildGeneral();
    QWidget *buildYourData();
    QWidget *buildSound();
    QWidget *buildPrivacy();
    QWidget *buildAbout();

    // The appear action: the login item's status and the output devices, read again.
    void appear();
    void refreshFromData();
    void refreshOutputs();
    void refreshAccess();
    void revealSoundsFolder();
    void exportBackup();
    void exportFinished(int task, bool succeeded, const QString &failure);
    // Opens `url` off the main thread; when nothing opens it, the alert of `failureTitle` and `failureText`.
    void open(const QUrl &url, const QString &failureTitle, const QString &failureText);
    // An alert over the page, closed by OK; it does not block the rest of the program.
    void alert(const QString &title, const QString &text);
    void refreshCheckNow();

    AppModel &model_;
    SavePanel savePanel_;
    Opener opener_;
    std::unique_ptr<Landings> landings_; // the openers' answers
    bool launchAtLoginState_ = false;    // as the system reported it last

    PillToggle *launchAtLogin_ = nullptr;
    PillToggle *stereo_ = nullptr;
    PillToggle *lowLatency_ = nullptr;
    QSlider *volume_ = nullptr;
    QComboBox *output_ = nullptr;
    QComboBox *voices_ = nullptr;
    QAbstractButton *reveal_ = nullptr;
    QAbstractButton *export_ = nullptr;
    std::optional<int> backupTask_; // the model's task of the backup being written
    QString backupFolder_;          // the folder it is written into, named if it fails
    QAbstractButton *allow_ = nullptr;
    QWidget *allowed_ = nullptr;
    QAbstractButton *checkNow_ = nullptr;
    QAbstractButton *feedback_ = nullptr;
    QAbstractButton *website_ = nullptr;
};

} // namespace tc
