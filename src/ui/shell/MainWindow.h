#pragma once

#include "ui/shell/PageServices.h"

#include <QMainWindow>

class QAction;
class QDialog;

namespace tc {

class AppModel;
class Header;
class Rail;
enum class AppSection;

// The program's main window (identifier "main"): the section rail on the left and, beside it, the page
// column with the header over a card that shows the current section's page on the dotted backdrop. The page
// follows the model's section (a new page each time a section is entered); the sound picker and onboarding
// sheets follow the model's soundPicker and showOnboarding, and closing a sheet resets that field. A sheet
// belongs to the window: opening one shows the window with it (the first run's onboarding too). Ctrl+,
// opens the Settings section from anywhere in the program.
//
// Main thread only. The model must outlive the window.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The window's least size where the screen allows it.
    static constexpr QSize kMinimumSize{1180, 780};

    // `services` reach the pages that need more than the model.
    explicit MainWindow(AppModel &model, PageServices services = {}, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The least size on a screen whose free area, less the window's frame, is `available`: 1180 × 780, but
    // never more than that area, so no part of the window (the rail's Settings item among it) lies off a small
    // screen such as 1366 × 768 or 1280 × 800. An unknown area keeps 1180 × 780.
    static QSize minimumSizeFor(QSize available);

    // Shows the window (restored when minimised) in front and asks for activation.
    void bringForward();
    // Switches to `section` (when it is another one) and brings the window forward.
    void openSection(AppSection section);

    Rail *rail() const { return rail_; }
    Header *header() const { return header_; }
    // The page of the current section. A hidden window keeps none (the editor alone holds megabytes of
    // drawn keys), so it is made here when asked for while hidden, and on every show.
    QWidget *page();
    // The open sheets, or null.
    QDialog *soundPickerSheet() const { return picker_; }
    QDialog *onboardingSheet() const { return onboarding_; }
    // The widget a dialog opened now belongs over: the open modal sheet or alert, else this window. A dialog
    // over the main window itself would wait, blocked, until the sheet closes.
    QWidget *dialogParent();
    // Ctrl+, : the Settings section.
    QAction *settingsAction() const { return settings_; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool event(QEvent *event) override;

private:
    // Bounds the least size by the free area of the screen the window is on.
    void fitMinimumToScreen();
    void showPage();
    void dropPage();
    void syncSoundPicker();
    void syncOnboarding();
    // Shows the window, in front, when a sheet opens while it is hidden.
    void showForSheet();

    AppModel &model_;
    PageServices services_;
    Rail *rail_;
    Header *header_;
    QWidget *card_;
    QWidget *page_ = nullptr;
    QDialog *picker_ = nullptr;
    QString pickerID_;
    QDialog *onboarding_ = nullptr;
    QAction *settings_;
    bool screenWatched_ = false;
};

} // namespace tc
