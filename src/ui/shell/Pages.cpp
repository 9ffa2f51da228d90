#include "ui/shell/Pages.h"

#include "app/AppModel.h"
#include "engine/linux/DesktopEntries.h"
#include "ui/editor/EditorView.h"
#include "ui/kit/DottedBackground.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/SectionTitle.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/rules/AppRulesView.h"
#include "ui/settings/SettingsView.h"
#include "ui/shell/Sections.h"
#include "ui/sounds/PickerRecordPane.h"
#include "ui/sounds/SoundPickerSheet.h"
#include "ui/sounds/SoundsView.h"
#include "ui/triggers/TriggersView.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace tc {

namespace {

// The trigger screen's view of applications: running ones from the window list, the chooser and the names of
// the installed desktop entries.
TriggerApps triggerApps(const PageServices &services) {
    TriggerApps apps;
    RunningAppsSource *source = services.runningApps;
    DesktopEntries *entries = services.desktopEntries;
    if (!entries) {
        return apps;
    }
    if (source) {
        apps.running = [source, entries] { return PanelHelper::runningApps(*source, *entries); };
    }
    apps.choose = [entries](QWidget *parent) {
        entries->refreshIfChanged();
        return PanelHelper::chooseApp(*entries, parent);
    };
    apps.installedName = [entries](const QString &bundleID) -> std::optional<QString> {
        const DesktopEntry *entry = entries->find(bundleID.toStdString());
        return entry ? std::optional(QString::fromStdString(entry->name)) : std::nullopt;
    };
    return apps;
}

} // namespace

QWidget *makePage(AppSection section, AppModel &model, QWidget *parent, const PageServices &services) {
    if (section == AppSection::keyboard) {
        return new EditorView(model, parent);
    }
    if (section == AppSection::triggers) {
        return new TriggersView(model, triggerApps(services), parent);
    }
    if (section == AppSection::apps) {
        return new AppRulesView(model, AppDirectory::desktop(services.runningApps, services.desktopEntries), parent);
    }
    if (section == AppSection::settings) {
        return new SettingsView(model, parent);
    }
    if (section == AppSection::sounds) {
        return new SoundsView(model, SoundFilePanels::system(), parent);
    }
    return new SectionPlaceholder(section, parent);
}

QDialog *makeSoundPickerSheet(const SoundPickerTarget &target, AppModel &model, QWidget *parent) {
    return new SoundPickerSheet(target, model, model.makeRecorder(), PickerRecordPane::systemSoundSettings(), parent);
}

QDialog *makeOnboardingSheet(AppModel &model, QWidget *parent) {
    return new OnboardingView(model, parent);
}

SectionPlaceholder::SectionPlaceholder(AppSection section, QWidget *parent) : QWidget(parent), section_(section) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(32, 28, 32, 28);
    column->addWidget(new SectionTitle(sectionInfo(section).title, std::nullopt, this), 0, Qt::AlignLeft);
    column->addStretch(1);
}

SheetPlaceholder::SheetPlaceholder(const QString &title, QWidget *parent) : QDialog(parent), title_(title) {
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    resize(560, 360);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(32, 28, 32, 24);
    column->addWidget(new SectionTitle(title, std::nullopt, this), 0, Qt::AlignLeft);
    column->addStretch(1);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    auto *close = new PillButton(QStringLiteral("Close"), OutlinePillButtonStyle{32}, this);
    connect(close, &QAbstractButton::clicked, this, &QDialog::reject);
    row->addWidget(close);
    column->addLayout(row);
    close_ = close;
}

void SheetPlaceholder::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    DottedBackground::paint(painter, QRectF(rect()), 20);
}

} // namespace tc
