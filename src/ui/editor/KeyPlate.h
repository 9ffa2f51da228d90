#pragma once

#include "app/AppTypes.h"
#include "ui/editor/KeyboardGeometry.h"

#include <QTimer>
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
//   assigns the brush sound and previews it, reset removes the key's own sound silently);
// - select and test tools: a click acts once the double-click interval has passed without a second click
//   (select replaces the selection, Shift- or Ctrl-click toggles the key; test previews the key's sound);
// - a double click selects the key and opens the sound picker for it, with any tool;
// - a sound id dropped as text on a key assigns it; the context menu offers "Choose sound…", "Preview" and
//   "Reset to base sound".
// - by keyboard: the arrow keys move a focus key (ringed in the focus colour, apart from the selection), Space
//   selects it (Shift+Space or Ctrl+Space adds it to the selection or takes it out), Return opens the sound
//   picker for it as a double click does, Delete or Backspace resets it as the reset tool does.
// Held keys change at typing speed, so only the keys whose state changed are repainted.
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
    // The centre of the first placed key with that id ("Q", "up", "space"), in widget coordinates.
    QPoint centreOf(const QString &id) const;

    // The context menu of a key with a code: "Choose sound…", "Preview", and "Reset to base sound" while the
    // key has its own sound in the active profile. The caller owns the menu.
    QMenu *contextMenu(std::uint16_t code, QWidget *parent = nullptr);

    // The name a screen reader reads for a key: "A key: Meow".
    QString accessibleKeyName(const PlacedKey &key) const;

    // The index in layout().keys() of the key the keyboard acts on; set when the plate first takes focus.
    std::optional<std::size_t> focusKey() const { return focusKey_; }

    // A click waiting out the double-click interval.
    bool hasPendingClick() const { return click_.isActive(); }
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
    // One step of a paint or reset sweep.
    void sweep(QPointF widgetPoint);
    // The click once no double click followed.
    void clicked();
    // Selects the key as a click or Space does (Shift or Ctrl adds it or takes it out).
    void select(std::uint16_t code, Qt::KeyboardModifiers modifiers);
    void openPicker(std::uint16_t code);
    // Previews the key's own sound, or the profile's base sound.
    void previewKey(std::uint16_t code);
    void setDropTarget(std::optional<std::uint16_t> code);
    void setFocusKey(std::size_t index);

    void syncPressed();
    void syncSelected();
    void updateKeys(std::uint16_t code);
    QRectF dirtyRect(const PlacedKey &key) const;
    qreal pressAmount(std::uint16_t code) const;

    AppModel &model_;
    KeyboardGeometry layout_;
    bool sweeping_ = false;
    KeySet painted_;                           // the keys the current sweep has handled
    std::optional<std::uint16_t> pressedCode_; // the key a click with the select or test tool began on
    QTimer click_;
    std::uint16_t clickCode_ = 0;
    Qt::KeyboardModifiers clickModifiers_;
    KeySet shownPressed_;
    KeySet shownSelected_;
    std::map<std::uint16_t, SpringAnimator *> press_; // made for a key when it is first pressed
    std::optional<std::uint16_t> dropTarget_;
    SpringAnimator *dropScale_;
    std::optional<std::size_t> focusKey_;
};

} // namespace tc
