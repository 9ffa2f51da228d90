#pragma once

#include "model/Uuid.h"
#include "ui/triggers/TriggerEdits.h"

#include <QWidget>
#include <optional>

class QAbstractButton;
class QScrollArea;
class QStackedLayout;

namespace tc {

class AppModel;
class SectionTitle;
class SegmentedSwitch;
class TriggerEditor;
class TriggerGraph;
class TriggerList;

// The Triggers section: the title with the count, the Graph/List toggle, the tip, the triggers as a graph or
// a list (or a word on how to start when there are none), the add bar (Shortcut, Word) and, on the right, the
// editor of the current trigger. The selection and the mode are the screen's own and start afresh each time
// the screen is made.
//
// Main thread only. The model must outlive it.
class TriggersView : public QWidget {
public:
    TriggersView(AppModel &model, TriggerApps apps, QWidget *parent = nullptr);

    // The trigger last selected or added; it may name one that is gone.
    const std::optional<Uuid> &selectedID() const { return selectedID_; }
    void setSelectedID(std::optional<Uuid> id);
    // The trigger the editor shows: the selected one while it exists, else the first trigger, else none.
    std::optional<Uuid> currentID() const;
    bool showsGraph() const { return graph_; }
    void setShowsGraph(bool graph);

    SectionTitle *title() const { return title_; }
    SegmentedSwitch *viewToggle() const { return toggle_; }
    QAbstractButton *addShortcutButton() const { return addShortcut_; }
    QAbstractButton *addWordButton() const { return addWord_; }
    TriggerGraph *graph() const { return graphView_; }
    TriggerList *list() const { return listView_; }
    QScrollArea *graphScroll() const { return graphScroll_; }
    TriggerEditor *editor() const { return editor_; }
    QWidget *emptyState() const { return empty_; }
    // The content shown now: the empty state, the graph's scroll area or the list.
    QWidget *currentContent() const;

private:
    void refresh();
    void add(const Trigger::Kind &kind);

    AppModel &model_;
    std::optional<Uuid> selectedID_;
    bool graph_ = true;

    SectionTitle *title_;
    SegmentedSwitch *toggle_;
    QWidget *stackHolder_;
    QStackedLayout *content_;
    QWidget *empty_;
    QScrollArea *graphScroll_;
    TriggerGraph *graphView_;
    TriggerList *listView_;
    QAbstractButton *addShortcut_;
    QAbstractButton *addWord_;
    TriggerEditor *editor_;
};

} // namespace tc
