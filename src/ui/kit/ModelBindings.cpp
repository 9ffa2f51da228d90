#include "ui/kit/ModelBindings.h"

#include <algorithm>

namespace tc {

PillToggle::Binding toggleBinding(AppModel::SettingBinding<bool> setting) {
    return {[setting] { return setting.get(); }, [setting](bool on) { setting.set(on); }};
}

std::function<void()> previewAction(AppModel &model, std::string soundID) {
    return [&model, soundID = std::move(soundID)] { model.preview(soundID); };
}

TipBanner *tipBanner(AppModel &model, const QString &id, const QString &symbol, const QString &title,
                     const QString &text, QWidget *parent) {
    TipBanner::Binding binding{[&model](const QString &tip) {
                                   const auto &seen = model.data().settings.tipsSeen;
                                   return std::find(seen.begin(), seen.end(), tip.toStdString()) != seen.end();
                               },
                               [&model](const QString &tip) {
                                   model.commitEdit(
                                       [&](AppData &data) { data.settings.tipsSeen.push_back(tip.toStdString()); });
                               }};
    auto *banner = new TipBanner(id, symbol, title, text, std::move(binding), parent);
    QObject::connect(&model, &AppModel::dataChanged, banner, &TipBanner::refresh);
    return banner;
}

void allowKeyboardAccess(AppModel &model) {
    model.openInputMonitoringSettings();
    model.startMonitorIfPossible();
}

} // namespace tc
