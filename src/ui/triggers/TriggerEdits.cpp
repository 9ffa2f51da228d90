#include "ui/triggers/TriggerEdits.h"

#include "app/AppModel.h"
#include "ui/kit/PillToggle.h"

#include <QStringList>
#include <algorithm>

namespace tc::TriggerEdits {

Trigger::Kind defaultShortcut() {
    return Trigger::Kind::shortcut(kDefaultKeyCode, kDefaultModifiers);
}

Trigger::Kind defaultWord() {
    return Trigger::Kind::word(kDefaultWord);
}

const Trigger *find(const AppData &data, const Uuid &id) {
    const auto it = std::find_if(data.triggers.begin(), data.triggers.end(),
                                 [&](const Trigger &trigger) { return trigger.id == id; });
    return it == data.triggers.end() ? nullptr : &*it;
}

void edit(AppModel &model, const Uuid &id, const std::function<void(Trigger &)> &change) {
    model.commitEdit([&](AppData &data) {
        const auto it = std::find_if(data.triggers.begin(), data.triggers.end(),
                                     [&](const Trigger &trigger) { return trigger.id == id; });
        if (it != data.triggers.end()) {
            change(*it);
        }
    });
}

void addApp(AppModel &model, const Uuid &id, const std::string &bundleID) {
    edit(model, id, [&](Trigger &trigger) {
        auto &apps = trigger.appBundleIDs;
        if (std::find(apps.begin(), apps.end(), bundleID) == apps.end()) {
            apps.push_back(bundleID);
        }
    });
}

void removeApp(AppModel &model, const Uuid &id, const std::string &bundleID) {
    edit(model, id, [&](Trigger &trigger) { std::erase(trigger.appBundleIDs, bundleID); });
}

void allowEveryApp(AppModel &model, const Uuid &id) {
    edit(model, id, [](Trigger &trigger) { trigger.appBundleIDs.clear(); });
}

PillToggle *onOffSwitch(AppModel &model, const Uuid &id, QWidget *parent) {
    PillToggle::Binding binding{[&model, id] {
                                    const Trigger *trigger = find(model.data(), id);
                                    return trigger && trigger->enabled;
                                },
                                [&model, id](bool on) { edit(model, id, [on](Trigger &t) { t.enabled = on; }); }};
    auto *toggle = new PillToggle(std::move(binding), QStringLiteral("Trigger on"), parent);
    QObject::connect(&model, &AppModel::dataChanged, toggle, &PillToggle::refresh);
    return toggle;
}

} // namespace tc::TriggerEdits

namespace tc {

QString TriggerApps::chipName(const QString &bundleID) const {
    if (installedName) {
        if (auto name = installedName(bundleID); name && !name->isEmpty()) {
            return *name;
        }
    }
    return bundleID;
}

QString TriggerApps::whereText(const AppData &data, const Trigger &trigger) const {
    if (trigger.appBundleIDs.empty()) {
        return QStringLiteral("All apps");
    }
    QStringList names;
    for (const std::string &id : trigger.appBundleIDs) {
        const auto rule = std::find_if(data.appRules.begin(), data.appRules.end(),
                                       [&](const AppRule &r) { return r.bundleID == id; });
        names << (rule != data.appRules.end() ? QString::fromStdString(rule->appName)
                                              : chipName(QString::fromStdString(id)));
    }
    return names.join(QStringLiteral(", "));
}

} // namespace tc
