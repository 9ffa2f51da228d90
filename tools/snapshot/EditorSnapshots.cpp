// The keyboard editor: the Keys section in the main window with a mixed profile, each tool, held and selected
// keys, and the case lights in their states.

#include "Snapshot.h"
#include "SnapshotModel.h"

#include "ui/editor/EditorView.h"
#include "ui/editor/Inspector.h"
#include "ui/editor/InspectorControls.h"
#include "ui/shell/MainWindow.h"

#include <QColor>

namespace tc::snapshot {

namespace {

// Keys of every category, one of the user's own sounds and one whose sound is gone.
void mixedProfile(AppModel &model) {
    for (const Profile &profile : model.data().profiles) {
        if (profile.name == "Default") {
            model.setActiveProfile(profile.id); // a profile without keys of its own
        }
    }
    model.commitEdit([](AppData &data) {
        data.userSounds.push_back({"user.6C0FFEE0-0000-4000-8000-000000000001", "My whistle", SoundCategory::mine,
                                   std::string("whistle.m4a"), 1.2});
    });
    model.assign("rec.applause", {12, 13});                         // Q W: memes
    model.assign("synth.meow", {0, 1, 2});                          // A S D: animals
    model.assign("synth.coin", {14, 15, 122});                      // E R F1: retro
    model.assign("rec.doorbell", {49, 36});                         // space, return: everyday
    model.assign("user.6C0FFEE0-0000-4000-8000-000000000001", {6}); // Z: mine
    model.assign("synth.cream", {53, 126});                         // esc, arrows: mechanical
    model.assign("user.00000000-0000-4000-8000-00000000dead", {7}); // X: a sound that is gone
}

Snapshot window(const QString &name, QSize size, const std::function<void(SnapshotModel &)> &prepare,
                SnapshotModel::Options options = {}) {
    return {name,
            [options, prepare, size] {
                auto model = std::make_unique<SnapshotModel>(options);
                model->model().setSection(AppSection::keyboard);
                mixedProfile(model->model());
                if (prepare) {
                    prepare(*model);
                }
                return new ModelHost(std::move(model), [size](SnapshotModel &m) {
                    auto *window = new MainWindow(m.model());
                    // As the window bounds its least size on a screen of that size.
                    window->setMinimumSize(MainWindow::minimumSizeFor(size));
                    return window;
                });
            },
            QColor(Qt::white), size, 0};
}

Snapshot page(const QString &name, const std::function<void(SnapshotModel &)> &prepare,
              SnapshotModel::Options options = {}, const std::function<void(EditorView &)> &adjust = {}) {
    return {name,
            [options, prepare, adjust] {
                auto model = std::make_unique<SnapshotModel>(options);
                mixedProfile(model->model());
                if (prepare) {
                    prepare(*model);
                }
                return new ModelHost(std::move(model), [adjust](SnapshotModel &m) {
                    auto *view = new EditorView(m.model());
                    if (adjust) {
                        adjust(*view);
                    }
                    return view;
                });
            },
            QColor(),
            QSize(1112, 800),
            0,
            {},
            true};
}

// The Keys page of a fresh document: the Default profile without keys of its own, coach at `step`.
Snapshot freshPage(const QString &name, int step, KeySet selection) {
    return {name,
            [step, selection] {
                auto model = std::make_unique<SnapshotModel>(SnapshotModel::Options{});
                AppModel &m = model->model();
                for (const Profile &profile : m.data().profiles) {
                    if (profile.name == "Default") {
                        m.setActiveProfile(profile.id);
                    }
                }
                m.advanceCoach(step);
                m.setSelectedKeys(selection);
                return new ModelHost(std::move(model), [](SnapshotModel &sm) { return new EditorView(sm.model()); });
            },
            QColor(),
            QSize(1112, 800),
            0,
            {},
            true};
}

void select(SnapshotModel &m, KeySet keys) {
    m.model().setSelectedKeys(std::move(keys));
}

void heldAndSelected(SnapshotModel &m) {
    m.model().setSelectedKeys({12, 13, 49});
    m.hold(14);  // E
    m.hold(125); // the down arrow: both halves go down
}

} // namespace

std::vector<Snapshot> editorSnapshots() {
    std::vector<Snapshot> shots;
    shots.push_back(window("editor-window-default", QSize(1400, 880), heldAndSelected));
    shots.push_back(window("editor-window-minimum", QSize(1180, 780), heldAndSelected));
    shots.push_back(page("editor-tool-select", {}));
    shots.push_back(page("editor-tool-paint", [](SnapshotModel &m) { m.model().setTool(EditTool::paint); }));
    shots.push_back(page("editor-tool-reset", [](SnapshotModel &m) { m.model().setTool(EditTool::reset); }));
    shots.push_back(page("editor-tool-test", [](SnapshotModel &m) { m.model().setTool(EditTool::test); }));
    shots.push_back(page("editor-lights-all-on", heldAndSelected));
    SnapshotModel::Options noAccess;
    noAccess.keyboardAccess = false;
    shots.push_back(page(
        "editor-lights-all-off", [](SnapshotModel &m) { m.model().setSetting(&AppSettings::enabled, false); },
        noAccess));
    shots.push_back(page("editor-lights-held-while-silent", [](SnapshotModel &m) {
        m.model().setSetting(&AppSettings::masterVolume, 0.0);
        m.hold(14);
    }));
    // The whole page through the coach's steps and the inspector's cases.
    shots.push_back(freshPage("editor-page-step1-no-key", 1, {}));
    shots.push_back(freshPage("editor-page-step2-unassigned-key", 2, {49}));
    shots.push_back(page("editor-page-step3-assigned-key", [](SnapshotModel &m) { select(m, {0}); }));
    shots.push_back(page("editor-page-tips-several-keys", [](SnapshotModel &m) {
        select(m, {0, 1, 12});
        m.model().setTool(EditTool::test);
        m.model().advanceCoach(4); // as the tool bar's Test button does
    }));
    shots.push_back(page("editor-page-silent-base", [](SnapshotModel &m) {
        m.model().setBaseSound("none");
        select(m, {3}); // F: no sound of its own
    }));
    shots.push_back(page("editor-page-missing-sound", [](SnapshotModel &m) { select(m, {7}); }));
    shots.push_back(page(
        "editor-page-advanced-open",
        [](SnapshotModel &m) {
            m.model().editAssignments({0}, [](KeyAssignment &a) {
                a.volume = 0.29;
                a.layerBase = true;
            });
            select(m, {0});
        },
        {}, [](EditorView &view) { view.inspector()->controls()->setAdvancedOpen(true); }));
    shots.push_back(page("editor-page-coach-dismissed", [](SnapshotModel &m) {
        m.model().setSetting(&AppSettings::coachDismissed, true);
        m.model().setTool(EditTool::paint);
    }));
    // A 1366 × 768 screen less a panel and the title bar.
    shots.push_back(window("editor-window-1366x768", QSize(1366, 700), [](SnapshotModel &m) { select(m, {0}); }));
    shots.push_back(window("editor-window-1280x800", QSize(1280, 732), [](SnapshotModel &m) {
        select(m, {0});
        m.model().setTool(EditTool::test);
        m.model().advanceCoach(4);
    }));
    shots.push_back(page("editor-small-unit", {}));
    shots.back().size = QSize(420, 300);
    return shots;
}

} // namespace tc::snapshot
