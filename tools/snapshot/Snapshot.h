#pragma once

#include <QAccessible>
#include <QAccessibleInterface>
#include <QColor>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace tc::snapshot {

// One picture: a view made fresh, shown on a backdrop with room around it for its shadows.
struct Snapshot {
    QString name;                    // the PNG's file name without ".png"
    std::function<QWidget *()> make; // the view (the host takes ownership)
    QColor backdrop;                 // invalid: the dotted backdrop
    QSize size;                      // the view's size; empty: its size hint
    int margin = 40;                 // backdrop around the view
    // The control drawn with keyboard focus, found in the shown view; empty: nothing focused.
    std::function<QWidget *(QWidget *view)> focus = {};
    // Made taller than `size` where a part of the view that scrolls without a scroll bar (the Keys page's right
    // column) would be cut: the picture shows the page at the least size where everything fits.
    bool growToFit = false;
};

// The first shown widget of type T under `view` whose spoken name (as a screen reader has it) starts with `name`.
template <typename T> QWidget *findControl(QWidget *view, const QString &name = {}) {
    for (QWidget *widget : view->findChildren<QWidget *>()) {
        if (dynamic_cast<T *>(widget) != nullptr && widget->isVisibleTo(view) &&
            QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).startsWith(name)) {
            return widget;
        }
    }
    return nullptr;
}

// Each area adds its views here; main renders them all.
std::vector<Snapshot> shellSnapshots();
// The main window on each section and the tray panel in its states.
std::vector<Snapshot> windowSnapshots();
// The keyboard editor in its tools and states.
std::vector<Snapshot> editorSnapshots();
// The Triggers section.
std::vector<Snapshot> triggerSnapshots();
// The sound picker sheet on each tab in its states.
std::vector<Snapshot> pickerSnapshots();
// The App rules section and its cards.
std::vector<Snapshot> appRulesSnapshots();
// The first-run sheet and the Settings page.
std::vector<Snapshot> settingsSnapshots();
// The Sounds page in its states and its alerts.
std::vector<Snapshot> soundsSnapshots();
// One control with keyboard focus on each screen.
std::vector<Snapshot> focusSnapshots();
// Every screen with names of 10,000 characters.
std::vector<Snapshot> longNameSnapshots();

} // namespace tc::snapshot
