#pragma once

#include "app/AppModel.h"
#include "ui/kit/PillToggle.h"
#include "ui/kit/TipBanner.h"

#include <functional>
#include <string>

namespace tc {

// The shared views on the application model, for the screens that use them. Main thread.

// A pill toggle's binding to one boolean settings field (read, and written with save and push).
PillToggle::Binding toggleBinding(AppModel::SettingBinding<bool> setting);

// A play button's action: the standard preview of the sound through the model.
std::function<void()> previewAction(AppModel &model, std::string soundID);

// The tip banner with the given id on the document's seen tips: "Got it" marks the tip seen through the model;
// the banner follows every change of the document.
TipBanner *tipBanner(AppModel &model, const QString &id, const QString &symbol, const QString &title,
                     const QString &text, QWidget *parent = nullptr);

// The "allow keyboard access" action of onboarding and the settings screen: there is no system prompt to raise
// here, so the help says what to do, and the keyboard monitor is tried at once (the model keeps trying every
// 1.5 s until it runs).
void allowKeyboardAccess(AppModel &model);

} // namespace tc
