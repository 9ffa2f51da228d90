// The main window on each section and the tray panel in each of its states, on a model built for pictures.

#include "Snapshot.h"
#include "SnapshotModel.h"

#include "ui/shell/MainWindow.h"
#include "ui/shell/MenuBarView.h"

#include <QColor>

namespace tc::snapshot {

namespace {

// The colour behind the panel, standing for whatever desktop it opens over.
const QColor desktop(90, 96, 110);

Snapshot mainWindow(const QString &name, AppSection section, SnapshotModel::Options options = {},
                    const std::function<void(SnapshotModel &)> &prepare = {}, QSize size = QSize(1400, 880)) {
    return {name,
            [section, options, prepare, size] {
                auto model = std::make_unique<SnapshotModel>(options);
                model->model().setSection(section);
                if (prepare) {
                    prepare(*model);
                }
                return new ModelHost(std::move(model), [size](SnapshotModel &m) {
                    auto *window = new MainWindow(m.model());
                    // As on a screen of that size: the window's least size gives way to the screen's.
                    window->setMinimumSize(MainWindow::minimumSizeFor(size));
                    return window;
                });
            },
            QColor(Qt::white), size, 0};
}

Snapshot panel(const QString &name, SnapshotModel::Options options,
               const std::function<void(SnapshotModel &)> &prepare = {}) {
    return {name,
            [options, prepare] {
                auto model = std::make_unique<SnapshotModel>(options);
                if (prepare) {
                    prepare(*model);
                }
                return new ModelHost(std::move(model), [](SnapshotModel &m) { return new MenuBarView(m.model(), {}); });
            },
            desktop, QSize(), 24};
}

// A long-time user's document: 300 more profiles after the starter packs, the 150th active.
void manyProfiles(SnapshotModel &m) {
    m.model().commitEdit([](AppData &data) {
        const Profile first = data.profiles.front();
        for (int i = 0; i < 300; ++i) {
            Profile profile = first;
            profile.id = Uuid::random();
            profile.name = "Profile " + std::to_string(i + 1);
            profile.color = kAllProfileColors[static_cast<std::size_t>(i) % kAllProfileColors.size()];
            data.profiles.push_back(std::move(profile));
        }
        data.activeProfileID = data.profiles[150].id;
    });
}

SnapshotModel::Options noAccess() {
    SnapshotModel::Options options;
    options.keyboardAccess = false;
    return options;
}

SnapshotModel::Options inZoom() {
    SnapshotModel::Options options;
    options.frontmost = {"Zoom", "Zoom"}; // silenced by a default app rule
    return options;
}

SnapshotModel::Options outputMuted() {
    SnapshotModel::Options options;
    options.outputSilent = true;
    return options;
}

} // namespace

std::vector<Snapshot> windowSnapshots() {
    std::vector<Snapshot> shots;
    shots.push_back(mainWindow("main-keys", AppSection::keyboard));
    shots.push_back(mainWindow("main-sounds", AppSection::sounds));
    shots.push_back(mainWindow("main-triggers", AppSection::triggers));
    shots.push_back(mainWindow("main-apps", AppSection::apps));
    shots.push_back(mainWindow("main-settings", AppSection::settings));
    shots.push_back(mainWindow("main-keys-no-access", AppSection::keyboard, noAccess()));
    shots.push_back(mainWindow("main-apps-muted-in-zoom", AppSection::apps, inZoom()));
    shots.push_back(mainWindow("main-keys-many-profiles", AppSection::keyboard, {}, manyProfiles));
    shots.push_back(mainWindow("main-sounds-many-profiles", AppSection::sounds, {}, manyProfiles));

    // Small screens: a window maximised on 1366x768 and on 1280x800 under a 32-pixel panel and a 28-pixel title bar.
    const std::pair<const char *, QSize> smallScreens[] = {{"1366", QSize(1366, 708)}, {"1280", QSize(1280, 740)}};
    const std::pair<const char *, AppSection> sections[] = {{"keys", AppSection::keyboard},
                                                            {"sounds", AppSection::sounds},
                                                            {"triggers", AppSection::triggers},
                                                            {"apps", AppSection::apps},
                                                            {"settings", AppSection::settings}};
    for (const auto &[screen, size] : smallScreens) {
        for (const auto &[name, section] : sections) {
            shots.push_back(mainWindow(QStringLiteral("small-%1-%2").arg(QLatin1String(screen), QLatin1String(name)),
                                       section, {}, {}, size));
        }
    }

    shots.push_back(panel("panel-playing", {}, [](SnapshotModel &m) { m.press(49, " "); }));
    shots.push_back(panel("panel-fresh", {}));
    shots.push_back(
        panel("panel-off", {}, [](SnapshotModel &m) { m.model().setSetting(&AppSettings::enabled, false); }));
    shots.push_back(panel("panel-muted-by-app", inZoom()));
    shots.push_back(panel("panel-silent-output", outputMuted()));
    shots.push_back(panel("panel-no-access", noAccess()));
    shots.push_back(panel("panel-many-profiles", {}, manyProfiles));
    return shots;
}

} // namespace tc::snapshot
