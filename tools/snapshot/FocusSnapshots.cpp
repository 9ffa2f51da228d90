// One control with keyboard focus on each screen: the focus ring as a keyboard user sees it.

#include "Snapshot.h"
#include "SnapshotModel.h"

#include "ui/apprules/AddAppCard.h"
#include "ui/editor/KeyPlate.h"
#include "ui/kit/PillToggle.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/onboarding/PackCard.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/Rail.h"
#include "ui/sounds/SoundLibraryPanel.h"

#include <QColor>
#include <QWidget>

namespace tc::snapshot {

namespace {

Snapshot section(const QString &name, AppSection at, std::function<QWidget *(QWidget *)> focus,
                 const std::function<void(AppModel &)> &prepare = {}) {
    Snapshot shot{name,
                  [at, prepare] {
                      auto model = std::make_unique<SnapshotModel>(SnapshotModel::Options{});
                      model->model().completeOnboarding();
                      model->model().setSection(at);
                      if (prepare) {
                          prepare(model->model());
                      }
                      return new ModelHost(std::move(model),
                                           [](SnapshotModel &m) { return new MainWindow(m.model()); });
                  },
                  QColor(Qt::white), QSize(1400, 880), 0};
    shot.focus = std::move(focus);
    return shot;
}

} // namespace

std::vector<Snapshot> focusSnapshots() {
    std::vector<Snapshot> shots;
    shots.push_back(section(
        "focus-keys-plate", AppSection::keyboard, [](QWidget *view) { return findControl<KeyPlate>(view); },
        [](AppModel &model) { model.setSelectedKeys({0}); }));
    shots.push_back(section("focus-keys-rail", AppSection::keyboard,
                            [](QWidget *view) { return findControl<RailItem>(view, QStringLiteral("Sounds")); }));
    shots.push_back(section("focus-sounds-chip", AppSection::sounds, [](QWidget *view) {
        return findControl<CategoryFilterChip>(view, QStringLiteral("Animals"));
    }));
    shots.push_back(section("focus-triggers-row", AppSection::triggers,
                            [](QWidget *view) { return findControl<QWidget>(view, QStringLiteral("Shortcut ")); }));
    shots.push_back(
        section("focus-apps-add", AppSection::apps, [](QWidget *view) { return findControl<AddAppCard>(view); }));
    shots.push_back(section("focus-settings-switch", AppSection::settings,
                            [](QWidget *view) { return findControl<PillToggle>(view); }));

    Snapshot onboarding{"focus-onboarding-pack",
                        [] {
                            auto model = std::make_unique<SnapshotModel>(SnapshotModel::Options{});
                            return new ModelHost(std::move(model),
                                                 [](SnapshotModel &m) { return new OnboardingView(m.model()); });
                        },
                        QColor(Qt::white), QSize(OnboardingView::kWidth, OnboardingView::kHeight), 24};
    onboarding.focus = [](QWidget *view) { return findControl<PackCard>(view); };
    shots.push_back(onboarding);
    return shots;
}

} // namespace tc::snapshot
