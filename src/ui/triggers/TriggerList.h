#pragma once

#include "model/Trigger.h"
#include "model/Uuid.h"
#include "ui/triggers/TriggerEdits.h"

#include <QWidget>
#include <functional>
#include <optional>

class QScrollArea;

namespace tc {

class AppModel;
class TriggerRowPool;

// The List mode of the Triggers screen: every trigger on a white card in two titled groups, Shortcuts then
// Words (a group without triggers is left out), under the columns TRIGGER, PLAYS, WHERE and ON. A row shows the
// trigger, its sound (or "Missing sound"), where it plays and its switch; a click on a row selects it. The list
// scrolls by itself and follows every change of the document in place: rows are kept by trigger, and only those
// of the triggers that changed are made again. Rows are made only near what shows, from the kit's item pool.
//
// Main thread only. The model must outlive it.
class TriggerList : public QWidget {
public:
    TriggerList(AppModel &model, TriggerApps apps, QWidget *parent = nullptr);

    // The screen's selection (it may name a trigger that is gone: then no row is highlighted).
    void setSelectedID(std::optional<Uuid> id);

    // One row as the document has it, with its widget where one is made now: for tests and pictures.
    struct RowInfo {
        Uuid id;
        QString group;
        QString plays;
        QString where;
        bool selected = false;
        bool enabled = true;
        QWidget *widget = nullptr;
    };
    std::vector<RowInfo> rows() const;
    // Scrolls the list so the trigger's row shows (nothing when it has none) and returns the row.
    QWidget *showRow(const Uuid &id);
    QStringList groupTitles() const;
    // How many row widgets are made now (those near what shows, and a few spares).
    std::size_t madeRows() const;

    // Called when a trigger is clicked.
    void setOnSelect(std::function<void(const Uuid &)> onSelect) { onSelect_ = std::move(onSelect); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    friend class TriggerRowPool;

    // One trigger's row widget under `parent`.
    QWidget *makeRow(const Trigger &trigger, QWidget *parent);
    // What a row shows in its PLAYS column.
    QString playsText(const Trigger &trigger) const;
    // Follows the model: the rows in their groups' order, the changed ones made again.
    void triggersChanged(const std::vector<Uuid> &ids);

    AppModel &model_;
    std::function<void(const Uuid &)> onSelect_;
    TriggerApps apps_;
    std::optional<Uuid> selectedID_;
    QScrollArea *scroll_;
    TriggerRowPool *pool_;
};

} // namespace tc
