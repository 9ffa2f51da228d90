#pragma once

// Qt 6.4's moc cannot parse the standard library's concepts, which these headers bring in; moc needs nothing
// of them.
#ifndef Q_MOC_RUN
#include "model/Uuid.h"
#endif

#include <QAbstractButton>
#include <QWidget>
#include <memory>

class QMenu;
class QVariantAnimation;

namespace tc {

class AppModel;
struct SoundFilePanels;

// "Use pack": 12-pixel semibold text 16 in from either side, 30 high, on a capsule with a 1.5-point Theme.ink
// edge. Under the pointer it turns to white on Theme.ink (an ease-out blend of 0.12 s); pressed, it shrinks
// to 0.96 about its centre.
class UsePackButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit UsePackButton(QWidget *parent = nullptr);

    bool hovering() const { return hovering_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void setHovering(bool hovering);

    bool hovering_ = false;
    qreal blend_ = 0; // 0 outline, 1 filled
    QVariantAnimation *animation_;
};

// One profile of the document as a pack card, 190 by 176: four category caps on a grey block (with an orange
// check on the active pack), the name, the number of keys with their own sound, and "Use pack" (or the green
// "In use" on the active pack). Its context menu uses, duplicates, shares or deletes the profile; the keyboard
// reaches it from "Use pack", or on the active pack from the card itself.
//
// The card reads the profile from the model whenever it paints; the row that owns it refreshes it when its
// profile changes. Main thread only.
class ProfilePackCard : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 190;
    static constexpr int kHeight = 176;

    ProfilePackCard(AppModel &model, const Uuid &profileID, const SoundFilePanels &panels, QWidget *parent = nullptr);

    const Uuid &profileID() const { return profileID_; }
    // Shows another profile (a card is reused as its row scrolls).
    void setProfileID(const Uuid &profileID);
    bool isActive() const;
    // The context menu: "Use", "Duplicate", "Share as .tapchime…", a separator, "Delete" (disabled while the
    // document has a single profile). The caller owns it.
    std::unique_ptr<QMenu> makeContextMenu();
    QAbstractButton *useButton() const { return use_; }

    // Brings the control in line with the document: "Use pack" on an inactive card only; the active card
    // takes the focus itself, for its menu.
    void refresh();
    // Opens the context menu at `globalPos` (a right click, the menu key, Space or Return on the active card).
    void popupMenu(QPoint globalPos);

protected:
    bool event(QEvent *event) override; // a name shown cut tells its whole name in the tooltip over it
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    AppModel &model_;
    Uuid profileID_;
    const SoundFilePanels &panels_;
    UsePackButton *use_;
};

} // namespace tc
