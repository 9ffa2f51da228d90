#pragma once

#include "model/Profile.h"
#include "model/Uuid.h"

#include <QAbstractButton>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

class QDialog;
class QLineEdit;
class QMenu;

namespace tc {

class AppModel;
class ChipGroup;
class ChipStrip;
class LabelPillButton;

// One profile in the switcher: a 9-point swatch of the profile's colour and its name, on a white capsule
// (drawn by its group) while it is the active profile.
class ProfileChip : public QAbstractButton {
public:
    static constexpr qreal fixedHeight = 30;

    ProfileChip(const Profile &profile, bool active, QWidget *parent = nullptr);

    // Shows the profile (another one when the chip is reused), its current name and colour, and whether it is
    // active; repaints only on a change.
    void setProfile(const Profile &profile, bool active);

    const Uuid &profileID() const { return id_; }
    ProfileColor color() const { return color_; }
    bool isActive() const { return active_; }

    static QSizeF size(const QString &name);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The name as drawn at the chip's width (cut with "…" where it does not fit), and the tooltip that goes
    // with it.
    void fitName();

    Uuid id_;
    ProfileColor color_;
    bool active_;
    QString shown_;
};

// The profile switcher at the right end of the header while the Keys section is shown: a chip per profile
// (a click makes that profile active; its context menu renames, recolours or deletes it), the more menu ("New
// profile", "Duplicate <active>", then the active profile's menu) and "Share pack". Every change goes
// through the model's operations, which save and push themselves and make new names unique. The chips
// follow the model's profile signals in place: a chip changes only when its profile does. When the chips are
// wider than the header has room for, the group scrolls sideways (the wheel, or Tab to a chip), and only the
// chips in view are made, from a pool (a document may hold hundreds of profiles).
// Main thread only; the model must outlive it.
class ProfileSwitcher : public QWidget {
public:
    // What "Share pack" does with the model; the program's default opens the save panel (PanelHelper::exportPack).
    using ShareAction = std::function<void(AppModel &model, QWidget *parent)>;

    explicit ProfileSwitcher(AppModel &model, QWidget *parent = nullptr);
    ~ProfileSwitcher() override;

    void setShareAction(ShareAction action);

    // The menus as they would open now (the caller owns them): the more menu, and a profile's own menu.
    QMenu *makeMoreMenu(QWidget *parent);
    QMenu *makeProfileMenu(const Uuid &profileID, QWidget *parent);

    // Opens the rename dialog for a profile with its current name filled in.
    void startRename(const Uuid &profileID);
    // The open rename dialog, or null.
    QDialog *renameDialog() const { return dialog_; }
    QLineEdit *renameField() const { return field_; }
    const std::optional<Uuid> &renaming() const { return renaming_; }

    // The chips made now (those in view and one either side), in document order.
    std::vector<ProfileChip *> chips() const;
    // The track the chips scroll in.
    QWidget *chipGroup() const;
    QAbstractButton *moreButton() const { return more_; }
    QAbstractButton *shareButton() const;

private:
    void endRename();

    AppModel &model_;
    ChipGroup *group_;
    ChipStrip *strip_;
    QAbstractButton *more_;
    LabelPillButton *share_;
    ShareAction shareAction_;

    std::optional<Uuid> renaming_;
    QString newName_;
    QDialog *dialog_ = nullptr;
    QLineEdit *field_ = nullptr;
};

} // namespace tc
