#pragma once

#include "model/SoundItem.h"

#include <QRectF>
#include <QWidget>
#include <memory>

class QAbstractButton;
class QMenu;

namespace tc {

class AppModel;
class PillButton;
class PlayButton;
class SoundsScreenState;

// One sound of the Sounds screen's library, 54 high with a divider below: its cap, name, category, waveform,
// length and the active profile's keys that use it, then ▶ (preview) and "Assign" (to the keys selected in
// the keyboard editor, disabled while none is). The row drags the sound's id as text; its context menu
// previews it, makes it the paint brush's sound, and for the user's own sounds renames or deletes it.
// Names are drawn as plain text, a name cut with "…" shows whole in the tooltip over it. Main thread only; the model
// and the state must outlive it.
class SoundLibraryRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 54;

    SoundLibraryRow(AppModel &model, SoundsScreenState &state, SoundItem sound, QWidget *parent = nullptr);

    // Where each cell lies in a row of `width`, given the width of the "Assign" pill.
    struct Geometry {
        QRectF cap, name, category, waveform, duration, keys, play, assign;
    };
    static Geometry geometry(qreal width, qreal assignWidth);

    const SoundItem &sound() const { return sound_; }
    void setSound(const SoundItem &sound);
    // Reads the keys that use the sound and the selected keys again.
    void refresh();

    // "Preview", "Use as tray sound", and for a user sound a separator, "Rename…" and "Delete". Owned by the
    // caller.
    std::unique_ptr<QMenu> makeContextMenu();
    QAbstractButton *playButton() const;
    QAbstractButton *assignButton() const;
    const QString &keysText() const { return keysText_; }

    // The row's actions.
    void assign();
    void useAsTraySound();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void place();

    AppModel &model_;
    SoundsScreenState &state_;
    SoundItem sound_;
    QString keysText_;
    PlayButton *play_;
    PillButton *assign_;
    QPoint pressPoint_;
    bool pressed_ = false;
};

} // namespace tc
