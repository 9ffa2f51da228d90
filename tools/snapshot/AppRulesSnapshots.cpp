// The App rules section: the whole window with several rules and a full log, the right-now card in every
// state, the smart-mute card with quiet hours on and the switch log empty and full.

#include "Snapshot.h"
#include "SnapshotModel.h"

#include "app/shell/DesktopEntryApps.h"
#include "engine/RunningAppsSource.h"
#include "ui/apprules/AddAppCard.h"
#include "ui/apprules/AppRulesView.h"
#include "ui/apprules/RightNowCard.h"
#include "ui/apprules/RuleCard.h"
#include "ui/apprules/SmartMuteCard.h"
#include "ui/apprules/SwitchLogCard.h"
#include "ui/shell/MainWindow.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

namespace tc::snapshot {

namespace {

// The applications with windows open.
class Running final : public RunningAppsSource {
public:
    std::vector<AppIdentity> list(const Namer &) override {
        return {{"chromium", "Chromium"}, {"org.gnome.Calculator", "Calculator"}, {"obsidian", "obsidian"}};
    }
};

// A few installed applications, two of them with icons from the system's icon folders and two without.
struct Desktop {
    QTemporaryDir folder;
    std::unique_ptr<DesktopEntryApps> entries;

    Desktop() {
        QDir(folder.path()).mkpath(QStringLiteral("applications"));
        write("chromium", "Chromium", "/usr/share/icons/hicolor/48x48/apps/chromium.png");
        write("org.gnome.TextEditor", "Text Editor",
              "/usr/share/icons/Adwaita/48x48/legacy/accessories-text-editor.png");
        write("org.gnome.Calculator", "Calculator", "/usr/share/icons/Adwaita/48x48/legacy/accessories-calculator.png");
        write("obsidian", "obsidian", "");
        entries = std::make_unique<DesktopEntryApps>(
            DesktopEntries(
                std::vector<std::filesystem::path>{(folder.path() + QStringLiteral("/applications")).toStdString()},
                std::vector<std::string>{}),
            std::make_unique<Running>());
    }

    void write(const char *id, const char *name, const char *icon) {
        QFile file(folder.path() + QStringLiteral("/applications/") + QLatin1String(id) + QStringLiteral(".desktop"));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray("[Desktop Entry]\nType=Application\nExec=true\nName=") + name + "\nIcon=" + icon + "\n");
    }
};

Desktop &desktop() {
    static Desktop instance;
    return instance;
}

PageServices services() {
    return {desktop().entries.get()};
}

const Profile &profileNamed(AppModel &model, const std::string &name) {
    for (const Profile &profile : model.data().profiles) {
        if (profile.name == name) {
            return profile;
        }
    }
    return model.data().profiles.front();
}

// Rules with a profile, with silence, with an icon and without; Chromium in front; a full log of today.
void fillRules(SnapshotModel &m) {
    AppModel &model = m.model();
    const auto arcade = profileNamed(model, "Arcade").id;
    const auto animals = profileNamed(model, "Animals").id;
    model.setRule("chromium", "Chromium", arcade);
    model.setRule("org.gnome.TextEditor", "Text Editor", std::nullopt);
    model.setRule("obsidian", "obsidian", animals);
    const QDateTime morning(QDate::currentDate(), QTime(9, 12));
    const std::pair<AppIdentity, int> visits[] = {
        {{"org.gnome.Terminal", "Terminal"}, 0},
        {{"chromium", "Chromium"}, 3},
        {{"Zoom", "Zoom"}, 14},
        {{"obsidian", "obsidian"}, 47},
        {{"org.gnome.TextEditor", "Text Editor"}, 63},
        {{"org.gnome.Terminal", "Terminal"}, 88},
        {{"chromium", "Chromium"}, 121},
    };
    for (const auto &[app, minutes] : visits) {
        m.setNow(morning.addSecs(60 * minutes));
        m.activate(app);
    }
}

Snapshot window(const QString &name, QSize size, const std::function<void(SnapshotModel &)> &prepare) {
    return {name,
            [size, prepare] {
                auto model = std::make_unique<SnapshotModel>(SnapshotModel::Options{});
                model->model().setSection(AppSection::apps);
                prepare(*model);
                return new ModelHost(std::move(model), [size](SnapshotModel &m) {
                    auto *main = new MainWindow(m.model(), services());
                    // On a small screen the window is as large as the screen allows.
                    main->setMinimumSize(size);
                    return main;
                });
            },
            QColor(Qt::white), size, 0};
}

Snapshot card(const QString &name, SnapshotModel::Options options, const std::function<void(SnapshotModel &)> &prepare,
              const std::function<QWidget *(AppModel &)> &make, int width) {
    return {name,
            [options, prepare, make, width] {
                auto model = std::make_unique<SnapshotModel>(options);
                if (prepare) {
                    prepare(*model);
                }
                return new ModelHost(std::move(model), [make, width](SnapshotModel &m) {
                    QWidget *view = make(m.model());
                    view->setFixedWidth(width);
                    return view;
                });
            },
            QColor(), QSize(), 40};
}

Snapshot rightNow(const QString &name, SnapshotModel::Options options,
                  const std::function<void(SnapshotModel &)> &prepare = {}) {
    return card(
        name, options, prepare, [](AppModel &model) { return new RightNowCard(model); }, 340);
}

SnapshotModel::Options inFront(AppIdentity app) {
    SnapshotModel::Options options;
    options.frontmost = std::move(app);
    return options;
}

} // namespace

std::vector<Snapshot> appRulesSnapshots() {
    std::vector<Snapshot> shots;
    shots.push_back(window("apps-rules", QSize(1400, 880), fillRules));
    shots.push_back(window("apps-rules-1366x768", QSize(1366, 768), fillRules));
    shots.push_back(window("apps-rules-none", QSize(1400, 880), [](SnapshotModel &m) {
        m.model().commitEdit([](AppData &data) {
            data.appRules.clear();
            data.settings.tipsSeen.push_back("apps");
        });
    }));

    const AppIdentity terminal{"org.gnome.Terminal", "Terminal"};
    shots.push_back(rightNow("right-now-playing", inFront(terminal)));
    shots.push_back(rightNow("right-now-no-app", {}));
    shots.push_back(rightNow("right-now-long-name", inFront({"chromium", "Chromium"}), [](SnapshotModel &m) {
        const Uuid id = m.model().data().profiles.front().id;
        m.model().renameProfile(id, "Extremely long profile name here");
        m.model().setRule("chromium", "Chromium", id);
    }));
    SnapshotModel::Options noAccess = inFront(terminal);
    noAccess.keyboardAccess = false;
    shots.push_back(rightNow("right-now-permission", noAccess));
    shots.push_back(rightNow("right-now-off", inFront(terminal),
                             [](SnapshotModel &m) { m.model().setSetting(&AppSettings::enabled, false); }));
    shots.push_back(rightNow("right-now-volume", inFront(terminal),
                             [](SnapshotModel &m) { m.model().setSetting(&AppSettings::masterVolume, 0.0); }));
    SnapshotModel::Options muted = inFront(terminal);
    muted.outputSilent = true;
    shots.push_back(rightNow("right-now-output-muted", muted));
    shots.push_back(rightNow("right-now-app", inFront({"Zoom", "Zoom"})));
    SnapshotModel::Options mic = inFront(terminal);
    mic.micInUse = true;
    shots.push_back(rightNow("right-now-mic", mic, [](SnapshotModel &) { SnapshotModel::waitForPoll(); }));
    SnapshotModel::Options secure = inFront(terminal);
    secure.secureInput = true;
    shots.push_back(rightNow("right-now-password", secure, [](SnapshotModel &) { SnapshotModel::waitForPoll(); }));
    shots.push_back(rightNow("right-now-quiet", inFront(terminal), [](SnapshotModel &m) {
        m.model().commitEdit([](AppData &data) {
            data.settings.quietHoursEnabled = true;
            data.settings.quietStartMinutes = 0;
            data.settings.quietEndMinutes = 1410;
        });
    }));

    const auto smartMute = [](AppModel &model) { return new SmartMuteCard(model); };
    shots.push_back(card("smart-mute", {}, {}, smartMute, 340));
    shots.push_back(card(
        "smart-mute-quiet-hours", {},
        [](SnapshotModel &m) {
            m.model().commitEdit([](AppData &data) {
                data.settings.quietHoursEnabled = true;
                data.settings.muteInSecureInput = false;
                data.settings.quietStartMinutes = 1320;
                data.settings.quietEndMinutes = 420;
            });
        },
        smartMute, 340));
    shots.push_back(card(
        "smart-mute-odd-times", {},
        [](SnapshotModel &m) {
            m.model().commitEdit([](AppData &data) {
                data.settings.quietHoursEnabled = true;
                data.settings.quietStartMinutes = 1385;
                data.settings.quietEndMinutes = 1500;
            });
        },
        smartMute, 340));

    // The two menus as they open: a rule card's and the add-app card's.
    static AppDirectory directory = AppDirectory::desktop(desktop().entries.get());
    const auto menuOf = [](const std::function<QMenu *(AppModel &)> &make) {
        return [make](AppModel &model) {
            QMenu *menu = make(model);
            menu->setWindowFlags(Qt::Widget);
            return static_cast<QWidget *>(menu);
        };
    };
    shots.push_back(card("apps-menu-rule", {}, fillRules, menuOf([](AppModel &model) {
                             auto *card = new RuleCard(model, directory, {"chromium", "Chromium", {}, false});
                             QMenu *menu = card->makeMenu(nullptr);
                             QObject::connect(menu, &QObject::destroyed, card, [card] { delete card; });
                             return menu;
                         }),
                         220));
    shots.push_back(card("apps-menu-add", {}, fillRules, menuOf([](AppModel &model) {
                             auto *add = new AddAppCard(model, directory);
                             QMenu *menu = add->makeMenu(nullptr);
                             QObject::connect(menu, &QObject::destroyed, add, [add] { delete add; });
                             return menu;
                         }),
                         220));

    const auto switchLog = [](AppModel &model) { return new SwitchLogCard(model); };
    shots.push_back(card("switch-log-empty", {}, {}, switchLog, 760));
    shots.push_back(card("switch-log-full", {}, fillRules, switchLog, 760));
    return shots;
}

} // namespace tc::snapshot
