#include "ui/editor/KeyPlate.h"

#include "app/AppModel.h"
#include "app/Motion.h"
#include "ui/editor/KeyFace.h"
#include "ui/editor/KeyPlateAccessible.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/KeyCap.h"
#include "ui/kit/ModelBindings.h"
#include "ui/kit/SpringAnimator.h"

#include <QAccessible>
#include <QAction>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

namespace tc {

namespace {

constexpr qreal kDropScale = 1.08;
constexpr qreal kCorner = 0.15; // of the unit
// How far the focus ring lies outside a cap: past the selection ring's reach, with a point between them.
constexpr qreal kFocusOutset = 4 + 1 + FocusRing::kWidth;
// Room around a cap for its shadow, its selection ring, its focus ring and its drop.
constexpr qreal kCapReach = kFocusOutset + 1;

std::optional<SoundCategory> ownCategory(const AppModel &model, const Profile &profile, std::uint16_t code) {
    const auto assignment = profile.assignment(code);
    if (!assignment) {
        return std::nullopt;
    }
    const auto sound = model.sound(assignment->soundID);
    return sound ? std::optional(sound->category) : std::nullopt;
}

} // namespace

KeyPlate::KeyPlate(AppModel &model, QWidget *parent)
    : QWidget(parent), model_(model), layout_(20), dropScale_(new SpringAnimator(
                                                       0.2, 0.7,
                                                       [this](qreal) {
                                                           if (dropTarget_) {
                                                               updateKeys(*dropTarget_);
                                                           }
                                                       },
                                                       this)) {
    static const bool accessible = [] {
        QAccessible::installFactory(keyPlateAccessible);
        return true;
    }();
    Q_UNUSED(accessible);
    setAttribute(Qt::WA_TranslucentBackground);
    setAcceptDrops(true);
    // The plate draws the ring around its focus key, and only for focus the keyboard gave it.
    FocusRing::attachDrawnByControl(this);
    connect(&model_, &AppModel::pressedKeysChanged, this, &KeyPlate::syncPressed);
    connect(&model_, &AppModel::selectedKeysChanged, this, &KeyPlate::syncSelected);
    model_.observe(AppModel::keysChange | AppModel::userSoundsChange, this, [this] { syncLooks(); });
    connect(&model_, &AppModel::soundsVersionChanged, this, &KeyPlate::syncLooks);
    connect(&model_, &AppModel::toolChanged, this, [this] {
        // A click or a sweep begun with another tool ends here.
        pressedCode_.reset();
        sweeping_ = false;
        painted_.clear();
    });
    shownPressed_ = model_.pressedKeys();
    shownSelected_ = model_.selectedKeys();
    syncLooks();
    setUnit(20);
}

KeyPlate::~KeyPlate() = default;

void KeyPlate::setUnit(qreal unit) {
    if (unit == layout_.unit() && !size().isEmpty()) {
        return;
    }
    layout_ = KeyboardGeometry(unit);
    resize(sizeHint());
    updateGeometry();
    update();
}

QSize KeyPlate::sizeHint() const {
    const QSizeF size = layout_.size() + QSizeF(2 * kPadding, 2 * kPadding);
    return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
}

QRectF KeyPlate::keyRect(const PlacedKey &key) const {
    return key.rect.translated(kPadding, kPadding);
}

QRectF KeyPlate::focusRingRect(const PlacedKey &key) const {
    return keyRect(key).adjusted(-kFocusOutset, -kFocusOutset, kFocusOutset, kFocusOutset);
}

QPoint KeyPlate::centreOf(const QString &id) const {
    for (const PlacedKey &key : layout_.keys()) {
        if (key.id == id) {
            return keyRect(key).center().toPoint();
        }
    }
    return {};
}

const PlacedKey *KeyPlate::keyAt(QPointF widgetPoint) const {
    return layout_.key(widgetPoint - QPointF(kPadding, kPadding));
}

qreal KeyPlate::pressAmount(std::uint16_t code) const {
    const auto found = press_.find(code);
    if (found != press_.end()) {
        return found->second->value();
    }
    return shownPressed_.contains(code) ? 1 : 0;
}

QRectF KeyPlate::dirtyRect(const PlacedKey &key) const {
    const QRectF rect = keyRect(key);
    const qreal grow = (kDropScale - 1) / 2;
    return rect.adjusted(-rect.width() * grow - kCapReach, -rect.height() * grow - kCapReach,
                         rect.width() * grow + kCapReach, rect.height() * grow + kCapReach);
}

void KeyPlate::updateKeys(std::uint16_t code) {
    for (const PlacedKey *key : layout_.keysWithCode(code)) {
        update(dirtyRect(*key).toAlignedRect());
    }
}

void KeyPlate::syncPressed() {
    const KeySet &now = model_.pressedKeys();
    KeySet changed;
    std::set_symmetric_difference(shownPressed_.begin(), shownPressed_.end(), now.begin(), now.end(),
                                  std::inserter(changed, changed.end()));
    shownPressed_ = now;
    for (std::uint16_t code : changed) {
        if (layout_.keysWithCode(code).empty()) {
            continue; // a key the drawn keyboard does not show
        }
        auto found = press_.find(code);
        if (found == press_.end()) {
            auto *spring = new SpringAnimator(
                0.12, 0.6, [this, code](qreal) { updateKeys(code); }, this);
            spring->jumpTo(now.contains(code) ? 0 : 1);
            found = press_.emplace(code, spring).first;
        }
        found->second->animateTo(now.contains(code) ? 1 : 0);
        updateKeys(code);
    }
}

void KeyPlate::syncSelected() {
    const KeySet &now = model_.selectedKeys();
    KeySet changed;
    std::set_symmetric_difference(shownSelected_.begin(), shownSelected_.end(), now.begin(), now.end(),
                                  std::inserter(changed, changed.end()));
    shownSelected_ = now;
    for (std::uint16_t code : changed) {
        updateKeys(code);
    }
}

void KeyPlate::syncLooks() {
    const Profile &profile = model_.data().activeProfile();
    for (const PlacedKey &key : layout_.keys()) {
        if (!key.code) {
            continue;
        }
        const auto category = ownCategory(model_, profile, *key.code);
        const auto [shown, added] = shownCategory_.try_emplace(*key.code, category);
        if (!added && shown->second != category) {
            shown->second = category;
            updateKeys(*key.code);
        }
    }
}

void KeyPlate::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF dirty = QRectF(event->rect());
    const qreal unit = layout_.unit();
    for (const PlacedKey &key : layout_.keys()) {
        if (!dirtyRect(key).intersects(dirty)) {
            continue;
        }
        const auto category = key.code ? shownCategory_.at(*key.code) : std::nullopt;
        const CapPalette &palette = KeyFace::palette(key.def->kind, category);
        const KeyFace::Legend legend = KeyFace::legend(key, unit, category);
        const qreal press = key.code ? pressAmount(*key.code) : 0;
        const bool selected = key.code && shownSelected_.contains(*key.code);
        const QRectF rect = keyRect(key);
        painter.save();
        if (key.code && key.code == dropTarget_) {
            const qreal scale = 1 + (kDropScale - 1) * dropScale_->value();
            painter.translate(rect.center());
            painter.scale(scale, scale);
            painter.translate(-rect.center());
        }
        KeyCap::paint(
            painter, rect, palette, unit * kCorner, press, selected,
            [&legend](QPainter &p, const QRectF &face, const QColor &ink) { KeyFace::paint(p, face, ink, legend); });
        painter.restore();
    }
    // The focus key wears the focus ring outside its cap, clear of the selection ring around the cap.
    if (focusKey_ && FocusRing::shows(this)) {
        FocusRing::paint(painter, focusRingRect(layout_.keys()[*focusKey_]), unit * kCorner + kFocusOutset);
    }
}

// --- Keyboard ------------------------------------------------------------------------------------------------

void KeyPlate::setFocusKey(std::size_t index) {
    if (focusKey_ == index || index >= layout_.keys().size()) {
        return;
    }
    if (focusKey_) {
        update(dirtyRect(layout_.keys()[*focusKey_]).toAlignedRect());
    }
    focusKey_ = index;
    update(dirtyRect(layout_.keys()[index]).toAlignedRect());
    if (hasFocus()) {
        notifyKeyFocus(this, static_cast<int>(index));
    }
}

void KeyPlate::focusInEvent(QFocusEvent *event) {
    // Focus comes to the selection: the first selected key, unless the focus key is selected already; with
    // nothing selected it stays where it was, or starts on the plate's first key.
    const auto &keys = layout_.keys();
    const auto selected = [&](std::size_t i) { return keys[i].code && shownSelected_.contains(*keys[i].code); };
    if (!focusKey_ || (!shownSelected_.empty() && !selected(*focusKey_))) {
        std::optional<std::size_t> first;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (keys[i].code && !first) {
                first = i;
            }
            if (selected(i)) {
                first = i;
                break;
            }
        }
        if (first) {
            setFocusKey(*first);
        }
    }
    if (focusKey_) {
        update(dirtyRect(layout_.keys()[*focusKey_]).toAlignedRect());
        notifyKeyFocus(this, static_cast<int>(*focusKey_));
    }
    QWidget::focusInEvent(event);
}

void KeyPlate::focusOutEvent(QFocusEvent *event) {
    if (focusKey_) {
        update(dirtyRect(layout_.keys()[*focusKey_]).toAlignedRect());
    }
    QWidget::focusOutEvent(event);
}

void KeyPlate::keyPressEvent(QKeyEvent *event) {
    if (!focusKey_) {
        QWidget::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const auto move = [&](int dx, int dy) {
        if (const auto next = layout_.step(*focusKey_, dx, dy)) {
            setFocusKey(*next);
        }
    };
    const std::uint16_t code = layout_.keys()[*focusKey_].code.value_or(0);
    switch (event->key()) {
    case Qt::Key_Left:
        move(-1, 0);
        break;
    case Qt::Key_Right:
        move(1, 0);
        break;
    case Qt::Key_Up:
        move(0, -1);
        break;
    case Qt::Key_Down:
        move(0, 1);
        break;
    case Qt::Key_Space:
        select(code, modifiers);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        openPicker(code);
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        model_.resetKeys({code});
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

// --- Pointer -------------------------------------------------------------------------------------------------

void KeyPlate::sweepTo(QPointF point) {
    const QPointF padding(kPadding, kPadding);
    KeySet fresh;
    for (const PlacedKey *key : layout_.keysAlong(sweepAt_ - padding, point - padding)) {
        if (painted_.insert(*key->code).second) {
            fresh.insert(*key->code);
        }
    }
    sweepAt_ = point;
    if (fresh.empty()) {
        return;
    }
    // The keys one pointer step crossed are one edit, with one preview.
    if (model_.tool() == EditTool::paint) {
        const std::string brush = model_.brushSoundID();
        model_.assign(brush, fresh);
        previewAction(model_, brush)();
    } else if (model_.tool() == EditTool::reset) {
        model_.resetKeys(fresh);
    }
}

void KeyPlate::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The keyboard carries on from the key the pointer pressed.
    if (const PlacedKey *pressed = keyAt(event->position()); pressed != nullptr && pressed->code) {
        setFocusKey(static_cast<std::size_t>(pressed - layout_.keys().data()));
    }
    const EditTool tool = model_.tool();
    if (tool == EditTool::paint || tool == EditTool::reset) {
        // The sweep handles the pressed key at once; the key's own click adds nothing to it. Its later points are
        // taken against the plate's place at the press: should anything move the plate meanwhile, the keys
        // painted are still those the pointer crossed on it as it was.
        sweeping_ = true;
        painted_.clear();
        sweepOrigin_ = event->globalPosition() - event->position();
        sweepAt_ = event->position();
        sweepTo(event->position());
        return;
    }
    const PlacedKey *key = keyAt(event->position());
    pressedCode_ = key != nullptr ? key->code : std::nullopt;
}

void KeyPlate::mouseMoveEvent(QMouseEvent *event) {
    if (sweeping_ && (event->buttons() & Qt::LeftButton)) {
        sweepTo(event->globalPosition() - sweepOrigin_);
    }
}

void KeyPlate::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    sweeping_ = false;
    painted_.clear();
    // A click is a press and a release on the same key, and acts at once: the double click that may follow
    // selects the same key alone, so its first click needs no undoing.
    const PlacedKey *key = keyAt(event->position());
    const auto pressed = std::exchange(pressedCode_, std::nullopt);
    if (key != nullptr && key->code && key->code == pressed) {
        clicked(*key->code, event->modifiers());
    }
}

void KeyPlate::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    pressedCode_.reset(); // the release that follows is no click
    const PlacedKey *key = keyAt(event->position());
    if (key == nullptr || !key->code) {
        return;
    }
    openPicker(*key->code);
}

void KeyPlate::select(std::uint16_t code, Qt::KeyboardModifiers modifiers) {
    // With Shift or Ctrl the key joins the selection or leaves it; else it is the selection.
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier)) {
        KeySet keys = model_.selectedKeys();
        if (!keys.erase(code)) {
            keys.insert(code);
        }
        model_.setSelectedKeys(std::move(keys));
    } else {
        model_.setSelectedKeys({code});
    }
    model_.advanceCoach(2);
}

void KeyPlate::clicked(std::uint16_t code, Qt::KeyboardModifiers modifiers) {
    switch (model_.tool()) {
    case EditTool::select:
        select(code, modifiers);
        break;
    case EditTool::test:
        previewKey(code);
        break;
    case EditTool::paint:
    case EditTool::reset:
        break; // the sweep has handled the key
    }
}

void KeyPlate::openPicker(std::uint16_t code) {
    model_.setSelectedKeys({code});
    model_.setSoundPicker(SoundPickerTarget::keys({code}));
}

void KeyPlate::previewKey(std::uint16_t code) {
    const Profile &profile = model_.data().activeProfile();
    const auto assignment = profile.assignment(code);
    previewAction(model_, assignment ? assignment->soundID : profile.baseSoundID)();
}

// --- Context menu ---------------------------------------------------------------------------------------------

QMenu *KeyPlate::contextMenu(std::uint16_t code, QWidget *parent) {
    auto *menu = new QMenu(parent);
    menu->addAction(QStringLiteral("Choose sound…"), this, [this, code] { openPicker(code); });
    menu->addAction(QStringLiteral("Preview"), this, [this, code] { previewKey(code); });
    if (model_.data().activeProfile().assignment(code)) {
        menu->addAction(QStringLiteral("Reset to base sound"), this, [this, code] { model_.resetKeys({code}); });
    }
    return menu;
}

void KeyPlate::contextMenuEvent(QContextMenuEvent *event) {
    const PlacedKey *key = keyAt(event->pos());
    if (key == nullptr || !key->code) {
        return;
    }
    QMenu *menu = contextMenu(*key->code, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// --- Drops ---------------------------------------------------------------------------------------------------

void KeyPlate::setDropTarget(std::optional<std::uint16_t> code) {
    if (code == dropTarget_) {
        return;
    }
    if (dropTarget_) {
        const std::uint16_t old = *dropTarget_;
        dropTarget_.reset();
        updateKeys(old);
    }
    dropTarget_ = code;
    if (code) {
        dropScale_->jumpTo(0);
        dropScale_->animateTo(1);
        updateKeys(*code);
    }
}

void KeyPlate::dragEnterEvent(QDragEnterEvent *event) {
    if (event->mimeData()->hasText()) {
        event->acceptProposedAction();
        setDropTarget(std::nullopt);
    }
}

void KeyPlate::dragMoveEvent(QDragMoveEvent *event) {
    const PlacedKey *key = keyAt(event->position());
    if (key == nullptr || !key->code || !event->mimeData()->hasText()) {
        setDropTarget(std::nullopt);
        event->ignore();
        return;
    }
    setDropTarget(*key->code);
    event->acceptProposedAction();
}

void KeyPlate::dragLeaveEvent(QDragLeaveEvent *) {
    setDropTarget(std::nullopt);
}

void KeyPlate::dropEvent(QDropEvent *event) {
    setDropTarget(std::nullopt);
    const PlacedKey *key = keyAt(event->position());
    const QString text = event->mimeData()->text();
    if (key == nullptr || !key->code || text.isEmpty()) {
        event->ignore();
        return;
    }
    const std::string id = text.toStdString();
    if (!model_.sound(id)) {
        event->ignore(); // not a sound this program knows: refused, nothing changes
        return;
    }
    const std::uint16_t code = *key->code;
    model_.assign(id, {code});
    model_.setSelectedKeys({code});
    previewAction(model_, id)();
    event->acceptProposedAction();
}

// --- Accessibility -------------------------------------------------------------------------------------------

QString KeyPlate::accessibleKeyName(const PlacedKey &key) const {
    const Profile &profile = model_.data().activeProfile();
    std::string id = profile.baseSoundID;
    if (key.code) {
        if (const auto assignment = profile.assignment(*key.code)) {
            id = assignment->soundID;
        }
    }
    return KeyFace::accessibleName(*key.def, model_.sound(id));
}

} // namespace tc
