// The Triggers section: empty, as a graph and as a list with a mix of triggers, the editor recording a
// shortcut and the application chips, in the main window at its default size and on a small screen.

#include "Snapshot.h"
#include "SnapshotModel.h"

#include "app/shell/DesktopEntryApps.h"
#include "model/Modifiers.h"
#include "ui/shell/MainWindow.h"
#include "ui/triggers/FlowChips.h"
#include "ui/triggers/TriggerEditor.h"
#include "ui/triggers/TriggersView.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tc::snapshot {

namespace {

// Two installed applications, so that chips and the WHERE column show desktop-entry names.
DesktopEntryApps &installed() {
    static QTemporaryDir folder;
    static DesktopEntryApps entries = [] {
        const auto write = [](const QString &id, const QString &name) {
            QFile file(QDir(folder.path()).filePath(id + ".desktop"));
            file.open(QIODevice::WriteOnly);
            file.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=true\n").arg(name).toUtf8());
        };
        write("org.gnome.Terminal", "Terminal");
        write("firefox", "Firefox Web Browser");
        return DesktopEntryApps(DesktopEntries({folder.path().toStdString()}, {}));
    }();
    return entries;
}

// The default triggers plus one of each case worth seeing: off, limited to applications, a missing sound.
void mix(AppModel &model) {
    model.commitEdit([](AppData &data) {
        data.triggers[1].enabled = false;
        data.triggers[2].appBundleIDs = {"org.gnome.Terminal", "firefox"};
    });
    model.addTrigger(Trigger::Kind::shortcut(17, Modifiers::kControl | Modifiers::kShift), "user.gone");
    model.addTrigger(Trigger::Kind::word("ship"), "synth.tada");
    model.commitEdit([](AppData &data) { data.triggers.back().appBundleIDs = {"Zoom"}; });
}

TriggersView *triggersPage(MainWindow *window) {
    return dynamic_cast<TriggersView *>(window->page());
}

Snapshot window(const QString &name, QSize size, const std::function<void(AppModel &)> &prepare,
                const std::function<void(TriggersView &, AppModel &)> &show = {}) {
    return {name,
            [prepare, show] {
                auto model = std::make_unique<SnapshotModel>(SnapshotModel::Options{});
                prepare(model->model());
                model->model().setSection(AppSection::triggers);
                return new ModelHost(std::move(model), [show](SnapshotModel &m) {
                    auto *w = new MainWindow(m.model(), PageServices{&installed()});
                    if (show) {
                        show(*triggersPage(w), m.model());
                    }
                    return w;
                });
            },
            QColor(Qt::white), size, 0};
}

void clear(AppModel &model) {
    model.commitEdit([](AppData &data) { data.triggers.clear(); });
}

} // namespace

std::vector<Snapshot> triggerSnapshots() {
    const QSize large(1400, 880);
    const QSize small(1366, 780); // the window's least height, on a 1366 × 768 screen
    std::vector<Snapshot> shots;
    shots.push_back(window("triggers-empty", large, clear));
    shots.push_back(window("triggers-graph", large, mix));
    shots.push_back(window("triggers-graph-small", small, mix));
    shots.push_back(window("triggers-list", large, mix, [](TriggersView &v, AppModel &) { v.setShowsGraph(false); }));
    shots.push_back(
        window("triggers-list-small", small, mix, [](TriggersView &v, AppModel &) { v.setShowsGraph(false); }));
    shots.push_back(window("triggers-recording", large, mix,
                           [](TriggersView &v, AppModel &) { v.editor()->captureArea()->click(); }));
    shots.push_back(window("triggers-word-chips", large, mix, [](TriggersView &v, AppModel &m) {
        v.setSelectedID(m.data().triggers[2].id); // "lol", limited to two applications
    }));
    return shots;
}

} // namespace tc::snapshot
