#pragma once

#include "app/AppTypes.h"
#include "model/SoundItem.h"
#include "ui/editor/KeyboardGeometry.h"

#include <QWidget>
#include <cstdint>
#include <map>
#include <optional>

class QMenu;

namespace tc {

class AppModel;
class SpringAnimator;

// The recessed plate of the drawn keyboard with every key on it, painted by this one widget: the keys of the
// active profile coloured by their sounds, held keys pressed down, selected keys ringed.
//
// The plate takes every pointer event itself and finds the key through the geometry's hit test:
// - paint and reset tools: pressing and dragging sweeps over keys, each handled at most once per drag (paint
//   assigns the brush sound and previews it, reset removes the key's own sound silently). A sweep handles every
//   key under the straight path between one pointer position and the next, however far apart the window system
//   reports them, in the plate's coordinates as they were when the button went down;
// - select and test tools: a click acts at once (select replaces the selection, Shift- or Ctrl-click toggles
//   the key; test previews the key's sound);
// - a double click selects the key alone and opens the sound picker for it, with any tool (its first click has
//   selected or previewed the same key already);
// - a sound id dropped as text on a key assigns it; the context menu offers "Choose sound…", "Preview" and
//   "Reset to base sound".
// - by keyboard: the arrow keys move a focus key (ringed in the focus colour, apart from the selection), Space
//   selects it (Shift+Space or Ctrl+Space adds it to the selection or takes it out), Return opens the sound
//   picker for it as a double click does, Delete or Backspace resets it as the reset tool does.
// Held keys change at typing speed, and a slider dragged in the inspector edits the document at pointer speed,
// so only the keys whose state or look changed are repainted.
//
// The widget is the plate with its padding of kPadding on every side. Main thread.
class KeyPlate : public QWidget {
public:
    static constexpr qreal kPadding = 7;

    explicit KeyPlate(AppModel &model, QWidget *parent = nullptr);
    ~KeyPlate() override;

    // Lays the keys out for a new unit and resizes the plate to fit them.
    void setUnit(qreal unit);
    const KeyboardGeometry &layout() const { return layout_; }

    // A key's rectangle and centre in widget coordinates.
    QRectF keyRect(const PlacedKey &key) const;
    // Where the focus ring of a key goes, in widget coordinates: just outside the selection ring, so a selected
    // key with the keyboard focus shows both.
    QRectF focusRingRect(const PlacedKey &key) const;
    // The centre of the first placed key with that id ("Q", "up", "space"), in widget coordinates.
    QPoint centreOf(const QString &id) const;

    // The context menu of a key with a code: "Choose sound…", "Preview", and "Reset to base sound" while the
    // key has its own sound in the active profile. The caller owns the menu.
    QMenu *contextMenu(std::uint16_t code, QWidget *parent = nullptr);

    // The name a screen reader reads for a key: "A key: Meow".
    QString accessibleKeyName(const PlacedKey &key) const;

    // The index in layout().keys() of the key the keyboard acts on; set when the plate first takes focus.
    std::optional<std::size_t> focusKey() const { return focusKey_; }

    // The key a drag hovers over with text, drawn slightly larger.
    std::optional<std::uint16_t> dropTarget() const { return dropTarget_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    const PlacedKey *keyAt(QPointF widgetPoint) const;
    // One step of a paint or reset sweep: the keys from the sweep's last point to `point`, in the plate's
    // coordinates at the press.
    void sweepTo(QPointF point);
    // A click with the select or test tool.
    void clicked(std::uint16_t code, Qt::KeyboardModifiers modifiers);
    // Selects the key as a click or Space does (Shift or Ctrl adds it or takes it out).
    void select(std::uint16_t code, Qt::KeyboardModifiers modifiers);
    void openPicker(std::uint16_t code);
    // Previews the key's own sound, or the profile's base sound.
    void previewKey(std::uint16_t code);
    void setDropTarget(std::optional<std::uint16_t> code);
    void setFocusKey(std::size_t index);

    void syncPressed();
    void syncSelected();
    // Repaints the keys whose own sound's category changed (the only part of the document a cap shows).
    void syncLooks();
    void updateKeys(std::uint16_t code);
    QRectF dirtyRect(const PlacedKey &key) const;
    qreal pressAmount(std::uint16_t code) const;

    AppModel &model_;
    KeyboardGeometry layout_;
    bool sweeping_ = false;
    KeySet painted_;                           // the keys the current sweep has handled
    QPointF sweepOrigin_;                      // the plate's top left on the screen when the sweep's button went down
    QPointF sweepAt_;                          // the sweep's last point, in widget coordinates at the press
    std::optional<std::uint16_t> pressedCode_; // the key a click with the select or test tool began on
    KeySet shownPressed_;
    KeySet shownSelected_;
    std::map<std::uint16_t, std::optional<SoundCategory>> shownCategory_; // of each key with a code
    std::map<std::uint16_t, SpringAnimator *> press_;                     // made for a key when it is first pressed
    std::optional<std::uint16_t> dropTarget_;
    SpringAnimator *dropScale_;
    std::optional<std::size_t> focusKey_;
};

} // namespace tc
