#include "ui/kit/ModelBindings.h"

namespace tc {

PillToggle::Binding toggleBinding(AppModel::SettingBinding<bool> setting) {
    return {[setting] { return setting.get(); }, [setting](bool on) { setting.set(on); }};
}

std::function<void()> previewAction(AppModel &model, std::string soundID) {
    return [&model, soundID = std::move(soundID)] { model.preview(soundID); };
}

TipBanner *tipBanner(AppModel &model, const QString &id, const QString &symbol, const QString &title,
                     const QString &text, QWidget *parent) {
    TipBanner::Binding binding{[&model](const QString &tip) { return model.isTipSeen(tip.toStdString()); },
                               [&model](const QString &tip) { model.markTipSeen(tip.toStdString()); }};
    auto *banner = new TipBanner(id, symbol, title, text, std::move(binding), parent);
    model.observe(AppModel::settingsChange, banner, [banner] { banner->refresh(); });
    return banner;
}

void allowKeyboardAccess(AppModel &model) {
    model.openInputMonitoringSettings();
    model.startMonitorIfPossible();
}

} // namespace tc
