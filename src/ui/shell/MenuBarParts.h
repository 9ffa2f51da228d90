#pragma once

#include "model/Profile.h"
#include "ui/kit/ItemPool.h"

#include <QAbstractButton>
#include <QColor>
#include <QSlider>
#include <vector>

namespace tc {

class AppModel;

// The pieces of the tray panel (MenuBarView) that draw themselves. Main thread only.

// The on/off pill: a dot and "On" (white on a Theme.ink capsule, glowing orange dot) or "Off" (Theme.ink2 on
// white, grey dot), 32 high.
class OnOffPill : public QAbstractButton {
public:
    static constexpr QColor offDot{200, 200, 195};

    explicit OnOffPill(bool on, QWidget *parent = nullptr);
    void setOn(bool on);
    bool isOn() const { return on_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool on_;
};

// One profile of the panel's grid: the profile's cap colour, its name over "N keys", 50 high; white with a
// 2-point Theme.ink border while active, Theme.panel otherwise. The whole cell takes clicks.
class ProfileCell : public QAbstractButton {
public:
    static constexpr int fixedHeight = 50;

    ProfileCell(const Profile &profile, bool active, QWidget *parent = nullptr);

    // Shows the profile (another one when the cell is reused), its current name, colour and key count, and
    // whether it is active; repaints only on a change.
    void setProfile(const Profile &profile, bool active);

    const Uuid &profileID() const { return id_; }
    bool isActive() const { return active_; }
    const QString &name() const { return name_; }
    // "12 keys", "1 key": the keys the profile gives a sound of their own.
    const QString &keysText() const { return keys_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The width the name has: the cell's, less the badge and the margins.
    qreal nameRoom() const;
    // A name shown cut tells its whole name in the tooltip.
    void syncToolTip();

    Uuid id_;
    QString name_;
    QString keys_;
    ProfileColor color_;
    bool active_;
};

// The panel's profiles in document order, two to a row with 8 between cells and rows, as the content of the
// panel's scroll area: a ProfileCell for each profile in view only, from a pool (a document may hold hundreds
// of profiles). A click on a cell makes its profile active. It follows the profile signals in place: a cell
// changes only when its profile does. Main thread only; the model must outlive it.
class ProfileCellGrid : public ItemPool {
public:
    static constexpr int kSpacing = 8;

    explicit ProfileCellGrid(AppModel &model, QWidget *parent = nullptr);

    // The height of `rows` rows.
    static int rowsHeight(int rows);
    int rowCount() const { return static_cast<int>((items().size() + 1) / 2); }
    // The cells made now (those in view and a row either side), in document order.
    std::vector<ProfileCell *> cells() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    QRect itemRect(std::size_t index) const override;
    QWidget *makeWidget() override;
    void bindWidget(QWidget *widget, std::size_t index) override;
    QRect restingView() const override;

private:
    void profilesChanged(const std::vector<Uuid> &ids);

    AppModel &model_;
};

// The master volume slider, 0 to 1000 (thousandths): a thin track filled in Theme.ink up to a white knob.
// A press anywhere on the track moves the knob there and starts a drag.
class VolumeSlider : public QSlider {
public:
    static constexpr int steps = 1000;
    static constexpr qreal knobSize = 16;

    explicit VolumeSlider(QWidget *parent = nullptr);

    // The value under `x` on a slider `width` wide, and where the knob of `value` sits.
    static int valueAt(qreal x, qreal width);
    static QRectF knobRect(int value, QSizeF size);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The power button: "power" on a white circle 40 across with a 1-point ring.
class QuitButton : public QAbstractButton {
public:
    static constexpr QColor ring{207, 207, 202};

    explicit QuitButton(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
};

} // namespace tc
