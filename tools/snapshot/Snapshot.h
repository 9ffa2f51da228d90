#pragma once

#include <QColor>
#include <QSize>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace tc::snapshot {

// One picture: a view made fresh, shown on a backdrop with room around it for its shadows.
struct Snapshot {
    QString name;                    // the PNG's file name without ".png"
    std::function<QWidget *()> make; // the view (the host takes ownership)
    QColor backdrop;                 // invalid: the dotted backdrop
    QSize size;                      // the view's size; empty: its size hint
    int margin = 40;                 // backdrop around the view
};

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

} // namespace tc::snapshot
