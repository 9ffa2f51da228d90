#pragma once

#include <QAbstractButton>

class QMenu;

namespace tc {

class AppModel;
struct AppDirectory;

// The last cell of the app-rules grid: the dashed "Add app" tile. A click opens its menu: the running
// applications that have no rule yet under "Running apps", then "Choose an app…" over the installed ones.
// Either makes a new rule that keeps the application quiet; an application that already has a rule keeps it
// as it is.
//
// Main thread only. The model and the directory must outlive the card.
class AddAppCard : public QAbstractButton {
public:
    static constexpr int minHeight = 150;

    AddAppCard(AppModel &model, const AppDirectory &directory, QWidget *parent = nullptr);

    // The menu, made afresh from the running applications and the document (the caller owns it).
    QMenu *makeMenu(QWidget *parent);
    // What "Choose an app…" does: the chooser, then a new muted rule for the choice.
    void chooseApp();

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The running applications without a rule, then "Choose an app…".
    void fill(QMenu &menu);

    AppModel &model_;
    const AppDirectory &directory_;
};

} // namespace tc
