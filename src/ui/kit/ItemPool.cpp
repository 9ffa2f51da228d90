#include "ui/kit/ItemPool.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <unordered_map>

namespace tc {

namespace {

// Room kept around a control scrolled to by the keyboard, as QScrollArea keeps for a focused child.
constexpr int kScrollMargin = 50;
// Spare widgets kept at least, for the items the next scroll brings in.
constexpr std::size_t kSparesKept = 4;
// The most of a list taken as in view while it is not shown.
constexpr QSize kRestingSize(2560, 1600);
// Marks a control of a list that is one Tab stop whose Tab the list took away (it keeps its click).
constexpr const char *kParked = "tc-roving-parked";

// Whether the keyboard may stop at a control: it takes Tab, or would but for the list it is in.
bool takesTab(const QWidget *control) {
    const Qt::FocusPolicy policy = control->focusPolicy();
    return (policy & Qt::TabFocus) == Qt::TabFocus ||
           ((policy & Qt::ClickFocus) == Qt::ClickFocus && control->property(kParked).toBool());
}

void park(QWidget *control, bool parked) {
    const int policy = control->focusPolicy();
    if (parked && (policy & Qt::TabFocus) != 0) {
        control->setProperty(kParked, true);
        control->setFocusPolicy(static_cast<Qt::FocusPolicy>(policy & ~Qt::TabFocus));
    } else if (!parked && control->property(kParked).toBool()) {
        control->setProperty(kParked, false);
        if ((policy & Qt::ClickFocus) != 0) {
            control->setFocusPolicy(static_cast<Qt::FocusPolicy>(policy | Qt::TabFocus));
        }
    }
}

} // namespace

ItemPool::ItemPool(QWidget *parent) : QWidget(parent) {
    // Whatever moves the focus to an item (Tab from outside the list, a click, a test) brings the item into view.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        const int index = itemHolding(now);
        if (index < 0) {
            return;
        }
        scrollTo(itemRect(static_cast<std::size_t>(index)));
        if (roving_) {
            // However the focus came (a click, the program), the list's Tab stop is where it is now.
            currentID_ = items_[static_cast<std::size_t>(index)];
            currentIndex_ = static_cast<std::size_t>(index);
            currentControl_ = controlPlace(currentIndex_, now);
            parkControls();
        }
    });
}

void ItemPool::setRovingFocus() {
    if (!roving_) {
        roving_ = true;
        qApp->installEventFilter(this);
        orderFocusChain();
    }
}

void ItemPool::setCurrentItem(std::size_t index) {
    if (index < items_.size()) {
        currentID_ = items_[index];
        currentIndex_ = index;
        currentControl_ = 0;
        placeItems();
    }
}

void ItemPool::keyboardReached(std::size_t, QWidget *) {}

Uuid ItemPool::idFor(std::string_view name) {
    // Two 64-bit FNV-1a hashes of the name, from different starting points.
    Uuid::Bytes bytes{};
    std::uint64_t halves[2] = {0xcbf29ce484222325ull, 0x84222325cbf29ce4ull};
    for (std::uint64_t &hash : halves) {
        for (const char c : name) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
        }
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(halves[i / 8] >> (8 * (i % 8)));
    }
    return Uuid(bytes);
}

void ItemPool::setItems(std::vector<Uuid> ids) {
    // By id: each widget goes to the first place of its item in the new list (a hand-edited document may
    // repeat an id).
    std::unordered_map<Uuid, std::vector<QWidget *>> old;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (bound_[i] != nullptr) {
            old[items_[i]].push_back(bound_[i]);
        }
    }
    items_ = std::move(ids);
    bound_.assign(items_.size(), nullptr);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const auto it = old.find(items_[i]);
        if (it != old.end() && !it->second.empty()) {
            bound_[i] = it->second.front();
            it->second.erase(it->second.begin());
        }
    }
    for (auto &[id, widgets] : old) {
        for (QWidget *widget : widgets) {
            // Hidden, not deleted: the widget's own click or menu may be what removed its item.
            widget->hide();
            spare_.push_back(widget);
        }
    }
    placeItems();
}

void ItemPool::refresh(const std::vector<Uuid> &ids) {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (bound_[i] != nullptr && std::find(ids.begin(), ids.end(), items_[i]) != ids.end()) {
            bindWidget(bound_[i], i);
        }
    }
    orderFocusChain();
}

void ItemPool::refreshAll() {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (bound_[i] != nullptr) {
            bindWidget(bound_[i], i);
        }
    }
    orderFocusChain();
}

QWidget *ItemPool::widgetAt(std::size_t index) const {
    return index < bound_.size() ? bound_[index] : nullptr;
}

QWidget *ItemPool::widgetFor(const Uuid &id) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i] == id) {
            return bound_[i];
        }
    }
    return nullptr;
}

std::vector<QWidget *> ItemPool::boundWidgets() const {
    std::vector<QWidget *> widgets;
    for (QWidget *widget : bound_) {
        if (widget != nullptr) {
            widgets.push_back(widget);
        }
    }
    return widgets;
}

QWidget *ItemPool::showItem(std::size_t index) {
    if (index >= items_.size()) {
        return nullptr;
    }
    scrollTo(itemRect(index));
    placeItems();
    if (bound_[index] == nullptr) {
        // Out of view still (the list is not shown): made all the same, as it was asked for.
        bind(index);
        orderFocusChain();
    }
    return bound_[index];
}

void ItemPool::holdPlaces(bool hold) {
    held_ = hold;
    if (!hold) {
        placeItems();
    }
}

void ItemPool::placeItems() {
    if (placing_ || held_) {
        return;
    }
    placing_ = true;
    // While hidden (not yet shown, or its window closed) the list lets no widget go and makes those of its
    // resting view, so that it shows at once.
    const bool shown = isVisible();
    const QRect view = shown ? shownArea() : restingView();
    if (!view.isEmpty() && !items_.empty()) {
        // What shows, and an item's length either side, so a scroll step finds its widgets bound.
        const QSize step = itemRect(0).size();
        const QRect wanted = view.adjusted(-step.width(), -step.height(), step.width(), step.height());
        // The list's Tab stop keeps its widget out of view, for Tab to land on.
        const std::size_t current = roving_ ? currentItem() : items_.size();
        for (std::size_t i = 0; i < items_.size() && shown; ++i) {
            if (bound_[i] != nullptr && !itemRect(i).intersects(wanted) && !holdsFocus(bound_[i]) && i != current) {
                release(i);
            }
        }
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (bound_[i] == nullptr && (itemRect(i).intersects(wanted) || i == current)) {
                bind(i);
            }
        }
    }
    std::size_t bound = 0;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (bound_[i] != nullptr) {
            ++bound;
            if (bound_[i]->geometry() != itemRect(i)) {
                bound_[i]->setGeometry(itemRect(i));
            }
        }
    }
    // Spares beyond a view's worth go (after a view that was larger for a moment, or a list that shrank).
    while (spare_.size() > std::max<std::size_t>(kSparesKept, bound)) {
        spare_.back()->deleteLater(); // later: it may be the widget whose click removed its item
        spare_.pop_back();
        --made_;
    }
    orderFocusChain();
    placing_ = false;
}

void ItemPool::scrollTo(const QRect &rect) {
    // As QScrollArea::ensureWidgetVisible, for a place rather than a widget, in the nearest scroll area whose
    // content holds this widget.
    QScrollArea *scroll = nullptr;
    for (QWidget *ancestor = parentWidget(); ancestor != nullptr; ancestor = ancestor->parentWidget()) {
        auto *candidate = qobject_cast<QScrollArea *>(ancestor);
        if (candidate != nullptr && candidate->widget() != nullptr &&
            (candidate->widget() == this || candidate->widget()->isAncestorOf(this))) {
            scroll = candidate;
            break;
        }
        if (ancestor->isWindow()) {
            break;
        }
    }
    if (scroll == nullptr) {
        return;
    }
    QWidget *content = scroll->widget();
    const QRect area(content == this ? rect.topLeft() : mapTo(content, rect.topLeft()), rect.size());
    const QSize viewport = scroll->viewport()->size();
    const QRect shown(-content->pos(), viewport);
    if (shown.contains(area)) {
        return;
    }
    const QRect target = area.adjusted(-kScrollMargin, -kScrollMargin, kScrollMargin, kScrollMargin);
    QScrollBar *horizontal = scroll->horizontalScrollBar();
    if (target.width() > shown.width()) {
        horizontal->setValue(target.center().x() - viewport.width() / 2);
    } else if (target.right() > shown.right()) {
        horizontal->setValue(target.right() - viewport.width());
    } else if (target.left() < shown.left()) {
        horizontal->setValue(target.left());
    }
    QScrollBar *vertical = scroll->verticalScrollBar();
    if (target.height() > shown.height()) {
        vertical->setValue(target.center().y() - viewport.height() / 2);
    } else if (target.bottom() > shown.bottom()) {
        vertical->setValue(target.bottom() - viewport.height());
    } else if (target.top() < shown.top()) {
        vertical->setValue(target.top());
    }
}

bool ItemPool::focusNextPrevChild(bool next) {
    QWidget *focused = QApplication::focusWidget();
    const int from = itemHolding(focused);
    if (from >= 0 && !roving_) {
        // The item's next control, else the first (last, going back) of the next item with one, made and
        // scrolled into view if it was not.
        const std::vector<QWidget *> own = controlsOf(bound_[static_cast<std::size_t>(from)], true);
        // The innermost control holding the focus (a row that takes focus holds its own switch).
        const auto at = std::find_if(own.rbegin(), own.rend(), [focused](QWidget *control) {
            return control == focused || control->isAncestorOf(focused);
        });
        if (at != own.rend()) {
            const auto place = (own.rend() - at - 1) + (next ? 1 : -1);
            if (place >= 0 && place < static_cast<std::ptrdiff_t>(own.size())) {
                own[static_cast<std::size_t>(place)]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
                return true;
            }
        }
        const int count = static_cast<int>(items_.size());
        for (int i = from + (next ? 1 : -1); i >= 0 && i < count; i += next ? 1 : -1) {
            const std::vector<QWidget *> controls = controlsOf(showItem(static_cast<std::size_t>(i)), true);
            if (!controls.empty()) {
                QWidget *target = next ? controls.front() : controls.back();
                target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
                return true;
            }
        }
    }
    // Past the first or last item: the focus chain holds the bound items' controls in order, so it goes on
    // from them to the controls around the list.
    return QWidget::focusNextPrevChild(next);
}

std::vector<QWidget *> ItemPool::controlsOf(QWidget *widget, bool usable) const {
    std::vector<QWidget *> controls;
    QWidget *part = widget != nullptr ? focusTarget(widget) : nullptr;
    if (part == nullptr) {
        return controls;
    }
    const auto takes = [&](QWidget *candidate) {
        return takesTab(candidate) && (!usable || (candidate->isEnabled() && candidate->isVisibleTo(window())));
    };
    if (takes(part)) {
        controls.push_back(part);
    }
    for (QWidget *child : part->findChildren<QWidget *>()) {
        if (takes(child)) {
            controls.push_back(child);
        }
    }
    return controls;
}

void ItemPool::moveEvent(QMoveEvent *event) {
    QWidget::moveEvent(event); // a scroll area scrolls by moving its content
    placeItems();
}

void ItemPool::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    placeItems();
}

void ItemPool::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    followScrollAreas();
    placeItems();
}

void ItemPool::followScrollAreas() {
    for (QWidget *ancestor = parentWidget(); ancestor != nullptr; ancestor = ancestor->parentWidget()) {
        if (auto *scroll = qobject_cast<QAbstractScrollArea *>(ancestor)) {
            // The scroll area moves its content on the same signal, connected before this one.
            for (QScrollBar *bar : {scroll->verticalScrollBar(), scroll->horizontalScrollBar()}) {
                connect(bar, &QScrollBar::valueChanged, this, &ItemPool::placeItems, Qt::UniqueConnection);
            }
        }
        if (ancestor->isWindow()) {
            break;
        }
    }
}

QRect ItemPool::restingView() const {
    const QRect shown = shownArea();
    return shown & QRect(shown.topLeft(), kRestingSize);
}

QRect ItemPool::shownArea() const {
    QRect area(QPoint(0, 0), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    area.moveCenter(QPoint(0, 0));
    for (const QWidget *ancestor = parentWidget(); ancestor != nullptr; ancestor = ancestor->parentWidget()) {
        area &= QRect(mapFrom(ancestor, QPoint(0, 0)), ancestor->size());
        if (ancestor->isWindow()) {
            break;
        }
    }
    return area;
}

int ItemPool::itemHolding(const QWidget *widget) const {
    if (widget == nullptr || !isAncestorOf(widget)) {
        return -1;
    }
    for (std::size_t i = 0; i < bound_.size(); ++i) {
        if (bound_[i] != nullptr && (bound_[i] == widget || bound_[i]->isAncestorOf(widget))) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool ItemPool::holdsFocus(const QWidget *widget) const {
    // The focus as its window keeps it, also while the window is not active (or not yet shown).
    const QWidget *focused = window()->focusWidget();
    return focused != nullptr && (focused == widget || widget->isAncestorOf(focused));
}

void ItemPool::release(std::size_t index) {
    QWidget *widget = bound_[index];
    bound_[index] = nullptr;
    widget->hide();
    spare_.push_back(widget);
}

void ItemPool::bind(std::size_t index) {
    QWidget *widget = nullptr;
    if (!spare_.empty()) {
        widget = spare_.back();
        spare_.pop_back();
    } else {
        widget = makeWidget();
        ++made_;
    }
    bound_[index] = widget;
    bindWidget(widget, index);
    widget->setGeometry(itemRect(index));
    widget->show();
}

void ItemPool::orderFocusChain() {
    // Bound widgets come and go in any order; the chain follows the items', so Tab into the list lands on its
    // first item in view and out of it leaves from its last. setTabOrder() wants both ends to take focus.
    std::vector<QWidget *> targets;
    for (QWidget *widget : bound_) {
        if (widget != nullptr) {
            const std::vector<QWidget *> controls = controlsOf(widget, false);
            targets.insert(targets.end(), controls.begin(), controls.end());
        }
    }
    if (targets.empty()) {
        return;
    }
    const Qt::FocusPolicy own = focusPolicy();
    if (own == Qt::NoFocus) {
        setFocusPolicy(Qt::TabFocus);
    }
    // Only a control out of place is moved: each move walks the window's focus chain.
    const auto nextStop = [](QWidget *from) {
        QWidget *next = from->nextInFocusChain();
        while (next != from && !takesTab(next)) {
            next = next->nextInFocusChain();
        }
        return next;
    };
    QWidget *previous = this;
    for (QWidget *target : targets) {
        if (nextStop(previous) != target) {
            QWidget::setTabOrder(previous, target);
        }
        previous = target;
    }
    if (own == Qt::NoFocus) {
        setFocusPolicy(own);
    }
    if (roving_) {
        parkControls();
    }
}

std::size_t ItemPool::currentItem() const {
    if (items_.empty()) {
        return std::size_t(-1);
    }
    if (currentID_) {
        if (currentIndex_ < items_.size() && items_[currentIndex_] == *currentID_) {
            return currentIndex_;
        }
        const auto found = std::find(items_.begin(), items_.end(), *currentID_);
        if (found != items_.end()) {
            return static_cast<std::size_t>(found - items_.begin());
        }
    }
    // The item gone: the one now in its place.
    return std::min(currentIndex_, items_.size() - 1);
}

std::size_t ItemPool::controlPlace(std::size_t index, const QWidget *focused) const {
    const std::vector<QWidget *> own = controlsOf(bound_[index], true);
    // The innermost control holding the focus (a row that takes focus holds its own switch).
    const auto at = std::find_if(own.rbegin(), own.rend(), [focused](QWidget *control) {
        return control == focused || control->isAncestorOf(focused);
    });
    return at != own.rend() ? static_cast<std::size_t>(own.rend() - at - 1) : 0;
}

void ItemPool::parkControls() {
    const std::size_t current = currentItem();
    QWidget *stop = nullptr;
    if (current < bound_.size() && bound_[current] != nullptr) {
        std::vector<QWidget *> own = controlsOf(bound_[current], true);
        if (own.empty()) {
            own = controlsOf(bound_[current], false); // not shown yet
        }
        if (!own.empty()) {
            stop = own[std::min(currentControl_, own.size() - 1)];
        }
    }
    for (QWidget *widget : bound_) {
        if (widget != nullptr) {
            for (QWidget *control : controlsOf(widget, false)) {
                park(control, control != stop);
            }
        }
    }
    for (QWidget *widget : spare_) {
        for (QWidget *control : controlsOf(widget, false)) {
            park(control, true);
        }
    }
}

bool ItemPool::eventFilter(QObject *watched, QEvent *event) {
    if (!roving_ || event->type() != QEvent::KeyPress || watched != QApplication::focusWidget()) {
        return QWidget::eventFilter(watched, event);
    }
    auto *focused = static_cast<QWidget *>(watched);
    const int from = itemHolding(focused);
    const auto *key = static_cast<QKeyEvent *>(event);
    const std::optional<RovingFocus::Move> move =
        from >= 0 ? RovingFocus::moveFor(key->key(), key->modifiers()) : std::nullopt;
    if (!move) {
        return QWidget::eventFilter(watched, event);
    }
    // At the list's edge the focus stays: the key never falls to a button's own walk down the chain.
    moveFocus(static_cast<std::size_t>(from), focused, *move);
    return true;
}

void ItemPool::moveFocus(std::size_t from, QWidget *focused, RovingFocus::Move move) {
    const auto reach = [this](std::size_t index, QWidget *control, bool forward) {
        control->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        keyboardReached(index, control);
    };
    const std::size_t place = controlPlace(from, focused);
    if (move == RovingFocus::Move::back || move == RovingFocus::Move::forward) {
        // The item's next control, else the first (last, going back) of the next item with one.
        const bool forward = move == RovingFocus::Move::forward;
        const std::vector<QWidget *> own = controlsOf(bound_[from], true);
        const std::size_t next = forward ? place + 1 : place - 1; // wraps past 0 to npos
        if (next < own.size()) {
            reach(from, own[next], forward);
            return;
        }
        for (std::size_t i = from + (forward ? 1 : -1); i < items_.size(); i += forward ? 1 : -1) {
            const std::vector<QWidget *> controls = controlsOf(showItem(i), true);
            if (!controls.empty()) {
                reach(i, forward ? controls.front() : controls.back(), forward);
                return;
            }
        }
        return;
    }
    const std::size_t to = RovingFocus::target(
        move, from, items_.size(), [this](std::size_t i) { return itemRect(i); }, shownArea().size());
    if (to == from) {
        return;
    }
    // The same control of the item reached (the Play of each row), or its last when it has fewer.
    const std::vector<QWidget *> controls = controlsOf(showItem(to), true);
    if (!controls.empty()) {
        reach(to, controls[std::min(place, controls.size() - 1)], to > from);
    }
}

} // namespace tc
