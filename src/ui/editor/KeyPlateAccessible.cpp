#include "ui/editor/KeyPlateAccessible.h"

#include "ui/editor/KeyPlate.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>
#include <vector>

namespace tc {

namespace {

// One key of the plate; it has no object of its own.
class KeyAccessible final : public QAccessibleInterface {
public:
    KeyAccessible(KeyPlate *plate, int index) : plate_(plate), index_(index) {}

    bool isValid() const override { return plate_ && index_ < static_cast<int>(plate_->layout().keys().size()); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return plate_ ? plate_->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(plate_); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid()) {
            return {};
        }
        return plate_->accessibleKeyName(key());
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect local = plate_->keyRect(key()).toAlignedRect();
        return {plate_->mapToGlobal(local.topLeft()), local.size()};
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
        } else if (!key().code) {
            state.disabled = true;
        } else {
            state.focusable = true;
            state.focused = plate_->hasFocus() && plate_->focusKey() == static_cast<std::size_t>(index_);
        }
        return state;
    }

private:
    const PlacedKey &key() const { return plate_->layout().keys()[static_cast<std::size_t>(index_)]; }

    QPointer<KeyPlate> plate_;
    int index_;
};

class PlateAccessible final : public QAccessibleWidget {
public:
    explicit PlateAccessible(KeyPlate *plate) : QAccessibleWidget(plate, QAccessible::Grouping) {}
    ~PlateAccessible() override {
        for (QAccessible::Id id : children_) {
            if (id != 0) {
                QAccessible::deleteAccessibleInterface(id);
            }
        }
    }

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? QStringLiteral("Keyboard") : QAccessibleWidget::text(t);
    }
    int childCount() const override { return static_cast<int>(plate()->layout().keys().size()); }
    QAccessibleInterface *focusChild() const override {
        const auto focus = plate()->focusKey();
        return focus && plate()->hasFocus() ? child(static_cast<int>(*focus)) : nullptr;
    }
    QAccessibleInterface *child(int index) const override {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        if (children_.size() < static_cast<std::size_t>(childCount())) {
            children_.resize(static_cast<std::size_t>(childCount()), 0);
        }
        QAccessible::Id &id = children_[static_cast<std::size_t>(index)];
        if (id == 0) {
            id = QAccessible::registerAccessibleInterface(new KeyAccessible(plate(), index));
        }
        return QAccessible::accessibleInterface(id);
    }
    int indexOfChild(const QAccessibleInterface *child) const override {
        for (std::size_t i = 0; i < children_.size(); ++i) {
            if (children_[i] != 0 && QAccessible::accessibleInterface(children_[i]) == child) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override {
        const QPoint local = plate()->mapFromGlobal(QPoint(x, y));
        const auto &keys = plate()->layout().keys();
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (plate()->keyRect(keys[i]).contains(local)) {
                return child(static_cast<int>(i));
            }
        }
        return nullptr;
    }

private:
    KeyPlate *plate() const { return static_cast<KeyPlate *>(widget()); }

    mutable std::vector<QAccessible::Id> children_;
};

} // namespace

void notifyKeyFocus(KeyPlate *plate, int index) {
    QAccessibleEvent event(plate, QAccessible::Focus);
    event.setChild(index);
    QAccessible::updateAccessibility(&event);
}

QAccessibleInterface *keyPlateAccessible(const QString &, QObject *object) {
    if (auto *plate = dynamic_cast<KeyPlate *>(object)) {
        return new PlateAccessible(plate);
    }
    return nullptr;
}

} // namespace tc
