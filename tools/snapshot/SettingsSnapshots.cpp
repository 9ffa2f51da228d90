// The first-run sheet in its two steps and the Settings page in the main window.

#include "Snapshot.h"
#include "SnapshotModel.h"

#include "ui/onboarding/OnboardingView.h"
#include "ui/onboarding/PackCard.h"
#include "ui/shell/MainWindow.h"

#include <QColor>

namespace tc::snapshot {

namespace {

Snapshot onboarding(const QString &name, bool access, int tappedCard) {
    return {name,
            [access, tappedCard] {
                SnapshotModel::Options options;
                options.keyboardAccess = access;
                auto model = std::make_unique<SnapshotModel>(options);
                return new ModelHost(std::move(model), [tappedCard](SnapshotModel &m) {
                    auto *sheet = new OnboardingView(m.model());
                    if (tappedCard >= 0 && tappedCard < static_cast<int>(sheet->packCards().size())) {
                        sheet->packCards()[static_cast<std::size_t>(tappedCard)]->click();
                    }
                    return sheet;
                });
            },
            QColor(Qt::white), QSize(OnboardingView::kWidth, OnboardingView::kHeight), 24};
}

Snapshot settings(const QString &name, bool login, QSize size) {
    return {name,
            [login] {
                SnapshotModel::Options options;
                options.launchAtLogin = login;
                options.outputDevices = {{"alsa_output.pci-0000_00_1f.3.analog-stereo", "Built-in Audio Analog Stereo"},
                                         {"bluez_output.AC_80_0A_12_34_56.1", "WH-1000XM4"}};
                auto model = std::make_unique<SnapshotModel>(options);
                model->loadOutputDevices();
                AppModel &m = model->model();
                m.setOutputDevice(options.outputDevices[1].uid);
                m.setLowLatency(true);
                m.completeOnboarding(); // no sheet over the page
                m.setSection(AppSection::settings);
                return new ModelHost(std::move(model), [](SnapshotModel &sm) { return new MainWindow(sm.model()); });
            },
            QColor(Qt::white), size, 0};
}

} // namespace

std::vector<Snapshot> settingsSnapshots() {
    std::vector<Snapshot> shots;
    shots.push_back(onboarding("onboarding-waiting-for-access", false, -1));
    shots.push_back(onboarding("onboarding-packs-one-previewing", true, 1));
    shots.push_back(settings("settings-login-on", true, QSize(1400, 880)));
    shots.push_back(settings("settings-login-off-1366x768", false, QSize(1366, 768)));
    return shots;
}

} // namespace tc::snapshot
