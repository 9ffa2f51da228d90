#include "ui/settings/SettingsView.h"

#include "app/AppModel.h"
#include "app/BackgroundService.h"
#include "app/BuildInfo.h"
#include "app/DocumentStore.h"
#include "app/FailureText.h"
#include "app/VersionText.h"
#include "engine/Hotkey.h"
#include "engine/Landings.h"
#include "ui/kit/CardScrollBar.h"
#include "ui/kit/ChoiceBox.h"
#include "ui/kit/DesktopOpen.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/ModelBindings.h"
#include "ui/kit/PercentSlider.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/PillToggle.h"
#include "ui/kit/RowLabels.h"
#include "ui/kit/SectionTitle.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TransparentScroll.h"
#include "ui/settings/SettingsRows.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QScrollArea>
#include <QShowEvent>
#include <QSlider>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

constexpr int kVolumeSteps = 1000;

// The save panel of the backup: JSON only, proposing "Tapchime backup.json". Modal.
std::optional<QString> backupSavePanel(QWidget *parent) {
    QFileDialog dialog(parent, QStringLiteral("Export Backup"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("JSON (*.json)"));
    dialog.setDefaultSuffix(QStringLiteral("json"));
    dialog.setDirectory(SettingsView::backupFolder());
    dialog.selectFile(QStringLiteral("Tapchime backup.json"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

// A page-wide column that hands its width to its contents and is transparent over the dotted backdrop.
QWidget *transparentWidget(QWidget *parent = nullptr) {
    auto *widget = new QWidget(parent);
    widget->setAttribute(Qt::WA_TranslucentBackground);
    widget->setAutoFillBackground(false);
    return widget;
}

// A hotkey's chord on its row of caps.
SettingsRows::KeyCombo *hotkeyCombo(Hotkey hotkey) {
    QStringList caps;
    for (const std::string &cap : hotkeyCaps(hotkey)) {
        caps.append(QString::fromStdString(cap));
    }
    return new SettingsRows::KeyCombo(caps);
}

} // namespace

QString SettingsView::backupFolder() {
    // A folder that is not there would leave the panel in the program's working folder.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) {
        return documents;
    }
    return QDir::homePath();
}

QString SettingsView::headerDetail(const QString &shortVersion) {
    return QStringLiteral("Tapchime ") + (shortVersion.isEmpty() ? QStringLiteral("1.0") : shortVersion);
}

QString SettingsView::versionLine(const QString &versionText) {
    return QStringLiteral("Tapchime ") + versionText + QStringLiteral(" · checks daily");
}

std::vector<SettingsView::OutputEntry> SettingsView::outputEntries(const std::vector<AudioDevice> &devices) {
    std::vector<OutputEntry> entries;
    entries.reserve(devices.size() + 1);
    entries.push_back({QStringLiteral("System default"), QString()});
    for (const AudioDevice &device : devices) {
        entries.push_back({QString::fromStdString(device.name), QString::fromStdString(device.uid)});
    }
    return entries;
}

int SettingsView::outputIndex(const std::vector<OutputEntry> &entries, const std::optional<std::string> &stored) {
    if (!stored || stored->empty()) {
        return 0;
    }
    const QString uid = QString::fromStdString(*stored);
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].uid == uid) {
            return static_cast<int>(i);
        }
    }
    return 0; // not plugged in now: the engine plays on the default output
}

int SettingsView::voiceIndex(std::int64_t maxVoices) {
    const auto it = std::find(kVoiceCounts.begin(), kVoiceCounts.end(), maxVoices);
    return it == kVoiceCounts.end() ? -1 : static_cast<int>(it - kVoiceCounts.begin());
}

double SettingsView::volumeForPosition(int position) {
    return static_cast<double>(std::clamp(position, 0, kVolumeSteps)) / kVolumeSteps;
}

int SettingsView::positionForVolume(double volume) {
    if (!std::isfinite(volume)) {
        return 0;
    }
    return static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * kVolumeSteps));
}

SettingsView::SettingsView(AppModel &model, QWidget *parent)
    : QWidget(parent), model_(model), savePanel_(backupSavePanel),
      opener_([](const QUrl &url) { return DesktopOpen::openUrl(url); }), landings_(model.background().landings()) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    auto *scroll = new QScrollArea(this);
    makeTransparentScroll(scroll);
    scroll->setObjectName(QStringLiteral("settingsScroll"));
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    CardScrollBar::fit(scroll, 0, false, false); // the program's slim bar, as in its cards
    outer->addWidget(scroll);

    auto *page = transparentWidget();
    auto *stack = new QVBoxLayout(page);
    stack->setContentsMargins(28, 28, 28, 28);
    stack->setSpacing(22);
    stack->addWidget(
        new SectionTitle(QStringLiteral("Settings"), headerDetail(QString::fromUtf8(buildinfo::shortVersion)), page), 0,
        Qt::AlignLeft);

    auto *columns = new QHBoxLayout;
    columns->setSpacing(18);
    const auto column = [&](std::initializer_list<QWidget *> groups) {
        auto *box = new QVBoxLayout;
        box->setSpacing(18);
        for (QWidget *group : groups) {
            box->addWidget(group);
        }
        box->addStretch(1);
        columns->addLayout(box, 1);
    };
    column({buildGeneral(), buildYourData()});
    column({buildSound(), buildPrivacy()});
    column({buildAbout()});
    stack->addLayout(columns);
    stack->addStretch(1);
    scroll->setWidget(page);

    model_.observe(AppModel::settingsChange, this, [this] { refreshFromData(); });
    connect(&model_, &AppModel::outputDevicesChanged, this, [this] { refreshOutputs(); });
    connect(&model_, &AppModel::permissionGrantedChanged, this, [this] { refreshAccess(); });
    connect(&model_, &AppModel::launchAtLoginChanged, this, [this] {
        launchAtLoginState_ = model_.launchAtLogin();
        launchAtLogin_->refresh();
    });
    connect(&model_, &AppModel::canCheckForUpdatesChanged, this, [this] { refreshCheckNow(); });
    refreshOutputs();
    refreshFromData();
    refreshAccess();
}

QWidget *SettingsView::buildGeneral() {
    auto *group = new SettingsRows::Group(QStringLiteral("General"));
    // The switch shows what the system reports after every change, not what was asked for.
    launchAtLogin_ = new PillToggle({[this] { return launchAtLoginState_; },
                                     [this](bool on) {
                                         model_.setLaunchAtLogin(on);
                                         launchAtLoginState_ = model_.launchAtLogin();
                                     }},
                                    QStringLiteral("Launch at login"));
    SettingsRows::addRow(*group, QStringLiteral("Launch at login"), QStringLiteral("Start quietly in the tray"),
                         launchAtLogin_, false);
    SettingsRows::addRow(*group, QStringLiteral("Turn sounds on or off"), QStringLiteral("Works in any app"),
                         hotkeyCombo(Hotkey::toggleSounds), false);
    SettingsRows::addRow(*group, QStringLiteral("Next profile"), QStringLiteral("Cycles through your profiles"),
                         hotkeyCombo(Hotkey::nextProfile), false);
    stereo_ =
        new PillToggle(toggleBinding(model_.binding(&AppSettings::stereoSpread)), QStringLiteral("Stereo keyboard"));
    SettingsRows::addRow(*group, QStringLiteral("Stereo keyboard"),
                         QStringLiteral("Left keys sound left, right keys sound right"), stereo_, true);
    return group;
}

QWidget *SettingsView::buildYourData() {
    auto *group = new SettingsRows::Group(QStringLiteral("Your data"));
    reveal_ = new PillButton(QStringLiteral("Reveal"), OutlinePillButtonStyle{30});
    connect(reveal_, &QAbstractButton::clicked, this, [this] { revealSoundsFolder(); });
    SettingsRows::addRow(*group, QStringLiteral("Sounds folder"), QStringLiteral("Your recordings and imported files"),
                         reveal_, false);
    export_ = new PillButton(QStringLiteral("Export"), OutlinePillButtonStyle{30});
    connect(export_, &QAbstractButton::clicked, this, [this] { exportBackup(); });
    connect(&model_, &AppModel::exportFinished, this, &SettingsView::exportFinished);
    SettingsRows::addRow(*group, QStringLiteral("Backup"),
                         QStringLiteral("Profiles, triggers and app rules in one file"), export_, true);
    return group;
}

QWidget *SettingsView::buildSound() {
    auto *group = new SettingsRows::Group(QStringLiteral("Sound"));

    volume_ = new PercentSlider(kVolumeSteps);
    volume_->setObjectName(QStringLiteral("volume"));
    volume_->setAccessibleName(QStringLiteral("Volume"));
    volume_->setRange(0, kVolumeSteps);
    volume_->setFixedWidth(140);
    // Written continuously while dragged; the model saves (debounced) and pushes each value.
    connect(volume_, &QSlider::valueChanged, this, [this](int position) {
        const double volume = volumeForPosition(position);
        if (volume != model_.data().settings.masterVolume) {
            model_.setSetting(&AppSettings::masterVolume, volume);
        }
    });
    SettingsRows::addRow(*group, QStringLiteral("Volume"), QStringLiteral("Master level for every sound"), volume_,
                         false);

    output_ = new ChoiceBox;
    output_->setObjectName(QStringLiteral("output"));
    output_->setAccessibleName(QStringLiteral("Output"));
    output_->setFixedWidth(180);
    connect(output_, &QComboBox::activated, this, [this](int index) {
        const QString uid = output_->itemData(index).toString();
        model_.setOutputDevice(uid.isEmpty() ? std::nullopt : std::optional<std::string>(uid.toStdString()));
    });
    SettingsRows::addRow(*group, QStringLiteral("Output"), QStringLiteral("Where Tapchime plays"), output_, false);

    lowLatency_ = new PillToggle(
        {[this] { return model_.data().settings.lowLatency; }, [this](bool on) { model_.setLowLatency(on); }},
        QStringLiteral("Low-latency mode"));
    SettingsRows::addRow(*group, QStringLiteral("Low-latency mode"), QStringLiteral("About 3 ms from key to sound"),
                         lowLatency_, false);

    voices_ = new ChoiceBox;
    voices_->setObjectName(QStringLiteral("voices"));
    voices_->setAccessibleName(QStringLiteral("Sounds at once"));
    voices_->setFixedWidth(120);
    for (const int count : kVoiceCounts) {
        voices_->addItem(QStringLiteral("%1 voices").arg(count), count);
    }
    connect(voices_, &QComboBox::activated, this,
            [this](int index) { model_.setMaxVoices(voices_->itemData(index).toInt()); });
    SettingsRows::addRow(*group, QStringLiteral("Sounds at once"), QStringLiteral("Fast typing never gets cut off"),
                         voices_, true);
    return group;
}

QWidget *SettingsView::buildPrivacy() {
    auto *group = new SettingsRows::Group(QStringLiteral("Privacy"));
    auto *control = transparentWidget();
    auto *controls = new QHBoxLayout(control);
    controls->setContentsMargins(0, 0, 0, 0);
    allow_ = new PillButton(QStringLiteral("Allow"), BlackPillButtonStyle{30}, control);
    connect(allow_, &QAbstractButton::clicked, this, [this] { allowKeyboardAccess(model_); });
    allowed_ = new SettingsRows::AllowedBadge(control);
    controls->addWidget(allow_);
    controls->addWidget(allowed_);
    SettingsRows::addRow(*group, QStringLiteral("Keyboard access"), QStringLiteral("Needed to hear key presses"),
                         control, false);
    group->rows()->addWidget(rowDivider(nullptr));

    auto *statement = new QLabel(QStringLiteral("Tapchime only knows which key was pressed. It never stores, logs or "
                                                "sends what you type. Word triggers are matched in memory and "
                                                "forgotten right away."));
    statement->setObjectName(QStringLiteral("privacyStatement"));
    statement->setTextFormat(Qt::PlainText);
    statement->setWordWrap(true);
    statement->setFont(Fonts::system(12));
    statement->setContentsMargins(0, 12, 0, 12);
    QPalette palette = statement->palette();
    palette.setColor(QPalette::WindowText, Theme::ink2);
    statement->setPalette(palette);
    group->rows()->addWidget(statement);
    return group;
}

QWidget *SettingsView::buildAbout() {
    auto *group = new SettingsRows::Group(QStringLiteral("About"));

    auto *updates = transparentWidget();
    updates->setFixedHeight(52);
    auto *row = new QHBoxLayout(updates);
    row->setContentsMargins(0, 0, 0, 0);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(1);
    auto *title = new QLabel(QStringLiteral("Updates"), updates);
    title->setFont(Fonts::system(13, QFont::DemiBold));
    auto *version = new QLabel(versionLine(versionText()), updates);
    version->setObjectName(QStringLiteral("versionLine"));
    version->setTextFormat(Qt::PlainText);
    version->setFont(Fonts::system(11));
    QPalette faint = version->palette();
    faint.setColor(QPalette::WindowText, Theme::ink3);
    version->setPalette(faint);
    texts->addStretch(1);
    texts->addWidget(title);
    texts->addWidget(version);
    texts->addStretch(1);
    row->addLayout(texts, 1);
    checkNow_ = new SettingsRows::CapsuleButton(QStringLiteral("Check now"), updates);
    refreshCheckNow();
    connect(checkNow_, &QAbstractButton::clicked, this, [this] { model_.checkForUpdates(); });
    row->addWidget(checkNow_, 0, Qt::AlignVCenter);
    group->rows()->addWidget(updates);
    group->rows()->addWidget(rowDivider(nullptr));

    // A link that nothing opens says so and gives its address, as "Reveal" gives its folder.
    const auto openMail = [this](const QUrl &url) {
        open(url, QStringLiteral("Couldn't start an email"),
             QStringLiteral("No email application is set up on this computer. Write to %1.").arg(url.path()));
    };
    const auto openWeb = [this](const QUrl &url) {
        open(url, QStringLiteral("Couldn't open the website"),
             QStringLiteral("No web browser is set up on this computer. The address is %1").arg(url.toDisplayString()));
    };
    feedback_ = new SettingsRows::LinkRow(QStringLiteral("Send feedback"), QUrl(QString::fromLatin1(kFeedbackAddress)),
                                          openMail);
    group->rows()->addWidget(feedback_);
    group->rows()->addWidget(rowDivider(nullptr));
    website_ =
        new SettingsRows::LinkRow(QStringLiteral("Website"), QUrl(QString::fromLatin1(kWebsiteAddress)), openWeb);
    group->rows()->addWidget(website_);
    return group;
}

void SettingsView::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        appear();
    }
}

void SettingsView::appear() {
    launchAtLoginState_ = model_.launchAtLogin();
    launchAtLogin_->refresh();
    model_.refreshOutputDevices();
}

void SettingsView::refreshFromData() {
    const AppSettings &settings = model_.data().settings;
    stereo_->refresh();
    lowLatency_->refresh();
    if (!volume_->isSliderDown()) {
        const QSignalBlocker quiet(volume_);
        volume_->setValue(positionForVolume(settings.masterVolume));
    }
    voices_->setCurrentIndex(voiceIndex(settings.maxVoices));
    refreshOutputs();
}

void SettingsView::refreshOutputs() {
    const auto entries = outputEntries(model_.outputDevices());
    const QSignalBlocker quiet(output_);
    bool same = output_->count() == static_cast<int>(entries.size());
    for (int i = 0; same && i < output_->count(); ++i) {
        same = output_->itemText(i) == entries[i].name && output_->itemData(i).toString() == entries[i].uid;
    }
    if (!same) {
        output_->clear();
        for (const OutputEntry &entry : entries) {
            output_->addItem(entry.name, entry.uid);
        }
    }
    output_->setCurrentIndex(outputIndex(entries, model_.data().settings.outputDeviceUID));
}

void SettingsView::refreshAccess() {
    const bool granted = model_.permissionGranted();
    allow_->setVisible(!granted);
    allowed_->setVisible(granted);
}

QString SettingsView::checkNowTip(bool canCheck) {
    if (canCheck) {
        return {};
    }
    return QStringLiteral("This copy of Tapchime has no update feed to check: its updates come with your "
                          "system's packages.");
}

void SettingsView::refreshCheckNow() {
    const bool canCheck = model_.canCheckForUpdates();
    checkNow_->setEnabled(canCheck);
    checkNow_->setToolTip(checkNowTip(canCheck));
}

void SettingsView::revealSoundsFolder() {
    const QString folder = QString::fromStdString(model_.soundsFolder().string());
    // No file manager answers: the user still learns where the files are.
    open(QUrl::fromLocalFile(folder), QStringLiteral("Couldn't open the sounds folder"),
         QStringLiteral("No file manager could show it. Your recordings and imported files are in\n%1")
             .arg(QDir::toNativeSeparators(folder)));
}

void SettingsView::exportBackup() {
    const std::optional<QString> path = savePanel_(this);
    if (!path || path->isEmpty()) {
        return;
    }
    // Written on the model's worker; a failure is told in an alert when it comes back. Meanwhile the button is
    // disabled, so one click writes one backup.
    backupTask_ = model_.exportBackupAsync(*path);
    backupFolder_ = QFileInfo(*path).absolutePath();
    export_->setEnabled(false);
}

void SettingsView::exportFinished(int task, bool succeeded, const QString &failure) {
    if (backupTask_ && task == *backupTask_) {
        backupTask_.reset();
        export_->setEnabled(true);
        if (!succeeded) {
            alert(QStringLiteral("Couldn't export the backup"), backupFailureMessage(backupFolder_, failure));
        }
    }
}

SettingsView::~SettingsView() = default;

void SettingsView::open(const QUrl &url, const QString &failureTitle, const QString &failureText) {
    if (!opener_) {
        return;
    }
    // Asking the desktop and waiting for xdg-open takes from a tenth of a second to seconds: on the desktop lane,
    // and what failed is told when the answer lands (not once the page is gone).
    model_.background().post(BackgroundService::Lane::desktop, [opener = opener_, url, deliver = landings_->deliverer(),
                                                                self = this, failureTitle, failureText] {
        if (!opener(url)) {
            deliver([self, failureTitle, failureText] { self->alert(failureTitle, failureText); });
        }
    });
}

void SettingsView::alert(const QString &title, const QString &text) {
    auto *box = new QMessageBox(QMessageBox::Warning, title, title, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("settingsAlert"));
    box->setInformativeText(text);
    // The address or folder it names can be copied.
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

} // namespace tc
