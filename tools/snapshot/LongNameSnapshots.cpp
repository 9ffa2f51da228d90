// Every screen with names far longer than a line: profiles, own sounds, words, applications and app rules of
// 10,000 characters (one long word each, as a pasted path or a name without spaces), the first-run sheet with 9
// and with 300 profiles, the picker, the trigger editor limited to three applications and the import alert
// with a long file name. Nothing in them may grow wider than its room.

#include "Snapshot.h"
#include "SnapshotModel.h"

#include "engine/Recorder.h"
#include "engine/RecordingBackend.h"
#include "ui/apprules/AppDirectory.h"
#include "ui/apprules/RuleCard.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/shell/MainWindow.h"
#include "ui/sounds/SoundPickerSheet.h"
#include "ui/sounds/SoundsAlert.h"
#include "ui/sounds/SoundsScreenState.h"
#include "ui/triggers/TriggersView.h"

#include <QColor>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>

namespace tc::snapshot {

namespace {

constexpr int kLength = 10000;

// `what` and its number, then letters without a space up to `length` characters.
std::string longName(const std::string &what, int number, int length = kLength) {
    std::string text = what + std::to_string(number) + "_";
    while (static_cast<int>(text.size()) < length) {
        text += "LoremIpsumDolorSitAmet";
    }
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// Long names everywhere: every profile, three own sounds (the base sound and two keys' sounds), a word trigger
// limited to three applications and two app rules, one with a long-named profile.
void longNames(AppModel &model, int profiles = 0, int length = kLength) {
    model.commitEdit([profiles, length](AppData &data) {
        const Profile first = data.profiles.front();
        for (int i = 0; i < profiles; ++i) {
            Profile profile = first;
            profile.id = Uuid::random();
            profile.color = kAllProfileColors[static_cast<std::size_t>(i) % kAllProfileColors.size()];
            data.profiles.push_back(std::move(profile));
        }
        int number = 0;
        for (Profile &profile : data.profiles) {
            profile.name = longName("Profile", ++number, length);
        }
        for (int i = 0; i < 3; ++i) {
            data.userSounds.push_back({"user.long." + std::to_string(i), longName("Sound", i, length),
                                       SoundCategory::mine, "long" + std::to_string(i) + ".wav", 0.4});
        }
        Profile &active = data.profiles[1]; // the active one
        active.baseSoundID = "user.long.0";
        active.keys["0"] = KeyAssignment{"user.long.1"};
        active.keys["49"] = KeyAssignment{"user.long.2"};
        Trigger trigger{Uuid::random(), Trigger::Kind::word(std::string(kLength, 'w')), "user.long.1", {}, true};
        trigger.appBundleIDs = {longName("org.example.first", 1), longName("org.example.second", 2),
                                longName("org.example.third", 3)};
        data.triggers.insert(data.triggers.begin(), trigger);
        data.appRules.insert(data.appRules.begin(),
                             AppRule{longName("org.example.app", 1), longName("App", 1), data.profiles.back().id});
        data.appRules.insert(data.appRules.begin(), AppRule{longName("org.example.app", 2), longName("App", 2), {}});
    });
}

Snapshot window(const QString &name, AppSection section, QSize size,
                const std::function<void(MainWindow &, AppModel &)> &show = {}, int length = kLength) {
    return {name,
            [section, show, length] {
                auto model = std::make_unique<SnapshotModel>(SnapshotModel::Options{});
                longNames(model->model(), 0, length);
                model->model().completeOnboarding();
                model->model().setSection(section);
                return new ModelHost(std::move(model), [show](SnapshotModel &m) {
                    auto *w = new MainWindow(m.model());
                    if (show) {
                        show(*w, m.model());
                    }
                    return w;
                });
            },
            QColor(Qt::white), size, 0};
}

Snapshot onboarding(const QString &name, int profiles) {
    return {name,
            [profiles] {
                auto model = std::make_unique<SnapshotModel>(SnapshotModel::Options{});
                longNames(model->model(), profiles);
                return new ModelHost(std::move(model), [](SnapshotModel &m) { return new OnboardingView(m.model()); });
            },
            QColor(Qt::white), QSize(OnboardingView::kWidth, OnboardingView::kHeight), 24};
}

// A microphone that never records: the picker is pictured on its other tabs.
class NoMicrophone final : public QObject, public Scheduler, public RecordingBackend {
public:
    class NoTimer final : public Timer {};
    void post(std::function<void()> task) override { task(); }
    std::unique_ptr<Timer> repeat(double, std::function<void()>) override { return std::make_unique<NoTimer>(); }
    Authorization authorization() const override { return Authorization::authorized; }
    void requestAccess(std::function<void(bool)> answer) override { answer(true); }
    std::unique_ptr<RecordingTake> createTake(const std::filesystem::path &) override { return nullptr; }
};

Snapshot picker(const QString &name, SoundPickerTab tab) {
    return {name,
            [tab] {
                auto model = std::make_unique<SnapshotModel>(SnapshotModel::Options{});
                longNames(model->model());
                return new ModelHost(std::move(model), [tab](SnapshotModel &m) {
                    auto *mic = new NoMicrophone;
                    auto *sheet = new SoundPickerSheet(SoundPickerTarget::keys({0}), m.model(),
                                                       std::make_unique<Recorder>(*mic, *mic), [] {});
                    mic->setParent(sheet);
                    sheet->state().setTab(tab);
                    m.finishWork();
                    return sheet;
                });
            },
            QColor(Qt::white), QSize(SoundPickerSheet::kWidth, SoundPickerSheet::kHeight), 0};
}

// A rule card's profile menu with 300 long-named profiles as it opens on the screen, scrolled to its end by the
// End key: a picture of the open menu, as a menu is drawn only in its own window.
Snapshot longMenu(const QString &name) {
    return {name,
            [] {
                auto model = std::make_unique<SnapshotModel>(SnapshotModel::Options{});
                longNames(model->model(), 300 - 4);
                return new ModelHost(std::move(model), [](SnapshotModel &m) {
                    static AppDirectory directory;
                    RuleCard card(m.model(), directory, {"chromium", "Chromium", {}, false});
                    std::unique_ptr<QMenu> menu(card.makeMenu(nullptr));
                    menu->popup(menu->screen()->availableGeometry().topLeft());
                    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
                    QCoreApplication::sendEvent(menu.get(), &end);
                    QCoreApplication::processEvents();
                    auto *picture = new QLabel;
                    picture->setPixmap(menu->grab());
                    return picture;
                });
            },
            QColor(Qt::white), QSize(), 24};
}

// The main window while an application named with 300 characters is in front and muted by its rule: the header's
// status cut with "…" where its room ends.
Snapshot longStatus(const QString &name, QSize size) {
    return {name,
            [] {
                const std::string app = longName("App", 1, 300);
                SnapshotModel::Options options;
                options.frontmost = AppIdentity{"org.example.muted", app};
                auto model = std::make_unique<SnapshotModel>(options);
                longNames(model->model());
                model->model().completeOnboarding();
                model->model().setRule("org.example.muted", app, std::nullopt);
                model->model().setSection(AppSection::sounds);
                return new ModelHost(std::move(model), [](SnapshotModel &m) { return new MainWindow(m.model()); });
            },
            QColor(Qt::white), size, 0};
}

// "Couldn't import" for 17 files of 20 that failed, most of them alike.
QWidget *manyFailures() {
    std::vector<SoundsScreenState::Failure> failures;
    for (int i = 0; i < 17; ++i) {
        failures.push_back({QString::fromStdString(longName("file", i, i < 2 ? 180 : 12)) + QStringLiteral(".wav"),
                            i == 3 ? QStringLiteral("This file is silent.")
                                   : QStringLiteral("This file isn't an audio format Tapchime can read.")});
    }
    return SoundsAlert::importError(*SoundsScreenState::importErrorText(failures), nullptr);
}

} // namespace

std::vector<Snapshot> longNameSnapshots() {
    const QSize large(1400, 880);
    const QSize laptop(1366, 768);
    std::vector<Snapshot> shots;
    shots.push_back(window("long-keys", AppSection::keyboard, large));
    shots.push_back(window("long-keys-1366x768", AppSection::keyboard, laptop));
    for (const int length : {30, kLength}) {
        shots.push_back(window(
            QStringLiteral("long-keys-coach-dismissed-%1").arg(length), AppSection::keyboard, large,
            [](MainWindow &, AppModel &m) { m.setSetting(&AppSettings::coachDismissed, true); }, length));
    }
    shots.push_back(window("long-sounds", AppSection::sounds, large));
    shots.push_back(window("long-triggers", AppSection::triggers, large, [](MainWindow &w, AppModel &m) {
        if (auto *page = dynamic_cast<TriggersView *>(w.page())) {
            page->setSelectedID(m.data().triggers.front().id);
        }
    }));
    shots.push_back(window("long-triggers-list", AppSection::triggers, large, [](MainWindow &w, AppModel &m) {
        if (auto *page = dynamic_cast<TriggersView *>(w.page())) {
            page->setShowsGraph(false);
            page->setSelectedID(m.data().triggers.front().id);
        }
    }));
    shots.push_back(window("long-apps", AppSection::apps, large));
    shots.push_back(onboarding("long-onboarding-9-profiles", 9 - 4));
    shots.push_back(onboarding("long-onboarding-300-profiles", 300 - 4));
    shots.push_back(picker("long-picker-library", SoundPickerTab::library));
    shots.push_back(picker("long-picker-import", SoundPickerTab::importFile));
    shots.push_back({"long-alert-import",
                     [] {
                         return SoundsAlert::importError(QString::fromStdString(longName("file", 1, 180)) +
                                                             QStringLiteral(".wav: ") +
                                                             QStringLiteral("This file is silent."),
                                                         nullptr);
                     },
                     QColor(Qt::white), QSize(), 24});
    shots.push_back({"long-alert-import-17-failures", manyFailures, QColor(Qt::white), QSize(), 24});
    shots.push_back(longMenu("long-menu-rule-300-profiles"));
    shots.push_back(longStatus("long-status-1280x800", QSize(1280, 800)));
    return shots;
}

} // namespace tc::snapshot
