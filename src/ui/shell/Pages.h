#pragma once

#include "app/AppTypes.h"
#include "ui/shell/PageServices.h"

#include <QAbstractButton>
#include <QDialog>
#include <QWidget>

namespace tc {

class AppModel;

// The one place that says which screen each section and sheet of the main window shows. A screen that is
// not built yet is a plain placeholder carrying only its title: it offers nothing that could look as if it
// worked. Every call makes a new instance, so a screen's own state starts afresh each time it is entered.

// The page of a section, to be shown on the dotted card.
QWidget *makePage(AppSection section, AppModel &model, QWidget *parent = nullptr, const PageServices &services = {});
// The sound picker sheet for a target. Closing it is the window's business (it resets the model's field).
QDialog *makeSoundPickerSheet(const SoundPickerTarget &target, AppModel &model, QWidget *parent = nullptr);
// The first-run sheet.
QDialog *makeOnboardingSheet(AppModel &model, QWidget *parent = nullptr);

// The placeholder page of a section whose screen is still to come: the section's title, large, at the top.
class SectionPlaceholder : public QWidget {
public:
    SectionPlaceholder(AppSection section, QWidget *parent = nullptr);
    AppSection section() const { return section_; }

private:
    AppSection section_;
};

// The placeholder of a sheet whose screen is still to come: its title on the dotted backdrop and "Close".
class SheetPlaceholder : public QDialog {
public:
    SheetPlaceholder(const QString &title, QWidget *parent = nullptr);
    const QString &title() const { return title_; }
    QAbstractButton *closeButton() const { return close_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString title_;
    QAbstractButton *close_;
};

} // namespace tc
