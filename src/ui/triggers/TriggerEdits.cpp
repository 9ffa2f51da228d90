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

PillToggle *onOffSwitch(AppModel &model, const Uuid &id, QWidget *parent) {
    PillToggle::Binding binding{[&model, id] {
                                    const Trigger *trigger = model.trigger(id);
                                    return trigger && trigger->enabled;
                                },
                                [&model, id](bool on) { model.setTriggerEnabled(id, on); }};
    auto *toggle = new PillToggle(std::move(binding), QStringLiteral("Trigger on"), parent);
    // Only its own trigger's changes concern it: a list of two thousand switches must not all look again.
    QObject::connect(&model, &AppModelSignals::triggersChanged, toggle, [toggle, id](const std::vector<Uuid> &ids) {
        if (ids.empty() || std::find(ids.begin(), ids.end(), id) != ids.end()) {
            toggle->refresh();
        }
    });
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
