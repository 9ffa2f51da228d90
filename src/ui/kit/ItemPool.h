#pragma once

// Qt 6.4's moc cannot parse the standard library's concepts, which this header brings in; moc needs nothing
// of it.
#ifndef Q_MOC_RUN
#include "model/Uuid.h"
#endif
#include "ui/kit/RovingFocus.h"

#include <QRect>
#include <QWidget>
#include <optional>
#include <string_view>
#include <vector>

namespace tc {

// A list too long to make a widget for every item (a document's profiles may number hundreds): a small pool
// of widgets shows the items in view and one item either side of it, each widget bound to one item by the
// item's id. As the list scrolls, widgets of items that leave the view are bound to those that come in. An
// item that stays in the list keeps its widget, untouched until it is refreshed; the widget with the keyboard
// focus keeps its item wherever it scrolls.
//
// The keyboard goes through the items in order, as if each had a widget: Tab, Backtab and the buttons' arrow
// keys move through an item's controls, then on to the next item's (scrolling it into view), and from the first
// or last on to the controls around the list. A list of the user's items (as many as the user makes) is one Tab
// stop instead, with the arrow keys inside it (setRovingFocus). A subclass says where each item goes, makes a
// widget and binds it to an item.
//
// The pool may be a scroll area's content or lie anywhere inside it (a column of a larger canvas): it follows
// the scroll bars of every scroll area around it. This is the one way the program's long lists and grids make
// only what shows. Main thread only.
class ItemPool : public QWidget {
public:
    explicit ItemPool(QWidget *parent = nullptr);

    // An item id for an item known by a name (an application's id, a sound's id): the same name gives the same id.
    // Two names that happened to give one id would only share a widget's binding, as a repeated id does.
    static Uuid idFor(std::string_view name);

    // The items, in order. Items that stay keep their widgets (rebind those whose content changed with
    // refresh()); widgets of gone items go back to the pool; the items now in view get widgets.
    void setItems(std::vector<Uuid> ids);
    // Binds the widgets of the named items again (those that have one), for a change of their content.
    void refresh(const std::vector<Uuid> &ids);
    // Binds every widget again.
    void refreshAll();

    const std::vector<Uuid> &items() const { return items_; }
    // The widget showing the item at `index` now, or null.
    QWidget *widgetAt(std::size_t index) const;
    // The widget showing the first item with `id` now, or null.
    QWidget *widgetFor(const Uuid &id) const;
    // The widgets bound to items now, in item order.
    std::vector<QWidget *> boundWidgets() const;
    // Scrolls the item into view and returns its widget (null for an index past the end).
    QWidget *showItem(std::size_t index);
    // How many widgets the pool holds, bound or spare (a few spares are kept for the next scroll).
    std::size_t madeWidgets() const { return made_; }

    // Binds widgets to the items in view, and moves the bound ones to their places; a subclass calls it when
    // its items' places changed.
    void placeItems();
    // Makes the whole list one Tab stop, as a toolkit's list or grid is: Tab lands on the control last focused in
    // it (the first item's first control until then) and goes on past the list; the keys of RovingFocus move among
    // the controls of every item, made and scrolled into view as they are reached. The other controls keep their
    // click focus and their accessible names. Call once, before the items are set.
    void setRovingFocus();
    // Makes the item at `index` the list's Tab stop (its first control), as the list's chosen item.
    void setCurrentItem(std::size_t index);
    // While held, nothing is bound or let go (new items and a scroll to go with them are taken as one change);
    // letting go places the items.
    void holdPlaces(bool hold);

protected:
    // Where the item at `index` goes, in this widget.
    virtual QRect itemRect(std::size_t index) const = 0;
    // A new widget for the pool, a child of this one.
    virtual QWidget *makeWidget() = 0;
    // Shows the item at `index` on `widget`.
    virtual void bindWidget(QWidget *widget, std::size_t index) = 0;
    // The part of a bound widget the keyboard stops in (the widget itself by default), or null for none: it and
    // each control in it that takes Tab, in the order they were made.
    virtual QWidget *focusTarget(QWidget *widget) const { return widget; }
    // An arrow key (or Home, End, a Page key) moved the focus to `control` of the item at `index`: a list whose
    // selection follows the focus chooses the item here.
    virtual void keyboardReached(std::size_t index, QWidget *control);
    // Scrolls so that `area` (in this widget) shows: by default through the nearest QScrollArea around it.
    virtual void scrollTo(const QRect &area);
    // The part of this widget taken as in view while it is not shown (a view made before it is laid out, or in a
    // closed window), in this widget: by default what its ancestors' geometry shows of it, at most a large
    // screen's worth (a view not yet put in its window shows whole).
    virtual QRect restingView() const;

    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

    // The part of this widget its ancestors show, in this widget.
    QRect shownArea() const;

private:
    // The controls of a bound widget the keyboard stops at, in order; only those that can take focus now when
    // `usable`.
    std::vector<QWidget *> controlsOf(QWidget *widget, bool usable) const;
    // The item whose widget holds `widget` (itself or a child of it), or -1.
    int itemHolding(const QWidget *widget) const;
    bool holdsFocus(const QWidget *widget) const;
    void release(std::size_t index);
    void bind(std::size_t index);
    // Puts the bound widgets' controls in the focus chain in item order, right after this widget.
    void orderFocusChain();
    // The item whose control holds the list's Tab stop (npos for an empty list).
    std::size_t currentItem() const;
    // The place of the control holding `focused` among the item's usable controls (0 when none does).
    std::size_t controlPlace(std::size_t index, const QWidget *focused) const;
    // The current item's control keeps Tab; every other control of the list takes a click only.
    void parkControls();
    // Moves the focus from `focused`, in the item at `from`, as the key asks.
    void moveFocus(std::size_t from, QWidget *focused, RovingFocus::Move move);
    // Follows the scroll bars of the scroll areas around this widget (a pool inside a scroll area's content is
    // not moved itself when it scrolls).
    void followScrollAreas();

    std::vector<Uuid> items_;
    std::vector<QWidget *> bound_; // by item; null where the item has no widget
    std::vector<QWidget *> spare_;
    std::size_t made_ = 0;
    bool placing_ = false;
    bool held_ = false;
    bool roving_ = false;
    // The list's Tab stop: its item by id (by place when that item is gone) and its control by place.
    std::optional<Uuid> currentID_;
    std::size_t currentIndex_ = 0;
    std::size_t currentControl_ = 0;
};

} // namespace tc
