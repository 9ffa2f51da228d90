#pragma once

#include "app/AppTypes.h"
#include "ui/shell/PageServices.h"

#include <QDialog>
#include <QWidget>

namespace tc {

class AppModel;

// The one place that says which screen each section and sheet of the main window shows. Every call makes a
// new instance, so a screen's own state starts afresh each time it is entered.

// The page of a section, to be shown on the dotted card.
QWidget *makePage(AppSection section, AppModel &model, QWidget *parent = nullptr, const PageServices &services = {});
// The sound picker sheet for a target. Closing it is the window's business (it resets the model's field).
QDialog *makeSoundPickerSheet(const SoundPickerTarget &target, AppModel &model, QWidget *parent = nullptr);
// The first-run sheet.
QDialog *makeOnboardingSheet(AppModel &model, QWidget *parent = nullptr);

} // namespace tc
